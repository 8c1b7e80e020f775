#include "OrvServiceManager/CGenericChildDialog.h"

BEGIN_MESSAGE_MAP(CGenericChildDialog, CDialog)
END_MESSAGE_MAP()

CGenericChildDialog::CGenericChildDialog() : m_nNotifyValue(0), m_pParent(nullptr) {}

BOOL CGenericChildDialog::CreatePage(CWnd* parent, int notifyValue, CRect& margins, const RECT* given) {
    m_pParent = parent;
    m_nNotifyValue = notifyValue;
    if (!Create(GetTemplateId(), parent)) return FALSE;
    margins = given ? CRect(*given) : CRect(0, 0, 0, 0);
    return TRUE;
}

BOOL CGenericChildDialog::CreateInPlaceholder(CWnd* parent, UINT placeholderId, int notifyValue, const RECT* margins) {
    CWnd* placeholder = parent ? parent->GetDlgItem(static_cast<int>(placeholderId)) : nullptr;
    if (!placeholder) return FALSE;
    CRect margin;
    if (!CreatePage(parent, notifyValue, margin, margins)) return FALSE;
    CRect place, own;
    placeholder->GetWindowRect(&place);
    parent->ScreenToClient(&place);
    GetClientRect(&own);
    MoveWindow(place.left + margin.left, place.top + margin.top, own.Width(), own.Height(), TRUE);
    placeholder->SetWindowPos(nullptr, 0, 0, own.Width() + margin.left + margin.right,
                              own.Height() + margin.top + margin.bottom, SWP_NOMOVE | SWP_NOZORDER);
    return SetWindowPos(placeholder, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

BOOL CGenericChildDialog::CreateAtPoint(CWnd* parent, POINT point, int notifyValue, const RECT* margins) {
    CRect margin;
    if (!CreatePage(parent, notifyValue, margin, margins)) return FALSE;
    CRect own;
    GetClientRect(&own);
    MoveWindow(point.x + margin.left, point.y + margin.top, own.Width(), own.Height(), TRUE);
    return TRUE;
}

BOOL CGenericChildDialog::NotifyParent(UINT message, LPARAM lParam) {
    return m_pParent && m_pParent->PostMessage(message, static_cast<WPARAM>(m_nNotifyValue), lParam);
}
