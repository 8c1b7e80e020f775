#include "OrvServiceManager/CTabPage.h"
#include "classlib/CWinApp.h"

IMPLEMENT_DYNAMIC(CTabPage, CDialog)

CTabPage::CTabPage() : m_bRouteCommand(FALSE), m_bRouteCmdMsg(FALSE), m_bRouteNotify(FALSE) {
    AfxEnableControlContainer();
}

CTabPage::CTabPage(UINT templateId, CWnd* parent)
    : CDialog(templateId, parent), m_bRouteCommand(FALSE), m_bRouteCmdMsg(FALSE), m_bRouteNotify(FALSE) {
    AfxEnableControlContainer();
}

BOOL CTabPage::OnCommand(WPARAM wParam, LPARAM lParam) {
    BOOL handled = CDialog::OnCommand(wParam, lParam);
    CWnd* parent = GetParent();
    if (m_bRouteCommand && parent) return static_cast<BOOL>(parent->SendMessage(WM_COMMAND, wParam, lParam));
    return handled;
}

BOOL CTabPage::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    BOOL handled = CDialog::OnNotify(wParam, lParam, result);
    CWnd* parent = GetParent();
    if (m_bRouteNotify && parent) {
        *result = parent->SendMessage(WM_NOTIFY, wParam, lParam);
        return TRUE;
    }
    return handled;
}

BOOL CTabPage::OnCmdMsg(UINT id, int code, void* extra, void* handlerInfo) {
    BOOL handled = CDialog::OnCmdMsg(id, code, extra, handlerInfo);
    CWnd* parent = GetParent();
    if (m_bRouteCmdMsg && code == CN_EVENT && parent) return parent->OnCmdMsg(id, code, extra, handlerInfo);
    return handled;
}
