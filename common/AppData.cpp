#include "common/AppData.h"
#include "common/DataFolderSecurity.h"
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
const char* const kNotCreated = "Error creating directory.";
}  // namespace

CString AppData::LocateDataFolder() {
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

namespace {
// Made with its owner and list at once, so that no user can create anything in it before it has
// them. A program that may not make Administrators the owner (the manager opened by an ordinary
// user) makes nothing and goes on with the folder as it finds it: its paths lead nowhere until
// an administrator or the service makes it.
void MakeDataFolder(const CString& folder) {
    DataFolderSecurity security;
    if (security.GetError() != 0) throw Exception(kNotCreated);
    const DWORD error = security.MakeFolder(folder);
    if (error != 0 && error != ERROR_INVALID_OWNER) throw Exception(kNotCreated);
}
}  // namespace

CString AppData::GetDataFolder() {
    if (g_dataFolder.IsEmpty()) {
        CString folder = LocateDataFolder();
        MakeDataFolder(folder);
        g_dataFolder = folder;
    }
    return g_dataFolder;
}

CString AppData::GetLogsFolder() {
    if (g_logsFolder.IsEmpty()) {
        const CString data = GetDataFolder();
        CString folder = DirUtils::JoinPath(data, "Logs");
        // Inside the data folder it inherits the data folder's list; a data folder that is not
        // there was not to be made by this program, and neither is anything in it.
        if (DirUtils::Exists(data)) DirUtils::CreateFolder(folder);
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
