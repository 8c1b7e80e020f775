#include "controls/texteditor/EditReplaceDlg.h"
#include "classlib/CDataExchange.h"
#include "controls/texteditor/TextEditView.h"
#include "controls/texteditor/TextEditorRes.h"
#include "controls/texteditor/TextSearch.h"
#include <algorithm>

BEGIN_MESSAGE_MAP(CEditReplaceDlg, CDialog)
    ON_EN_CHANGE(IDC_EDIT_TEXT, OnChangeText)
    ON_BN_CLICKED(IDC_EDIT_FIND_NEXT, OnFindNext)
    ON_BN_CLICKED(IDC_EDIT_REPLACE, OnReplace)
    ON_BN_CLICKED(IDC_EDIT_REPLACE_ALL, OnReplaceAll)
END_MESSAGE_MAP()

CEditReplaceDlg::CEditReplaceDlg(CTextEditView* view)
    : CDialog(IDD_EDIT_REPLACE, view), m_pBuddy(view), m_bFound(FALSE), m_ptCurrentPos(0, 0),
      m_bEnableScopeSelection(TRUE), m_ptStartPos(0, 0), m_ptBlockBegin(0, 0), m_ptBlockEnd(0, 0),
      m_bMatchCase(FALSE), m_bWholeWord(FALSE), m_nScope(-1) {}

void CEditReplaceDlg::DoDataExchange(CDataExchange* dx) {
    DDX_Text(dx, IDC_EDIT_TEXT, m_sText);
    DDX_Text(dx, IDC_EDIT_REPLACE_WITH, m_sNewText);
    DDX_Check(dx, IDC_EDIT_WHOLE_WORD, m_bWholeWord);
    DDX_Check(dx, IDC_EDIT_MATCH_CASE, m_bMatchCase);
    DDX_Radio(dx, IDC_EDIT_SCOPE_SELECTION, m_nScope);
}

BOOL CEditReplaceDlg::OnInitDialog() {
    // Nothing is found yet, whatever the opener had selected: the first Replace only searches,
    // it never replaces the user's own selection.
    m_bFound = FALSE;
    CDialog::OnInitDialog();
    if (CWnd* selection = GetDlgItem(IDC_EDIT_SCOPE_SELECTION)) selection->EnableWindow(m_bEnableScopeSelection);
    UpdateFindButton();
    return TRUE;
}

void CEditReplaceDlg::OnCancel() {
    // The opener stores the choices even when the dialog is cancelled.
    UpdateData(TRUE);
    CDialog::OnCancel();
}

void CEditReplaceDlg::OnChangeText() { UpdateFindButton(); }

void CEditReplaceDlg::UpdateFindButton() {
    CWnd* text = GetDlgItem(IDC_EDIT_TEXT);
    if (CWnd* find = GetDlgItem(IDC_EDIT_FIND_NEXT)) find->EnableWindow(text && text->GetWindowTextLength() > 0);
}

BOOL CEditReplaceDlg::TakeValues() {
    // Nothing to find: no button does anything (the search would refuse it anyway).
    return UpdateData(TRUE) && m_pBuddy && !m_sText.IsEmpty();
}

void CEditReplaceDlg::FindStep() {
    const DWORD flags = (m_bMatchCase ? FIND_MATCH_CASE : 0) | (m_bWholeWord ? FIND_WHOLE_WORD : 0);
    CPoint found;
    const BOOL hit = m_nScope == 0
                         ? m_pBuddy->FindTextInRange(m_sText, m_ptCurrentPos, m_ptBlockBegin, m_ptBlockEnd, flags,
                                                     FALSE, found)
                         : m_pBuddy->FindText(m_sText, m_ptCurrentPos, flags, FALSE, found);
    if (hit) {
        m_ptCurrentPos = found;
        m_pBuddy->SelectFoundText(found, m_sText.GetLength());
        m_bFound = TRUE;
        return;
    }
    MessageBox(m_pBuddy->GetNotFoundMessage(m_sText), nullptr, MB_OK);
    m_ptStartPos = m_nScope == 0 ? m_ptBlockBegin : CPoint(0, 0);
    m_bFound = FALSE;
}

void CEditReplaceDlg::ReplaceMatch() {
    // In char offsets, so that a replacement with line breaks moves what follows correctly. The
    // match is what the view has selected: "Find what" may have changed since it was found.
    CPoint selectionStart, selectionEnd;
    m_pBuddy->GetSelection(selectionStart, selectionEnd);
    const int matchStart = m_pBuddy->TextPosToOffset(selectionStart);
    const int matchEnd = m_pBuddy->TextPosToOffset(selectionEnd);
    const int blockBegin = m_pBuddy->TextPosToOffset(m_ptBlockBegin);
    const int blockEnd = m_pBuddy->TextPosToOffset(m_ptBlockEnd);
    m_pBuddy->ReplaceSelection(m_sNewText);
    // The next search starts after the replacement, wherever its line breaks took it.
    m_ptCurrentPos = m_pBuddy->GetCursorPos();
    if (!m_bEnableScopeSelection) return;
    const int shift = m_pBuddy->TextPosToOffset(m_ptCurrentPos) - matchEnd;
    auto correct = [&](int offset) { return offset > matchStart ? std::max(matchStart, offset + shift) : offset; };
    m_ptBlockBegin = m_pBuddy->OffsetToTextPos(correct(blockBegin));
    m_ptBlockEnd = m_pBuddy->OffsetToTextPos(correct(blockEnd));
}

void CEditReplaceDlg::OnFindNext() {
    if (!TakeValues()) return;
    if (m_bFound)
        ++m_ptCurrentPos.x;
    else
        m_ptCurrentPos = m_ptStartPos;
    FindStep();
}

void CEditReplaceDlg::OnReplace() {
    if (!TakeValues()) return;
    if (!m_bFound) {
        m_ptCurrentPos = m_ptStartPos;
        FindStep();
        return;
    }
    ReplaceMatch();
    FindStep();
}

void CEditReplaceDlg::OnReplaceAll() {
    if (!TakeValues()) return;
    if (!m_bFound) {
        m_ptCurrentPos = m_ptStartPos;
        FindStep();
    }
    // Each search starts after the last replacement: the loop ends even when the replacement
    // holds the text it replaces.
    while (m_bFound) {
        ReplaceMatch();
        FindStep();
    }
}
