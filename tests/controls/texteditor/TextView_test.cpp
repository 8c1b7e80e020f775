#include "classlib/CDialog.h"
#include "classlib/CWinApp.h"
#include "controls/texteditor/TextView.h"
#include "controls/texteditor/TextEditorRes.h"
#include "controls/texteditor/TextSearch.h"
#include "tests/support/DibCanvas.h"
#include "tests/support/GuiTestSupport.h"
#include "tests/support/TextViewTestSupport.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

using testing_support::RecordingCmdUI;

namespace {
// Opens the view's caches and search state to the tests, and counts the lines it parses.
class ProbeView : public CTextView {
public:
    int ParseLine(int state, int line, CTextBlockList* blocks) override {
        ++parsed[line];
        return CTextView::ParseLine(state, line, blocks);
    }
    int CachedState(int line) const { return line < (int)m_parseStates.size() ? m_parseStates[line] : -1; }
    int CachedColumns(int line) const { return line < (int)m_lineColumns.size() ? m_lineColumns[line] : -1; }
    void SetLastSearch(const char* text, DWORD flags) {
        m_bLastSearch = TRUE;
        m_lastFindWhat = text;
        m_dwLastSearchFlags = flags;
    }
    int GetLineColumns(int line) override {
        ++measured[line];
        return CTextView::GetLineColumns(line);
    }
    std::map<int, int> parsed, measured;
};
typedef testing_support::TextViewHost<ProbeView> Host;

std::string Lines(int count, const char* format = "line %d") {
    std::string text;
    char line[64];
    for (int i = 0; i < count; ++i) {
        wsprintfA(line, format, i);
        text += line;
        if (i + 1 < count) text += "\r\n";
    }
    return text;
}

const COLORREF kBlack = RGB(0, 0, 0), kWhite = RGB(255, 255, 255);

// One row of the view drawn on a canvas, and the pixels of each char cell.
struct Row {
    Row(CTextView& view, int line, int columns = 40)
        : view(view), width(view.GetMarginWidth() + columns * view.GetCharWidth()), height(view.GetLineHeight()),
          canvas(width, height) {
        CDC dc;
        dc.Attach(canvas.Dc());
        view.DrawMargin(&dc, CRect(0, 0, view.GetMarginWidth(), height), line);
        view.DrawLine(&dc, CRect(view.GetMarginWidth(), 0, width, height), line);
    }
    // The pixels of the colour in the margin (columns -1) or in the cells of the columns.
    int Count(int first, int count, COLORREF colour) const {
        const int left = first < 0 ? 0 : view.GetMarginWidth() + first * view.GetCharWidth();
        const int right = first < 0 ? view.GetMarginWidth() : left + count * view.GetCharWidth();
        int n = 0;
        for (int y = 0; y < height; ++y)
            for (int x = left; x < right; ++x) n += canvas.Pixel(x, y) == colour;
        return n;
    }
    int Area(int count) const { return count * view.GetCharWidth() * height; }
    int MarginArea() const { return view.GetMarginWidth() * height; }
    CTextView& view;
    int width, height;
    testing_support::DibCanvas canvas;
};
}  // namespace

TEST(TextViewTest, RowsDrawTabsSelectionsMarginsAndLineColours) {
    Host host("\tX\r\nabcd\r\nWarning: disk {C:} full\r\nflagged\r\nlast");
    CTextView& view = host.view;
    view.SetParserKind(CTextView::ParserLog);
    const COLORREF window = GetSysColor(COLOR_WINDOW);
    // A tab at column 0 takes four columns: the X is drawn in the fifth.
    {
        Row row(view, 0);
        EXPECT_EQ(0, row.Count(0, 4, GetSysColor(COLOR_WINDOWTEXT)));
        EXPECT_GT(row.Count(4, 1, GetSysColor(COLOR_WINDOWTEXT)), 0);
    }
    // Selected chars are white on black, only while the view has the focus (or shows its
    // selection inactive); a selected line end shows as one black cell.
    view.SetSelection(CPoint(1, 1), CPoint(0, 2));
    {
        Row unfocused(view, 1);
        EXPECT_LT(unfocused.Count(1, 3, kBlack), unfocused.Area(3) / 2);
    }
    view.SendMessage(WM_SETFOCUS);
    {
        Row row(view, 1);
        EXPECT_GT(row.Count(0, 1, window), row.Area(1) / 2);
        EXPECT_GT(row.Count(1, 3, kBlack), row.Area(3) / 2);
        EXPECT_GT(row.Count(1, 3, kWhite), 0);
        EXPECT_EQ(row.Area(1), row.Count(4, 1, kBlack));
        EXPECT_EQ(row.Area(1), row.Count(5, 1, window));
    }
    view.SendMessage(WM_KILLFOCUS);
    // "Warning: disk {" and "} full" orange, "C:" blue.
    {
        Row row(view, 2);
        const COLORREF orange = view.GetColor(20), blue = view.GetColor(21);
        EXPECT_GT(row.Count(0, 15, orange), 0);
        EXPECT_EQ(0, row.Count(0, 15, blue));
        EXPECT_GT(row.Count(15, 2, blue), 0);
        EXPECT_EQ(0, row.Count(15, 2, orange));
        EXPECT_GT(row.Count(17, 6, orange), 0);
    }
    // A line with flag 0x00020000 is white on red to the row's end.
    host.buffer.SetLineFlag(3, 0x00020000, TRUE, FALSE);
    {
        Row row(view, 3);
        EXPECT_GT(row.Count(0, 7, kWhite), 0);
        EXPECT_EQ(row.Area(30), row.Count(10, 30, RGB(255, 0, 0)));
    }
    // The margin: 20 pixels in the scroll-bar colour with the line's icon; hidden, one pixel in the
    // window colour; a row below the last line is the window colour, without an icon.
    host.buffer.SetLineFlag(4, CTextView::FlagBookmark, TRUE, FALSE);
    {
        Row row(view, 4);
        EXPECT_EQ(20, view.GetMarginWidth());
        EXPECT_LT(row.Count(-1, 0, GetSysColor(COLOR_SCROLLBAR)), row.MarginArea());
        Row below(view, -1);
        EXPECT_EQ(below.MarginArea(), below.Count(-1, 0, GetSysColor(COLOR_SCROLLBAR)));
        EXPECT_EQ(below.Area(40), below.Count(0, 40, window));
    }
    view.SetMarginVisible(FALSE);
    {
        Row row(view, 4);
        EXPECT_EQ(1, view.GetMarginWidth());
        EXPECT_EQ(row.MarginArea(), row.Count(-1, 0, view.GetColor(1)));
        EXPECT_EQ(CPoint(1, 0), view.TextPosToPoint(CPoint(0, 0)));
    }
}

TEST(TextViewTest, ALineOfAHundredThousandCharsDrawsWithItsBlocksOnTheHeap) {
    std::string line;
    while (line.size() < 100000) line += "a{b}";
    Host host(line.c_str());
    host.view.SetParserKind(CTextView::ParserLog);
    Row row(host.view, 0);
    EXPECT_GT(row.Count(2, 1, host.view.GetColor(21)), 0);
}

TEST(TextViewTest, CachesAreMadeWhenFirstStoredAndKeptBeforeAChange) {
    Host host(Lines(20).c_str());
    ProbeView& view = host.view;
    view.SetParserKind(CTextView::ParserMarkup);
    // A flag change and the first row before any cache exists.
    host.buffer.SetLineFlag(0, CTextView::FlagBookmark, TRUE, FALSE);
    Row first(view, 0);
    EXPECT_GE(view.CachedState(0), 0);
    view.GetLineParseState(19);
    // Appending changes the last line and adds one: what lies before stays, the widths of the
    // changed lines are measured again for the scroll bar.
    view.AppendText("x\r\n<a");
    for (int line = 0; line < 19; ++line) {
        EXPECT_GE(view.CachedState(line), 0) << line;
        EXPECT_EQ(line < 10 ? 6 : 7, view.CachedColumns(line)) << line;
    }
    EXPECT_EQ(-1, view.CachedState(19));
    EXPECT_EQ(8, view.CachedColumns(19));
    EXPECT_EQ(2, view.CachedColumns(20));
    view.parsed.clear();
    EXPECT_EQ(0x10, view.GetLineParseState(20));  // inside a tag
    EXPECT_EQ((std::map<int, int>{{19, 1}, {20, 1}}), view.parsed);
    // The view does not scroll by itself; the cursor is at the end of the new text.
    EXPECT_EQ(0, view.GetTopLine());
    EXPECT_EQ(CPoint(2, 20), view.GetCursorPos());
    // A change of the colouring forgets every state.
    view.SetParserKind(CTextView::ParserLog);
    EXPECT_EQ(-1, view.CachedState(0));
    // The log colouring starts afresh on every line that is not empty: only the line is parsed,
    // and an empty line carries the state of the one before.
    view.AppendText("\r\nError: no\r\n");
    view.parsed.clear();
    EXPECT_EQ(0, view.GetLineParseState(20));
    EXPECT_EQ(0x100, view.GetLineParseState(22));
    EXPECT_EQ((std::map<int, int>{{20, 1}, {21, 1}, {22, 1}}), view.parsed);
    // Tab sizes below 1 are ignored.
    view.SetTabSize(0);
    EXPECT_EQ(4, view.GetTabSize());
    EXPECT_EQ(6, view.GetLineColumns(0));
    view.ResetView();
    Row afterReset(view, 3);
    EXPECT_GE(view.CachedState(3), 0);
}

TEST(TextViewTest, TheWidestLineFollowsEditsAndAppendsMeasureOnlyTheNewLines) {
    Host host(Lines(200).c_str());  // lines 100 to 199 are the widest, 8 columns
    ProbeView& view = host.view;
    CTextBuffer& buffer = host.buffer;
    int endLine = 0, endChar = 0;
    CPoint undone;
    const struct {
        const char* edit;
        std::function<void()> run;
        int firstMeasured;  // no line before it is measured for the edit; -1: any may be
    } steps[] = {
        {"append a wider line", [&] { view.AppendText("\r\nwide wide wide"); }, 199},
        {"delete the widest line", [&] { buffer.DeleteText(nullptr, 199, 8, 200, 14); }, -1},
        {"undo the delete", [&] { buffer.Undo(undone); }, 199},
        {"widen an early line", [&] { buffer.InsertText(nullptr, 5, 0, "\t\t\tx", endLine, endChar); }, -1},
        {"append a narrow line", [&] { view.AppendText("\r\nshort"); }, 200},
        {"double the tab size", [&] { view.SetTabSize(8); }, -1},
        {"narrow the early line", [&] { buffer.DeleteText(nullptr, 5, 0, 5, 4); }, -1},
    };
    EXPECT_EQ(8, view.GetMaxLineColumns());
    for (const auto& step : steps) {
        view.measured.clear();
        step.run();
        const std::map<int, int> measured = view.measured;
        int widest = 0;
        for (int line = 0; line < view.GetLineCount(); ++line) widest = std::max(widest, view.GetLineColumns(line));
        EXPECT_EQ(widest, view.GetMaxLineColumns()) << step.edit;
        if (step.firstMeasured < 0) continue;
        ASSERT_FALSE(measured.empty()) << step.edit;
        EXPECT_GE(measured.begin()->first, step.firstMeasured) << step.edit;
    }
    EXPECT_EQ(14, view.GetMaxLineColumns());  // the undone line is the widest again
}

TEST(TextViewTest, MovesAndTheirExtendingTwins) {
    struct {
        const char* text;
        CPoint start;
        std::vector<UINT> commands;
        CPoint cursor, selStart, selEnd;
    } cases[] = {
        {"ab\r\ncd", CPoint(2, 0), {ID_EDIT_EXT_CHAR_RIGHT}, CPoint(0, 1), CPoint(2, 0), CPoint(0, 1)},
        {"ab\r\ncd", CPoint(2, 1), {ID_EDIT_CHAR_RIGHT}, CPoint(2, 1), CPoint(2, 1), CPoint(2, 1)},
        {"ab\r\ncd", CPoint(0, 1), {ID_EDIT_CHAR_LEFT}, CPoint(2, 0), CPoint(2, 0), CPoint(2, 0)},
        {"abcd", CPoint(3, 0), {ID_EDIT_EXT_CHAR_LEFT, ID_EDIT_EXT_CHAR_LEFT, ID_EDIT_CHAR_LEFT}, CPoint(1, 0),
         CPoint(1, 0), CPoint(1, 0)},
        {"    abc", CPoint(6, 0), {ID_EDIT_HOME}, CPoint(4, 0), CPoint(4, 0), CPoint(4, 0)},
        {"    abc", CPoint(6, 0), {ID_EDIT_HOME, ID_EDIT_HOME}, CPoint(0, 0), CPoint(0, 0), CPoint(0, 0)},
        {"0123456789\r\nabc\r\n0123456789x", CPoint(9, 0), {ID_EDIT_LINE_DOWN}, CPoint(3, 1), CPoint(3, 1), CPoint(3, 1)},
        {"0123456789\r\nabc\r\n0123456789x", CPoint(9, 0), {ID_EDIT_LINE_DOWN, ID_EDIT_LINE_DOWN}, CPoint(9, 2),
         CPoint(9, 2), CPoint(9, 2)},
        {"ab", CPoint(2, 0), {ID_EDIT_WORD_RIGHT}, CPoint(2, 0), CPoint(2, 0), CPoint(2, 0)},
        {"ab", CPoint(2, 0), {ID_EDIT_EXT_CHAR_LEFT, ID_EDIT_WORD_RIGHT}, CPoint(2, 0), CPoint(2, 0), CPoint(2, 0)},
        {"foo, bar_1  baz", CPoint(0, 0), {ID_EDIT_WORD_RIGHT}, CPoint(3, 0), CPoint(3, 0), CPoint(3, 0)},
        {"foo, bar_1  baz", CPoint(0, 0), {ID_EDIT_WORD_RIGHT, ID_EDIT_WORD_RIGHT, ID_EDIT_EXT_WORD_RIGHT},
         CPoint(12, 0), CPoint(5, 0), CPoint(12, 0)},
        {"foo, bar_1  baz", CPoint(12, 0), {ID_EDIT_WORD_LEFT}, CPoint(5, 0), CPoint(5, 0), CPoint(5, 0)},
        {"ab\r\n  cd", CPoint(2, 0), {ID_EDIT_WORD_RIGHT}, CPoint(2, 1), CPoint(2, 1), CPoint(2, 1)},
        {"ab\r\n\r\ncd", CPoint(2, 0), {ID_EDIT_WORD_RIGHT}, CPoint(0, 1), CPoint(0, 1), CPoint(0, 1)},
        {"ab\r\ncd", CPoint(0, 1), {ID_EDIT_WORD_LEFT}, CPoint(0, 0), CPoint(0, 0), CPoint(0, 0)},
        {"ab\r\ncd", CPoint(1, 0), {ID_EDIT_TEXT_END, ID_EDIT_EXT_TEXT_BEGIN}, CPoint(0, 0), CPoint(0, 0), CPoint(2, 1)},
        {"ab\r\ncd\r\nef", CPoint(1, 0), {ID_EDIT_EXT_LINE_DOWN, ID_EDIT_LINE_DOWN}, CPoint(1, 2), CPoint(1, 2),
         CPoint(1, 2)},
        {"ab\r\ncd", CPoint(1, 1), {ID_EDIT_EXT_LINE_END}, CPoint(2, 1), CPoint(1, 1), CPoint(2, 1)},
        {"ab\r\ncd", CPoint(1, 1), {ID_EDIT_SELECT_ALL}, CPoint(2, 1), CPoint(0, 0), CPoint(2, 1)},
    };
    for (const auto& c : cases) {
        Host host(c.text);
        host.PlaceCursor(c.start);
        for (UINT id : c.commands) host.Command(id);
        SCOPED_TRACE(testing::Message() << c.text << " from (" << c.start.x << "," << c.start.y << ")");
        EXPECT_EQ(c.cursor, host.view.GetCursorPos());
        EXPECT_EQ(c.selStart, host.SelectionStart());
        EXPECT_EQ(c.selEnd, host.SelectionEnd());
    }
}

TEST(TextViewTest, PagesAndScrollingGoTheRightWayInAnyWindow) {
    const std::string text = Lines(100);
    for (int rows : {0, 1, 10}) {
        SCOPED_TRACE(rows);
        Host host(text.c_str(), rows);
        CTextView& view = host.view;
        const int page = std::max(1, rows - 1);
        view.ScrollToLine(50);
        host.PlaceCursor(CPoint(0, 50));
        host.Command(ID_EDIT_PAGE_UP);
        EXPECT_EQ(50 - page, view.GetTopLine());
        EXPECT_EQ(50 - page, view.GetCursorPos().y);
        host.Command(ID_EDIT_PAGE_DOWN);
        EXPECT_EQ(50, view.GetCursorPos().y);
        view.ScrollIntoView(CPoint(0, 80));
        EXPECT_EQ(80 - std::max(1, rows) + 1, view.GetTopLine());
        view.ScrollIntoView(CPoint(0, 10));
        EXPECT_EQ(10, view.GetTopLine());
    }
    // Without a window the view counts one row.
    CTextBuffer buffer;
    buffer.LoadFromString(text.c_str(), -1);
    CTextView loose;
    loose.AttachBuffer(&buffer);
    loose.SetCursorPos(CPoint(0, 70));
    loose.ScrollIntoView(CPoint(0, 70));
    EXPECT_EQ(70, loose.GetTopLine());
    loose.MovePageUp(FALSE);
    EXPECT_EQ(69, loose.GetTopLine());
    EXPECT_EQ(69, loose.GetCursorPos().y);
    loose.DetachBuffer();
    buffer.ReleaseAll();

    Host host(text.c_str(), 10);
    CTextView& view = host.view;
    view.SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
    EXPECT_EQ(1, view.GetTopLine());
    view.SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, 2 * WHEEL_DELTA), 0);
    EXPECT_EQ(0, view.GetTopLine());
    view.SendMessage(WM_VSCROLL, SB_BOTTOM);
    EXPECT_EQ(100 - 10 + 1, view.GetTopLine());
    host.Command(ID_EDIT_SCROLL_UP);
    EXPECT_EQ(90, view.GetTopLine());
}

TEST(TextViewTest, TheThumbTakesItsPositionInThirtyTwoBits) {
    Host host(Lines(70000, "%d").c_str(), 10);
    SCROLLINFO info = {sizeof(info), SIF_POS, 0, 0, 0, 69000, 0};
    host.view.SetScrollInfo(SB_VERT, &info);
    host.view.SendMessage(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 69000 & 0xFFFF));
    EXPECT_EQ(69000, host.view.GetTopLine());
}

TEST(TextViewTest, MouseClicksSelectCharsWordsAndLines) {
    Host host("foo bar baz\r\n\tab\r\nline 2\r\nline 3\r\nline 4\r\nline 5", 3);
    CTextView& view = host.view;
    auto click = [&](CPoint point, UINT flags = 0) {
        host.Click(WM_LBUTTONDOWN, MK_LBUTTON | flags, point);
        host.Click(WM_LBUTTONUP, flags, point);
    };
    // A point does not round; a click goes to the nearer edge of the char, or of a tab.
    EXPECT_EQ(CPoint(1, 0), view.PointToTextPos(host.PointAt(1.7, 0)));
    click(host.PointAt(1.7, 0));
    EXPECT_EQ(CPoint(2, 0), view.GetCursorPos());
    click(host.PointAt(1.4, 1));
    EXPECT_EQ(CPoint(0, 1), view.GetCursorPos());
    click(host.PointAt(2.6, 1));
    EXPECT_EQ(CPoint(1, 1), view.GetCursorPos());
    // Shift extends from the anchor, Ctrl takes whole words.
    click(host.PointAt(1, 0));
    click(host.PointAt(5, 1), MK_SHIFT);
    EXPECT_EQ(CPoint(1, 0), host.SelectionStart());
    EXPECT_EQ(CPoint(2, 1), host.SelectionEnd());
    click(host.PointAt(0, 2));  // a press inside the selection would start a drag
    click(host.PointAt(5.2, 0), MK_CONTROL);
    EXPECT_EQ(CPoint(4, 0), host.SelectionStart());
    EXPECT_EQ(CPoint(7, 0), host.SelectionEnd());
    host.Click(WM_LBUTTONDOWN, MK_LBUTTON, host.PointAt(9.2, 0));
    host.Click(WM_LBUTTONUP, 0, host.PointAt(9.2, 0));
    host.Click(WM_LBUTTONDBLCLK, MK_LBUTTON, host.PointAt(9.2, 0));
    host.Click(WM_LBUTTONUP, 0, host.PointAt(9.2, 0));
    EXPECT_EQ(CPoint(8, 0), host.SelectionStart());
    EXPECT_EQ(CPoint(11, 0), host.SelectionEnd());
    // The margin selects whole lines.
    view.ScrollToLine(2);
    click(CPoint(5, host.PointAt(0, 4).y));
    EXPECT_EQ(CPoint(0, 4), host.SelectionStart());
    EXPECT_EQ(CPoint(0, 5), host.SelectionEnd());
    // A right click outside the selection collapses it there.
    host.Click(WM_RBUTTONDOWN, MK_RBUTTON, host.PointAt(2, 3));
    EXPECT_EQ(CPoint(2, 3), view.GetCursorPos());
    EXPECT_FALSE(view.HasSelection());
    EXPECT_EQ(nullptr, GetCapture());
}

TEST(TextViewTest, HoldingTheButtonBelowTheWindowScrollsOneOrThreeLines) {
    Host host(Lines(50).c_str(), 5);
    CTextView& view = host.view;
    host.Click(WM_LBUTTONDOWN, MK_LBUTTON, host.PointAt(1, 1));
    CRect client;
    view.GetClientRect(&client);
    const struct {
        int below;  // pixels below the window
        int top;    // the top line after one tick
        int cursorLine;
    } ticks[] = {{view.GetLineHeight() / 2, 1, 1 + 5}, {2 * view.GetLineHeight(), 4, 4 + 5 + 2}};
    for (const auto& tick : ticks) {
        CPoint pointer(client.Width() / 2, client.bottom + tick.below);
        view.ClientToScreen(&pointer);
        ASSERT_TRUE(SetCursorPos(pointer.x, pointer.y));
        view.SendMessage(WM_TIMER, CTextView::DragSelectTimer);
        EXPECT_EQ(tick.top, view.GetTopLine());
        EXPECT_EQ(tick.cursorLine, view.GetCursorPos().y);
        EXPECT_EQ(CPoint(1, 1), host.SelectionStart());
        EXPECT_EQ(view.GetCursorPos(), host.SelectionEnd());
    }
    host.Click(WM_LBUTTONUP, 0, host.PointAt(1, 1));
    EXPECT_EQ(nullptr, GetCapture());
}

TEST(TextViewTest, BookmarksAndTheirCommands) {
    Host host(Lines(12).c_str());
    CTextView& view = host.view;
    auto enabled = [&](UINT id) {
        RecordingCmdUI ui(id);
        ui.DoUpdate(&view, FALSE);
        return ui.enabled;
    };
    host.PlaceCursor(CPoint(3, 7));
    host.Command(ID_EDIT_TOGGLE_BOOKMARK0 + 3);
    host.PlaceCursor(CPoint(3, 9));
    host.Command(ID_EDIT_TOGGLE_BOOKMARK0 + 3);
    EXPECT_EQ(0u, host.buffer.GetLineFlags(7));
    EXPECT_EQ(0x8u, host.buffer.GetLineFlags(9));
    host.PlaceCursor(CPoint(0, 0));
    host.Command(ID_EDIT_GO_BOOKMARK0 + 3);
    EXPECT_EQ(CPoint(0, 9), view.GetCursorPos());
    host.Command(ID_EDIT_CLEAR_BOOKMARKS);
    EXPECT_EQ(-1, host.buffer.GetLineWithFlag(0x8));

    EXPECT_FALSE(enabled(ID_EDIT_NEXT_FLAG_BOOKMARK));
    for (int line : {2, 8}) {
        host.PlaceCursor(CPoint(1, line));
        host.Command(ID_EDIT_TOGGLE_FLAG_BOOKMARK);
    }
    EXPECT_TRUE(enabled(ID_EDIT_NEXT_FLAG_BOOKMARK));
    host.Command(ID_EDIT_NEXT_FLAG_BOOKMARK);
    EXPECT_EQ(CPoint(0, 2), view.GetCursorPos());
    host.Command(ID_EDIT_PREV_FLAG_BOOKMARK);
    EXPECT_EQ(CPoint(0, 8), view.GetCursorPos());
    host.Command(ID_EDIT_CLEAR_FLAG_BOOKMARKS);
    EXPECT_EQ(-1, host.buffer.FindLineWithFlag(CTextView::FlagBookmark));
    EXPECT_FALSE(enabled(ID_EDIT_CLEAR_FLAG_BOOKMARKS));
}

TEST(TextViewTest, FindNextAndPrevious) {
    testing_support::MessageBoxRecorder boxes;
    Host host("xab ab\r\nfoo abc\r\nab");
    ProbeView& view = host.view;
    host.Command(ID_EDIT_REPEAT);  // before any find: nothing
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_EQ(CPoint(0, 0), view.GetCursorPos());
    view.SetLastSearch("ab", FIND_WHOLE_WORD);
    const std::pair<UINT, CPoint> steps[] = {
        {ID_EDIT_REPEAT, CPoint(4, 0)},        {ID_EDIT_REPEAT, CPoint(0, 2)}, {ID_EDIT_REPEAT, CPoint(4, 0)},
        {ID_EDIT_FIND_PREVIOUS, CPoint(0, 2)}, {ID_EDIT_FIND_PREVIOUS, CPoint(4, 0)},
    };
    for (const auto& step : steps) {
        host.Command(step.first);
        EXPECT_EQ(step.second, host.SelectionStart());
        EXPECT_EQ(CPoint(step.second.x + 2, step.second.y), view.GetCursorPos());
    }
    view.SetLastSearch("abc", 0);
    host.Command(ID_EDIT_REPEAT);
    EXPECT_EQ(CPoint(4, 1), host.SelectionStart());
    view.SetLastSearch("zzz", 0);
    host.Command(ID_EDIT_REPEAT);
    ASSERT_EQ(1u, boxes.Boxes().size());
    EXPECT_EQ(CString("Cannot find string\"zzz\""), boxes.Boxes()[0].text);
    EXPECT_EQ(static_cast<UINT>(MB_OK), boxes.Boxes()[0].type);
}

TEST(TextViewTest, KeysReachTheViewThroughItsTable) {
    HACCEL table = LoadAcceleratorsA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_TEXTVIEW_ACCEL));
    ASSERT_NE(nullptr, table);
    std::vector<ACCEL> entries(CopyAcceleratorTableA(table, nullptr, 0));
    CopyAcceleratorTableA(table, entries.data(), static_cast<int>(entries.size()));
    EXPECT_EQ(70u, entries.size());
    auto command = [&](BYTE modifiers, WORD key) {
        for (const ACCEL& a : entries)
            if (a.key == key && (a.fVirt & ~(FNOINVERT | 0x80)) == (FVIRTKEY | modifiers)) return static_cast<int>(a.cmd);
        return -1;
    };
    EXPECT_EQ(57640, command(0, VK_F3));
    EXPECT_EQ(ID_EDIT_FIND_PREVIOUS, command(FSHIFT, VK_F3));
    EXPECT_EQ(ID_EDIT_TOGGLE_FLAG_BOOKMARK, command(FCONTROL, VK_F2));
    EXPECT_EQ(ID_EDIT_GO_BOOKMARK0 + 3, command(FALT, '3'));
    EXPECT_EQ(57634, command(FCONTROL, VK_INSERT));
    EXPECT_EQ(ID_EDIT_EXT_TEXT_END, command(FSHIFT | FCONTROL, VK_END));

    Host host("ab\r\ncd");
    MSG down = {host.view.m_hWnd, WM_KEYDOWN, VK_DOWN, 0x00500001, 0, {0, 0}};
    EXPECT_TRUE(host.view.PreTranslateMessage(&down));
    testing_support::PumpFor(0);
    EXPECT_EQ(CPoint(0, 1), host.view.GetCursorPos());
    MSG letter = {host.view.m_hWnd, WM_KEYDOWN, 'Q', 0x00100001, 0, {0, 0}};
    EXPECT_FALSE(host.view.PreTranslateMessage(&letter));
}

namespace {
// A modal dialog holding a view, directly or on a modeless page; a key posted to the view, then
// Cancel. The cursor shows whether the key arrived.
class KeyDialog : public CDialog {
public:
    explicit KeyDialog(bool onPage)
        : onPage_(onPage), dialog_(DS_MODALFRAME | WS_POPUP | WS_CAPTION, 200, 100, "keys"),
          page_(WS_CHILD | WS_VISIBLE | DS_CONTROL, 180, 80) {
        InitModalIndirect(dialog_.Get());
        buffer_.LoadFromString("ab\r\ncd", -1);
    }
    ~KeyDialog() override { buffer_.ReleaseAll(); }
    CPoint cursor;

protected:
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        if (onPage_) pageWnd_.CreateIndirect(page_.Get(), this);
        view_.Create(nullptr, "view", WS_CHILD | WS_VISIBLE, CRect(0, 0, 200, 100), onPage_ ? &pageWnd_ : this, 1);
        view_.AttachBuffer(&buffer_);
        view_.SetFocus();
        view_.PostMessage(WM_KEYDOWN, VK_END, 0x014F0001);
        PostMessage(WM_COMMAND, IDCANCEL);
        return FALSE;
    }
    void OnCancel() override {
        cursor = view_.GetCursorPos();
        view_.DestroyWindow();
        CDialog::OnCancel();
    }

private:
    bool onPage_;
    testing_support::DialogTemplate dialog_, page_;
    CDialog pageWnd_;
    CTextBuffer buffer_;
    CTextView view_;
};
}  // namespace

TEST(TextViewTest, KeysWorkInOurModalLoopAndOnAModelessPage) {
    testing_support::Watchdog watchdog(60);
    for (bool onPage : {false, true}) {
        KeyDialog dialog(onPage);
        EXPECT_EQ(IDCANCEL, dialog.DoModal());
        EXPECT_EQ(CPoint(2, 0), dialog.cursor) << (onPage ? "on a page" : "in the dialog");
    }
}

TEST(TextViewTest, FocusIndicatorsAndAppending) {
    Host host("\tab\r\nx");
    CTextView& view = host.view;
    auto indicator = [&](UINT id) {
        RecordingCmdUI ui(id);
        ui.DoUpdate(&view, FALSE);
        return ui.text;
    };
    EXPECT_EQ(CString("Ln 1, Col 1"), indicator(ID_EDIT_INDICATOR_POSITION));
    host.PlaceCursor(CPoint(1, 0));
    view.SetTabSize(8);
    EXPECT_EQ(CString("Ln 1, Col 2"), indicator(ID_EDIT_INDICATOR_POSITION));
    EXPECT_EQ(CString("DOS"), indicator(ID_EDIT_INDICATOR_CRLF));
    host.buffer.SetLineEndStyle(CTextBuffer::StyleUnix);
    EXPECT_EQ(CString("UNIX"), indicator(ID_EDIT_INDICATOR_CRLF));

    // A repaint while the caret shows, then the focus going, leave no caret drawn.
    host.parent.ShowWindow(SW_SHOWNOACTIVATE);
    host.PlaceCursor(CPoint(1, 1));  // after the "x"
    view.SendMessage(WM_SETFOCUS);
    view.RedrawWindow();
    view.SendMessage(WM_KILLFOCUS);
    const CPoint caret = host.PointAt(1, 1);
    CDC* screen = view.GetDC();
    EXPECT_EQ(view.GetColor(1), screen->GetPixel(caret.x, caret.y));  // the background
    view.ReleaseDC(screen);
    ASSERT_EQ(1u, host.parent.notifications.size());
    EXPECT_EQ(static_cast<UINT>(NM_KILLFOCUS), host.parent.notifications[0].code);
    EXPECT_EQ(view.m_hWnd, host.parent.notifications[0].hwndFrom);
    EXPECT_EQ(static_cast<UINT_PTR>(Host::kViewId), host.parent.notifications[0].idFrom);

    // One append is one undo step; the cursor ends after it.
    view.AppendText("1\r\n2\r\n");
    EXPECT_EQ(CPoint(0, 3), view.GetCursorPos());
    EXPECT_FALSE(view.HasSelection());
    CPoint cursor;
    host.buffer.Undo(cursor);
    EXPECT_EQ(2, host.buffer.GetLineCount());
    EXPECT_FALSE(host.buffer.CanUndo());
}
