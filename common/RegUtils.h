// Single registry reads and writes: each opens the key, does one thing and closes it.
#pragma once
#include "classlib/CString.h"

class RegUtils {
public:
    // A REG_SZ or REG_EXPAND_SZ value (not expanded) of up to 259 characters; `value` is set
    // only on success.
    static bool ReadString(HKEY root, const char* keyPath, const char* valueName, CString& value);
    // A value that must be REG_DWORD.
    static bool ReadDword(HKEY root, const char* keyPath, const char* valueName, DWORD& value);
    // Sets a REG_DWORD value in an existing key; a missing key is not created.
    static bool WriteDword(HKEY root, const char* keyPath, const char* valueName, DWORD value);
};
