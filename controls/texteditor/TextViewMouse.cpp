// CTextView: the mouse (clicks, margin and word selection, the drag-select timer, dragging the
// selection out), the pointer shape and the focus.
#include "controls/texteditor/TextView.h"
#include "classlib/COleDataSource.h"
#include "controls/texteditor/GlobalText.h"
#include "controls/texteditor/TextBuffer.h"
#include "controls/texteditor/TextEditorRes.h"
#include <algorithm>

namespace {
CPoint PointerInClient(HWND hwnd) {
    POINT p = {0, 0};
    ::GetCursorPos(&p);
    ::ScreenToClient(hwnd, &p);
    return CPoint(p);
}
}  // namespace

CPoint CTextView::LineAfter(int line) {
    const int last = GetLineCount() - 1;
    return line < last ? CPoint(0, line + 1) : CPoint(GetLineLength(last), last);
}

void CTextView::SelectLinesAround(int pointerLine, BOOL cursorAtFarEnd) {
    const int anchorLine = m_ptAnchor.y;
    const int first = std::min(anchorLine, pointerLine), last = std::max(anchorLine, pointerLine);
    const CPoint start(0, first), end = LineAfter(last);
    if (!cursorAtFarEnd)
        m_ptCursorPos = CPoint(0, pointerLine);
    else
        m_ptCursorPos = pointerLine < anchorLine ? start : end;
    SetSelection(start, end);
}

void CTextView::BeginDragSelect(BOOL lineSelection, BOOL wordSelection) {
    SetCapture();
    m_nDragSelTimer = SetTimer(DragSelectTimer, 100);
    m_bDragSelection = TRUE;
    m_bLineSelection = lineSelection;
    m_bWordSelection = wordSelection;
}

void CTextView::EndDragSelect() {
    if (::GetCapture() == m_hWnd) ::ReleaseCapture();
    KillTimer(DragSelectTimer);
    m_nDragSelTimer = 0;
    m_bDragSelection = FALSE;
}

void CTextView::OnLButtonDown(UINT flags, CPoint point) {
    CWnd::OnLButtonDown(flags, point);
    SetFocus();
    const BOOL shift = (flags & MK_SHIFT) != 0, control = (flags & MK_CONTROL) != 0;
    if (point.x < GetMarginWidth()) {
        if (control) {
            SelectToEnd();
            return;
        }
        m_ptCursorPos = CPoint(0, RoundedTextPos(point).y);
        if (!shift) m_ptAnchor = m_ptCursorPos;
        RefreshCaret();
        ScrollIntoView(m_ptCursorPos);
        SetSelection(LineAfter(m_ptAnchor.y), m_ptCursorPos);
        BeginDragSelect(TRUE, FALSE);
        return;
    }
    if (IsPosSelected(PointToTextPos(point)) && !m_bDisableDragAndDrop) {
        m_bPreparingToDrag = TRUE;
        return;
    }
    m_ptCursorPos = RoundedTextPos(point);
    if (!shift) m_ptAnchor = m_ptCursorPos;
    CPoint start = m_ptAnchor;
    if (control) start = SelectWordsAround();
    RefreshCaret();
    ScrollIntoView(m_ptCursorPos);
    SetSelection(start, m_ptCursorPos);
    BeginDragSelect(FALSE, control);
}

void CTextView::OnMouseMove(UINT flags, CPoint point) {
    CWnd::OnMouseMove(flags, point);
    if (m_bDragSelection) {
        const CPoint position = RoundedTextPos(point);
        if (m_bLineSelection) {
            if (point.x < GetMarginWidth()) {
                SelectLinesAround(position.y, FALSE);
                RefreshCaret();
                return;
            }
            // Off the margin the selection goes on by chars.
            ::SetCursor(LoadCursorA(nullptr, MAKEINTRESOURCEA(32513)));  // IDC_IBEAM
            m_bLineSelection = m_bWordSelection = FALSE;
        }
        m_ptCursorPos = position;
        const CPoint start = m_bWordSelection ? SelectWordsAround() : m_ptAnchor;
        RefreshCaret();
        SetSelection(start, m_ptCursorPos);
    } else if (m_bPreparingToDrag) {
        m_bPreparingToDrag = FALSE;
        HGLOBAL data = PrepareDragData();
        if (!data) return;
        const int undoPosition = m_pTextBuffer ? m_pTextBuffer->GetUndoPosition() : 0;
        if (m_pTextBuffer) m_pTextBuffer->BeginUndoGroup(FALSE);
        COleDataSource source;
        source.CacheGlobalData(CF_TEXT, data);
        m_bDraggingText = TRUE;
        const DROPEFFECT effect = source.DoDragDrop(GetDragEffects());
        if (effect != DROPEFFECT_NONE) OnDragFinished(effect);
        m_bDraggingText = FALSE;
        // Only a drag that edited tells the view of its last edit, not the edit before the drag.
        if (m_pTextBuffer)
            m_pTextBuffer->FlushUndoGroup(m_pTextBuffer->GetUndoPosition() != undoPosition ? this : nullptr);
    }
}

void CTextView::OnLButtonUp(UINT flags, CPoint point) {
    CWnd::OnLButtonUp(flags, point);
    if (m_bDragSelection) {
        const CPoint position = RoundedTextPos(point);
        if (m_bLineSelection) {
            SelectLinesAround(position.y, TRUE);
        } else {
            m_ptCursorPos = position;
            const CPoint start = m_bWordSelection ? SelectWordsAround() : m_ptAnchor;
            SetSelection(start, m_ptCursorPos);
        }
        ScrollIntoView(m_ptCursorPos);
        RefreshCaret();
        EndDragSelect();
    } else if (m_bPreparingToDrag) {
        // A click inside the selection without moving.
        m_bPreparingToDrag = FALSE;
        m_ptCursorPos = m_ptAnchor = RoundedTextPos(point);
        SetSelection(m_ptCursorPos, m_ptCursorPos);
        RefreshCaret();
    }
}

void CTextView::OnLButtonDblClk(UINT flags, CPoint point) {
    CWnd::OnLButtonDblClk(flags, point);
    if (m_bDragSelection) return;
    m_ptCursorPos = m_ptAnchor = RoundedTextPos(point);
    const CPoint start = SelectWordsAround();
    RefreshCaret();
    SetSelection(start, m_ptCursorPos);
    BeginDragSelect(FALSE, TRUE);
}

void CTextView::OnRButtonDown(UINT flags, CPoint point) {
    const CPoint position = PointToTextPos(point);
    if (!IsPosSelected(position)) {
        m_ptCursorPos = m_ptAnchor = position;
        SetSelection(position, position);
        RefreshCaret();
    }
    CWnd::OnRButtonDown(flags, point);
}

void CTextView::OnTimer(UINT_PTR id) {
    if (id != DragSelectTimer) return;
    const CPoint pointer = PointerInClient(m_hWnd);
    CRect client;
    GetClientRect(&client);
    const int lineHeight = GetLineHeight();
    bool changed = false;
    int top = m_nTopLine;
    if (pointer.y < client.top)
        top -= pointer.y < client.top - lineHeight ? 3 : 1;
    else if (pointer.y >= client.bottom)
        top += pointer.y >= client.bottom + lineHeight ? 3 : 1;
    top = std::max(0, std::min(top, GetLineCount() - 1));
    if (top != m_nTopLine) {
        ScrollToLine(top);
        NotifyScrolled(TRUE);
        changed = true;
    }
    int first = m_nOffsetChar;
    if (pointer.x < client.left)
        --first;
    else if (pointer.x >= client.right)
        ++first;
    first = std::max(0, std::min(first, GetMaxLineColumns() - 1));
    if (first != m_nOffsetChar) {
        ScrollToColumn(first);
        RefreshCaret();
        NotifyScrolled(FALSE);
        changed = true;
    }
    if (!changed) return;
    const CPoint position = RoundedTextPos(pointer);
    if (position != m_ptCursorPos) {
        m_ptCursorPos = position;
        RefreshCaret();
    }
    SetSelection(m_ptAnchor, m_ptCursorPos);
}

BOOL CTextView::OnSetCursor(CWnd* wnd, UINT hitTest, UINT message) {
    if (hitTest != HTCLIENT) return CWnd::OnSetCursor(wnd, hitTest, message);
    const CPoint pointer = PointerInClient(m_hWnd);
    HCURSOR cursor = nullptr;
    if (pointer.x < GetMarginWidth()) {
        cursor = LoadViewCursor(IDC_MARGIN_CURSOR);
    } else if (!IsPosSelected(PointToTextPos(pointer))) {
        if (IsHotWordAt(pointer)) cursor = LoadViewCursor(IDC_HOTWORD_CURSOR);
        if (!cursor) cursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32513));  // IDC_IBEAM
    } else if (!m_bDisableDragAndDrop) {
        cursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW: the selection can be dragged
    }
    if (cursor) ::SetCursor(cursor);
    return TRUE;
}

BOOL CTextView::IsHotWordAt(CPoint) { return FALSE; }

HCURSOR CTextView::LoadViewCursor(UINT id) {
    ScopedCursor& cursor = id == IDC_MARGIN_CURSOR ? marginCursor_ : hotWordCursor_;
    if (!cursor) {
        const HINSTANCE module = GetResourceHandle();
        const HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), RT_RCDATA);
        const HGLOBAL data = found ? LoadResource(module, found) : nullptr;
        BYTE* image = data ? static_cast<BYTE*>(LockResource(data)) : nullptr;
        if (image)
            cursor.Reset(CreateIconFromResourceEx(image, SizeofResource(module, found), FALSE, 0x00030000, 0, 0,
                                                  LR_DEFAULTCOLOR));
    }
    return cursor.Get();
}

void CTextView::OnSetFocus(CWnd* oldWnd) {
    CWnd::OnSetFocus(oldWnd);
    m_bFocused = TRUE;
    InvalidateSelection();
    RefreshCaret();
}

void CTextView::OnKillFocus(CWnd* newWnd) {
    CWnd::OnKillFocus(newWnd);
    m_bFocused = FALSE;
    RefreshCaret();
    InvalidateSelection();
    if (m_bDragSelection) EndDragSelect();
    if (CWnd* parent = GetParent()) {
        NMHDR header = {};
        header.hwndFrom = m_hWnd;
        header.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID());
        header.code = NM_KILLFOCUS;
        parent->SendMessage(WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
    }
}

// ---- Dragging the selection out ---------------------------------------------------------------

HGLOBAL CTextView::PrepareDragData() {
    if (!HasSelection()) return nullptr;
    CString text;
    GetText(m_ptDrawSelStart, m_ptDrawSelEnd, text);
    HGLOBAL data = MakeGlobalText(text.GetString(), static_cast<size_t>(text.GetLength()));
    if (!data) return nullptr;
    m_ptDraggedTextBegin = m_ptDrawSelStart;
    m_ptDraggedTextEnd = m_ptDrawSelEnd;
    return data;
}

DWORD CTextView::GetDragEffects() { return DROPEFFECT_COPY; }

void CTextView::OnDragFinished(DWORD) {}
