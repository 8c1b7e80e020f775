// TEST_LOCK: scm registry
#include "OrvServiceManager/ServiceControl.h"
#include "common/Exception.h"
#include "common/ServiceName.h"
#include "support/TestSupport.h"
#include <gtest/gtest.h>
#include <fstream>

using testing_support::BinFolder;

namespace {
// The service program in a folder with a blank, beside the program the unquoted path would
// start first.
class ServiceControlTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(CreateDirectoryA(scratch_.File("my dir"), nullptr));
        SetServiceProgramPathForTesting(Program());
    }
    void TearDown() override { SetServiceProgramPathForTesting(""); }
    CString Program() const { return scratch_.File("my dir\\OrvService.exe"); }
    void UseAsServiceProgram(const char* tool) {
        ASSERT_TRUE(CopyFileA(BinFolder() + "\\" + tool, Program(), FALSE));
        ASSERT_TRUE(CopyFileA(BinFolder() + "\\ExitWith.exe", scratch_.File("my.exe"), FALSE));
    }
    // What the probe understood: the command number, the account, the password, the service name.
    std::vector<std::string> ProbeResult() const {
        std::ifstream in((Program() + ".args").GetString(), std::ios::binary);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }

    testing_support::ScratchFolder scratch_;
};

bool WaitFor(SC_HANDLE service, DWORD state) {
    SERVICE_STATUS status = {};
    for (int i = 0; i < 200 && QueryServiceStatus(service, &status) && status.dwCurrentState != state; ++i) Sleep(50);
    return status.dwCurrentState == state;
}
}  // namespace

TEST_F(ServiceControlTest, ThePathWithABlankRunsTheRightProgramAndGivesItsExitCode) {
    EXPECT_THROW(RunServiceCommand("-install"), Exception);  // no program yet
    UseAsServiceProgram("ExitWith.exe");
    for (int code : {7, 0, 1073}) EXPECT_EQ(code, RunServiceCommand(CString(std::to_string(code))));
}

TEST_F(ServiceControlTest, AccountSwitchesArriveUnchangedAtTheServiceProgram) {
    UseAsServiceProgram("ServiceArgsProbe.exe");
    const char* const accounts[][2] = {
        {"orv user", "pass word"}, {"DOMAIN\\user\\", "ends in backslashes\\\\"}, {"say \"hi\"", "x\" -SN:Other \""},
        {"a\\\\\"b", "\\\"\\"},    {".\\orv", ""},
    };
    for (const auto& account : accounts) {
        ASSERT_EQ(0, RunServiceCommand(GetInstallArguments(TRUE, account[0], account[1])));
        EXPECT_EQ((std::vector<std::string>{"5", account[0], account[1], ""}), ProbeResult()) << account[0];
    }
    ASSERT_EQ(0, RunServiceCommand(GetInstallArguments(FALSE, "ignored", "ignored")));
    EXPECT_EQ((std::vector<std::string>{"5", "", "", ""}), ProbeResult());
}

TEST(ServiceStateTest, FollowsTheServiceFromNotInstalledToRunningAndBack) {
    testing_support::StopAndDeleteService(GetServiceName());
    EXPECT_EQ(0, QueryServiceState());
    ScopedServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    CString binary = "\"" + BinFolder() + "\\TestService.exe\" " + GetServiceName();
    ScopedServiceHandle service(CreateServiceA(manager.Get(), GetServiceName(), "Orv state test", SERVICE_ALL_ACCESS,
                                               SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START, SERVICE_ERROR_IGNORE,
                                               binary, nullptr, nullptr, nullptr, nullptr, nullptr));
    ASSERT_TRUE(service.IsValid());
    EXPECT_EQ(2, QueryServiceState());
    ASSERT_TRUE(StartServiceA(service.Get(), 0, nullptr));
    EXPECT_EQ(1, QueryServiceState());  // pending counts as running
    ASSERT_TRUE(WaitFor(service.Get(), SERVICE_RUNNING));
    EXPECT_EQ(1, QueryServiceState());
    SERVICE_STATUS status;
    ASSERT_TRUE(ControlService(service.Get(), SERVICE_CONTROL_STOP, &status));
    ASSERT_TRUE(WaitFor(service.Get(), SERVICE_STOPPED));
    EXPECT_EQ(2, QueryServiceState());
    service.Reset();
    testing_support::StopAndDeleteService(GetServiceName());
    for (int i = 0; i < 100 && QueryServiceState() != 0; ++i) Sleep(50);
    EXPECT_EQ(0, QueryServiceState());
}

TEST(ServiceStateTest, RunningTasksComeFromTheRegistryAndAMissingValueIsNone) {
    testing_support::SavedRegistryValue saved(testing_support::kProductSettingsKey, "ServiceRunningTasks");
    ScopedRegKey key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, testing_support::kProductSettingsKey, 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, key.Receive(), nullptr));
    RegDeleteValueA(key.Get(), "ServiceRunningTasks");
    EXPECT_EQ(0, GetServiceRunningTasks());
    DWORD three = 3;
    RegSetValueExA(key.Get(), "ServiceRunningTasks", 0, REG_DWORD, reinterpret_cast<BYTE*>(&three), sizeof(three));
    EXPECT_EQ(3, GetServiceRunningTasks());
}
