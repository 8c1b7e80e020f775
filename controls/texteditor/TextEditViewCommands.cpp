// CTextEditView: paste, cut, undo and redo with their menu texts, the Replace command with its
// profile settings, and replacing or deleting the selection.
#include "controls/texteditor/TextEditView.h"
#include "classlib/CWinApp.h"
#include "controls/texteditor/EditReplaceDlg.h"
#include "controls/texteditor/TextBuffer.h"
#include "controls/texteditor/TextEditorRes.h"

namespace {
const char kReplaceSection[] = "Editor\\Replace";
}  // namespace

// ---- Clipboard --------------------------------------------------------------------------------

void CTextEditView::OnEditPaste() {
    if (!IsEditable()) return;
    // Read first: a clipboard that cannot be read leaves the selection as it is.
    CString text;
    if (!GetFromClipboard(text)) return;
    m_pTextBuffer->BeginUndoGroup(FALSE);
    DeleteSelection(ActionPaste);
    InsertAtCursor(text, ActionPaste);
    m_pTextBuffer->FlushUndoGroup(this);
}

void CTextEditView::OnUpdateEditPaste(CCmdUI* ui) { ui->Enable(ClipboardHasText()); }

void CTextEditView::OnEditCut() {
    if (!IsEditable() || !HasSelection()) return;
    CPoint start, end;
    GetSelection(start, end);
    CString text;
    GetText(start, end, text);
    // Only text that is safely on the clipboard leaves the buffer.
    if (!PutToClipboard(text)) return;
    DeleteSelection(ActionCut);
}

void CTextEditView::OnUpdateEditCut(CCmdUI* ui) { ui->Enable(HasSelection()); }

// ---- Undo and redo ----------------------------------------------------------------------------

void CTextEditView::OnEditUndo() {
    CPoint cursor;
    if (!m_pTextBuffer || !m_pTextBuffer->CanUndo() || !m_pTextBuffer->Undo(cursor)) return;
    MoveTo(cursor);
    NotifyModified();
}

void CTextEditView::OnEditRedo() {
    CPoint cursor;
    if (!m_pTextBuffer || !m_pTextBuffer->CanRedo() || !m_pTextBuffer->Redo(cursor)) return;
    MoveTo(cursor);
    NotifyModified();
}

CString CTextEditView::MenuText(UINT formatId, UINT plainId, BOOL possible, const CString& description) {
    char format[256] = "";
    LoadStringA(GetResourceHandle(), possible ? formatId : plainId, format, sizeof(format));
    CString text;
    if (possible)
        text.Format(format, description.GetString());
    else
        text = format;
    return text;
}

void CTextEditView::OnUpdateEditUndo(CCmdUI* ui) {
    const BOOL possible = m_pTextBuffer && m_pTextBuffer->CanUndo();
    ui->Enable(possible);
    if (!ui->m_hMenu) return;
    CString description;
    if (possible) m_pTextBuffer->GetUndoDescription(description);
    ui->SetText(MenuText(IDS_MENU_UNDO_FORMAT, IDS_MENU_UNDO_DEFAULT, possible, description));
}

void CTextEditView::OnUpdateEditRedo(CCmdUI* ui) {
    const BOOL possible = m_pTextBuffer && m_pTextBuffer->CanRedo();
    ui->Enable(possible);
    if (!ui->m_hMenu) return;
    CString description;
    if (possible) m_pTextBuffer->GetRedoDescription(description);
    ui->SetText(MenuText(IDS_MENU_REDO_FORMAT, IDS_MENU_REDO_DEFAULT, possible, description));
}

// ---- Replace ----------------------------------------------------------------------------------

void CTextEditView::OnEditReplace() {
    if (!IsEditable()) return;
    CWinApp* app = AfxGetApp();
    CEditReplaceDlg dialog(this);
    if (app) {
        dialog.m_bMatchCase = app->GetProfileInt(kReplaceSection, "MatchCase", 0) != 0;
        dialog.m_bWholeWord = app->GetProfileInt(kReplaceSection, "WholeWord", 0) != 0;
        dialog.m_sText = app->GetProfileString(kReplaceSection, "FindWhat", "");
        dialog.m_sNewText = app->GetProfileString(kReplaceSection, "ReplaceWith", "");
    }
    if (HasSelection()) {
        GetSelection(m_ptSavedSelStart, m_ptSavedSelEnd);
        m_bSelectionPushed = TRUE;
        dialog.m_bEnableScopeSelection = TRUE;
        dialog.m_nScope = 0;
        dialog.m_ptCurrentPos = dialog.m_ptStartPos = dialog.m_ptBlockBegin = m_ptSavedSelStart;
        dialog.m_ptBlockEnd = m_ptSavedSelEnd;
    } else {
        dialog.m_bEnableScopeSelection = FALSE;
        dialog.m_nScope = 1;
        dialog.m_ptCurrentPos = dialog.m_ptStartPos = m_ptCursorPos;
    }

    SetShowInactiveSelection(TRUE);
    dialog.DoModal();
    SetShowInactiveSelection(FALSE);

    if (m_bSelectionPushed) {
        m_ptAnchor = m_ptSavedSelStart;
        m_ptCursorPos = m_ptSavedSelEnd;
        SetSelection(m_ptSavedSelStart, m_ptSavedSelEnd);
        RefreshCaret();
        m_bSelectionPushed = FALSE;
    }
    if (app) {
        app->WriteProfileInt(kReplaceSection, "MatchCase", dialog.m_bMatchCase ? 1 : 0);
        app->WriteProfileInt(kReplaceSection, "WholeWord", dialog.m_bWholeWord ? 1 : 0);
        app->WriteProfileString(kReplaceSection, "FindWhat", dialog.m_sText);
        app->WriteProfileString(kReplaceSection, "ReplaceWith", dialog.m_sNewText);
    }
}

BOOL CTextEditView::ReplaceSelection(const char* text) {
    if (!IsEditable() || !HasSelection()) return FALSE;
    CPoint start, end;
    GetSelection(start, end);
    const int offset = TextPosToOffset(start);
    // Two undo steps: the deletion and the insertion.
    if (!m_pTextBuffer->DeleteText(this, start.y, start.x, end.y, end.x, ActionDeleteSelection)) return FALSE;
    const CPoint at = OffsetToTextPos(offset);
    int endLine = at.y, endChar = at.x;
    m_pTextBuffer->InsertText(this, at.y, at.x, text, endLine, endChar, ActionReplace);
    const CPoint after(endChar, endLine);
    SelectInserted(at, after, after);
    return TRUE;
}

BOOL CTextEditView::DeleteCurrentSelection() {
    if (!IsEditable()) return FALSE;
    return DeleteSelection(ActionDeleteSelection);
}
