#include "controls/texteditor/TextEditView.h"
#include "classlib/COleDropTarget.h"
#include "controls/texteditor/TextEditorRes.h"
#include "tests/support/GuiTestSupport.h"
#include "tests/support/TextBufferTestSupport.h"
#include "tests/support/TextViewTestSupport.h"
#include <gtest/gtest.h>
#include <cstring>
#include <memory>

using testing_support::RecordingCmdUI;

namespace {
// An edit view whose clipboard is a string that can be made to fail, and whose own selection
// can be dragged without the system's drag loop (which waits for a real mouse).
class TestEditView : public CTextEditView {
public:
    BOOL ClipboardHasText() override { return !failRead; }
    BOOL PutToClipboard(const char* text) override {
        if (failWrite) return FALSE;
        clipboard = text;
        return TRUE;
    }
    BOOL GetFromClipboard(CString& text) override {
        if (failRead) return FALSE;
        text = clipboard;
        return TRUE;
    }
    // What dragging the selection to the point does: the drop there, then the effect the drag
    // ended with, all in one undo group as the mouse handler runs it.
    BOOL DragSelectionTo(CPoint point, DWORD effect) {
        HGLOBAL data = PrepareDragData();
        CString text(static_cast<const char*>(GlobalLock(data)));
        GlobalUnlock(data);
        GlobalFree(data);
        m_pTextBuffer->BeginUndoGroup(FALSE);
        m_bDraggingText = TRUE;
        const BOOL dropped = DropText(text, point);
        if (dropped) OnDragFinished(effect);
        m_bDraggingText = FALSE;
        m_pTextBuffer->FlushUndoGroup(this);
        return dropped;
    }
    COleDropTarget* DropTarget() { return reinterpret_cast<COleDropTarget*>(m_pDropTarget); }

    CString clipboard;
    bool failRead = false, failWrite = false;
};

class EditViewTest : public ::testing::Test {
protected:
    void Open(const char* text, int columns = 40) {
        host.reset();
        host.reset(new testing_support::TextViewHost<TestEditView>(text, 10, columns));
    }
    TestEditView& View() { return host->view; }
    std::string Text() { return testing_support::Text(host->buffer); }
    void Type(const char* chars) {
        for (; *chars; ++chars) View().SendMessage(WM_CHAR, static_cast<BYTE>(*chars), 0);
    }
    void Select(CPoint start, CPoint end) {
        View().SetAnchor(start);
        View().SetSelection(start, end);
        View().SetCursorPos(end);
    }
    void Command(UINT id) { host->Command(id); }

    testing_support::Watchdog watchdog{60};
    std::unique_ptr<testing_support::TextViewHost<TestEditView>> host;
};
}  // namespace

TEST_F(EditViewTest, ABlankStartsANewTypingGroupAndOverwriteReplacesWithinTheLine) {
    Open("");
    Type("ab cd");
    EXPECT_EQ("ab cd", Text());
    Command(ID_EDIT_UNDO);
    EXPECT_EQ("ab", Text());
    Command(ID_EDIT_UNDO);
    EXPECT_EQ("", Text());
    Command(ID_EDIT_REDO);
    EXPECT_EQ("ab", Text());

    Open("xyz");
    Command(ID_EDIT_SWITCH_OVRMODE);
    Type("abcd");
    EXPECT_EQ("abcd", Text());
    EXPECT_EQ(CPoint(4, 0), View().GetCursorPos());
}

TEST_F(EditViewTest, EnterIndentsLikeTheLineAboveOnlyInAnEditableView) {
    Open("  \tx");
    host->PlaceCursor(CPoint(4, 0));
    Type("\r");
    EXPECT_EQ("  \tx\r\n  \t", Text());
    EXPECT_EQ(CPoint(3, 1), View().GetCursorPos());
    Command(ID_EDIT_UNDO);  // the indent first, on its own
    EXPECT_EQ("  \tx\r\n", Text());
    Command(ID_EDIT_UNDO);
    EXPECT_EQ("  \tx", Text());

    // The buffer calls the same hook for an appended line break.
    View().SetReadOnly(TRUE);
    View().AppendText("\r\n");
    EXPECT_EQ("  \tx\r\n", Text());
}

TEST_F(EditViewTest, DeleteAndBackspaceRemoveOnePositionAlsoAtWrapBreaks) {
    struct Case {
        const char* text;
        BOOL wrap;
        CPoint cursor;
        UINT command;
        const char* expected;
        int offsetAfter;  // the cursor's char offset: wrapping may move its line
    } cases[] = {
        {"ab\r\ncd", FALSE, {2, 0}, ID_EDIT_DELETE, "abcd", 2},
        {"ab\r\ncd", FALSE, {2, 1}, ID_EDIT_DELETE, "ab\r\ncd", 5},
        {"ab\r\ncd", FALSE, {0, 1}, ID_EDIT_DELETE_BACK, "abcd", 2},
        {"ab\r\ncd", FALSE, {0, 0}, ID_EDIT_DELETE_BACK, "ab\r\ncd", 0},
        // Wrapped at five columns: "abcde" and its continuation "fghij".
        {"abcdefghij", TRUE, {5, 0}, ID_EDIT_DELETE, "abcdeghij", 5},
        {"abcdefghij", TRUE, {0, 1}, ID_EDIT_DELETE_BACK, "abcdfghij", 4},
        {"abcdefghij", TRUE, {1, 1}, ID_EDIT_DELETE_BACK, "abcdeghij", 5},
    };
    for (const Case& c : cases) {
        Open(c.text, 5);
        View().SetWordWrap(c.wrap);
        ASSERT_EQ(2, host->buffer.GetLineCount()) << c.text;
        host->PlaceCursor(c.cursor);
        Command(c.command);
        EXPECT_EQ(c.expected, Text()) << c.text << " at " << c.cursor.x << "," << c.cursor.y;
        EXPECT_EQ(c.offsetAfter, host->buffer.TextPosToOffset(View().GetCursorPos())) << c.text;
    }
}

TEST_F(EditViewTest, TabAndShiftTabIndentTheSelectedLinesOrMoveTheCursor) {
    Open("l0\r\nl1\r\nl2\r\nl3\r\nl4\r\nl5\r\nl6");
    Select(CPoint(2, 3), CPoint(0, 6));  // line 6 is not in it
    Command(ID_EDIT_TAB);
    EXPECT_EQ("l0\r\nl1\r\nl2\r\n\tl3\r\n\tl4\r\n\tl5\r\nl6", Text());
    EXPECT_EQ(CPoint(0, 3), host->SelectionStart());
    EXPECT_EQ(CPoint(0, 6), host->SelectionEnd());
    Command(ID_EDIT_UNDO);  // one step for all lines
    EXPECT_EQ("l0\r\nl1\r\nl2\r\nl3\r\nl4\r\nl5\r\nl6", Text());

    Open("      a\r\n  \tb\r\n\tc");
    Select(CPoint(0, 0), CPoint(1, 2));
    Command(ID_EDIT_UNTAB);
    EXPECT_EQ("  a\r\nb\r\nc", Text());
    EXPECT_EQ(CPoint(1, 2), host->SelectionEnd());  // the end of the text's last line

    // Without a selection over lines the text changes only for a plain Tab.
    Open("ab\tcdefgh");
    host->PlaceCursor(CPoint(4, 0));  // column 5
    Command(ID_EDIT_UNTAB);
    EXPECT_EQ(CPoint(3, 0), View().GetCursorPos());  // column 4
    Command(ID_EDIT_UNTAB);
    EXPECT_EQ(CPoint(0, 0), View().GetCursorPos());
    Command(ID_EDIT_SWITCH_OVRMODE);
    Command(ID_EDIT_TAB);
    EXPECT_EQ(CPoint(3, 0), View().GetCursorPos());  // past the tab char
    Command(ID_EDIT_SWITCH_OVRMODE);
    Command(ID_EDIT_TAB);
    EXPECT_EQ("ab\t\tcdefgh", Text());
}

TEST_F(EditViewTest, PasteReadsBeforeItDeletesAndCutDeletesOnlyWhatReachedTheClipboard) {
    Open("abc");
    Select(CPoint(0, 0), CPoint(1, 0));
    View().clipboard = "X";
    View().failRead = true;
    Command(ID_EDIT_PASTE);
    EXPECT_EQ("abc", Text());
    EXPECT_TRUE(View().HasSelection());
    View().failRead = false;
    Command(ID_EDIT_PASTE);
    EXPECT_EQ("Xbc", Text());

    Select(CPoint(1, 0), CPoint(3, 0));
    View().failWrite = true;
    Command(ID_EDIT_CUT);
    EXPECT_EQ("Xbc", Text());
    View().failWrite = false;
    Command(ID_EDIT_CUT);
    EXPECT_EQ("X", Text());
    EXPECT_EQ(CString("bc"), View().clipboard);
    EXPECT_EQ(CPoint(1, 0), View().GetCursorPos());
}

TEST_F(EditViewTest, AReadOnlyViewIgnoresEveryEditButCopiesAndOffersOnlyCopyWhenDragged) {
    Open("ab\r\ncd");
    Type("x");  // something to undo
    View().SetReadOnly(TRUE);
    View().clipboard = "pasted";
    Select(CPoint(1, 0), CPoint(1, 1));
    const UINT commands[] = {ID_EDIT_DELETE, ID_EDIT_DELETE_BACK, ID_EDIT_TAB,  ID_EDIT_UNTAB,  ID_EDIT_PASTE,
                             ID_EDIT_CUT,    ID_EDIT_UNDO,        ID_EDIT_REDO, ID_EDIT_REPLACE};
    for (UINT id : commands) {
        Command(id);
        EXPECT_EQ("xab\r\ncd", Text()) << id;
    }
    Type("y\r");
    EXPECT_FALSE(View().DropText("z", host->PointAt(0, 0)));
    EXPECT_FALSE(View().ReplaceSelection("z"));
    EXPECT_FALSE(View().DeleteCurrentSelection());
    EXPECT_EQ(static_cast<DWORD>(DROPEFFECT_COPY), View().GetDragEffects());
    View().DragSelectionTo(host->PointAt(0, 0), DROPEFFECT_MOVE);
    EXPECT_EQ("xab\r\ncd", Text());
    Command(ID_EDIT_COPY);
    EXPECT_EQ(CString("ab\r\nc"), View().clipboard);
}

TEST_F(EditViewTest, UndoAndRedoMenuTextsNameTheAction) {
    Open("");
    auto update = [&](UINT id) {
        RecordingCmdUI ui(id);
        ui.m_hMenu = reinterpret_cast<HMENU>(1);  // a menu item: the text is set too
        ui.DoUpdate(&View(), FALSE);
        return std::make_pair(ui.enabled, std::string(ui.text.GetString()));
    };
    EXPECT_EQ(std::make_pair(FALSE, std::string("&Undo\tCtrl+Z")), update(ID_EDIT_UNDO));
    Type("a");
    EXPECT_EQ(std::make_pair(TRUE, std::string("&Undo Typing\tCtrl+Z")), update(ID_EDIT_UNDO));
    EXPECT_EQ(std::make_pair(FALSE, std::string("&Redo\tCtrl+Y")), update(ID_EDIT_REDO));
    Command(ID_EDIT_UNDO);
    EXPECT_EQ(std::make_pair(TRUE, std::string("&Redo Typing\tCtrl+Y")), update(ID_EDIT_REDO));
}

TEST_F(EditViewTest, DraggingTheSelectionMovesOrCopiesItButNotOntoItself) {
    struct Case {
        double column;
        DWORD effect;
        const char* expected;
    } cases[] = {
        {1, DROPEFFECT_MOVE, "one two"},  // inside the selection: refused
        {7, DROPEFFECT_MOVE, " twoone"},
        {7, DROPEFFECT_COPY, "one twoone"},
    };
    for (const Case& c : cases) {
        Open("one two");
        Select(CPoint(0, 0), CPoint(3, 0));
        EXPECT_EQ(c.column > 3, !!View().DragSelectionTo(host->PointAt(c.column, 0), c.effect));
        EXPECT_EQ(c.expected, Text());
        Command(ID_EDIT_UNDO);  // a drag undoes in one step
        EXPECT_EQ("one two", Text());
    }
}

TEST_F(EditViewTest, TheDropTargetTakesTextWhereItIsDroppedWhileTheViewIsEditable) {
    Open("ab\r\ncd");
    EXPECT_EQ(nullptr, View().DropTarget());  // without OLE the view simply takes no drops
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    Open("ab\r\ncd");
    ASSERT_NE(nullptr, View().DropTarget());
    COleDataSource source;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, 3);
    std::memcpy(GlobalLock(memory), "XY", 3);
    GlobalUnlock(memory);
    source.CacheGlobalData(CF_TEXT, memory);
    IDataObject* data = source.GetDataObject();
    IDropTarget* target = View().DropTarget()->GetInterface();
    CPoint client = host->PointAt(1, 1);
    View().ClientToScreen(&client);
    const POINTL at = {client.x, client.y};
    auto effect = [&](DWORD keys, DWORD allowed) {
        target->DragEnter(data, keys, at, &allowed);
        return allowed;
    };
    EXPECT_EQ(static_cast<DWORD>(DROPEFFECT_MOVE), effect(0, DROPEFFECT_COPY | DROPEFFECT_MOVE));
    EXPECT_EQ(static_cast<DWORD>(DROPEFFECT_COPY), effect(MK_CONTROL, DROPEFFECT_COPY | DROPEFFECT_MOVE));
    EXPECT_EQ(static_cast<DWORD>(DROPEFFECT_COPY), effect(0, DROPEFFECT_COPY));  // a copy-only source
    DWORD dropped = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    target->DragOver(0, at, &dropped);
    target->Drop(data, 0, at, &dropped);
    EXPECT_EQ(static_cast<DWORD>(DROPEFFECT_MOVE), dropped);
    EXPECT_EQ("ab\r\ncXYd", Text());
    EXPECT_EQ(CPoint(1, 1), host->SelectionStart());
    EXPECT_EQ(CPoint(3, 1), host->SelectionEnd());

    View().SetReadOnly(TRUE);
    dropped = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    effect(0, dropped);
    target->DragOver(0, at, &dropped);
    EXPECT_EQ(static_cast<DWORD>(DROPEFFECT_NONE), dropped);
    dropped = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    target->Drop(data, 0, at, &dropped);
    EXPECT_EQ(static_cast<DWORD>(DROPEFFECT_NONE), dropped);
    EXPECT_EQ("ab\r\ncXYd", Text());
    target->Release();
    data->Release();
    host.reset();
    OleUninitialize();
}
