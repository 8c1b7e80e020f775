// TEST_LOCK: registry scm broadcast
// The whole system under Wine's service control manager: the manager's main dialog runs modally
// on this thread while a driver thread works it as an administrator would, and the service
// program it installs from its own folder runs a task with the stand-in generator. Only the
// administrator check goes through its seam (Wine lists no members of "Administrators").
#include "OrvServiceManager/AccountUtils.h"
#include "OrvServiceManager/COrvServiceManagerDlg.h"
#include "OrvServiceManager/OrvServiceManagerRes.h"
#include "OrvServiceManager/ServiceControl.h"
#include "common/AppData.h"
#include "common/IniFile.h"
#include "common/Log.h"
#include "common/ServiceName.h"
#include "controls/texteditor/TextEditorCtrl.h"
#include "support/GuiTestSupport.h"
#include "support/ManagerDriver.h"
#include "support/ManagerTestSupport.h"
#include <gtest/gtest.h>
#include <shlwapi.h>
#include <thread>

using namespace testing_support;

namespace {
Watchdog watchdog(115);

// What went wrong on the driver's way; the driver goes on, every wait being bounded.
class Problems {
public:
    void Check(bool ok, const char* what) {
        if (!ok) list.push_back(what);
    }
    void Soon(const std::function<bool()>& condition, DWORD ms, const char* what) {
        if (!ManagerDriver::WaitUntil(condition, ms)) list.push_back(std::string(what) + "; open:\n" + DescribeOpenWindows());
    }
    std::vector<std::string> list;
};

class ManagerEndToEndTest : public ::testing::Test {
protected:
    void SetUp() override {
        StopAndDeleteService(GetServiceName());
        DeleteFileA(AppData::GetTasksIniPath());
        DeleteFileA(Log::GetCurrentLogFilePath());
        ASSERT_TRUE(InstallStandInGenerator(scratch_.File("generator")));
    }
    void TearDown() override {
        StopAndDeleteService(GetServiceName());
        DeleteFileA(AppData::GetTasksIniPath());
    }
    // Runs the main dialog while the tour drives it from another thread; what the tour found.
    std::vector<std::string> Run(const std::function<void(ManagerDriver&, Problems&)>& tour) {
        Problems problems;
        COrvServiceManagerDlg dialog;
        // The Logs page's text, read by the dialog's own thread: the driver's thread must not
        // touch the view while the page appends to it.
        RecordingWindow onDialogThread;
        std::string logs;
        onDialogThread.onMessage = [&](const RecordingWindow::Message&) {
            CTextEditorCtrl* view =
                dynamic_cast<CTextEditorCtrl*>(CWnd::FromHandlePermanent(FindControl(dialog.m_hWnd, IDC_LOG_EDITOR)));
            CString text;
            if (view) view->GetText(text);
            logs = text.str();
        };
        logsText_ = [&] {
            SendMessageA(onDialogThread.Get(), WM_APP, 0, 0);
            return logs;
        };
        std::thread driver([&] {
            ManagerDriver manager;
            if (manager.Attach(GetCurrentProcessId(), 20000)) tour(manager, problems);
            problems.Check(manager.Main() != nullptr, "the main dialog opened");
            manager.CloseAll();
        });
        dialog.DoModal();
        driver.join();
        logsText_ = nullptr;
        return problems.list;
    }
    std::string LogsText() const { return logsText_(); }

    std::function<std::string()> logsText_;
    ScratchFolder scratch_;
    SavedRegistryValue programPath_{kProductSettingsKey, "ProgramPath"};
    SavedRegistryValue runningTasks_{kProductSettingsKey, "ServiceRunningTasks"};
    AdministratorScope administrator_;
};
}  // namespace

TEST_F(ManagerEndToEndTest, ATaskIsCreatedAndRunByTheServiceTheManagerInstallsStartsStopsAndRemoves) {
    const CString document = scratch_.File("catalogue.orv");
    WriteFileBytes(document, "wait_broadcast=1\r\nrun_ms=60000\r\n");
    std::vector<std::string> problems = Run([&](ManagerDriver& manager, Problems& p) {
        manager.ShowPage(1);
        p.Check(manager.Click(IDC_NEW_TASK), "New is enabled");
        PostCommand(manager.WaitForWindow("New Task", 5000), IDOK);  // a Periodical task
        HWND editor = manager.WaitForWindow("Task Properties", 5000);
        manager.SetText(IDC_DOCUMENT_PATH, document, editor);
        ManagerDriver::Press(editor, IDC_TASK_OK);
        p.Soon([&] { return manager.TaskRows().size() == 1; }, 5000, "the new task is listed");

        manager.ShowPage(0);
        p.Check(manager.Click(IDC_INSTALL), "Install is enabled");
        p.Soon([&] { return manager.IsEnabled(IDC_START); }, 30000, "installed: Start is enabled");
        p.Check(manager.Click(IDC_START), "Start is clicked");
        p.Soon([&] { return manager.IsEnabled(IDC_STOP); }, 30000, "started: Stop is enabled");

        manager.ShowPage(1);
        p.Soon(
            [&] {
                return manager.Text(IDC_TASK_STATUS) ==
                           "<font color=red>You cannot modify tasks while the service is running.</font>" &&
                       !manager.IsEnabled(IDC_NEW_TASK) && !manager.IsEnabled(IDC_EDIT_TASK) &&
                       !manager.IsEnabled(IDC_REMOVE_TASK);
            },
            3000, "running: the red status line and no button enabled");

        // The Logs page follows the log on its own 5000 ms timer, shown or not.
        manager.ShowPage(2);
        p.Soon([] { return ReadFileBytes(Log::GetCurrentLogFilePath()).find("Task1 started.") != std::string::npos; },
               15000, "the service logs the task's start");
        p.Soon([&] { return LogsText().find("Task1 started.") != std::string::npos; }, 5000 + 500,
               "the Logs page shows the task's start within one timer period");
        manager.ShowPage(1);
        // The service notes the run's start in the task file; the page shows it.
        p.Soon(
            [&] {
                const CTime lastRun = ParseIniTime(IniFile(AppData::GetTasksIniPath()).ReadString("Task1", "LastRun", ""));
                const std::vector<std::string> rows = manager.TaskRows();
                return lastRun != CTime() && rows.size() == 1 &&
                       rows[0].find(lastRun.Format("|%b %d, %H:%M|").str()) != std::string::npos;
            },
            15000, "the Last Run the service wrote is shown");

        manager.ShowPage(0);
        p.Soon([] { return GetServiceRunningTasks() == 1; }, 10000, "the service counts its running task");
        p.Check(manager.Click(IDC_STOP), "Stop is clicked");
        HWND question = manager.WaitForWindow("Stopping Service", 5000);
        p.Check(ManagerDriver::TextOf(GetDlgItem(question, 0xFFFF)) ==
                    "The service is running task(s) at the moment.\n\nAre you sure you want to stop?",
                "the stop question");
        // What a failed check of the demonstration prints: the box on top of the disabled dialog.
        std::vector<std::string> screen;
        std::string seen;
        for (HWND window : manager.VisibleWindows()) {
            screen.push_back(ManagerDriver::Describe(window));
            seen += "\n" + screen.back();
        }
        char path[MAX_PATH] = "";
        GetModuleFileNameA(nullptr, path, MAX_PATH);
        const std::string program = PathFindFileNameA(path);
        p.Check(screen == std::vector<std::string>{"\"Stopping Service\" (#32770 of " + program +
                                                       "), says \"The service is running task(s) at the moment.  Are "
                                                       "you sure you want to stop?\"; buttons: Yes, No",
                                                   "\"Orvanti Service Manager\" (#32770 of " + program +
                                                       "), disabled; buttons: Install (off), Uninstall (off), "
                                                       "Start (off), Stop, Close"},
                ("the screen under the stop question, described as:" + seen).c_str());
        PostCommand(question, IDYES);
        p.Soon([&] { return manager.IsEnabled(IDC_START) && manager.IsEnabled(IDC_UNINSTALL); }, 30000,
               "stopped: Start and Uninstall are enabled");
        p.Check(manager.Click(IDC_UNINSTALL), "Uninstall is clicked");
        p.Soon([&] { return manager.IsEnabled(IDC_INSTALL); }, 30000, "uninstalled: Install is enabled");
    });
    EXPECT_EQ(std::vector<std::string>(), problems);
    EXPECT_EQ(0, QueryServiceState());
    EXPECT_NE(std::string::npos, ReadFileBytes(document + ".runs").find("/exitbroadcast"));
}

TEST_F(ManagerEndToEndTest, AUserAccountIsStoredAsTypedWhateverItsPasswordHolds) {
    const CString account = GetCurrentAccountName();
    std::string stored;
    std::vector<std::string> problems = Run([&](ManagerDriver& manager, Problems& p) {
        manager.ShowPage(0);
        CheckRadioButton(GetParent(manager.Control(IDC_USER_ACCOUNT)), IDC_LOCAL_SYSTEM, IDC_USER_ACCOUNT,
                         IDC_USER_ACCOUNT);
        manager.Click(IDC_USER_ACCOUNT);
        p.Soon([&] { return manager.IsEnabled(IDC_PASSWORD); }, 3000, "a user account enables the fields");
        manager.SetText(IDC_USER_NAME, account);
        manager.SetText(IDC_PASSWORD, "say \"hi\" \\");
        p.Check(manager.Click(IDC_INSTALL), "Install is clicked");
        p.Soon([&] { return manager.IsEnabled(IDC_UNINSTALL); }, 30000, "installed");

        {  // closed before the uninstall: an open handle keeps a deleted service in place
            ScopedServiceHandle scm(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
            ScopedServiceHandle service(OpenServiceA(scm.Get(), GetServiceName(), SERVICE_QUERY_CONFIG));
            std::vector<BYTE> config(8192);
            DWORD size = 0;
            if (QueryServiceConfigA(service.Get(), reinterpret_cast<QUERY_SERVICE_CONFIGA*>(config.data()),
                                    static_cast<DWORD>(config.size()), &size))
                stored = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(config.data())->lpServiceStartName;
        }

        p.Check(manager.Click(IDC_UNINSTALL), "Uninstall is clicked");
        p.Soon([&] { return manager.IsEnabled(IDC_INSTALL); }, 30000, "uninstalled");
    });
    EXPECT_EQ(std::vector<std::string>(), problems);
    EXPECT_EQ(account.str(), stored);
}
