// TEST_LOCK: scm registry
// The framework against the platform's service control manager, through a small service program
// built on it. This process stays alive for each scenario: the platform may stop services when
// the last user process goes.
#include "common/NTScmService.h"
#include "common/NTService.h"
#include "support/FreedMemoryKeeper.h"
#include "support/TestSupport.h"
#include <gtest/gtest.h>
#include <memory>

namespace {
const char kName[] = "OrvFwScmTest";
const char kDisplay[] = "Orv Fw Scm Test";
const char kSourceKey[] = "SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\Orv Fw Scm Test";

CString ToolPath() { return testing_support::BinFolder() + "\\FrameworkTestService.exe"; }

// Runs the test service program with the given words; its exit code, or -1 when it could not
// be run or did not end within a minute.
DWORD RunTool(const char* words) {
    CString commandLine = "\"" + ToolPath() + "\" " + words;
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    std::string buffer(commandLine.GetString());
    if (!CreateProcessA(nullptr, &buffer[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return static_cast<DWORD>(-1);
    DWORD code = static_cast<DWORD>(-1);
    if (WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0) GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

CString NamedWords(const char* command) {
    CString words;
    words.Format("%s -silent -T:20000 -SN:%s \"-SDN:%s\"", command, kName, kDisplay);
    return words;
}

DWORD StateOf(const char* name) {
    CNTServiceControlManager manager;
    CNTScmService service;
    SERVICE_STATUS status = {};
    if (!manager.Open(nullptr, SC_MANAGER_CONNECT) || !manager.OpenService(name, SERVICE_QUERY_STATUS, service) ||
        !service.QueryStatus(status))
        return 0;
    return status.dwCurrentState;
}

// The manager may keep a deleted service's record until its process has gone.
bool WaitUntilGone(const char* name) {
    for (int i = 0; i < 100; ++i) {
        if (StateOf(name) == 0) return true;
        Sleep(100);
    }
    return false;
}

bool KeyExists(const char* path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

// Removes what an earlier, interrupted run may have left.
void RemoveLeftovers(const char* name) {
    CNTServiceControlManager manager;
    CNTScmService service;
    if (manager.Open(nullptr, SC_MANAGER_CONNECT) &&
        manager.OpenService(name, DELETE | SERVICE_STOP | SERVICE_QUERY_STATUS, service)) {
        service.Stop();
        service.WaitForStop(10000);
        service.Delete();
    }
    service.Close();
    WaitUntilGone(name);
}

// Exposes the credentials that Install must not keep.
class InProcessService : public CNTService {
public:
    InProcessService() : CNTService(kName, kDisplay) { m_bEventLogSource = FALSE; }
    using CNTService::m_sPassword;
    using CNTService::m_sUserName;
};
}  // namespace

TEST(ScmTest, InstallStartPauseContinueStopUninstallThroughTheServiceProgram) {
    RemoveLeftovers(kName);
    ASSERT_EQ(0u, RunTool(NamedWords("-install -auto")));

    {
        CNTServiceControlManager manager;
        CNTScmService service;
        ASSERT_TRUE(manager.Open(nullptr, SC_MANAGER_CONNECT));
        ASSERT_TRUE(manager.OpenService(kName, SERVICE_QUERY_CONFIG, service));
        LPQUERY_SERVICE_CONFIGA config = nullptr;
        ASSERT_TRUE(service.QueryConfig(config));
        std::unique_ptr<BYTE[]> owned(reinterpret_cast<BYTE*>(config));
        CString expected;
        expected.Format("%s \"/SN:%s\" \"/SDN:%s\"", ToolPath().GetString(), kName, kDisplay);
        EXPECT_EQ(expected, CString(config->lpBinaryPathName));
        EXPECT_EQ(CString(kDisplay), CString(config->lpDisplayName));
        EXPECT_EQ(static_cast<DWORD>(SERVICE_AUTO_START), config->dwStartType);
        EXPECT_EQ(static_cast<DWORD>(SERVICE_WIN32_OWN_PROCESS), config->dwServiceType);
        CString description;
        EXPECT_TRUE(service.QueryDescription(description));
        EXPECT_EQ(CString("Exercises the service framework in tests."), description);
    }
    // The event source is registered under the display name, with the message file beside the
    // program.
    HKEY sourceKey = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSourceKey, 0, KEY_READ, &sourceKey));
    char file[MAX_PATH * 2] = "";
    DWORD size = sizeof(file);
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(sourceKey, "EventMessageFile", nullptr, nullptr,
                                              reinterpret_cast<BYTE*>(file), &size));
    RegCloseKey(sourceKey);
    EXPECT_EQ(testing_support::BinFolder() + "\\FrameworkTestService.DLL", CString(file));

    EXPECT_EQ(static_cast<DWORD>(ERROR_SERVICE_EXISTS), RunTool(NamedWords("-install")));

    EXPECT_EQ(0u, RunTool(NamedWords("-start")));
    EXPECT_EQ(static_cast<DWORD>(SERVICE_RUNNING), StateOf(kName));
    EXPECT_EQ(0u, RunTool(NamedWords("-start")));  // already running: nothing to do
    EXPECT_EQ(0u, RunTool(NamedWords("-pause")));
    EXPECT_EQ(static_cast<DWORD>(SERVICE_PAUSED), StateOf(kName));
    EXPECT_EQ(0u, RunTool(NamedWords("-continue")));
    EXPECT_EQ(static_cast<DWORD>(SERVICE_RUNNING), StateOf(kName));
    EXPECT_EQ(0u, RunTool(NamedWords("-stop")));
    EXPECT_EQ(static_cast<DWORD>(SERVICE_STOPPED), StateOf(kName));

    EXPECT_EQ(0u, RunTool(NamedWords("-uninstall")));
    EXPECT_TRUE(WaitUntilGone(kName));
    EXPECT_FALSE(KeyExists(kSourceKey));

    const DWORD missing = ERROR_SERVICE_DOES_NOT_EXIST;
    EXPECT_EQ(missing, RunTool(NamedWords("-start")));
    EXPECT_EQ(missing, RunTool(NamedWords("-stop")));
    EXPECT_EQ(missing, RunTool(NamedWords("-uninstall")));
}

TEST(ScmTest, UninstallStopsARunningServiceAndSucceedsWithExitCodeZero) {
    RemoveLeftovers(kName);
    ASSERT_EQ(0u, RunTool(NamedWords("-install")));
    ASSERT_EQ(0u, RunTool(NamedWords("-start")));
    EXPECT_EQ(0u, RunTool(NamedWords("-uninstall")));
    EXPECT_TRUE(WaitUntilGone(kName));
    RemoveLeftovers(kName);
}

TEST(ScmTest, WithoutACommandOutsideTheManagerTheDispatcherFails) {
    EXPECT_EQ(static_cast<DWORD>(ERROR_FAILED_SERVICE_CONTROLLER_CONNECT), RunTool("-silent"));
}

TEST(ScmTest, CredentialsAreWipedAfterInstallWhetherItSucceedsOrFails) {
    RemoveLeftovers(kName);
    InProcessService service;
    CNTServiceCommandLineInfo info;
    // The bytes that held each secret in the service object, as Install found them.
    auto prepare = [&](const std::string& password) {
        info.m_sUserName = ".\\orvtestuser";
        info.m_sPassword = password.c_str();
        service.PrepareInstall(info, ToolPath());
        return service.m_sPassword.GetString();
    };
    // What Install gives back stays the test's to read: no later string can take it.
    testing_support::FreedMemoryKeeper freed;
    const std::string first = "a-password-long-enough-to-live-on-the-heap";
    const char* kept = prepare(first);
    ASSERT_TRUE(freed.SecretLeftAt(kept, first.size(), first));
    CString text;
    DWORD error = 0;
    ASSERT_TRUE(service.Install(text, error)) << text.GetString();
    EXPECT_EQ(0u, error);
    EXPECT_TRUE(service.m_sUserName.IsEmpty());
    EXPECT_TRUE(service.m_sPassword.IsEmpty());
    EXPECT_FALSE(freed.SecretLeftAt(kept, first.size(), first));

    const std::string second = "another-password-long-enough-to-live-on-the-heap";
    kept = prepare(second);
    EXPECT_FALSE(service.Install(text, error));
    EXPECT_EQ(static_cast<DWORD>(ERROR_SERVICE_EXISTS), error);
    EXPECT_EQ(0, text.Find("CNTService::Install, Failed call to CreateService, Error:1073, ")) << text.GetString();
    EXPECT_TRUE(service.m_sUserName.IsEmpty());
    EXPECT_TRUE(service.m_sPassword.IsEmpty());
    EXPECT_FALSE(freed.SecretLeftAt(kept, second.size(), second));

    EXPECT_TRUE(service.Uninstall(text, error, 5000)) << text.GetString();
    EXPECT_TRUE(WaitUntilGone(kName));
}

TEST(ScmTest, StateChangesOfAMissingServiceFailAtOpening) {
    InProcessService service;
    service.SetServiceName("OrvFwNoSuchService");
    for (DWORD target = 0; target < 4; ++target) {
        DWORD error = 0;
        EXPECT_FALSE(service.SetServiceToStatus(target, error, 1000, 50));
        EXPECT_EQ(static_cast<DWORD>(ERROR_SERVICE_DOES_NOT_EXIST), error);
    }
    CString text;
    DWORD error = 0;
    EXPECT_FALSE(service.Uninstall(text, error, 1000));
    EXPECT_EQ(static_cast<DWORD>(ERROR_SERVICE_DOES_NOT_EXIST), error);
    EXPECT_EQ(0, text.Find("CNTService::Uninstall, Failed call to OpenService, Error:1060, "));
}

TEST(ScmTest, InstancesAreTheServicesRunningThisProgram) {
    RemoveLeftovers(kName);
    InProcessService service;
    char ownPath[MAX_PATH * 2] = "";
    GetModuleFileNameA(nullptr, ownPath, sizeof(ownPath));
    CNTServiceCommandLineInfo info;
    service.PrepareInstall(info, ownPath);
    CString text;
    DWORD error = 0;
    ASSERT_TRUE(service.Install(text, error)) << text.GetString();
    CStringArray names;
    names.Add("stale");
    EXPECT_TRUE(service.EnumerateInstances(names, error));
    ASSERT_EQ(1, names.GetSize());
    EXPECT_EQ(CString(kName), names[0]);
    EXPECT_TRUE(service.Uninstall(text, error, 5000)) << text.GetString();
    EXPECT_TRUE(WaitUntilGone(kName));
}
