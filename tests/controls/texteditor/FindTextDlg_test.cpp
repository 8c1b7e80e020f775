#include "controls/texteditor/FindTextDlg.h"
#include "classlib/CWinApp.h"
#include "controls/texteditor/TextEditorRes.h"
#include "controls/texteditor/TextSearch.h"
#include "tests/support/GuiTestSupport.h"
#include "tests/support/TextViewTestSupport.h"
#include <gtest/gtest.h>
#include <shlwapi.h>

using testing_support::TextViewHost;

namespace {
// The dialog made modeless over a view, driven through its controls.
class FindDialogTest : public ::testing::Test {
protected:
    FindDialogTest() : host("one ab\r\ntwo\r\nab three"), dialog(&host.view) {}
    void Open(const char* text) {
        dialog.m_sText = text;
        ASSERT_TRUE(dialog.Create(IDD_EDIT_FIND, &host.parent));
        dialog.ShowWindow(SW_SHOWNOACTIVATE);
    }
    BOOL FindEnabled() { return dialog.GetDlgItem(IDOK)->IsWindowEnabled(); }
    void Press(int id) { dialog.SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)dialog.GetDlgItem(id)->m_hWnd); }

    testing_support::Watchdog watchdog{60};
    testing_support::MessageBoxRecorder boxes;
    TextViewHost<> host;
    CFindTextDlg dialog;
};
}  // namespace

TEST_F(FindDialogTest, FindNextIsEnabledExactlyWhileThereIsText) {
    Open("");
    EXPECT_FALSE(FindEnabled());
    dialog.SetDlgItemText(IDC_EDIT_TEXT, "a");
    EXPECT_TRUE(FindEnabled());
    dialog.SetDlgItemText(IDC_EDIT_TEXT, "");
    EXPECT_FALSE(FindEnabled());
    dialog.DestroyWindow();
    Open("ab");
    EXPECT_TRUE(FindEnabled());
}

TEST_F(FindDialogTest, FindsRoundTheTextAndReportsWhatIsNotThere) {
    Open("ab");
    dialog.m_ptCurrentPos = CPoint(4, 2);  // past the last match: the search goes round
    Press(IDOK);
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_FALSE(dialog.IsWindowVisible());  // a hit closes the dialog
    CPoint start, end;
    host.view.GetSelection(start, end);
    EXPECT_EQ(CPoint(4, 0), start);
    EXPECT_EQ(CPoint(6, 0), end);

    dialog.ShowWindow(SW_SHOWNOACTIVATE);
    dialog.CheckRadioButton(IDC_EDIT_DIRECTION_UP, IDC_EDIT_DIRECTION_DOWN, IDC_EDIT_DIRECTION_UP);
    dialog.CheckDlgButton(IDC_EDIT_MATCH_CASE, BST_CHECKED);
    dialog.SetDlgItemText(IDC_EDIT_TEXT, "AB");
    dialog.m_ptCurrentPos = CPoint(1, 1);
    Press(IDOK);
    EXPECT_EQ(static_cast<DWORD>(FIND_MATCH_CASE | FIND_DIRECTION_UP), dialog.GetSearchFlags());
    ASSERT_EQ(1u, boxes.Boxes().size());
    EXPECT_EQ(CString("Cannot find string\"AB\""), boxes.Boxes()[0].text);
    EXPECT_EQ(CPoint(0, 0), dialog.m_ptCurrentPos);
    EXPECT_TRUE(dialog.IsWindowVisible());  // a miss leaves it open
}

TEST_F(FindDialogTest, CancelKeepsTheChangedChoices) {
    Open("ab");
    dialog.CheckDlgButton(IDC_EDIT_WHOLE_WORD, BST_CHECKED);
    dialog.SetDlgItemText(IDC_EDIT_TEXT, "three");
    Press(IDCANCEL);
    EXPECT_TRUE(dialog.m_bWholeWord);
    EXPECT_EQ(CString("three"), dialog.m_sText);
    EXPECT_FALSE(host.view.HasSelection());
}

// The view's Find command opens the dialog from the profile, or from its last search, and
// stores the choices in the profile afterwards, whatever the dialog's answer.
TEST(FindCommandTest, ChoicesComeFromTheProfileOrTheLastSearchAndGoBackToTheProfile) {
    testing_support::Watchdog watchdog(60);
    CWinApp app("FindCommandTest");
    app.SetRegistryKey("Orvanti Tests");
    const char* section = "Editor\\Find";
    app.WriteProfileInt(section, "MatchCase", 1);
    app.WriteProfileInt(section, "WholeWord", 0);
    app.WriteProfileString(section, "FindWhat", "three");
    TextViewHost<> host("one ab\r\ntwo\r\nab three");

    struct Seen {
        CString text;
        UINT matchCase = 0, up = 0;
    } seen;
    auto answer = [&](const char* typed, int button) {
        return [&seen, typed, button](HWND dialog) {
            char text[64] = "";
            GetDlgItemTextA(dialog, IDC_EDIT_TEXT, text, sizeof(text));
            seen.text = text;
            seen.matchCase = IsDlgButtonChecked(dialog, IDC_EDIT_MATCH_CASE);
            seen.up = IsDlgButtonChecked(dialog, IDC_EDIT_DIRECTION_UP);
            if (typed) SetDlgItemTextA(dialog, IDC_EDIT_TEXT, typed);
            PostMessageA(dialog, WM_COMMAND, button, 0);
            return true;
        };
    };
    {
        testing_support::ModalAnswerer answerer("Find", answer("ab", IDOK));
        host.Command(ID_EDIT_FIND);
        EXPECT_EQ(1, answerer.Answered());
    }
    EXPECT_EQ(CString("three"), seen.text);
    EXPECT_EQ(static_cast<UINT>(BST_CHECKED), seen.matchCase);
    EXPECT_EQ(CPoint(4, 0), host.SelectionStart());  // found from the cursor
    EXPECT_TRUE(host.view.HasLastSearch());
    EXPECT_EQ(CString("ab"), app.GetProfileString(section, "FindWhat"));
    EXPECT_EQ(1u, app.GetProfileInt(section, "MatchCase", -1));

    // The next opening takes the last search; a selection on one line replaces its text.
    host.view.SetSelection(CPoint(0, 1), CPoint(3, 1));
    {
        testing_support::ModalAnswerer answerer("Find", answer(nullptr, IDCANCEL));
        host.Command(ID_EDIT_FIND);
    }
    EXPECT_EQ(CString("two"), seen.text);
    EXPECT_EQ(static_cast<UINT>(BST_CHECKED), seen.matchCase);
    EXPECT_EQ(CString("two"), app.GetProfileString(section, "FindWhat"));
    EXPECT_EQ(CString("two"), host.view.GetLastSearchText());
    SHDeleteKeyA(HKEY_CURRENT_USER, "Software\\Orvanti Tests\\FindCommandTest");
}
