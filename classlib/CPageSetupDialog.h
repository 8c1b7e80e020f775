// The system's page-setup dialog, with its margins.
#pragma once
#include "classlib/CWnd.h"
#include <commdlg.h>

class CPageSetupDialog {
public:
    explicit CPageSetupDialog(DWORD flags = PSD_MARGINS | PSD_INWININIINTLMEASURE, CWnd* parent = nullptr);
    // Frees the printer description the dialog handed back.
    ~CPageSetupDialog();
    CPageSetupDialog(const CPageSetupDialog&) = delete;
    CPageSetupDialog& operator=(const CPageSetupDialog&) = delete;

    // IDOK, or IDCANCEL also when the dialog could not be shown (no printer: GetError says why).
    INT_PTR DoModal();
    // The margins chosen and the smallest the printer allows; either may be null.
    void GetMargins(LPRECT margins, LPRECT minMargins) const;
    // CommDlgExtendedError of the last DoModal, 0 when it was shown.
    DWORD GetError() const { return error_; }

    PAGESETUPDLGA m_psd;

private:
    CWnd* parent_;
    DWORD error_;
};
