#include "common/AppData.h"
#include "common/DirUtils.h"
#include "common/Exception.h"
#include <shlobj.h>

namespace {
// Filled on the first successful call; in the service that happens on the worker thread before
// any other thread exists, so no lock is taken.
CString g_dataFolder;
CString g_logsFolder;
CString g_testFolder;

const char* const kNoCommonAppData = "Unable to retrieve Common Application Data folder.";

CString LocateDataFolder() {
    if (!g_testFolder.IsEmpty()) return g_testFolder;
    char buffer[MAX_PATH] = "";
    HRESULT hr = SHGetFolderPathA(nullptr, CSIDL_COMMON_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT,
                                  buffer);
    if (FAILED(hr)) {
        CString message;
        message.Format("%s SHGetFolderPath returned: %d", kNoCommonAppData, static_cast<int>(hr));
        throw Exception(message);
    }
    if (buffer[0] == '\0') throw Exception(kNoCommonAppData);
    return DirUtils::JoinPath(buffer, "Brellix\\OrvService");
}
}  // namespace

CString AppData::GetDataFolder() {
    if (g_dataFolder.IsEmpty()) {
        CString folder = LocateDataFolder();
        DirUtils::CreateFolder(folder);
        g_dataFolder = folder;
    }
    return g_dataFolder;
}

CString AppData::GetLogsFolder() {
    if (g_logsFolder.IsEmpty()) {
        CString folder = DirUtils::JoinPath(GetDataFolder(), "Logs");
        DirUtils::CreateFolder(folder);
        g_logsFolder = folder;
    }
    return g_logsFolder;
}

CString AppData::GetTasksIniPath() { return DirUtils::JoinPath(GetDataFolder(), "tasks.ini"); }

void AppData::SetDataFolderForTesting(const CString& folder) {
    g_testFolder = folder;
    g_dataFolder.Empty();
    g_logsFolder.Empty();
}
