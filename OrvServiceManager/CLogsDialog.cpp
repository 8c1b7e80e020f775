#include "OrvServiceManager/CLogsDialog.h"
#include "OrvServiceManager/OrvServiceManagerRes.h"
#include "classlib/CWinApp.h"
#include "common/Exception.h"

namespace {
const char* const kPageCaption = "Orvanti Service Manager";
}

IMPLEMENT_DYNAMIC(CLogsDialog, CTabPage)

BEGIN_MESSAGE_MAP(CLogsDialog, CTabPage)
    ON_WM_TIMER()
END_MESSAGE_MAP()

CLogsDialog::CLogsDialog(CWnd* parent) : CTabPage(IDD_LOGS, parent), m_timer(kTimerId, kTimerMs) {}

BOOL CLogsDialog::OnInitDialog() {
    CTabPage::OnInitDialog();
    Refresh();
    if (!m_timer.Start(*this)) MessageBox("Unable to set up logs updating.", kPageCaption, MB_ICONEXCLAMATION);
    return TRUE;
}

void CLogsDialog::OnTimer(UINT_PTR id) {
    m_timer.Tick(*this, id, [this] { Refresh(); });
    CTabPage::OnTimer(id);
}

void CLogsDialog::Refresh() {
    try {
        Show(m_follower.Refresh());
    } catch (const Exception& e) {
        CString text;
        text.Format("Problem when reading logs. %s", e.GetFullMessage());
        AfxMessageBox(text, MB_OK, 0);
    } catch (...) {
        AfxMessageBox("Unknown problem when reading logs.", MB_OK, 0);
    }
}

void CLogsDialog::Show(const LogFollower::Change&) {}
