// TEST_LOCK: registry
// TEST_SERIAL
#include "OrvServiceManager/CAboutDlg.h"
#include "OrvServiceManager/COrvServiceManagerApp.h"
#include "OrvServiceManager/COrvServiceManagerDlg.h"
#include "OrvServiceManager/OrvServiceManagerRes.h"
#include "support/GuiTestSupport.h"
#include "support/ManagerDriver.h"
#include "support/ManagerTestSupport.h"
#include <gtest/gtest.h>
#include <algorithm>

using namespace testing_support;

namespace {
Watchdog watchdog(100);

std::string g_helpTopic;
HWND WINAPI RecordHelp(HWND, LPCSTR file, UINT command, DWORD_PTR) {
    g_helpTopic = std::string(file) + (command == 0 ? "" : " (not a topic)");
    return nullptr;
}

class MainDialogTest : public ::testing::Test {
protected:
    MainDialogTest() {
        InstallStandInGenerator(scratch_.File("generator"));
        SetSetting("ServiceRunningTasks", nullptr);  // Stop asks no question
    }
    // A value of the product's settings: the text, or none (null).
    static void SetSetting(const char* name, const char* value) {
        ScopedRegKey key;
        RegCreateKeyExA(HKEY_LOCAL_MACHINE, kProductSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.Receive(),
                        nullptr);
        if (value)
            RegSetValueExA(key.Get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                           static_cast<DWORD>(strlen(value) + 1));
        else
            RegDeleteValueA(key.Get(), name);
    }

    ScratchFolder scratch_;
    SavedRegistryValue programPath_{kProductSettingsKey, "ProgramPath"};
    SavedRegistryValue runningTasks_{kProductSettingsKey, "ServiceRunningTasks"};
    ServiceStateScope state_{0};
    ManagerDataScope data_;
    PageHost host_;  // registers the common controls
    MessageBoxRecorder boxes_;
};
}  // namespace

TEST_F(MainDialogTest, TheProductSettingsAreCheckedAtOpeningAndTheHelpLinkUsesThem) {
    const CString generator = scratch_.File("generator");
    const CString helpOnly = scratch_.File("help only");
    CreateDirectoryA(helpOnly, nullptr);
    CreateDirectoryA(helpOnly + "\\Help", nullptr);
    WriteFileBytes(helpOnly + "\\Help\\Help.chm", "help");
    const char* const warning =
        "Orvanti registry settings are incorrect. The service may work not properly.\n\nTry reinstalling Orvanti "
        "application.\n\n\n";
    const struct {
        const char* programPath;  // null: no value
        const char* details;      // null: no warning
        std::string topic;        // empty: "Unable to localize the help file."
    } cases[] = {
        {nullptr, "Details: ProgramPath value doesn't exist.", ""},
        {"   ", "Details: Unable to find Orv executable.", ""},
        {helpOnly, "Details: Unable to find Orv executable.",
         helpOnly.str() + "\\Help\\Help.chm::\\IDD_SERVICE_INTRODUCTION.htm"},
        {generator, nullptr, ""},  // the product without its help file
    };
    SetHtmlHelpForTesting(&RecordHelp);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.programPath ? c.programPath : "no value");
        SetSetting("ProgramPath", c.programPath);
        MessageBoxRecorder boxes;
        COrvServiceManagerDlg dialog;
        ASSERT_TRUE(dialog.Create(IDD_ORVSERVICEMANAGER_DIALOG));
        std::vector<CString> expected;
        if (c.details) expected.push_back(CString(warning) + c.details);
        g_helpTopic.clear();
        dialog.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_SHOW_HELP, STN_CLICKED), 0);
        if (c.topic.empty()) expected.push_back("Unable to localize the help file.");
        EXPECT_EQ(c.topic, g_helpTopic);
        std::vector<CString> shown;
        for (const auto& box : boxes.Boxes()) shown.push_back(box.text);
        EXPECT_EQ(expected, shown);
        dialog.DestroyWindow();
    }
    SetHtmlHelpForTesting(nullptr);
}

TEST_F(MainDialogTest, TheAboutBoxShowsTheVersionAndIgnoresEnter) {
    CAboutDlg about;
    std::string version;
    ModalAnswerer keys("About", [&](HWND box) {
        version = ManagerDriver::TextOf(GetDlgItem(box, IDC_VERSION));
        HWND ok = GetDlgItem(box, IDOK);
        SetFocus(ok);
        PostMessageA(ok, WM_KEYDOWN, VK_RETURN, 0);
        PostMessageA(ok, WM_KEYDOWN, VK_ESCAPE, 0);
        return true;
    });
    EXPECT_EQ(IDCANCEL, about.DoModal());
    EXPECT_EQ("1.5.201", version);
}

namespace {
// Where the focus is: "nowhere", a control of the dialog by its text ("Close", "Show Help..."),
// or the page's title and its control: a button by its text, an edit by its label and text, the
// task list with its number of rows.
std::string FocusName(COrvServiceManagerDlg& dialog) {
    HWND focus = GetFocus();
    if (!focus) return "nowhere";
    std::string name = ManagerDriver::TextOf(focus);
    name.erase(std::remove(name.begin(), name.end(), '&'), name.end());
    if (GetParent(focus) == dialog.m_hWnd) return name;
    for (int i = 0; i < dialog.GetPages().GetPageCount(); ++i) {
        if (GetParent(focus) != dialog.GetPages().GetPage(i)->m_hWnd) continue;
        CString page;
        dialog.GetPages().GetPageTitle(i, page);
        const int id = GetDlgCtrlID(focus);
        if (id == IDC_USER_NAME || id == IDC_PASSWORD) name = (id == IDC_USER_NAME ? "User Name " : "Password ") + name;
        if (id == IDC_TASK_LIST) name = "list of " + std::to_string(ListRows(focus).size());
        return page.str() + ": " + name;
    }
    return "elsewhere";
}

const char kOneTask[] = "[General]\nTasksCount=1\n[Task1]\nType=Watch\nOrvPath=C:\\\\docs\\\\site.orv\n";
}  // namespace

TEST_F(MainDialogTest, TheKeyboardAloneReachesEveryPageAndControlAndTheFocusNeverVanishes) {
    struct Open {  // the dialog, opened with one task while the service is not installed
        COrvServiceManagerDlg& dialog;
        ServiceStateScope& state;
        HWND Item(int page, int id) const { return GetDlgItem(dialog.GetPages().GetPage(page)->m_hWnd, id); }
        void Tick(int page, int serviceState) const {  // the page's timer, the service in that state
            state.Set(serviceState);
            const UINT_PTR timer = page ? CTasksDialog::kTimerId : CServiceSetupDialog::kTimerId;
            dialog.GetPages().GetPage(page)->SendMessage(WM_TIMER, timer);
        }
        void SelectTask() const {
            LVITEMA item = {};
            item.stateMask = item.state = LVIS_SELECTED;
            SendMessageA(Item(1, IDC_TASK_LIST), LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&item));
        }
    };
    AdministratorScope notAdministrator(false);  // Install says why it does nothing
    const auto userAccount = [](const Open& o) { SendMessageA(o.Item(0, IDC_USER_ACCOUNT), BM_CLICK, 0, 0); };
    const auto typeName = [&](const Open& o) {
        userAccount(o);
        SetFocus(o.Item(0, IDC_USER_NAME));
        TypeText("admin");
    };
    const char* const localSystem = "Set-up: LocalSystem account";
    const std::vector<UINT> ctrlShiftTab(3, kCtrl | kShift | VK_TAB);
    const auto shiftTabs = [](size_t count) { return std::vector<UINT>(count, kShift | VK_TAB); };
    const auto selectTask = [](const Open& o) { o.SelectTask(); };
    // The page shows the service in one state; a button pressed then finds the state its command
    // brings (and so runs none).
    const auto shownThen = [](int shown, int after) {
        return [=](const Open& o) {
            o.Tick(0, shown);
            o.state.Set(after);
        };
    };
    const char* const kNoHelp = "Unable to localize the help file.";
    const struct Case {
        const char* what;
        int page;  // chosen as with a click on its tab
        std::function<void(const Open&)> prepare;
        int focus;  // then given to a control of the page (or Close), 0: left where it is
        std::vector<UINT> keys;
        // The focus at the start and after each key (none after a key that closed the program),
        // then the message boxes shown.
        std::vector<std::string> log;
        int stateAtOpening = 0;  // of the service, when the dialog opens
    } cases[] = {
        {"Enter in User Name", 0, typeName, 0, {VK_RETURN}, {"Set-up: User Name ", "Set-up: User Name admin"}},
        {"Escape in User Name", 0, typeName, 0, {VK_ESCAPE}, {"Set-up: User Name ", "Set-up: User Name admin"}},
        {"Enter in the task list", 1, nullptr, IDC_TASK_LIST, {VK_RETURN}, {"Tasks: list of 1", "Tasks: list of 1"}},
        {"Escape in the task list", 1, nullptr, IDC_TASK_LIST, {VK_ESCAPE}, {"Tasks: list of 1", "Tasks: list of 1"}},
        {"Tab runs to Close, over both links and back into the page, at the chosen radio", 0, userAccount,
         IDC_PASSWORD, std::vector<UINT>(5, VK_TAB),
         {"Set-up: Password ", "Set-up: Install", "Close", "Show Help...", "About...", "Set-up: User account"}},
        {"Escape on Close ends the program", 0, userAccount, IDC_PASSWORD, {VK_TAB, VK_TAB, VK_ESCAPE},
         {"Set-up: Password ", "Set-up: Install", "Close"}},
        {"the program opens at the first control that shows the focus", 0, nullptr, 0, {}, {localSystem}},
        {"both arrows move within the account radios", 0, nullptr, IDC_LOCAL_SYSTEM, {VK_DOWN, VK_DOWN, VK_UP, VK_UP},
         {localSystem, "Set-up: User account", localSystem, "Set-up: User account", localSystem}},
        {"Ctrl+Tab turns the pages, and Tasks reads the file as on a click", 0,
         [&](const Open&) { data_.WriteTasks("[General]\nTasksCount=2\n[Task1]\nType=Watch\n[Task2]\nType=Watch\n"); },
         IDC_LOCAL_SYSTEM, std::vector<UINT>(3, kCtrl | VK_TAB),
         {localSystem, "Tasks: list of 2", "Logs: Editor", localSystem}},
        {"Ctrl+Shift+Tab turns them back", 0, nullptr, IDC_LOCAL_SYSTEM, ctrlShiftTab,
         {localSystem, "Logs: Editor", "Tasks: list of 1", localSystem}},
        {"Ctrl+PgDn and Ctrl+PgUp turn them from Close too", 0, nullptr, IDCANCEL, {kCtrl | VK_NEXT, kCtrl | VK_PRIOR},
         {"Close", "Tasks: list of 1", localSystem}},
        {"Tab reaches the read-only log and leaves it both ways", 2, nullptr, 0, {VK_TAB, kShift | VK_TAB, kShift | VK_TAB},
         {"Logs: Editor", "Close", "Logs: Editor", "About..."}},
        {"Shift+Tab from Close walks Set-up backwards, Start included, whatever the page remembers", 0,
         [](const Open& o) {
             o.Tick(0, 2);
             SetFocus(o.Item(0, IDC_UNINSTALL));
             SendMessageA(o.dialog.GetPages(), TCM_SETCURFOCUS, 1, 0);  // away and back: Uninstall remembered
             SendMessageA(o.dialog.GetPages(), TCM_SETCURFOCUS, 0, 0);
         },
         IDCANCEL, shiftTabs(5),
         {"Close", "Set-up: Start", "Set-up: Uninstall", "About...", "Show Help...", "Close"}},
        {"Shift+Tab from Close walks Tasks backwards, every button included", 1, selectTask, IDCANCEL, shiftTabs(7),
         {"Close", "Tasks: Remove", "Tasks: Edit", "Tasks: New", "Tasks: list of 1", "About...", "Show Help...", "Close"}},
        {"Shift+Tab from Close walks Logs backwards", 2, nullptr, IDCANCEL, shiftTabs(4),
         {"Close", "Logs: Editor", "About...", "Show Help...", "Close"}},
        {"Space and Enter on a link do what a click does", 0, nullptr, IDC_SHOW_HELP, {VK_SPACE, VK_RETURN},
         {"Show Help...", "Show Help...", "Show Help...", kNoHelp, kNoHelp}},
        {"F1 asks for the help in a page's control and on Close", 2, nullptr, 0, {VK_F1, VK_TAB, VK_F1},
         {"Logs: Editor", "Logs: Editor", "Close", "Close", kNoHelp, kNoHelp}},
        {"F1 in a window in front of the dialog asks for none", 0, nullptr, IDC_ABOUT, {VK_SPACE, VK_F1, VK_ESCAPE},
         {"About...", "elsewhere", "elsewhere", "About..."}},
        {"a control disabled while its page was hidden gives way to the page's next step", 0,
         [](const Open& o) {
             SetFocus(o.Item(0, IDC_INSTALL));
             SendMessageA(o.dialog.GetPages(), TCM_SETCURFOCUS, 1, 0);
             o.Tick(0, 2);
         },
         0, {kCtrl | kShift | VK_TAB}, {"Tasks: list of 1", "Set-up: Start"}},
        {"a service stopped from outside moves the focus from Stop to Start", 0,
         [](const Open& o) {
             o.Tick(0, 1);
             SetFocus(o.Item(0, IDC_STOP));
             o.Tick(0, 2);
         },
         0, {VK_TAB}, {"Set-up: Start", "Close"}},
        {"the program opens at Start while the service is stopped", 0, nullptr, 0, {}, {"Set-up: Start"}, 2},
        {"Start, disabled by the layout it brings, hands the focus to Stop", 0, shownThen(2, 1), IDC_START,
         {VK_SPACE, VK_TAB}, {"Set-up: Start", "Set-up: Stop", "Close"}},
        {"Install, disabled by the layout it brings, hands the focus to Start", 0,
         [](const Open& o) { o.state.Set(2); }, IDC_INSTALL, {VK_SPACE, VK_TAB},
         {"Set-up: Install", "Set-up: Start", "Close",
          "You have to be logged in as Administrator to be able to install the service."}},
        {"Stop hands the focus to Start", 0, shownThen(1, 2), IDC_STOP, {VK_SPACE, VK_TAB},
         {"Set-up: Stop", "Set-up: Start", "Close"}},
        {"Uninstall hands the focus to Install", 0, shownThen(2, 0), IDC_UNINSTALL, {VK_SPACE, VK_TAB},
         {"Set-up: Uninstall", "Set-up: Install", "Close"}},
        {"Remove leaves no button enabled without a row, and the focus in the page", 1,
         [&](const Open& o) {
             o.SelectTask();
             boxes_.Answer(IDYES);
         },
         IDC_REMOVE_TASK, {VK_SPACE, VK_TAB},
         {"Tasks: Remove", "Tasks: list of 0", "Tasks: New", "Are you sure you want to remove the selected task?"}},
        {"a refresh that disables the focused Edit leaves the focus in the page", 1,
         [](const Open& o) {
             o.SelectTask();
             SetFocus(o.Item(1, IDC_EDIT_TASK));
             o.Tick(1, 1);
         },
         0, {VK_TAB}, {"Tasks: list of 1", "Close"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::string> log;
        RepeatWhileDisturbed([&](bool& disturbed) {
            data_.WriteTasks(kOneTask);
            state_.Set(c.stateAtOpening);
            COrvServiceManagerDlg dialog;
            const Open open{dialog, state_};
            log.clear();
            const size_t boxesBefore = boxes_.Boxes().size();
            auto note = [&](HWND) { log.push_back(FocusName(dialog)); };
            auto start = [&](HWND) {
                if (c.page != 0) SendMessageA(dialog.GetPages(), TCM_SETCURFOCUS, c.page, 0);
                if (c.prepare) c.prepare(open);
                if (c.focus) SetFocus(GetDlgItem(dialog, c.focus) ? GetDlgItem(dialog, c.focus) : open.Item(c.page, c.focus));
                note(nullptr);
            };
            auto end = [&](HWND) {
                for (size_t i = boxesBefore; i < boxes_.Boxes().size(); ++i)
                    log.push_back(boxes_.Boxes()[i].text.str());
                dialog.EndDialog(IDOK);
            };
            ModalAnswerer keys("Orvanti Service Manager", PressKeys(start, c.keys, note, end, disturbed));
            dialog.DoModal();
        });
        EXPECT_EQ(c.log, log);
    }
}

namespace {
BOOL WINAPI VersionUnreadable(LPOSVERSIONINFOA) { return FALSE; }
BOOL WINAPI NotNt(LPOSVERSIONINFOA info) {
    info->dwPlatformId = VER_PLATFORM_WIN32_WINDOWS;
    return TRUE;
}
}  // namespace

TEST_F(MainDialogTest, TheProgramRefusesAnotherSystemAndForgetsItsMainWindowWhenItCloses) {
    const struct {
        VersionQuery query;
        const char* box;  // null: the main dialog opens
    } cases[] = {
        {&VersionUnreadable, "Unable to retrieve system version."},
        {&NotNt, "This program requires at least Windows NT/2000/XP."},
        {nullptr, nullptr},
    };
    for (const auto& c : cases) {
        SetVersionQueryForTesting(c.query);
        COrvServiceManagerApp app;
        MessageBoxRecorder boxes;
        bool mainWindowWasTheDialog = false;
        ModalAnswerer close("Orvanti Service Manager", [&](HWND main) {
            mainWindowWasTheDialog = app.m_pMainWnd && app.m_pMainWnd->m_hWnd == main;
            PostCommand(main, IDCANCEL);
            return true;
        });
        EXPECT_FALSE(app.InitInstance());
        EXPECT_EQ(c.box ? 0 : 1, close.Answered());
        EXPECT_EQ(!c.box, mainWindowWasTheDialog);
        EXPECT_EQ(nullptr, app.m_pMainWnd);
        ASSERT_EQ(c.box ? 1u : 0u, boxes.Boxes().size());
        if (c.box) {
            EXPECT_EQ(CString(c.box), boxes.Boxes()[0].text);
            EXPECT_EQ(CString(AfxGetAppName()), boxes.Boxes()[0].caption);
        }
    }
    SetVersionQueryForTesting(nullptr);
}
