// TEST_LOCK: registry scm broadcast
// The service program's whole life under the platform's service control manager: this test
// process is the administrator who runs it with its switches, and it stays alive through the
// scenario, since Wine stops the services of a prefix whose last user process has exited.
#include "classlib/CRegKey.h"
#include "common/DirUtils.h"
#include "common/IniFile.h"
#include "common/Log.h"
#include "common/NTScmService.h"
#include "support/TestSupport.h"
#include <gtest/gtest.h>
#include <shlobj.h>
#include <functional>
#include <string>

using testing_support::RunProgram;
using testing_support::RunResult;

namespace {

const char kServiceName[] = "BrellixOrvService";
const char kDisplayName[] = "Orvanti Manager";
const char kSettingsKey[] = "Software\\Brellix\\Orvanti\\Settings";
const char kEventSourceKey[] = "SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\Orvanti Manager";

std::string CommonDataFolder() {
    char path[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathA(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path))) return "";
    return std::string(path) + "\\Brellix\\OrvService";
}

bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string ReadIfPresent(const std::string& path) {
    return FileExists(path) ? testing_support::ReadFileBytes(path.c_str()) : std::string();
}

// Polls until the condition holds or the time is up; the service works on its own thread.
bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs = 10000) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (condition()) return true;
        if (GetTickCount() - start >= timeoutMs) return false;
        Sleep(100);
    }
}

DWORD QueryState() {
    CNTServiceControlManager manager;
    CNTScmService service;
    SERVICE_STATUS status = {};
    if (!manager.Open(nullptr, SC_MANAGER_CONNECT) || !manager.OpenService(kServiceName, SERVICE_QUERY_STATUS, service) ||
        !service.QueryStatus(status))
        return 0;
    return status.dwCurrentState;
}

// Stops and deletes the service and removes its event source, straight through the platform,
// so that neither a leftover of an earlier run nor a failed step here survives.
void RemoveService() {
    testing_support::StopAndDeleteService(kServiceName);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kEventSourceKey);
}

// A file of the shared data folder, put back (or removed) when the test ends.
class SavedFile {
public:
    explicit SavedFile(const std::string& path) : path_(path), present_(FileExists(path)) {
        if (present_) content_ = testing_support::ReadFileBytes(path.c_str());
    }
    ~SavedFile() {
        if (present_)
            testing_support::WriteFileBytes(path_.c_str(), content_);
        else
            DeleteFileA(path_.c_str());
    }

private:
    std::string path_;
    bool present_;
    std::string content_;
};

DWORD ReadRunningTasks() {
    DWORD value = 0xFFFFFFFF;
    CRegKey key;
    if (key.Open(HKEY_LOCAL_MACHINE, kSettingsKey, KEY_READ) == ERROR_SUCCESS)
        key.QueryDWORDValue("ServiceRunningTasks", value);
    return value;
}

class EndToEndTest : public ::testing::Test {
protected:
    EndToEndTest()
        : dataFolder_(CommonDataFolder()),
          tasksIni_(dataFolder_ + "\\tasks.ini"),
          logFile_(dataFolder_ + "\\Logs\\" + std::string(Log::GetCurrentLogFileName())),
          savedTasks_(tasksIni_),
          savedLog_(logFile_),
          savedProgramPath_(kSettingsKey, "ProgramPath"),
          savedRunningTasks_(kSettingsKey, "ServiceRunningTasks") {}

    void SetUp() override {
        ASSERT_FALSE(dataFolder_.empty());
        RemoveService();
        ASSERT_EQ(0u, QueryState()) << "the service is still installed";
        logStart_ = ReadIfPresent(logFile_).size();

        const std::string root = std::string(scratch_.Path());
        const std::string bin = std::string(testing_support::BinFolder());
        programFolder_ = root + "\\Program Files\\Orvanti Service";
        program_ = programFolder_ + "\\OrvService.exe";
        const std::string generatorFolder = root + "\\Orvanti Generator";
        watched_ = root + "\\watched site";
        for (const std::string& folder :
             {root + "\\Program Files", programFolder_, generatorFolder, watched_, root + "\\docs"})
            ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr)) << folder;
        ASSERT_TRUE(CopyFileA((bin + "\\OrvService.exe").c_str(), program_.c_str(), FALSE)) << GetLastError();
        ASSERT_TRUE(CopyFileA((bin + "\\OrvService.DLL").c_str(), (programFolder_ + "\\OrvService.DLL").c_str(),
                              FALSE))
            << GetLastError();
        ASSERT_TRUE(testing_support::InstallStandInGenerator(generatorFolder.c_str())) << GetLastError();

        CRegKey settings;
        ASSERT_EQ(ERROR_SUCCESS, settings.Open(HKEY_LOCAL_MACHINE, kSettingsKey));
        ASSERT_EQ(ERROR_SUCCESS, settings.SetDWORDValue("ServiceRunningTasks", 77));

        // Both scheduled runs wait for the stop broadcast (with a bound, should it never come).
        periodicalDoc_ = root + "\\docs\\periodical.orv";
        dayDoc_ = root + "\\docs\\day.orv";
        watchDoc_ = root + "\\docs\\watch.orv";
        testing_support::WriteFileBytes(periodicalDoc_.c_str(), "wait_broadcast=1\r\nrun_ms=30000\r\n");
        testing_support::WriteFileBytes(dayDoc_.c_str(), "wait_broadcast=1\r\nrun_ms=30000\r\n");
        testing_support::WriteFileBytes(watchDoc_.c_str(), "folder=" + watched_ + "\r\n");
        WriteTasks();
    }

    void TearDown() override { RemoveService(); }

    // A Periodical task and a DayScheduled task, both due at once, and a Watch task.
    void WriteTasks() {
        // On a fresh machine not even the data folder's parent exists yet.
        DirUtils::CreateFolder(dataFolder_.c_str());
        DeleteFileA(tasksIni_.c_str());
        // The start time lies two minutes back: due from the minute after the start time on.
        SYSTEMTIME now;
        GetLocalTime(&now);
        FILETIME file;
        SystemTimeToFileTime(&now, &file);
        ULARGE_INTEGER value;
        value.LowPart = file.dwLowDateTime;
        value.HighPart = file.dwHighDateTime;
        value.QuadPart -= 2ULL * 60 * 10000000;
        file.dwLowDateTime = value.LowPart;
        file.dwHighDateTime = value.HighPart;
        SYSTEMTIME start;
        FileTimeToSystemTime(&file, &start);

        IniFile ini(tasksIni_.c_str());
        ini.WriteInt(3, "General", "TasksCount");
        ini.WriteString("Periodical", "Task1", "Type");
        ini.WriteInt(24, "Task1", "Interval");
        ini.WriteString("/s2", "Task1", "Priority");
        ini.WriteString(periodicalDoc_.c_str(), "Task1", "OrvPath");
        ini.WriteString("DayScheduled", "Task2", "Type");
        ini.WriteString("/s3", "Task2", "Priority");
        ini.WriteString(dayDoc_.c_str(), "Task2", "OrvPath");
        ini.WriteInt(1, "Task2", "DaysCount");
        ini.WriteInt(start.wDayOfWeek + 1, "Task2", "Day1");
        ini.WriteInt(start.wHour, "Task2", "Hour");
        ini.WriteInt(start.wMinute, "Task2", "Minutes");
        ini.WriteString("Watch", "Task3", "Type");
        ini.WriteString("/s1", "Task3", "Priority");
        ini.WriteString(watchDoc_.c_str(), "Task3", "OrvPath");
    }

    RunResult RunService(const char* arguments) {
        return RunProgram(program_, arguments, std::string(scratch_.File("output.txt")));
    }
    // What the service wrote to this month's log since the test began.
    std::string NewLog() const { return ReadIfPresent(logFile_).substr(logStart_); }
    bool LogHas(const std::string& text) const { return NewLog().find(text) != std::string::npos; }
    std::string IniValue(const char* section, const char* key) const {
        return std::string(IniFile(tasksIni_.c_str()).ReadString(section, key, ""));
    }

    testing_support::ScratchFolder scratch_;
    std::string dataFolder_;
    std::string tasksIni_;
    std::string logFile_;
    SavedFile savedTasks_;
    SavedFile savedLog_;
    testing_support::SavedRegistryValue savedProgramPath_;
    testing_support::SavedRegistryValue savedRunningTasks_;
    size_t logStart_ = 0;
    std::string programFolder_, program_, watched_, periodicalDoc_, dayDoc_, watchDoc_;
};

}  // namespace

TEST_F(EndToEndTest, InstallRunPauseStopAndUninstallThroughTheServiceControlManager) {
    // Installing registers an automatic-start service with a quoted path and its event source.
    RunResult install = RunService("-install");
    ASSERT_EQ(0u, install.exitCode) << install.output;
    {
        CNTServiceControlManager manager;
        ASSERT_TRUE(manager.Open(nullptr, SC_MANAGER_CONNECT));
        CNTScmService service;
        ASSERT_TRUE(manager.OpenService(kServiceName, SERVICE_QUERY_CONFIG, service)) << GetLastError();
        LPQUERY_SERVICE_CONFIGA config = nullptr;
        ASSERT_TRUE(service.QueryConfig(config)) << GetLastError();
        EXPECT_STREQ(kDisplayName, config->lpDisplayName);
        EXPECT_EQ(static_cast<DWORD>(SERVICE_AUTO_START), config->dwStartType);
        EXPECT_EQ(static_cast<DWORD>(SERVICE_WIN32_OWN_PROCESS), config->dwServiceType & 0xFF);
        EXPECT_EQ("\"" + program_ + "\"", std::string(config->lpBinaryPathName));
        delete[] reinterpret_cast<BYTE*>(config);
        CString description;
        ASSERT_TRUE(service.QueryDescription(description));
        EXPECT_EQ(CString("Manages tasks created by a user in Orvanti. You can open the Orvanti Service Manager to "
                          "assign new tasks and modify existing."),
                  description);

        CRegKey source;
        ASSERT_EQ(ERROR_SUCCESS, source.Open(HKEY_LOCAL_MACHINE, kEventSourceKey, KEY_READ));
        CString messageFile;
        ASSERT_EQ(ERROR_SUCCESS, source.QueryStringValue("EventMessageFile", messageFile));
        EXPECT_EQ(CString((programFolder_ + "\\OrvService.DLL").c_str()), messageFile);
        DWORD types = 0;
        EXPECT_EQ(ERROR_SUCCESS, source.QueryDWORDValue("TypesSupported", types));
        EXPECT_EQ(7u, types);
    }
    EXPECT_EQ(static_cast<DWORD>(SERVICE_STOPPED), QueryState());
    RunResult again = RunService("-install");
    EXPECT_EQ(static_cast<DWORD>(ERROR_SERVICE_EXISTS), again.exitCode) << again.output;

    // Started: the first examination runs both due tasks and the Watch task watches its folder.
    RunResult start = RunService("-start");
    ASSERT_EQ(0u, start.exitCode) << start.output;
    EXPECT_EQ(static_cast<DWORD>(SERVICE_RUNNING), QueryState());
    EXPECT_TRUE(WaitFor([&] { return LogHas("Task1 started.") && LogHas("Task2 started."); })) << NewLog();
    std::string log = NewLog();
    EXPECT_NE(std::string::npos, log.find("  Service started successfully.\r\n")) << log;
    EXPECT_NE(std::string::npos, log.find("  Successfully loaded 3 task(s).\r\n")) << log;
    EXPECT_NE(std::string::npos, log.find("  Watching folder " + watched_ + " (Task3).\r\n")) << log;
    EXPECT_TRUE(WaitFor([] { return ReadRunningTasks() == 2; })) << ReadRunningTasks();
    // The generator notes its own command line once it runs.
    EXPECT_TRUE(WaitFor([&] {
        return ReadIfPresent(periodicalDoc_ + ".runs").find("\" /g /q /r /s2 /exitbroadcast") != std::string::npos &&
               ReadIfPresent(dayDoc_ + ".runs").find("\" /g /q /r /s3 /exitbroadcast") != std::string::npos;
    })) << ReadIfPresent(periodicalDoc_ + ".runs") << ReadIfPresent(dayDoc_ + ".runs");
    EXPECT_NE(std::string::npos, ReadIfPresent(watchDoc_ + ".runs").find("query "));
    EXPECT_FALSE(ParseIniTime(IniValue("Task1", "LastRun").c_str()) == CTime());

    // A change in the watched folder reaches the running service's Watch task.
    EXPECT_EQ("", IniValue("Task3", "LastEvent"));
    testing_support::WriteFileBytes((watched_ + "\\index.html").c_str(), "<p>changed</p>");
    EXPECT_TRUE(WaitFor([&] { return !IniValue("Task3", "LastEvent").empty(); }));

    RunResult pause = RunService("-pause");
    EXPECT_EQ(0u, pause.exitCode) << pause.output;
    EXPECT_EQ(static_cast<DWORD>(SERVICE_PAUSED), QueryState());
    EXPECT_TRUE(WaitFor([&] { return LogHas("  Service paused successfully.\r\n"); })) << NewLog();
    RunResult resume = RunService("-continue");
    EXPECT_EQ(0u, resume.exitCode) << resume.output;
    EXPECT_EQ(static_cast<DWORD>(SERVICE_RUNNING), QueryState());
    EXPECT_TRUE(WaitFor([&] { return LogHas("  Service continued successfully.\r\n"); })) << NewLog();

    // Stopped: both runs are still going on; they are told to quit, never killed, and count
    // as not done.
    RunResult stop = RunService("-stop");
    ASSERT_EQ(0u, stop.exitCode) << stop.output;
    EXPECT_EQ(static_cast<DWORD>(SERVICE_STOPPED), QueryState());
    log = NewLog();
    EXPECT_NE(std::string::npos, log.find("  Terminating 2 running task(s).\r\n")) << log;
    EXPECT_NE(std::string::npos, log.find("  Service stopped successfully.\r\n")) << log;
    EXPECT_EQ(0u, ReadRunningTasks());
    EXPECT_TRUE(WaitFor([&] {
        return ReadIfPresent(periodicalDoc_ + ".runs").find("stopped by broadcast") != std::string::npos &&
               ReadIfPresent(dayDoc_ + ".runs").find("stopped by broadcast") != std::string::npos;
    }));
    EXPECT_TRUE(ParseIniTime(IniValue("Task1", "LastRun").c_str()) == CTime());
    EXPECT_TRUE(ParseIniTime(IniValue("Task2", "LastRun").c_str()) == CTime());

    RunResult uninstall = RunService("-uninstall");
    EXPECT_EQ(0u, uninstall.exitCode) << uninstall.output;
    EXPECT_EQ(0u, QueryState());
    CRegKey source;
    EXPECT_NE(ERROR_SUCCESS, source.Open(HKEY_LOCAL_MACHINE, kEventSourceKey, KEY_READ));

    // Without the service every state change names the missing service.
    for (const char* command : {"-start", "-stop", "-uninstall"}) {
        RunResult result = RunService(command);
        EXPECT_EQ(static_cast<DWORD>(ERROR_SERVICE_DOES_NOT_EXIST), result.exitCode) << command << result.output;
    }
}

TEST_F(EndToEndTest, OutsideTheServiceControlManagerOnlyCommandsSucceed) {
    RunResult bare = RunService("");
    EXPECT_EQ(static_cast<DWORD>(ERROR_FAILED_SERVICE_CONTROLLER_CONNECT), bare.exitCode) << bare.output;
    EXPECT_EQ("", bare.output);
    RunResult help = RunService("-help");
    EXPECT_EQ(0u, help.exitCode) << help.output;
    EXPECT_NE(std::string::npos, help.output.find("-install")) << help.output;
    EXPECT_EQ(0u, QueryState());
}
