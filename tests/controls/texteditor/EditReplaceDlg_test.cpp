#include "controls/texteditor/EditReplaceDlg.h"
#include "classlib/CWinApp.h"
#include "controls/texteditor/TextEditView.h"
#include "controls/texteditor/TextEditorRes.h"
#include "tests/support/GuiTestSupport.h"
#include "tests/support/TextBufferTestSupport.h"
#include "tests/support/TextViewTestSupport.h"
#include <gtest/gtest.h>
#include <memory>
#include <shlwapi.h>

namespace {
typedef testing_support::TextViewHost<CTextEditView> Host;

// The dialog made modeless over an edit view, filled as the Replace command fills it, and
// driven through its buttons.
class ReplaceDialogTest : public ::testing::Test {
protected:
    // A selection from `start` to `end` replaces within it; without one, in the whole text.
    void Open(const char* text, const char* find, const char* with, CPoint start = {0, 0}, CPoint end = {0, 0}) {
        dialog.reset();
        host.reset(new Host(text));
        dialog.reset(new CEditReplaceDlg(&host->view));
        const bool block = start != end;
        host->view.SetSelection(start, end);
        host->view.SetCursorPos(end);
        dialog->m_bEnableScopeSelection = block;
        dialog->m_nScope = block ? 0 : 1;
        dialog->m_ptCurrentPos = dialog->m_ptStartPos = dialog->m_ptBlockBegin = start;
        dialog->m_ptBlockEnd = end;
        dialog->m_bFound = TRUE;  // what an opener that starts "found" would leave
        dialog->m_sText = find;
        dialog->m_sNewText = with;
        ASSERT_TRUE(dialog->Create(IDD_EDIT_REPLACE, &host->parent));
        dialog->ShowWindow(SW_SHOWNOACTIVATE);
    }
    void Press(int id) {
        dialog->SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)dialog->GetDlgItem(id)->m_hWnd);
    }
    std::string Text() { return testing_support::Text(host->buffer); }

    testing_support::Watchdog watchdog{60};
    testing_support::MessageBoxRecorder boxes;
    std::unique_ptr<Host> host;
    std::unique_ptr<CEditReplaceDlg> dialog;
};
}  // namespace

TEST_F(ReplaceDialogTest, ReplaceAllEndsAfterTheLastMatchWhateverTheReplacementHolds) {
    struct Case {
        const char* text;
        const char* find;
        const char* with;
        CPoint start, end;  // the block, or none
        const char* expected;
    } cases[] = {
        {"a b a", "a", "aa", {0, 0}, {0, 0}, "aa b aa"},
        {"a b a", "a", "\r\na", {0, 0}, {0, 0}, "\r\na b \r\na"},
        // In a block the end follows each replacement, so the second match stays inside it.
        {"a a a", "a", "bbb", {0, 0}, {3, 0}, "bbb bbb a"},
        {"a a a", "a", "\r\nb", {0, 0}, {3, 0}, "\r\nb \r\nb a"},
        {"xa\r\na a", "a", "", {1, 0}, {1, 1}, "x\r\n a"},
    };
    for (const Case& c : cases) {
        Open(c.text, c.find, c.with, c.start, c.end);
        const size_t before = boxes.Boxes().size();
        Press(IDC_EDIT_REPLACE_ALL);
        EXPECT_EQ(c.expected, Text()) << c.text << " / " << c.with;
        ASSERT_EQ(before + 1, boxes.Boxes().size()) << c.text;  // the search past the last match
        EXPECT_EQ(CString("Cannot find string\"a\""), boxes.Boxes().back().text);
        EXPECT_FALSE(dialog->m_bFound);
        EXPECT_EQ(c.start, dialog->m_ptStartPos);
    }
}

TEST_F(ReplaceDialogTest, TheFirstReplaceOnlyFindsAndAnEmptyTextDoesNothing) {
    Open("a b c", "b", "X", CPoint(0, 0), CPoint(3, 0));
    Press(IDC_EDIT_REPLACE);
    EXPECT_EQ("a b c", Text());  // the user's selection "a b" is left alone
    EXPECT_EQ(CPoint(2, 0), host->SelectionStart());
    EXPECT_EQ(CPoint(3, 0), host->SelectionEnd());
    Press(IDC_EDIT_REPLACE);
    EXPECT_EQ("a X c", Text());
    EXPECT_EQ(1u, boxes.Boxes().size());  // no further match in the block

    Open("a b", "", "X");
    EXPECT_FALSE(dialog->GetDlgItem(IDC_EDIT_FIND_NEXT)->IsWindowEnabled());
    EXPECT_FALSE(dialog->GetDlgItem(IDC_EDIT_SCOPE_SELECTION)->IsWindowEnabled());
    Press(IDC_EDIT_REPLACE);
    Press(IDC_EDIT_REPLACE_ALL);
    Press(IDC_EDIT_FIND_NEXT);
    EXPECT_EQ("a b", Text());
    EXPECT_EQ(1u, boxes.Boxes().size());
}

TEST_F(ReplaceDialogTest, CancelKeepsTheChangedChoices) {
    Open("a b", "a", "b");
    dialog->CheckDlgButton(IDC_EDIT_MATCH_CASE, BST_CHECKED);
    dialog->SetDlgItemText(IDC_EDIT_REPLACE_WITH, "c");
    Press(IDCANCEL);
    EXPECT_TRUE(dialog->m_bMatchCase);
    EXPECT_EQ(CString("c"), dialog->m_sNewText);
    EXPECT_EQ("a b", Text());
}

// The view's Replace command fills the dialog from the profile, works in the selection, and gives
// the selection back, moved with the edits, and the choices to the profile.
TEST(ReplaceCommandTest, WorksInTheSelectionAndStoresTheChoices) {
    testing_support::Watchdog watchdog(60);
    testing_support::MessageBoxRecorder boxes;
    CWinApp app("ReplaceCommandTest");
    app.SetRegistryKey("Orvanti Tests");
    const char* section = "Editor\\Replace";
    app.WriteProfileString(section, "FindWhat", "a");
    app.WriteProfileString(section, "ReplaceWith", "xyz");
    Host host("a a \r\na");
    host.view.SetSelection(CPoint(0, 0), CPoint(4, 0));
    UINT scope = 0;
    {
        testing_support::ModalAnswerer answerer("Replace", [&](HWND dialog) {
            scope = IsDlgButtonChecked(dialog, IDC_EDIT_SCOPE_SELECTION);
            CheckDlgButton(dialog, IDC_EDIT_WHOLE_WORD, BST_CHECKED);
            PostMessageA(dialog, WM_COMMAND, IDC_EDIT_REPLACE_ALL, 0);
            PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
            return true;
        });
        host.Command(ID_EDIT_REPLACE);
        EXPECT_EQ(1, answerer.Answered());
    }
    EXPECT_EQ(static_cast<UINT>(BST_CHECKED), scope);
    EXPECT_EQ("xyz xyz \r\na", testing_support::Text(host.buffer));
    EXPECT_EQ(CPoint(0, 0), host.SelectionStart());
    EXPECT_EQ(CPoint(8, 0), host.SelectionEnd());
    EXPECT_EQ(1u, app.GetProfileInt(section, "WholeWord", -1));
    EXPECT_EQ(CString("xyz"), app.GetProfileString(section, "ReplaceWith"));
    SHDeleteKeyA(HKEY_CURRENT_USER, "Software\\Orvanti Tests\\ReplaceCommandTest");
}
