#include "classlib/CPageSetupDialog.h"

CPageSetupDialog::CPageSetupDialog(DWORD flags, CWnd* parent) : m_psd(), parent_(parent), error_(0) {
    m_psd.lStructSize = sizeof(m_psd);
    m_psd.Flags = flags;
}

CPageSetupDialog::~CPageSetupDialog() {
    if (m_psd.hDevMode) GlobalFree(m_psd.hDevMode);
    if (m_psd.hDevNames) GlobalFree(m_psd.hDevNames);
}

INT_PTR CPageSetupDialog::DoModal() {
    m_psd.hwndOwner = parent_ ? parent_->m_hWnd : ::GetActiveWindow();
    const BOOL chosen = PageSetupDlgA(&m_psd);
    error_ = chosen ? 0 : CommDlgExtendedError();
    return chosen ? IDOK : IDCANCEL;
}

void CPageSetupDialog::GetMargins(LPRECT margins, LPRECT minMargins) const {
    if (margins) *margins = m_psd.rtMargin;
    if (minMargins) *minMargins = m_psd.rtMinMargin;
}
