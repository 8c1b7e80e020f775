#include "classlib/CWinApp.h"
#include "classlib/CWnd.h"
#include "classlib/HandleOwner.h"
#include "support/GuiTestSupport.h"
#include "support/TestSupport.h"
#include <gtest/gtest.h>
#include <shlwapi.h>

using testing_support::MessageBoxRecorder;

TEST(AfxFormatTest, PlaceholdersAreReplacedEverywhere) {
    EXPECT_EQ(CString("Unable to load Task2: bad"), AfxFormatText("Unable to load %1: %2", "Task2", "bad"));
    EXPECT_EQ(CString("b-a-b"), AfxFormatText("%2-%1-%2", "a", "b"));
    EXPECT_EQ(CString("x"), AfxFormatText("%1", "x"));
    EXPECT_EQ(CString(""), AfxFormatText("%1", ""));
    EXPECT_EQ(CString("100%"), AfxFormatText("100%", "x"));
    EXPECT_EQ(CString("%3 %d"), AfxFormatText("%3 %d", "x", "y"));
}

TEST(AfxFormatTest, ReplacementsAreNotScannedAgain) {
    EXPECT_EQ(CString("%2 and two"), AfxFormatText("%1 and %2", "%2", "two"));
    EXPECT_EQ(CString("%1"), AfxFormatText("%1", "%1"));
}

TEST(AfxFormatTest, MissingTextKeepsThePlaceholder) {
    EXPECT_EQ(CString("a %2"), AfxFormatText("%1 %2", "a"));
    EXPECT_EQ(CString(""), AfxFormatText(nullptr, "a"));
}

TEST(AfxFormatTest, UnknownStringResourceGivesAnEmptyText) {
    CString out("old");
    AfxFormatString1(out, 0xFFF0, "x");
    EXPECT_EQ(CString(""), out);
    out = "old";
    AfxFormatString2(out, 0xFFF1, "x", "y");
    EXPECT_EQ(CString(""), out);
}

TEST(CWinAppTest, InitialisationRecordsTheModuleAndTheApplication) {
    EXPECT_NE(nullptr, AfxGetInstanceHandle());
    EXPECT_NE(nullptr, AfxGetResourceHandle());
    {
        CWinApp app("OrvTest");
        EXPECT_EQ(&app, AfxGetApp());
        EXPECT_FALSE(AfxWinInit(nullptr, nullptr, nullptr, SW_HIDE));
        HINSTANCE self = GetModuleHandleA(nullptr);
        ASSERT_TRUE(AfxWinInit(self, nullptr, nullptr, SW_HIDE));
        EXPECT_EQ(self, app.m_hInstance);
        EXPECT_EQ(self, AfxGetInstanceHandle());
        EXPECT_EQ(self, AfxGetResourceHandle());
        EXPECT_STREQ("", app.m_lpCmdLine);
        EXPECT_EQ(SW_HIDE, app.m_nCmdShow);
    }
    EXPECT_EQ(nullptr, AfxGetApp());
}

TEST(CWinAppTest, WithoutANameTheProgramFileNamesTheApplication) {
    CWinApp app;
    ASSERT_TRUE(AfxWinInit(GetModuleHandleA(nullptr), nullptr, nullptr, SW_HIDE));
    EXPECT_STREQ("classlib_CWinApp_test", app.m_pszAppName);
    EXPECT_STREQ("classlib_CWinApp_test", AfxGetAppName());
}

TEST(CWinAppTest, ProfileValuesRoundTripUnderTheApplicationsKey) {
    CString key;
    key.Format("OrvTest%lu", GetCurrentProcessId());
    CWinApp app("Manager");
    EXPECT_FALSE(app.WriteProfileInt("Editor\\Find", "MatchCase", 1));  // no registry key yet
    app.SetRegistryKey(key);
    EXPECT_EQ(7u, app.GetProfileInt("Editor\\Find", "MatchCase", 7));
    EXPECT_EQ(CString("none"), app.GetProfileString("Editor\\Find", "FindWhat", "none"));
    ASSERT_TRUE(app.WriteProfileInt("Editor\\Find", "MatchCase", 1));
    ASSERT_TRUE(app.WriteProfileInt("Editor\\PageSetup", "LeftMargin", -5));
    ASSERT_TRUE(app.WriteProfileString("Editor\\Find", "FindWhat", "Error:"));
    EXPECT_EQ(1u, app.GetProfileInt("Editor\\Find", "MatchCase", 0));
    EXPECT_EQ(-5, static_cast<int>(app.GetProfileInt("Editor\\PageSetup", "LeftMargin", 0)));
    EXPECT_EQ(CString("Error:"), app.GetProfileString("Editor\\Find", "FindWhat"));

    // A section with a backslash is a path of nested keys under Software\<key>\<application>.
    CString path = CString("Software\\") + key + "\\Manager\\Editor\\Find";
    HKEY nested = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &nested));
    DWORD value = 0, size = sizeof(value);
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(nested, "MatchCase", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size));
    EXPECT_EQ(1u, value);
    RegCloseKey(nested);
    SHDeleteKeyA(HKEY_CURRENT_USER, CString("Software\\") + key);
}

TEST(CWinAppTest, MessageBoxesGoThroughTheReplaceableFunction) {
    CWinApp app("Orvanti Test");
    MessageBoxRecorder boxes;
    boxes.Answer(IDNO);
    EXPECT_EQ(IDNO, AfxMessageBox("Are you sure?", MB_YESNO));
    CWnd wnd;
    ASSERT_TRUE(wnd.CreateEx(0, nullptr, "owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    EXPECT_EQ(IDOK, wnd.MessageBox("Unable to set up logs updating.", "Orvanti Service Manager", MB_ICONEXCLAMATION));
    EXPECT_EQ(IDOK, wnd.MessageBox("default caption"));
    ASSERT_EQ(3u, boxes.Boxes().size());
    EXPECT_EQ(CString("Are you sure?"), boxes.Boxes()[0].text);
    EXPECT_EQ(CString("Orvanti Test"), boxes.Boxes()[0].caption);
    EXPECT_EQ(static_cast<UINT>(MB_YESNO), boxes.Boxes()[0].type);
    EXPECT_EQ(wnd.m_hWnd, boxes.Boxes()[1].owner);
    EXPECT_EQ(CString("Orvanti Service Manager"), boxes.Boxes()[1].caption);
    EXPECT_EQ(static_cast<UINT>(MB_ICONEXCLAMATION), boxes.Boxes()[1].type);
    EXPECT_EQ(CString("Orvanti Test"), boxes.Boxes()[2].caption);
    wnd.DestroyWindow();
}

TEST(CWinAppTest, AProgramEndsWhenItsInitInstanceAnswersFalse) {
    // The gallery runs its dialog inside InitInstance, ends it after 200 ms and answers FALSE.
    CString command = CString("\"") + testing_support::BinFolder() + "\\WidgetGallery.exe\" --close-after 200";
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(CreateProcessA(nullptr, command.GetBuffer(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                               &process));
    command.ReleaseBuffer();
    ScopedHandle thread(process.hThread), handle(process.hProcess);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(handle.Get(), 30000));
    DWORD code = 1;
    GetExitCodeProcess(handle.Get(), &code);
    EXPECT_EQ(0u, code);
}
