// CTextEditView: drag and drop. Dragging the selection out (the view is the source) and the drop
// side the drop target calls: the drop indicator, scrolling near the edges, inserting the text.
#include "controls/texteditor/TextEditView.h"
#include "controls/texteditor/TextBuffer.h"

DWORD CTextEditView::GetDragEffects() {
    // A read-only view's text can be copied out, never moved out.
    return IsEditable() ? DROPEFFECT_COPY | DROPEFFECT_MOVE : DROPEFFECT_COPY;
}

void CTextEditView::OnDragFinished(DWORD effect) {
    if (effect != DROPEFFECT_MOVE || !IsEditable()) return;
    // The dragged range has followed every change made by the drop.
    m_pTextBuffer->DeleteText(this, m_ptDraggedTextBegin.y, m_ptDraggedTextBegin.x, m_ptDraggedTextEnd.y,
                              m_ptDraggedTextEnd.x, ActionDragDrop);
}

void CTextEditView::ShowDropIndicator(CPoint point) {
    if (!m_hWnd) return;
    if (!m_bDropPosVisible) {
        HideCursor();
        m_ptSavedCaretPos = GetCursorPos();
        m_bDropPosVisible = TRUE;
        // A grey caret (the bitmap handle 1 asks for grey).
        ::CreateCaret(m_hWnd, reinterpret_cast<HBITMAP>(1), 2, GetLineHeight());
    }
    m_ptDropPos = PointToTextPos(point);
    if (ColumnOfChar(m_ptDropPos.y, m_ptDropPos.x) >= m_nOffsetChar) {
        SetCaretPos(TextPosToPoint(m_ptDropPos));
        ShowCaret();
    } else {
        HideCaret();
    }
}

void CTextEditView::HideDropIndicator() {
    if (!m_bDropPosVisible) return;
    SetCursorPos(m_ptSavedCaretPos);
    ShowCursor();
    m_bDropPosVisible = FALSE;
}

BOOL CTextEditView::DoDragScroll(CPoint point) {
    if (!m_hWnd) return FALSE;
    const int edge = 5;
    CRect client;
    GetClientRect(&client);
    void (CTextView::*scroll)() = nullptr;
    if (point.y < client.top + edge)
        scroll = &CTextView::ScrollLineUp;
    else if (point.y >= client.bottom - edge)
        scroll = &CTextView::ScrollLineDown;
    else if (point.x < client.left + GetMarginWidth() + edge)
        scroll = &CTextView::ScrollColumnLeft;
    else if (point.x >= client.right - edge)
        scroll = &CTextView::ScrollColumnRight;
    if (!scroll) return FALSE;
    HideDropIndicator();
    (this->*scroll)();
    UpdateWindow();
    ShowDropIndicator(point);
    return TRUE;
}

BOOL CTextEditView::DropText(const char* text, CPoint point) {
    if (!IsEditable() || !text) return FALSE;
    const CPoint at = PointToTextPos(point);
    if (m_bDraggingText && IsPosSelected(at)) {
        // This view's own selection dropped onto itself: nothing moves.
        MoveTo(at);
        return FALSE;
    }
    int endLine = at.y, endChar = at.x;
    if (!m_pTextBuffer->InsertText(this, at.y, at.x, text, endLine, endChar, ActionDragDrop)) return FALSE;
    SelectInserted(at, CPoint(endChar, endLine), at);
    return TRUE;
}
