#include "controls/texteditor/TextEditorCtrl.h"
#include "classlib/CDialog.h"
#include "controls/texteditor/TextBuffer.h"
#include "tests/support/GuiTestSupport.h"
#include "tests/support/TextBufferTestSupport.h"
#include <gtest/gtest.h>
#include <malloc.h>
#include <cstdlib>
#include <cstdint>
#include <new>
#include <string>
#include <vector>

// Freed memory is overwritten in this program with pointers that lead nowhere, each word a
// different one, so that an object used after it was deleted (a view still attached to its
// deleted buffer walking the buffer's list of views) faults at once instead of reading stale data.
void* operator new(size_t size) {
    if (void* block = std::malloc(size ? size : 1)) return block;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    if (!p) return;
    uintptr_t* words = static_cast<uintptr_t*>(p);
    const uintptr_t nowhere = static_cast<uintptr_t>(0xDD) << (sizeof(uintptr_t) * 8 - 8);
    for (size_t i = 0, count = _msize(p) / sizeof(uintptr_t); i < count; ++i) words[i] = nowhere + i * 64;
    std::free(p);
}
void operator delete(void* p, size_t) noexcept { operator delete(p); }

namespace {
struct Report {
    int code;
    std::string word;
    int offset;
    DWORD user;
};
std::vector<Report> g_reports;
void Record(int code, const char* word, int offset, DWORD user) { g_reports.push_back({code, word, offset, user}); }

const UINT kPlaceholder = 1026, kEditor = 104;

// A page with the placeholder the control is created over, as the Logs page does it.
class PlaceholderPage {
public:
    PlaceholderPage() : template_(WS_POPUP | DS_SETFONT, 300, 200, "page") {
        template_.Add("BUTTON", "EditCtrlPlaceholder", kPlaceholder, WS_CHILD | BS_GROUPBOX, 8, 10, 200, 120);
        page.CreateIndirect(template_.Get());
        CWnd* placeholder = page.GetDlgItem(kPlaceholder);
        placeholder->GetWindowRect(&rect);
        page.ScreenToClient(&rect);
        ctrl.SetParserKind(CTextView::ParserLog);
    }
    ~PlaceholderPage() { page.DestroyWindow(); }
    BOOL Create() { return ctrl.Create(nullptr, "Editor", WS_CHILD | WS_VISIBLE, rect, &page, kEditor); }
    void Click(UINT message, CPoint point) { ctrl.SendMessage(message, 0, MAKELPARAM(point.x, point.y)); }
    // Half-way down the line, in the char's cell.
    CPoint At(int column, int line) {
        return CPoint(ctrl.GetMarginWidth() + column * ctrl.GetCharWidth() + 1,
                      line * ctrl.GetLineHeight() + ctrl.GetLineHeight() / 2);
    }

    testing_support::DialogTemplate template_;
    CDialog page;
    CRect rect;
    CTextEditorCtrl ctrl;
};
}  // namespace

TEST(TextEditorCtrlTest, WithoutAWindowItHoldsItsTextAndLetsGoOfItsBuffer) {
    CTextEditorCtrl* ctrl = new CTextEditorCtrl;
    ctrl->SetReadOnly(TRUE);
    ctrl->SetText("one\ntwo");
    CString text("unchanged");
    ctrl->GetText(text);
    EXPECT_EQ(CString("one\ntwo"), text);
    ASSERT_NE(nullptr, ctrl->GetBuffer());
    EXPECT_EQ(CTextBuffer::StyleMac, ctrl->GetBuffer()->GetLineEndStyle());  // a lone LF
    EXPECT_TRUE(ctrl->GetBuffer()->IsReadOnly());
    delete ctrl;  // the attached buffer: detached before it is deleted

    CTextEditorCtrl empty;
    empty.GetText(text);
    EXPECT_EQ(CString("one\ntwo"), text);  // without a buffer the string is left as it was
}

TEST(TextEditorCtrlTest, OverAPlaceholderEachSetTextReplacesTheBuffer) {
    testing_support::Watchdog watchdog(60);
    PlaceholderPage page;
    page.ctrl.SetReadOnly(TRUE);
    ASSERT_TRUE(page.Create());
    CRect window;
    page.ctrl.GetWindowRect(&window);
    page.page.ScreenToClient(&window);
    EXPECT_EQ(page.rect, window);

    page.ctrl.SetText("");
    CTextBuffer* first = page.ctrl.GetBuffer();
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(1, first->GetLineCount());
    EXPECT_EQ(0, first->GetLineLength(0));
    EXPECT_EQ(CTextBuffer::StyleDos, first->GetLineEndStyle());
    EXPECT_TRUE(first->IsReadOnly());

    page.ctrl.AppendText("a\r\nb\r\n");
    page.ctrl.SetText("x\r\ny");
    CString text;
    page.ctrl.GetText(text);
    EXPECT_EQ(CString("x\r\ny"), text);
    EXPECT_FALSE(page.ctrl.GetBuffer()->CanUndo());
    EXPECT_FALSE(page.ctrl.GetBuffer()->IsModified());
    EXPECT_EQ(CPoint(0, 0), page.ctrl.GetCursorPos());

    page.ctrl.SetText("ignored", TRUE);
    CPoint start, end;
    page.ctrl.GetSelection(start, end);
    EXPECT_EQ(CPoint(0, 0), start);
    EXPECT_EQ(CPoint(1, 1), end);
    EXPECT_EQ(end, page.ctrl.GetCursorPos());
    page.ctrl.GetText(text);
    EXPECT_EQ(CString("x\r\ny"), text);
    page.ctrl.DestroyWindow();
    EXPECT_EQ(nullptr, page.ctrl.GetBuffer());  // the window's end detaches the view
}

TEST(TextEditorCtrlTest, MouseReportsCarryTheCodeTheWordAndTheOffset) {
    testing_support::Watchdog watchdog(60);
    PlaceholderPage page;
    ASSERT_TRUE(page.Create());
    page.ctrl.SetMouseCallback(Record, 77);
    g_reports.clear();
    page.Click(WM_LBUTTONDOWN, page.At(0, 0));
    page.Click(WM_LBUTTONUP, page.At(0, 0));
    ASSERT_EQ(2u, g_reports.size());
    EXPECT_EQ(0, g_reports[0].code);
    EXPECT_EQ(-1, g_reports[0].offset);  // no buffer yet
    EXPECT_EQ(3, g_reports[1].code);
    EXPECT_EQ(77u, g_reports[1].user);

    page.ctrl.SetText("ab cd\r\nef");
    g_reports.clear();
    page.Click(WM_LBUTTONDOWN, page.At(4, 0));
    page.Click(WM_LBUTTONUP, page.At(4, 0));
    page.Click(WM_LBUTTONDBLCLK, page.At(4, 0));
    page.Click(WM_LBUTTONUP, page.At(4, 0));
    page.Click(WM_RBUTTONDOWN, page.At(1, 1));
    const int codes[] = {0, 3, 2, 3, 1};
    ASSERT_EQ(5u, g_reports.size());
    for (int i = 0; i < 5; ++i) EXPECT_EQ(codes[i], g_reports[i].code) << i;
    EXPECT_EQ("cd", g_reports[0].word);
    EXPECT_EQ(4, g_reports[0].offset);
    EXPECT_EQ(5, g_reports[2].offset);  // the double click selected the word, the cursor at its end
    EXPECT_EQ("ef", g_reports[4].word);
    EXPECT_EQ(7, g_reports[4].offset);

    page.ctrl.SetMouseCallback(nullptr, 0);
    page.Click(WM_LBUTTONDOWN, page.At(0, 0));
    EXPECT_EQ(5u, g_reports.size());
}

TEST(TextEditorCtrlTest, WordsInBracesAreHotOnlyInLogColouring) {
    testing_support::Watchdog watchdog(60);
    PlaceholderPage page;
    ASSERT_TRUE(page.Create());
    page.ctrl.SetText("x {abc} {} { y");
    const struct {
        int column;
        BOOL hot;
    } cases[] = {{3, TRUE}, {6, TRUE}, {9, TRUE}, {12, FALSE}, {0, FALSE}, {13, FALSE}};
    for (const auto& c : cases) EXPECT_EQ(c.hot, page.ctrl.IsHotWordAt(page.At(c.column, 0))) << c.column;
    page.ctrl.SetParserKind(CTextView::ParserNone);
    EXPECT_FALSE(page.ctrl.IsHotWordAt(page.At(3, 0)));
}
