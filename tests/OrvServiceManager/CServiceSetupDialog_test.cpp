// TEST_LOCK: scm registry
#include "OrvServiceManager/CServiceSetupDialog.h"
#include "OrvServiceManager/AccountUtils.h"
#include "OrvServiceManager/OrvServiceManagerRes.h"
#include "OrvServiceManager/ServiceControl.h"
#include "common/ServiceName.h"
#include "support/GuiTestSupport.h"
#include "support/ManagerTestSupport.h"
#include <gtest/gtest.h>
#include <fstream>

using namespace testing_support;

namespace {
Watchdog watchdog(100);

class SetupPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(page_.Create(IDD_SERVICE_SETUP, &host_));
        page_.ShowWindow(SW_SHOW);
    }
    void TearDown() override { SetServiceProgramPathForTesting(""); }
    HWND Item(int id) const { return ::GetDlgItem(page_.m_hWnd, id); }
    void Tick() { page_.SendMessage(WM_TIMER, CServiceSetupDialog::kTimerId); }
    void Click(int id) { SendMessageA(Item(id), BM_CLICK, 0, 0); }
    // 'x' for each enabled control: the two radios, name label and field, password label and
    // field, Install, Uninstall, Start, Stop.
    std::string Layout() const {
        std::string layout;
        for (int id : {IDC_LOCAL_SYSTEM, IDC_USER_ACCOUNT, IDC_USER_NAME_LABEL, IDC_USER_NAME, IDC_PASSWORD_LABEL,
                       IDC_PASSWORD, IDC_INSTALL, IDC_UNINSTALL, IDC_START, IDC_STOP})
            layout += IsWindowEnabled(Item(id)) ? 'x' : '.';
        return layout;
    }
    // The service program is the probe, which notes how it was called in "<program>.args".
    CString UseProbe() {
        const CString program = scratch_.File("OrvService.exe");
        CopyFileA(BinFolder() + "\\ServiceArgsProbe.exe", program, FALSE);
        SetServiceProgramPathForTesting(program);
        return program + ".args";
    }
    std::vector<std::string> ProbeCall(const CString& args) const {
        std::ifstream in(args.GetString(), std::ios::binary);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
    std::vector<CString> Texts() const {
        std::vector<CString> texts;
        for (const auto& box : boxes_.Boxes()) texts.push_back(box.text);
        return texts;
    }

    ScratchFolder scratch_;
    ServiceStateScope state_{0};
    PageHost host_;
    MessageBoxRecorder boxes_;
    CServiceSetupDialog page_;
};
}  // namespace

TEST_F(SetupPageTest, TheLayoutFollowsTheStateAndTheAccountChoice) {
    EXPECT_EQ("xx....x...", Layout());
    EXPECT_EQ(static_cast<UINT>(BST_CHECKED), page_.IsDlgButtonChecked(IDC_LOCAL_SYSTEM));
    Click(IDC_USER_ACCOUNT);
    EXPECT_EQ("xxxxxxx...", Layout());
    Click(IDC_LOCAL_SYSTEM);
    EXPECT_EQ("xx....x...", Layout());
    const struct {
        int state;
        const char* layout;
    } ticks[] = {{2, ".......xx."}, {1, ".........x"}, {ServiceStateScope::kStateFails, ".........x"}, {0, "xx....x..."}};
    for (const auto& tick : ticks) {
        state_.Set(tick.state);
        Tick();
        EXPECT_EQ(tick.layout, Layout()) << tick.state;
    }
    EXPECT_TRUE(boxes_.Boxes().empty());
}

TEST_F(SetupPageTest, InstallChecksTheAdministratorAndTheAccountBeforeRunningTheServiceProgram) {
    const CString args = UseProbe();
    const std::string me = GetCurrentAccountName().str();
    const std::string padded = " " + me + "  ";
    const struct {
        bool administrator;
        const char* name;  // null: LocalSystem
        const char* password;
        const char* box;   // null: none
        std::vector<std::string> call;
    } cases[] = {
        {false, nullptr, "", "You have to be logged in as Administrator to be able to install the service.", {}},
        {true, "", "", "Problem when installing the service. You should specify a valid user name for the account.", {}},
        {true, "  \t ", "", "Problem when installing the service. You should specify a valid user name for the account.",
         {}},
        {true, "NoSuchOrvAccount", "", "Problem when installing the service. Cannot set the specified account to use services.", {}},
        {true, me.c_str(), "say \"hi\" \\", nullptr, {"5", me, "say \"hi\" \\", ""}},
        {true, padded.c_str(), "", nullptr, {"5", me, "", ""}},
        {true, nullptr, "", nullptr, {"5", "", "", ""}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.box ? c.box : "installed");
        DeleteFileA(args);
        AdministratorScope administrator(c.administrator);
        page_.CheckRadioButton(IDC_LOCAL_SYSTEM, IDC_USER_ACCOUNT, c.name ? IDC_USER_ACCOUNT : IDC_LOCAL_SYSTEM);
        page_.SetDlgItemText(IDC_USER_NAME, c.name ? c.name : "");
        page_.SetDlgItemText(IDC_PASSWORD, c.password);
        const size_t before = boxes_.Boxes().size();
        Click(IDC_INSTALL);
        EXPECT_EQ(c.box ? before + 1 : before, boxes_.Boxes().size());
        if (c.box) {
            EXPECT_EQ(CString(c.box), boxes_.Boxes().back().text);
        }
        EXPECT_EQ(c.call, ProbeCall(args));
    }

    // The service program failing: a folder where the probe writes makes it exit with 3.
    DeleteFileA(args);
    CreateDirectoryA(args, nullptr);
    AdministratorScope administrator;
    page_.CheckRadioButton(IDC_LOCAL_SYSTEM, IDC_USER_ACCOUNT, IDC_LOCAL_SYSTEM);
    Click(IDC_INSTALL);
    EXPECT_EQ(CString("Problem when installing the service. Error when running install command. Exit code: 3"),
              boxes_.Boxes().back().text);
    RemoveDirectoryA(args);
}

TEST_F(SetupPageTest, StopAsksWhileTasksRunAndNoLeavesTheServiceAlone) {
    const CString args = UseProbe();
    SavedRegistryValue saved(kProductSettingsKey, "ServiceRunningTasks");
    ScopedRegKey key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, kProductSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                                             nullptr, key.Receive(), nullptr));
    DWORD two = 2;
    RegSetValueExA(key.Get(), "ServiceRunningTasks", 0, REG_DWORD, reinterpret_cast<BYTE*>(&two), sizeof(two));
    state_.Set(1);
    Tick();

    boxes_.Answer(IDNO);
    Click(IDC_STOP);
    ASSERT_EQ(1u, boxes_.Boxes().size());
    const auto& question = boxes_.Boxes()[0];
    EXPECT_EQ(CString("The service is running task(s) at the moment.\n\nAre you sure you want to stop?"), question.text);
    EXPECT_EQ(CString("Stopping Service"), question.caption);
    EXPECT_EQ(static_cast<UINT>(MB_YESNO), question.type);
    EXPECT_TRUE(ProbeCall(args).empty());

    boxes_.Answer(IDYES);
    Click(IDC_STOP);
    EXPECT_EQ("4", ProbeCall(args).at(0));

    // No value: no question.
    DeleteFileA(args);
    RegDeleteValueA(key.Get(), "ServiceRunningTasks");
    Click(IDC_STOP);
    EXPECT_EQ(2u, boxes_.Boxes().size());
    EXPECT_EQ("4", ProbeCall(args).at(0));
}

TEST_F(SetupPageTest, UninstallStartAndStopRunOnlyInTheirStateAndShowTheExitCodeAlone) {
    // The real service program, with no service installed: each command fails with 1060.
    StopAndDeleteService(GetServiceName());
    SavedRegistryValue saved(kProductSettingsKey, "ServiceRunningTasks");
    ScopedRegKey key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kProductSettingsKey, 0, KEY_SET_VALUE, key.Receive()) == ERROR_SUCCESS)
        RegDeleteValueA(key.Get(), "ServiceRunningTasks");  // no question before the stop
    const struct {
        int state;
        int button;
        const char* box;  // null: nothing was run
    } cases[] = {
        {2, IDC_START, "Error when running start command. Exit code: 1060"},
        {2, IDC_UNINSTALL, "Error when running uninstall command. Exit code: 1060"},
        {1, IDC_STOP, "Error when running stop command. Exit code: 1060"},
        {1, IDC_START, nullptr},
        {0, IDC_UNINSTALL, nullptr},
    };
    for (const auto& c : cases) {
        state_.Set(c.state);
        const size_t before = boxes_.Boxes().size();
        SendMessageA(page_.m_hWnd, WM_COMMAND, MAKEWPARAM(c.button, BN_CLICKED), 0);
        ASSERT_EQ(c.box ? before + 1 : before, boxes_.Boxes().size()) << c.button;
        if (c.box) {
            EXPECT_EQ(CString(c.box), boxes_.Boxes().back().text);
        }
    }
    SetServiceProgramPathForTesting(scratch_.File("missing\\OrvService.exe"));
    state_.Set(2);
    Click(IDC_START);
    EXPECT_EQ(CString("Problem when starting the service. Unable to localize Orvanti Service executable."),
              boxes_.Boxes().back().text);
}
