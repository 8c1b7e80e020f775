// TEST_LOCK: registry
#include "OrvServiceManager/CAboutDlg.h"
#include "OrvServiceManager/COrvServiceManagerApp.h"
#include "OrvServiceManager/COrvServiceManagerDlg.h"
#include "OrvServiceManager/OrvServiceManagerRes.h"
#include "support/GuiTestSupport.h"
#include "support/ManagerDriver.h"
#include "support/ManagerTestSupport.h"
#include <gtest/gtest.h>

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
    MainDialogTest() { InstallStandInGenerator(scratch_.File("generator")); }
    void SetProgramPath(const char* value) {
        ScopedRegKey key;
        RegCreateKeyExA(HKEY_LOCAL_MACHINE, kProductSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.Receive(),
                        nullptr);
        if (value)
            RegSetValueExA(key.Get(), "ProgramPath", 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                           static_cast<DWORD>(strlen(value) + 1));
        else
            RegDeleteValueA(key.Get(), "ProgramPath");
    }

    ScratchFolder scratch_;
    SavedRegistryValue programPath_{kProductSettingsKey, "ProgramPath"};
    ServiceStateScope state_{0};
    ManagerDataScope data_;
    PageHost host_;  // registers the common controls
    MessageBoxRecorder boxes_;
};
}  // namespace

TEST_F(MainDialogTest, TheProductSettingsAreCheckedAtOpeningAndTheHelpLinkUsesThem) {
    const CString generator = scratch_.File("generator");
    const CString empty = scratch_.File("empty");
    CreateDirectoryA(empty, nullptr);
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
        {empty, "Details: Unable to find Orv executable.", empty.str() + "\\Help\\Help.chm::\\IDD_SERVICE_INTRODUCTION.htm"},
        {generator, nullptr, generator.str() + "\\Help\\Help.chm::\\IDD_SERVICE_INTRODUCTION.htm"},
    };
    SetHtmlHelpForTesting(&RecordHelp);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.programPath ? c.programPath : "no value");
        SetProgramPath(c.programPath);
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

TEST_F(MainDialogTest, EnterAndEscapeInAPageLeaveTheProgramOpenWhileTabStillReachesClose) {
    const INT_PTR kStillOpen = 77;
    const struct Case {
        const char* what;
        int page;      // 0 Set-up, 1 Tasks
        int focus;     // a control of the page
        const char* typed;
        std::vector<UINT> keys;
        INT_PTR result;
        std::vector<std::string> log;  // where the focus is after each key, then the name typed
    } cases[] = {
        {"Enter in User Name", 0, IDC_USER_NAME, "admin", {VK_RETURN}, kStillOpen, {"at User Name", "admin"}},
        {"Escape in User Name", 0, IDC_USER_NAME, "admin", {VK_ESCAPE}, kStillOpen, {"at User Name", "admin"}},
        {"Enter in the task list", 1, IDC_TASK_LIST, nullptr, {VK_RETURN}, kStillOpen, {"at task list"}},
        {"Escape in the task list", 1, IDC_TASK_LIST, nullptr, {VK_ESCAPE}, kStillOpen, {"at task list"}},
        {"Tab runs from the page to Close and back into the page", 0, IDC_PASSWORD, nullptr, {VK_TAB, VK_TAB, VK_TAB},
         kStillOpen, {"at Install", "at Close", "in Set-up"}},
        {"Escape on Close ends the program", 0, IDC_PASSWORD, nullptr, {VK_TAB, VK_TAB, VK_ESCAPE}, IDCANCEL,
         {"at Install", "at Close"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        INT_PTR result = 0;
        std::vector<std::string> log;
        RepeatWhileDisturbed([&](bool& disturbed) {
            COrvServiceManagerDlg dialog;
            log.clear();
            auto page = [&](int index) { return dialog.GetPages().GetPage(index)->m_hWnd; };
            auto focusName = [&]() -> std::string {
                HWND focus = GetFocus();
                const int id = GetDlgCtrlID(focus);
                if (focus == GetDlgItem(dialog, IDCANCEL)) return "at Close";
                if (GetParent(focus) == page(1) && id == IDC_TASK_LIST) return "at task list";
                if (GetParent(focus) != page(0)) return "elsewhere";
                return id == IDC_USER_NAME ? "at User Name" : id == IDC_INSTALL ? "at Install" : "in Set-up";
            };
            auto start = [&](HWND) {
                SendMessageA(dialog.GetPages(), TCM_SETCURFOCUS, c.page, 0);  // as a click on the tab
                SendMessageA(GetDlgItem(page(0), IDC_USER_ACCOUNT), BM_CLICK, 0, 0);
                SetFocus(GetDlgItem(page(c.page), c.focus));
                if (c.typed) TypeText(c.typed);
            };
            auto end = [&](HWND) {
                if (c.typed) log.push_back(ManagerDriver::TextOf(GetDlgItem(page(0), IDC_USER_NAME)));
                dialog.EndDialog(static_cast<int>(kStillOpen));
            };
            ModalAnswerer keys("Orvanti Service Manager",
                               PressKeys(start, c.keys, [&](HWND) { log.push_back(focusName()); }, end, disturbed));
            result = dialog.DoModal();
        });
        EXPECT_EQ(c.result, result);
        EXPECT_EQ(c.log, log);
        EXPECT_TRUE(boxes_.Boxes().empty());
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
