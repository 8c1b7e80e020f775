// The About box: the program's version and the product it belongs to.
#pragma once
#include "classlib/CDialog.h"

class CAboutDlg : public CDialog {
public:
    CAboutDlg();
    // "1.5.201": the major version and the build.
    static CString GetVersionText();
    BOOL OnInitDialog() override;
    // Enter reaches the dialog as a key without a code, so it presses no button; OK and Escape
    // close the box.
    BOOL PreTranslateMessage(MSG* msg) override;
};
