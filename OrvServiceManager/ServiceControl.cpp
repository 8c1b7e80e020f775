#include "OrvServiceManager/ServiceControl.h"
#include "common/CommandLineWord.h"
#include "common/DirUtils.h"
#include "common/Exception.h"
#include "common/Generator.h"
#include "common/NTScmService.h"
#include "common/ProcessRunner.h"
#include "common/RegUtils.h"
#include "common/ServiceName.h"
#include <shlwapi.h>
#include <mutex>

namespace {
CString g_testProgramPath;
ServiceStateSource g_testStateSource = nullptr;

CString GetServiceProgramPath() {
    if (!g_testProgramPath.IsEmpty()) return g_testProgramPath;
    return DirUtils::JoinPath(DirUtils::GetProgramFolder(), "OrvService.exe");
}
}  // namespace

int RunServiceCommand(const CString& arguments) {
    CString program = GetServiceProgramPath();
    if (!PathFileExistsA(program)) throw Exception("Unable to localize Orvanti Service executable.");
    // Quoted: a folder with a blank would otherwise have the system try "C:\Program.exe" first,
    // with an administrator's rights.
    CString commandLine = QuoteCommandLineWord(program) + " " + arguments;
    return static_cast<int>(ProcessRunner::RunAndWait(commandLine));
}

CString GetInstallArguments(BOOL userAccount, const CString& userName, const CString& password) {
    CString arguments = "-install";
    if (userAccount) {
        arguments += " " + QuoteCommandLineWord("-U:" + userName);
        arguments += " " + QuoteCommandLineWord("-P:" + password);
    }
    return arguments;
}

int QueryServiceState() {
    if (g_testStateSource) return g_testStateSource();
    const char* const kFailure = "Unable to retrieve service status.";
    // The connection to the service control manager stays open for the process: opening it
    // costs more than the rest of a query, and two pages ask every 5000 ms. A connection that
    // fails is made again once.
    static std::mutex lock;
    static CNTServiceControlManager manager;
    std::lock_guard<std::mutex> hold(lock);
    for (int attempt = 0;; ++attempt) {
        if (!manager.GetHandle() && !manager.Open(nullptr, GENERIC_READ)) throw Exception(kFailure);
        CNTScmService service;
        if (manager.OpenService(GetServiceName(), GENERIC_READ, service)) {
            SERVICE_STATUS status;
            if (!service.QueryStatus(status)) throw Exception(kFailure);
            return status.dwCurrentState == SERVICE_STOPPED ? 2 : 1;
        }
        if (GetLastError() == ERROR_SERVICE_DOES_NOT_EXIST) return 0;
        manager.Close();
        if (attempt > 0) throw Exception(kFailure);
    }
}

int GetServiceRunningTasks() {
    DWORD count = 0;
    if (!RegUtils::ReadDword(HKEY_LOCAL_MACHINE, Generator::GetSettingsKey(), "ServiceRunningTasks", count)) return 0;
    return static_cast<int>(count);
}

void SetServiceProgramPathForTesting(const CString& path) { g_testProgramPath = path; }

void SetServiceStateSourceForTesting(ServiceStateSource source) { g_testStateSource = source; }
