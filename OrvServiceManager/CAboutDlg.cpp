#include "OrvServiceManager/CAboutDlg.h"
#include "OrvServiceManager/OrvServiceManagerRes.h"

namespace {
const char* const kMajorVersion = "1.5";
const char* const kBuild = "201";
}  // namespace

CAboutDlg::CAboutDlg() : CDialog(IDD_ABOUTBOX) {}

CString CAboutDlg::GetVersionText() {
    CString text;
    text.Format("%s.%s", kMajorVersion, kBuild);
    return text;
}

BOOL CAboutDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    SetDlgItemText(IDC_VERSION, GetVersionText());
    return TRUE;
}

BOOL CAboutDlg::PreTranslateMessage(MSG* msg) {
    if (msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN) msg->wParam = 0;
    return CDialog::PreTranslateMessage(msg);
}
