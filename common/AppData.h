// The data folder both programs share, and the paths in it (task file, logs).
#pragma once
#include "classlib/CString.h"

class AppData {
public:
    // The common application-data folder joined with "Brellix\OrvService", made when missing
    // with its own owner and access list (DataFolderSecurity). A program that may not give it
    // that owner makes nothing and gets the path all the same.
    static CString GetDataFolder();
    // Where the data folder is, made or not; nothing is made and nothing is kept.
    static CString LocateDataFolder();
    // "Logs" in the data folder, made when missing inside a data folder that is there.
    static CString GetLogsFolder();
    static CString GetTasksIniPath();

    // Tests: use this folder as the data folder instead (created when missing); an empty text
    // goes back to the common application-data one. Forgets what was worked out before.
    static void SetDataFolderForTesting(const CString& folder);
};
