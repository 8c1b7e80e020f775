// CTextView: scrolling (lines, columns, the scroll bars, the wheel, the caret's line into view)
// and size changes.
#include "controls/texteditor/TextView.h"
#include "controls/texteditor/TextBuffer.h"
#include <algorithm>
#include <cstdlib>

namespace {
int Clamp(int value, int low, int high) { return std::max(low, std::min(value, high)); }
}  // namespace

void CTextView::ScrollToLine(int topLine, BOOL noSmoothScroll, BOOL updateScrollBar) {
    if (topLine == m_nTopLine) return;
    const int step = !m_bSmoothScroll || noSmoothScroll ? std::abs(topLine - m_nTopLine)
                                                         : std::abs(topLine - m_nTopLine) / 6 + 1;
    while (m_nTopLine != topLine) {
        const int next = topLine > m_nTopLine ? std::min(m_nTopLine + step, topLine) : std::max(m_nTopLine - step, topLine);
        const int dy = (m_nTopLine - next) * GetLineHeight();
        m_nTopLine = next;
        ScrollWindow(0, dy);
        UpdateWindow();
        if (updateScrollBar) UpdateVertScrollBar(TRUE);
    }
}

void CTextView::ScrollToColumn(int firstColumn, BOOL, BOOL updateScrollBar) {
    if (firstColumn == m_nOffsetChar) return;
    const int dx = (m_nOffsetChar - firstColumn) * GetCharWidth();
    m_nOffsetChar = firstColumn;
    CRect text;
    GetClientRect(&text);
    text.left += GetMarginWidth();
    ScrollWindow(dx, 0, &text, &text);
    UpdateWindow();
    if (updateScrollBar) UpdateHorzScrollBar(TRUE);
}

void CTextView::ScrollIntoView(CPoint position) {
    // A window too small for one row still counts one, so the line lands on top, not below it.
    const int visible = std::max(1, GetVisibleLineCount());
    int top = m_nTopLine;
    if (position.y >= top + visible) top = position.y - visible + 1;
    if (position.y < top) top = position.y;
    top = Clamp(top, 0, GetLineCount() - 1);
    if (top != m_nTopLine) {
        ScrollToLine(top);
        NotifyScrolled(TRUE);
    }
    const int column = ColumnOfChar(position.y, position.x), columns = std::max(1, GetVisibleColumnCount());
    int first = m_nOffsetChar;
    if (column > first + columns) first = column - columns;
    if (column < first) first = column;
    first = std::max(0, std::min(first, GetMaxLineColumns() - 1));
    if (first != m_nOffsetChar) {
        ScrollToColumn(first);
        RefreshCaret();
        NotifyScrolled(FALSE);
    }
}

void CTextView::UpdateVertScrollBar(BOOL positionOnly) {
    UpdateScrollBar(SB_VERT, positionOnly ? 0 : GetLineCount(), positionOnly ? 0 : GetVisibleLineCount(), m_nTopLine,
                    positionOnly);
}

void CTextView::UpdateHorzScrollBar(BOOL positionOnly) {
    UpdateScrollBar(SB_HORZ, positionOnly ? 0 : GetMaxLineColumns(), positionOnly ? 0 : GetVisibleColumnCount(),
                    m_nOffsetChar, positionOnly);
}

void CTextView::UpdateScrollBar(int bar, int total, int visible, int& first, BOOL positionOnly) {
    if (!m_hWnd) return;
    SCROLLINFO info = {};
    if (positionOnly) {
        info.fMask = SIF_POS;
    } else {
        // All fits: back to the start.
        if (visible >= total && first > 0) {
            first = 0;
            Invalidate(FALSE);
            RefreshCaret();
        }
        info.fMask = SIF_DISABLENOSCROLL | SIF_PAGE | SIF_POS | SIF_RANGE;
        info.nMax = std::max(0, total - 1);  // an empty range would hide the bar
        info.nPage = static_cast<UINT>(visible);
    }
    info.nPos = first;
    SetScrollBar(bar, info);
}

void CTextView::SetScrollBar(int bar, const SCROLLINFO& info) {
    SCROLLINFO& shown = shownBars_[bar == SB_VERT ? 1 : 0];
    bool& set = barsSet_[bar == SB_VERT ? 1 : 0];
    const bool same = set && (!(info.fMask & SIF_RANGE) || (info.nMin == shown.nMin && info.nMax == shown.nMax)) &&
                      (!(info.fMask & SIF_PAGE) || info.nPage == shown.nPage) &&
                      (!(info.fMask & SIF_POS) || info.nPos == shown.nPos);
    if (same) return;
    SCROLLINFO copy = info;
    SetScrollInfo(bar, &copy);
    if (!set) {
        shown = SCROLLINFO();
        // Only a full setting tells all the bar shows.
        if ((info.fMask & (SIF_RANGE | SIF_PAGE | SIF_POS)) != (SIF_RANGE | SIF_PAGE | SIF_POS)) return;
        set = true;
    }
    if (info.fMask & SIF_RANGE) {
        shown.nMin = info.nMin;
        shown.nMax = info.nMax;
    }
    if (info.fMask & SIF_PAGE) shown.nPage = info.nPage;
    if (info.fMask & SIF_POS) shown.nPos = info.nPos;
}

// The position the thumb is dragged to, in 32 bits: a log can have more than 65,535 lines, more
// than the message's word holds.
static int TrackPosition(CWnd* wnd, int bar) {
    SCROLLINFO info = {};
    wnd->GetScrollInfo(bar, &info, SIF_TRACKPOS);
    return info.nTrackPos;
}

void CTextView::OnVScroll(UINT code, UINT, CScrollBar*) {
    const int visible = GetVisibleLineCount(), page = std::max(1, visible - 1);
    int top = m_nTopLine;
    BOOL noSmooth = FALSE;
    switch (code) {
    case SB_LINEUP: top -= 1; noSmooth = TRUE; break;
    case SB_LINEDOWN: top += 1; noSmooth = TRUE; break;
    case SB_PAGEUP: top -= page; break;
    case SB_PAGEDOWN: top += page; break;
    case SB_TOP: top = 0; break;
    case SB_BOTTOM: top = GetLineCount() - visible + 1; break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: top = TrackPosition(this, SB_VERT); noSmooth = TRUE; break;
    default: return;
    }
    ScrollToLine(Clamp(top, 0, GetLineCount() - 1), noSmooth, TRUE);
}

void CTextView::OnHScroll(UINT code, UINT, CScrollBar*) {
    const int visible = GetVisibleColumnCount(), page = std::max(1, visible - 1), widest = GetMaxLineColumns();
    int first = m_nOffsetChar;
    switch (code) {
    case SB_LINELEFT: first -= 1; break;
    case SB_LINERIGHT: first += 1; break;
    case SB_PAGELEFT: first -= page; break;
    case SB_PAGERIGHT: first += page; break;
    case SB_LEFT: first = 0; break;
    case SB_RIGHT: first = widest - visible + 1; break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: first = TrackPosition(this, SB_HORZ); break;
    default: return;
    }
    ScrollToColumn(std::max(0, std::min(first, widest - 1)), TRUE, TRUE);
    RefreshCaret();
}

BOOL CTextView::OnMouseWheel(UINT, short delta, CPoint) {
    const int steps = std::max(1, std::abs(static_cast<int>(delta)) / WHEEL_DELTA);
    for (int i = 0; i < steps; ++i) SendMessage(WM_VSCROLL, delta > 0 ? SB_LINEUP : SB_LINEDOWN, 0);
    return TRUE;
}

void CTextView::OnSize(UINT type, int cx, int cy) {
    CWnd::OnSize(type, cx, cy);
    m_lineBitmap.DeleteObject();
    m_nScreenLines = m_nScreenChars = -1;
    if (m_bWordWrap && m_pTextBuffer) {
        Rewrap(GetVisibleColumnCount());
        ForgetMaxLineColumns();
        m_lineColumns.clear();
    }
    UpdateVertScrollBar();
    UpdateHorzScrollBar();
}

void CTextView::ScrollLineUp() {
    if (m_nTopLine <= 0) return;
    ScrollToLine(m_nTopLine - 1);
    NotifyScrolled(TRUE);
}

void CTextView::ScrollLineDown() {
    if (m_nTopLine >= GetLineCount() - 1) return;
    ScrollToLine(m_nTopLine + 1);
    NotifyScrolled(TRUE);
}

void CTextView::ScrollColumnLeft() {
    if (m_nOffsetChar <= 0) return;
    ScrollToColumn(m_nOffsetChar - 1);
    RefreshCaret();
}

void CTextView::ScrollColumnRight() {
    if (m_nOffsetChar >= GetMaxLineColumns() - 1) return;
    ScrollToColumn(m_nOffsetChar + 1);
    RefreshCaret();
}
