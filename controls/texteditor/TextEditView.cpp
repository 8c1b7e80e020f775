// CTextEditView: state, window life, the read-only switch, the update hook, and the typing keys
// (characters, Enter with auto-indent, Delete, Backspace, Tab, Shift+Tab, Insert). The clipboard,
// undo and replace commands are in TextEditViewCommands.cpp, drag and drop in TextEditViewDrop.cpp.
#include "controls/texteditor/TextEditView.h"
#include "controls/texteditor/EditDropTargetImpl.h"
#include "controls/texteditor/TextBuffer.h"
#include "controls/texteditor/TextEditorRes.h"
#include <algorithm>
#include <cctype>
#include <cstring>

IMPLEMENT_DYNAMIC(CTextEditView, CTextView)

BEGIN_MESSAGE_MAP(CTextEditView, CTextView)
    ON_WM_CREATE()
    ON_WM_DESTROY()
    ON_WM_CHAR()
    ON_COMMAND(ID_EDIT_PASTE, OnEditPaste)
    ON_UPDATE_COMMAND_UI(ID_EDIT_PASTE, OnUpdateEditPaste)
    ON_COMMAND(ID_EDIT_CUT, OnEditCut)
    ON_UPDATE_COMMAND_UI(ID_EDIT_CUT, OnUpdateEditCut)
    ON_COMMAND(ID_EDIT_REPLACE, OnEditReplace)
    ON_COMMAND(ID_EDIT_UNDO, OnEditUndo)
    ON_UPDATE_COMMAND_UI(ID_EDIT_UNDO, OnUpdateEditUndo)
    ON_COMMAND(ID_EDIT_REDO, OnEditRedo)
    ON_UPDATE_COMMAND_UI(ID_EDIT_REDO, OnUpdateEditRedo)
    ON_COMMAND(ID_EDIT_DELETE, OnEditDelete)
    ON_COMMAND(ID_EDIT_DELETE_BACK, OnEditDeleteBack)
    ON_COMMAND(ID_EDIT_TAB, OnEditTab)
    ON_COMMAND(ID_EDIT_UNTAB, OnEditUntab)
    ON_COMMAND(ID_EDIT_SWITCH_OVRMODE, OnEditSwitchOvrmode)
    ON_UPDATE_COMMAND_UI(ID_EDIT_SWITCH_OVRMODE, OnUpdateEditSwitchOvrmode)
    ON_UPDATE_COMMAND_UI(ID_INDICATOR_OVR, OnUpdateIndicatorOvr)
    ON_UPDATE_COMMAND_UI(ID_EDIT_INDICATOR_READ, OnUpdateIndicatorRead)
    ON_UPDATE_COMMAND_UI(ID_EDIT_INDICATOR_DISABLED, OnUpdateIndicatorDisabled)
END_MESSAGE_MAP()

CTextEditView::CTextEditView()
    : m_bOvrMode(FALSE), m_bDropPosVisible(FALSE), m_bSelectionPushed(FALSE), m_bAutoIndent(TRUE),
      m_bDisableBSAtSOL(FALSE), m_pDropTarget(nullptr), m_bReadOnly(FALSE), holdHorzUpdate_(false),
      horzUpdatePending_(false) {}

CTextEditView::~CTextEditView() { delete m_pDropTarget; }

int CTextEditView::OnCreate(LPCREATESTRUCTA cs) {
    if (CTextView::OnCreate(cs) == -1) return -1;
    // Without OLE in this thread the system refuses; the view then takes no drops.
    m_pDropTarget = new CEditDropTargetImpl(this);
    if (!m_pDropTarget->Register(this)) {
        delete m_pDropTarget;
        m_pDropTarget = nullptr;
    }
    return 0;
}

void CTextEditView::OnDestroy() {
    if (m_pDropTarget) {
        m_pDropTarget->Revoke();
        delete m_pDropTarget;
        m_pDropTarget = nullptr;
    }
    CTextView::OnDestroy();
}

void CTextEditView::ResetView() {
    m_bAutoIndent = TRUE;
    m_bOvrMode = FALSE;
    CTextView::ResetView();
}

BOOL CTextEditView::IsEditable() { return m_pTextBuffer && !m_pTextBuffer->IsReadOnly(); }

void CTextEditView::SetReadOnly(BOOL readOnly) {
    m_bReadOnly = readOnly;
    if (m_pTextBuffer) m_pTextBuffer->SetReadOnly(readOnly);
}

void CTextEditView::UpdateView(TextBufferView* source, CUpdateContext* context, DWORD flags, int line) {
    if (holdHorzUpdate_ && (flags & CTextBuffer::UpdateHorzRange)) {
        horzUpdatePending_ = true;
        flags &= ~static_cast<DWORD>(CTextBuffer::UpdateHorzRange);
    }
    CTextView::UpdateView(source, context, flags, line);
    // The block the Replace dialog works in follows its edits.
    if (m_bSelectionPushed && context) {
        context->RecalcPoint(m_ptSavedSelStart);
        context->RecalcPoint(m_ptSavedSelEnd);
    }
}

// ---- Helpers ----------------------------------------------------------------------------------

void CTextEditView::MoveTo(CPoint position) {
    SetAnchor(position);
    SetSelection(position, position);
    SetCursorPos(position);
    ScrollIntoView(position);
}

BOOL CTextEditView::DeleteSelection(int action) {
    if (!HasSelection() || !m_pTextBuffer) return FALSE;
    CPoint start, end;
    GetSelection(start, end);
    // Read back through the offset: rewrapping may move the position.
    const int offset = TextPosToOffset(start);
    if (!m_pTextBuffer->DeleteText(this, start.y, start.x, end.y, end.x, action)) return FALSE;
    MoveTo(OffsetToTextPos(offset));
    return TRUE;
}

void CTextEditView::SelectInserted(CPoint start, CPoint end, CPoint anchor) {
    m_ptAnchor = anchor;
    SetSelection(start, end);
    SetCursorPos(end);
    ScrollIntoView(end);
}

void CTextEditView::InsertAtCursor(const char* text, int action) {
    int endLine = 0, endChar = 0;
    if (m_pTextBuffer->InsertText(this, m_ptCursorPos.y, m_ptCursorPos.x, text, endLine, endChar, action))
        MoveTo(CPoint(endChar, endLine));
}

// ---- Typing -----------------------------------------------------------------------------------

void CTextEditView::OnChar(UINT ch, UINT repeat, UINT flags) {
    CTextView::OnChar(ch, repeat, flags);
    if ((GetKeyState(VK_LBUTTON) & 0x8000) || (GetKeyState(VK_RBUTTON) & 0x8000)) return;
    if (ch == '\r') {
        if (m_bOvrMode && m_ptCursorPos.y < GetLineCount() - 1) {
            MoveTo(CPoint(0, m_ptCursorPos.y + 1));
            return;
        }
        if (!IsEditable()) return;
        m_pTextBuffer->BeginUndoGroup(FALSE);
        DeleteSelection(ActionTyping);
        InsertAtCursor("\r\n", ActionTyping);
        // The buffer calls OnTextEdited now, which indents the new line.
        m_pTextBuffer->FlushUndoGroup(this);
        return;
    }
    if (ch < ' ' || !IsEditable()) return;
    // A run of characters undoes as one step; a blank starts the next run.
    m_pTextBuffer->BeginUndoGroup(ch != ' ');
    if (!DeleteSelection(ActionTyping) && m_bOvrMode && m_ptCursorPos.x < GetLineLength(m_ptCursorPos.y))
        m_pTextBuffer->DeleteText(this, m_ptCursorPos.y, m_ptCursorPos.x, m_ptCursorPos.y, m_ptCursorPos.x + 1,
                                  ActionTyping);
    const char text[2] = {static_cast<char>(ch), '\0'};
    InsertAtCursor(text, ActionTyping);
    m_pTextBuffer->FlushUndoGroup(this);
}

void CTextEditView::OnTextEdited(int action, const char* text) {
    // Only a line break typed into an editable view indents: never an append to a read-only log.
    if (m_bAutoIndent && !m_bOvrMode && action == ActionTyping && text && std::strcmp(text, "\r\n") == 0 &&
        IsEditable() && m_ptCursorPos.y > 0) {
        const int above = m_ptCursorPos.y - 1;
        const char* chars = GetLineText(above);
        const int length = GetLineLength(above);
        int blanks = 0;
        while (blanks < length && std::isspace(static_cast<unsigned char>(chars[blanks]))) ++blanks;
        if (blanks > 0) {
            // No source view: the buffer does not call this hook again. It has already marked the
            // next record as a group's start, so the indent undoes on its own.
            const CString indent(chars, blanks);
            int endLine = 0, endChar = 0;
            if (m_pTextBuffer->InsertText(nullptr, m_ptCursorPos.y, m_ptCursorPos.x, indent, endLine, endChar,
                                          ActionAutoIndent))
                MoveTo(CPoint(endChar, endLine));
        }
    }
    NotifyModified();
}

void CTextEditView::OnEditDelete() {
    if (!IsEditable()) return;
    CPoint start, end;
    GetSelection(start, end);
    if (start == end) {
        if (end.x >= GetLineLength(end.y)) {
            if (end.y >= GetLineCount() - 1) return;
            // A wrap break has no position of its own: past it, one char of the next line goes.
            const int next = end.y + 1;
            end = CPoint(m_pTextBuffer->IsParagraphStart(next) ? 0 : std::min(1, GetLineLength(next)), next);
        } else {
            ++end.x;
        }
    }
    MoveTo(start);
    m_pTextBuffer->DeleteText(this, start.y, start.x, end.y, end.x, ActionDelete);
}

void CTextEditView::OnEditDeleteBack() {
    if (HasSelection()) {
        OnEditDelete();
        return;
    }
    if (!IsEditable()) return;
    const CPoint at = m_ptCursorPos;
    CPoint from(at.x - 1, at.y);
    if (at.x == 0) {
        if (m_bDisableBSAtSOL || at.y == 0) return;
        from = CPoint(GetLineLength(at.y - 1), at.y - 1);
        // On a continuation line the line start and the end of the line before are one position.
        if (!m_pTextBuffer->IsParagraphStart(at.y) && from.x > 0) --from.x;
    }
    // Elsewhere, also at char 1 of a continuation line, exactly the one char before the cursor.
    const int offset = TextPosToOffset(from);
    if (m_pTextBuffer->DeleteText(this, from.y, from.x, at.y, at.x, ActionBackspace)) MoveTo(OffsetToTextPos(offset));
}

// ---- Tab and Shift+Tab ------------------------------------------------------------------------

BOOL CTextEditView::GetIndentLines(int& first, int& last) {
    CPoint start, end;
    GetSelection(start, end);
    if (start.y == end.y) return FALSE;
    first = start.y;
    // A selection ending at a line's start leaves that line out.
    last = end.x == 0 ? end.y - 1 : end.y;
    return TRUE;
}

void CTextEditView::SelectWholeLines(int first, int last) {
    const CPoint start(0, first), end = LineAfter(last);
    m_ptAnchor = start;
    m_ptCursorPos = end;
    m_nIdealColumn = ColumnOfChar(end.y, end.x);
    SetSelection(start, end);
    RefreshCaret();
}

void CTextEditView::EditLines(int first, int last, void (CTextEditView::*edit)(int line)) {
    m_pTextBuffer->BeginUndoGroup(FALSE);
    holdHorzUpdate_ = true;
    for (int line = first; line <= last; ++line) (this->*edit)(line);
    holdHorzUpdate_ = false;
    if (horzUpdatePending_) {
        horzUpdatePending_ = false;
        ForgetMaxLineColumns();
        UpdateHorzScrollBar();
    }
    SelectWholeLines(first, last);
    m_pTextBuffer->FlushUndoGroup(this);
}

void CTextEditView::IndentLine(int line) {
    int endLine = 0, endChar = 0;
    m_pTextBuffer->InsertText(this, line, 0, "\t", endLine, endChar, ActionIndent);
}

void CTextEditView::UnindentLine(int line) {
    // One level: blanks up to the tab size, or fewer blanks and a tab.
    const char* chars = GetLineText(line);
    const int length = GetLineLength(line);
    int count = 0;
    while (count < length && count < m_nTabSize && chars[count] == ' ') ++count;
    if (count < length && count < m_nTabSize && chars[count] == '\t') ++count;
    if (count > 0) m_pTextBuffer->DeleteText(this, line, 0, line, count, ActionIndent);
}

void CTextEditView::OnEditTab() {
    if (!IsEditable()) return;
    int first = 0, last = 0;
    if (GetIndentLines(first, last)) {
        EditLines(first, last, &CTextEditView::IndentLine);
        return;
    }
    const int length = GetLineLength(m_ptCursorPos.y);
    if (m_bOvrMode && m_ptCursorPos.x < length) {
        // Overwriting, Tab only moves: to the next tab stop, or past a tab char on the way.
        const char* chars = GetLineText(m_ptCursorPos.y);
        int x = m_ptCursorPos.x;
        for (int left = m_nTabSize - ColumnOfChar(m_ptCursorPos.y, x) % m_nTabSize; left > 0 && x < length; --left)
            if (chars[x++] == '\t') break;
        MoveTo(CPoint(x, m_ptCursorPos.y));
        return;
    }
    m_pTextBuffer->BeginUndoGroup(FALSE);
    DeleteSelection(ActionTyping);
    InsertAtCursor("\t", ActionTyping);
    m_pTextBuffer->FlushUndoGroup(this);
}

void CTextEditView::OnEditUntab() {
    if (!IsEditable()) return;
    int first = 0, last = 0;
    if (GetIndentLines(first, last)) {
        EditLines(first, last, &CTextEditView::UnindentLine);
        return;
    }
    // Back to the previous tab stop, the text unchanged.
    const CPoint at = m_ptCursorPos;
    if (at.x == 0) return;
    const int column = ColumnOfChar(at.y, at.x), tab = m_nTabSize;
    const int target = column % tab == 0 ? column - tab : column - column % tab;
    const char* chars = GetLineText(at.y);
    const int length = GetLineLength(at.y);
    int x = 0;
    for (int reached = 0; x < length && reached < target; ++x)
        reached = chars[x] == '\t' ? reached + tab - reached % tab : reached + 1;
    MoveTo(CPoint(x, at.y));
}

// ---- Overwrite mode and indicators ------------------------------------------------------------

void CTextEditView::OnEditSwitchOvrmode() { m_bOvrMode = !m_bOvrMode; }

void CTextEditView::OnUpdateEditSwitchOvrmode(CCmdUI* ui) { ui->SetCheck(m_bOvrMode ? 1 : 0); }

void CTextEditView::OnUpdateIndicatorOvr(CCmdUI* ui) { ui->Enable(m_bOvrMode); }

void CTextEditView::OnUpdateIndicatorRead(CCmdUI* ui) { ui->Enable(m_pTextBuffer && m_pTextBuffer->IsReadOnly()); }

void CTextEditView::OnUpdateIndicatorDisabled(CCmdUI* ui) { ui->Enable(FALSE); }
