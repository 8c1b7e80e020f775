#include "controls/texteditor/FindTextDlg.h"
#include "classlib/CDataExchange.h"
#include "controls/texteditor/TextEditorRes.h"
#include "controls/texteditor/TextSearch.h"
#include "controls/texteditor/TextView.h"

BEGIN_MESSAGE_MAP(CFindTextDlg, CDialog)
    ON_EN_CHANGE(IDC_EDIT_TEXT, OnChangeText)
END_MESSAGE_MAP()

CFindTextDlg::CFindTextDlg(CTextView* view)
    : CDialog(IDD_EDIT_FIND, view), m_pBuddy(view), m_ptCurrentPos(0, 0), m_nDirection(1), m_bMatchCase(FALSE),
      m_bWholeWord(FALSE) {}

DWORD CFindTextDlg::GetSearchFlags() const {
    return (m_bMatchCase ? FIND_MATCH_CASE : 0) | (m_bWholeWord ? FIND_WHOLE_WORD : 0) |
           (m_nDirection == 0 ? FIND_DIRECTION_UP : 0);
}

void CFindTextDlg::DoDataExchange(CDataExchange* dx) {
    DDX_Text(dx, IDC_EDIT_TEXT, m_sText);
    DDX_Check(dx, IDC_EDIT_WHOLE_WORD, m_bWholeWord);
    DDX_Check(dx, IDC_EDIT_MATCH_CASE, m_bMatchCase);
    DDX_Radio(dx, IDC_EDIT_DIRECTION_UP, m_nDirection);
}

BOOL CFindTextDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    UpdateFindButton();
    return TRUE;
}

void CFindTextDlg::OnChangeText() { UpdateFindButton(); }

void CFindTextDlg::UpdateFindButton() {
    CWnd* text = GetDlgItem(IDC_EDIT_TEXT);
    if (CWnd* find = GetDlgItem(IDOK)) find->EnableWindow(text && text->GetWindowTextLength() > 0);
}

void CFindTextDlg::OnOK() {
    if (!UpdateData(TRUE)) return;
    // Enter reaches here even while Find Next is disabled.
    if (!m_pBuddy || m_sText.IsEmpty()) return;
    const DWORD flags = GetSearchFlags();
    CPoint found;
    if (m_pBuddy->FindText(m_sText, m_pBuddy->GetSearchStart(m_ptCurrentPos, flags), flags, TRUE, found)) {
        m_pBuddy->SelectFoundText(found, m_sText.GetLength());
        EndDialog(IDOK);
        return;
    }
    MessageBox(m_pBuddy->GetNotFoundMessage(m_sText), nullptr, MB_OK);
    m_ptCurrentPos = CPoint(0, 0);
}

void CFindTextDlg::OnCancel() {
    // The opener stores the choices even when the dialog is cancelled.
    UpdateData(TRUE);
    CDialog::OnCancel();
}
