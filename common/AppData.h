// The data folder both programs share, and the paths in it (task file, logs).
#pragma once
#include "classlib/CString.h"

class AppData {
public:
    // The common application-data folder joined with "Brellix\OrvService", created when missing.
    static CString GetDataFolder();
    static CString GetLogsFolder();
    static CString GetTasksIniPath();

    // Tests: use this folder as the data folder instead (created when missing); an empty text
    // goes back to the common application-data one. Forgets what was worked out before.
    static void SetDataFolderForTesting(const CString& folder);
};
