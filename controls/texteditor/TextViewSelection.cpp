// CTextView: the caret, the cursor and the selection, the cursor moves with and without
// extending the selection, and words.
#include "controls/texteditor/TextView.h"
#include "controls/texteditor/TextBuffer.h"
#include "controls/texteditor/TextEditorRes.h"
#include <algorithm>
#include <cctype>

namespace {
bool Before(CPoint a, CPoint b) { return a.y < b.y || (a.y == b.y && a.x < b.x); }
bool IsWordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }
bool IsBlank(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }
}  // namespace

// ---- Caret, cursor, selection -----------------------------------------------------------------

void CTextView::RefreshCaret() {
    if (!m_hWnd) return;
    if (m_bFocused && !m_bCursorHidden && ColumnOfChar(m_ptCursorPos.y, m_ptCursorPos.x) >= m_nOffsetChar) {
        CreateSolidCaret(2, GetLineHeight());
        SetCaretPos(TextPosToPoint(m_ptCursorPos));
        ShowCaret();
    } else {
        HideCaret();
    }
}

void CTextView::ShowCursor() {
    m_bCursorHidden = FALSE;
    RefreshCaret();
}

void CTextView::HideCursor() {
    m_bCursorHidden = TRUE;
    RefreshCaret();
}

void CTextView::SetCursorPos(CPoint position) {
    m_ptCursorPos = position;
    m_nIdealColumn = ColumnOfChar(position.y, position.x);
    RefreshCaret();
}

void CTextView::OrderSelection() {
    const bool reversed = Before(m_ptSelEnd, m_ptSelStart);
    m_ptDrawSelStart = reversed ? m_ptSelEnd : m_ptSelStart;
    m_ptDrawSelEnd = reversed ? m_ptSelStart : m_ptSelEnd;
}

void CTextView::SetSelection(CPoint start, CPoint end) {
    if (start != m_ptSelStart) {
        InvalidateLineRange(start.y, end.y);
        InvalidateLineRange(m_ptSelStart.y, m_ptSelEnd.y);
    } else if (end != m_ptSelEnd) {
        InvalidateLineRange(end.y, m_ptSelEnd.y);
    }
    m_ptSelStart = start;
    m_ptSelEnd = end;
    OrderSelection();
}

void CTextView::GetSelection(CPoint& start, CPoint& end) {
    start = m_ptDrawSelStart;
    end = m_ptDrawSelEnd;
}

BOOL CTextView::IsPosSelected(CPoint position) {
    return IsCharSelected(position.x, position.y);
}

void CTextView::InvalidateSelection() {
    if (HasSelection()) InvalidateLineRange(m_ptSelStart.y, m_ptSelEnd.y);
}

// ---- Moves ------------------------------------------------------------------------------------

void CTextView::FinishMove(BOOL extend, BOOL keepColumn) {
    if (!keepColumn) m_nIdealColumn = ColumnOfChar(m_ptCursorPos.y, m_ptCursorPos.x);
    ScrollIntoView(m_ptCursorPos);
    RefreshCaret();
    if (!extend) m_ptAnchor = m_ptCursorPos;
    SetSelection(m_ptAnchor, m_ptCursorPos);
}

void CTextView::MoveLeft(BOOL extend) {
    if (HasSelection() && !extend) {
        m_ptCursorPos = m_ptDrawSelStart;
    } else if (m_ptCursorPos.x > 0) {
        --m_ptCursorPos.x;
    } else if (m_ptCursorPos.y > 0) {
        --m_ptCursorPos.y;
        m_ptCursorPos.x = GetLineLength(m_ptCursorPos.y);
    }
    FinishMove(extend);
}

void CTextView::MoveRight(BOOL extend) {
    if (HasSelection() && !extend) {
        m_ptCursorPos = m_ptDrawSelEnd;
    } else if (m_ptCursorPos.x < GetLineLength(m_ptCursorPos.y)) {
        ++m_ptCursorPos.x;
    } else if (m_ptCursorPos.y < GetLineCount() - 1) {
        ++m_ptCursorPos.y;
        m_ptCursorPos.x = 0;
    }
    FinishMove(extend);
}

void CTextView::MoveWordLeft(BOOL extend) {
    if (HasSelection() && !extend) {
        MoveLeft(extend);
        return;
    }
    CPoint p = m_ptCursorPos;
    if (p.x == 0) {
        if (p.y == 0) return;
        --p.y;
        p.x = GetLineLength(p.y);
    }
    const char* chars = GetLineText(p.y);
    while (p.x > 0 && IsBlank(chars[p.x - 1])) --p.x;
    if (p.x > 0 && IsWordChar(chars[p.x - 1])) {
        while (p.x > 0 && IsWordChar(chars[p.x - 1])) --p.x;
    } else {
        while (p.x > 0 && !IsWordChar(chars[p.x - 1]) && !IsBlank(chars[p.x - 1])) --p.x;
    }
    m_ptCursorPos = p;
    FinishMove(extend);
}

void CTextView::MoveWordRight(BOOL extend) {
    if (HasSelection() && !extend) {
        MoveRight(extend);
        return;
    }
    CPoint p = m_ptCursorPos;
    const int last = GetLineCount() - 1;
    if (p.y == last && p.x >= GetLineLength(last)) return;
    if (p.x >= GetLineLength(p.y)) {
        ++p.y;
        p.x = 0;
    }
    const int length = GetLineLength(p.y);
    if (p.x < length) {
        const char* chars = GetLineText(p.y);
        if (IsWordChar(chars[p.x])) {
            while (p.x < length && IsWordChar(chars[p.x])) ++p.x;
        } else {
            while (p.x < length && !IsWordChar(chars[p.x]) && !IsBlank(chars[p.x])) ++p.x;
        }
        while (p.x < length && IsBlank(chars[p.x])) ++p.x;
    }
    m_ptCursorPos = p;
    FinishMove(extend);
}

void CTextView::MoveUp(BOOL extend) { MoveVertically(-1, extend); }

void CTextView::MoveDown(BOOL extend) { MoveVertically(1, extend); }

void CTextView::MoveVertically(int step, BOOL extend) {
    if (HasSelection() && !extend) m_ptCursorPos = step < 0 ? m_ptDrawSelStart : m_ptDrawSelEnd;
    const int line = m_ptCursorPos.y + step;
    if (line >= 0 && line < GetLineCount()) {
        if (m_nIdealColumn == -1) m_nIdealColumn = ColumnOfChar(m_ptCursorPos.y, m_ptCursorPos.x);
        m_ptCursorPos = CPoint(std::min(CharOfColumn(line, m_nIdealColumn), GetLineLength(line)), line);
    }
    FinishMove(extend, TRUE);
}

void CTextView::MovePageUp(BOOL extend) {
    // At least one line a page, so a window of one row or none still moves up.
    const int page = std::max(1, GetVisibleLineCount() - 1);
    const int top = std::max(0, m_nTopLine - page);
    if (top != m_nTopLine) {
        ScrollToLine(top);
        NotifyScrolled(TRUE);
    }
    m_ptCursorPos.y = std::max(0, static_cast<int>(m_ptCursorPos.y) - page);
    m_ptCursorPos.x = std::min(static_cast<int>(m_ptCursorPos.x), GetLineLength(m_ptCursorPos.y));
    FinishMove(extend);
}

void CTextView::MovePageDown(BOOL extend) {
    const int page = std::max(1, GetVisibleLineCount() - 1), last = GetLineCount() - 1;
    const int top = std::min(last, m_nTopLine + page);
    if (top != m_nTopLine) {
        ScrollToLine(top);
        NotifyScrolled(TRUE);
    }
    m_ptCursorPos.y = std::min(last, static_cast<int>(m_ptCursorPos.y) + page);
    m_ptCursorPos.x = std::min(static_cast<int>(m_ptCursorPos.x), GetLineLength(m_ptCursorPos.y));
    FinishMove(extend);
}

void CTextView::MoveHome(BOOL extend) {
    const int length = GetLineLength(m_ptCursorPos.y);
    const char* chars = GetLineText(m_ptCursorPos.y);
    int first = 0;
    while (first < length && IsBlank(chars[first])) ++first;
    m_ptCursorPos.x = first == length || m_ptCursorPos.x == first ? 0 : first;
    FinishMove(extend);
}

void CTextView::MoveEnd(BOOL extend) {
    m_ptCursorPos.x = GetLineLength(m_ptCursorPos.y);
    FinishMove(extend);
}

void CTextView::MoveTextBegin(BOOL extend) {
    m_ptCursorPos = CPoint(0, 0);
    FinishMove(extend);
}

void CTextView::MoveTextEnd(BOOL extend) {
    const int last = GetLineCount() - 1;
    m_ptCursorPos = CPoint(GetLineLength(last), last);
    FinishMove(extend);
}

void CTextView::SelectToEnd() {
    const int last = GetLineCount() - 1;
    m_ptCursorPos = CPoint(GetLineLength(last), last);
    SetSelection(CPoint(0, 0), m_ptCursorPos);
    RefreshCaret();
}

void CTextView::OnMoveCommand(UINT id) {
    typedef void (CTextView::*Move)(BOOL);
    static const Move moves[] = {&CTextView::MoveLeft,     &CTextView::MoveRight,    &CTextView::MoveWordLeft,
                                 &CTextView::MoveWordRight, &CTextView::MoveUp,      &CTextView::MoveDown,
                                 nullptr,                  &CTextView::MovePageUp,   &CTextView::MovePageDown,
                                 &CTextView::MoveEnd,      &CTextView::MoveHome,     &CTextView::MoveTextBegin,
                                 &CTextView::MoveTextEnd};
    if (id == ID_EDIT_SCROLL_UP) {
        ScrollLineUp();
    } else if (id == ID_EDIT_SCROLL_DOWN) {
        ScrollLineDown();
    } else {
        const UINT index = (id - ID_EDIT_CHAR_LEFT) / 2;
        if (index < sizeof(moves) / sizeof(moves[0]) && moves[index]) (this->*moves[index])((id - ID_EDIT_CHAR_LEFT) % 2);
    }
}

// ---- Words ------------------------------------------------------------------------------------

namespace {
// Moves over word chars, with the extra char counting as one.
CPoint WordEdge(CPoint p, const char* chars, int length, int step, char extra) {
    p.x = std::max(0, std::min(static_cast<int>(p.x), length));
    auto counts = [&](char c) { return IsWordChar(c) || c == extra; };
    if (step < 0) {
        while (p.x > 0 && counts(chars[p.x - 1])) --p.x;
    } else {
        while (p.x < length && counts(chars[p.x])) ++p.x;
    }
    return p;
}
}  // namespace

CPoint CTextView::WordStart(CPoint position) {
    return WordEdge(position, GetLineText(position.y), GetLineLength(position.y), -1, '_');
}

CPoint CTextView::WordEnd(CPoint position) {
    return WordEdge(position, GetLineText(position.y), GetLineLength(position.y), 1, '_');
}

CPoint CTextView::BracedWordStart(CPoint position) {
    return WordEdge(position, GetLineText(position.y), GetLineLength(position.y), -1, '{');
}

CPoint CTextView::BracedWordEnd(CPoint position) {
    return WordEdge(position, GetLineText(position.y), GetLineLength(position.y), 1, '}');
}

CString CTextView::GetWordAtPoint(CPoint point) {
    const CPoint p = RoundedTextPos(point), start = WordStart(p), end = WordEnd(p);
    return CString(GetLineText(p.y) + start.x, end.x - start.x);
}

CString CTextView::GetBracedWordAtPoint(CPoint point) {
    const CPoint p = RoundedTextPos(point), start = BracedWordStart(p), end = BracedWordEnd(p);
    return CString(GetLineText(p.y) + start.x, end.x - start.x);
}

CPoint CTextView::SelectWordsAround() {
    const bool cursorFirst = Before(m_ptCursorPos, m_ptAnchor);
    const CPoint start = WordStart(cursorFirst ? m_ptCursorPos : m_ptAnchor);
    m_ptCursorPos = WordEnd(cursorFirst ? m_ptAnchor : m_ptCursorPos);
    return start;
}
