#include "OrvServiceManager/CLogsDialog.h"
#include "OrvServiceManager/FailureMessage.h"
#include "OrvServiceManager/OrvServiceManagerRes.h"

IMPLEMENT_DYNAMIC(CLogsDialog, CTabPage)

BEGIN_MESSAGE_MAP(CLogsDialog, CTabPage)
    ON_WM_TIMER()
END_MESSAGE_MAP()

CLogsDialog::CLogsDialog(CWnd* parent) : CTabPage(IDD_LOGS, parent), m_timer(kTimerId, kTimerMs) {
    m_editor.SetParserKind(CTextView::ParserLog);
}

BOOL CLogsDialog::OnInitDialog() {
    CTabPage::OnInitDialog();
    CreateEditor();
    Refresh();
    m_timer.Start(*this, "Unable to set up logs updating.");
    return TRUE;
}

void CLogsDialog::OnTimer(UINT_PTR id) {
    m_timer.Tick(*this, id, [this] { Refresh(); });
    CTabPage::OnTimer(id);
}

void CLogsDialog::Refresh() {
    try {
        Show(m_follower.Refresh());
    } catch (...) {
        ShowCaughtFailure("Problem when reading logs. %s", "Unknown problem when reading logs.");
    }
}

void CLogsDialog::CreateEditor() {
    CWnd* placeholder = GetDlgItem(IDC_EDITOR_PLACEHOLDER);
    if (!placeholder) return;
    CRect area;
    placeholder->GetWindowRect(&area);
    area.OffsetRect(-area.left + 8, -area.top + 10);
    // A tab stop, so that the keyboard reaches the log as the mouse does: the page hands its
    // focus to it, and Tab comes back to it from the dialog's other controls.
    if (!m_editor.Create(nullptr, "Editor", WS_CHILD | WS_VISIBLE | WS_TABSTOP, area, this, IDC_LOG_EDITOR)) return;
    m_editor.SetReadOnly(TRUE);
    m_editor.SetMarginVisible(FALSE);
    m_editor.SetText("");
}

void CLogsDialog::Show(const LogFollower::Change& change) {
    if (change.rebuilt) m_editor.SetText("");
    if (change.text.empty()) return;
    m_editor.AppendText(change.text.c_str());
    if (m_editor.m_hWnd) m_editor.ScrollIntoView(CPoint(0, m_editor.GetLineCount() - 1));
}
