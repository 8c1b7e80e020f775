// CTextView: painting, row by row through one off-screen bitmap, and the drawing of a row's
// margin and text.
#include "controls/texteditor/TextView.h"
#include "classlib/CDC.h"
#include "controls/texteditor/LineParsers.h"
#include "controls/texteditor/TextColumns.h"
#include "controls/texteditor/TextEditorRes.h"
#include "controls/texteditor/TextViewCache.h"
#include <algorithm>
#include <climits>

namespace {
// The margin icon of each flag: the first flag of this list that a line has chooses its image.
const DWORD kMarginFlags[] = {CTextView::FlagExecution, CTextView::FlagBreakpoint, CTextView::FlagInvalidBreak,
                              0x2, 0x4, 0x8, 0x10, 0x20, 0x40, 0x80, 0x100, 0x200, 0x1, CTextView::FlagBookmark,
                              CTextView::FlagDisabledBreak};
const int kIconSize = 16;
}  // namespace

void CTextView::OnPaint() {
    CRect client;
    GetClientRect(&client);
    // The rows go through a client DC, which, unlike painting's own, leaves the caret on the
    // screen: drawn over, its next blink or its hiding as the focus leaves would invert the new
    // pixels and leave a bar where no caret is.
    const bool caret = m_bFocused;
    if (caret) HideCaret();
    if (!client.IsRectEmpty()) {
        // Every row, whatever the update region: a row is drawn whole off-screen and copied.
        CClientDC dc(this);
        CDC rowDc;
        const int lineHeight = GetLineHeight();
        if (!m_lineBitmap.GetSafeHandle()) m_lineBitmap.CreateCompatibleBitmap(&dc, client.Width(), lineHeight);
        if (rowDc.CreateCompatibleDC(&dc) && m_lineBitmap.GetSafeHandle()) {
            rowDc.SelectObject(&m_lineBitmap);
            const int count = GetLineCount(), margin = GetMarginWidth();
            const CRect marginRect(0, 0, margin, lineHeight), textRect(margin, 0, client.Width(), lineHeight);
            for (int y = 0, line = m_nTopLine; y < client.bottom; y += lineHeight, ++line) {
                const int shown = line < count ? line : -1;
                DrawMargin(&rowDc, marginRect, shown);
                DrawLine(&rowDc, textRect, shown);
                if (m_bCursorMark && line == m_ptCursorPos.y)
                    rowDc.FillSolidRect((m_ptCursorPos.x - m_nOffsetChar) * GetCharWidth() + margin - 2, 0, 4,
                                        lineHeight, RGB(255, 0, 0));
                dc.BitBlt(0, y, client.Width(), lineHeight, &rowDc, 0, 0, SRCCOPY);
            }
        }
    }
    if (caret) ShowCaret();
    CWnd::OnPaint();  // validates
}

void CTextView::DrawMargin(CDC* dc, const CRect& rect, int line) {
    if (!m_bSelMargin) {
        dc->FillSolidRect(&rect, GetColor(1));
        return;
    }
    dc->FillSolidRect(&rect, GetColor(3));
    if (line == -1) return;
    const DWORD flags = GetLineFlags(line);
    if (!flags) return;
    int image = -1;
    for (int i = 0; i < static_cast<int>(sizeof(kMarginFlags) / sizeof(kMarginFlags[0])) && image < 0; ++i)
        if (flags & kMarginFlags[i]) image = i;
    if (image < 0) return;
    if (!m_bMarginIconsTried) {
        m_bMarginIconsTried = TRUE;
        m_marginIcons.Attach(ImageList_LoadImageA(GetResourceHandle(), MAKEINTRESOURCEA(IDB_MARGIN_ICONS), kIconSize,
                                                  1, RGB(255, 255, 255), IMAGE_BITMAP, LR_CREATEDIBSECTION));
    }
    if (image < m_marginIcons.GetImageCount())
        m_marginIcons.Draw(dc, image, CPoint(rect.left + 2, rect.top + (rect.Height() - kIconSize) / 2), ILD_TRANSPARENT);
}

void CTextView::DrawLine(CDC* dc, const CRect& rect, int line) {
    if (line == -1) {
        dc->FillSolidRect(&rect, GetColor(0));
        return;
    }
    COLORREF background, text;
    BOOL drawWhitespace;
    GetLineColors(line, background, text, drawWhitespace);
    if (background == CLR_NONE) background = GetColor(1);
    dc->SetBkColor(background);
    if (text != CLR_NONE) dc->SetTextColor(text);

    const int length = GetLineLength(line);
    int x = rect.left - m_nOffsetChar * GetCharWidth(), column = 0;
    if (length > 0) {
        blocks_.Reset(length);
        const int state = ParseLine(GetLineParseState(line - 1), line, &blocks_);
        textview_cache::Store(m_parseStates, line, state, GetLineCount());
        const int count = blocks_.GetCount();
        // The chars before the first block are normal text, never underlined.
        const int first = count > 0 ? std::min(std::max(blocks_[0].charPos, 0), length) : length;
        DrawPiece(dc, rect, line, 0, first, COLORINDEX_NORMALTEXT, text, FALSE, x, column);
        for (int i = 0; i < count; ++i) {
            const int from = std::min(std::max(blocks_[i].charPos, 0), length);
            const int to = i + 1 < count ? std::min(std::max(blocks_[i + 1].charPos, from), length) : length;
            DrawPiece(dc, rect, line, from, to, blocks_[i].colorIndex, text, TRUE, x, column);
        }
    }

    CRect rest(std::max(x, static_cast<int>(rect.left)), rect.top, rect.right, rect.bottom);
    if (rest.IsRectEmpty()) return;
    if ((m_bFocused || m_bShowInactiveSelection) && IsCharSelected(length, line)) {
        // The line end is selected: one cell shows it.
        dc->FillSolidRect(rest.left, rest.top, GetCharWidth(), rest.Height(), GetColor(4));
        rest.left += GetCharWidth();
    }
    if (!rest.IsRectEmpty()) dc->FillSolidRect(&rest, drawWhitespace ? background : GetColor(0));
}

void CTextView::DrawPiece(CDC* dc, const CRect& rect, int line, int from, int to, int colorIndex, COLORREF lineText,
                          BOOL allowUnderline, int& x, int& column) {
    if (to <= from) return;
    if (lineText == CLR_NONE) dc->SetTextColor(GetColor(colorIndex));
    dc->SelectObject(GetStyledFont(GetItalic(colorIndex), GetBold(colorIndex),
                                   allowUnderline && GetUnderline(colorIndex)));
    if (!m_bFocused && !m_bShowInactiveSelection) {
        DrawChars(dc, rect, line, from, to, x, column);
        return;
    }
    // The selected part of this line: [selFrom, selTo).
    int selFrom = INT_MAX, selTo = INT_MAX;
    if (line >= m_ptDrawSelStart.y && line <= m_ptDrawSelEnd.y) {
        selFrom = line == m_ptDrawSelStart.y ? m_ptDrawSelStart.x : 0;
        selTo = line == m_ptDrawSelEnd.y ? m_ptDrawSelEnd.x : INT_MAX;
    }
    const int a = std::min(std::max(selFrom, from), to), b = std::min(std::max(selTo, a), to);
    DrawChars(dc, rect, line, from, a, x, column);
    if (b > a) {
        const COLORREF oldBack = dc->SetBkColor(GetColor(4)), oldText = dc->SetTextColor(GetColor(5));
        DrawChars(dc, rect, line, a, b, x, column);
        dc->SetBkColor(oldBack);
        dc->SetTextColor(oldText);
    }
    DrawChars(dc, rect, line, b, to, x, column);
}

void CTextView::DrawChars(CDC* dc, const CRect& rect, int line, int from, int to, int& x, int& column) {
    if (to <= from) return;
    const int end = ExpandTabsAt(GetLineText(line), from, to - from, column, m_nTabSize, m_bViewTabs, expanded_);
    const int shown = static_cast<int>(expanded_.size());
    const int space = rect.right - x;
    if (space > 0) {
        // Only what can reach the row: a long line costs no more than a short one.
        const int count = std::min(shown, space / GetCharWidth() + 1);
        dc->ExtTextOut(x, rect.top, ETO_CLIPPED, &rect, expanded_.data(), static_cast<UINT>(count));
    }
    x += GetCharWidth() * shown;
    column = end;
}

void CTextView::ExpandTabsForDisplay(int line, int firstChar, int count, CString& out) {
    ::ExpandTabsForDisplay(GetLineText(line), firstChar, count, m_nTabSize, m_bViewTabs, out);
}

BOOL CTextView::IsCharSelected(int charIndex, int line) const {
    const CPoint& s = m_ptDrawSelStart;
    const CPoint& e = m_ptDrawSelEnd;
    if (line < s.y || line > e.y) return FALSE;
    if (s.y == e.y) return charIndex >= s.x && charIndex < e.x;
    if (line == s.y) return charIndex >= s.x;
    if (line == e.y) return charIndex < e.x;
    return TRUE;
}

void CTextView::InvalidateLineRange(int firstLine, int lastLine) {
    if (!m_hWnd) return;
    CRect client;
    GetClientRect(&client);
    const int lineHeight = GetLineHeight();
    CRect rows = client;
    if (lastLine == -1) {
        rows.top = std::max(static_cast<LONG>(0), static_cast<LONG>((firstLine - m_nTopLine) * lineHeight));
    } else {
        if (lastLine < firstLine) std::swap(firstLine, lastLine);
        rows.top = std::max(static_cast<LONG>(0), static_cast<LONG>((firstLine - m_nTopLine) * lineHeight));
        rows.bottom = std::min(client.bottom, static_cast<LONG>((lastLine - m_nTopLine + 1) * lineHeight));
    }
    if (rows.top < rows.bottom) InvalidateRect(&rows, FALSE);
}
