// Locates the generator application Orvanti.exe through the folder its installer registered.
#pragma once
#include "classlib/CString.h"

class Generator {
public:
    // The product's settings key under HKEY_LOCAL_MACHINE: ProgramPath, ServiceRunningTasks.
    static const char* GetSettingsKey() { return "Software\\Brellix\\Orvanti\\Settings"; }
    // ProgramPath of the product's settings key, trimmed; empty when missing or unreadable.
    static CString GetProgramPath();
    // The generator's full path; empty when its folder is not known.
    static CString GetExecutablePath();
};
