#include "OrvServiceManager/COrvServiceManagerApp.h"
#include "OrvServiceManager/COrvServiceManagerDlg.h"
#include "common/Exception.h"
#include <commctrl.h>

namespace {
VersionQuery g_versionQuery = nullptr;

// The main-window pointer names the dialog only while it lives, also when an exception passes.
class MainWindowScope {
public:
    MainWindowScope(CWinApp& app, CWnd* window) : app_(app) { app_.m_pMainWnd = window; }
    ~MainWindowScope() { app_.m_pMainWnd = nullptr; }
    MainWindowScope(const MainWindowScope&) = delete;
    MainWindowScope& operator=(const MainWindowScope&) = delete;

private:
    CWinApp& app_;
};
}  // namespace

BEGIN_MESSAGE_MAP(COrvServiceManagerApp, CWinApp)
    ON_COMMAND(ID_HELP, OnHelp)
END_MESSAGE_MAP()

COrvServiceManagerApp::COrvServiceManagerApp() {}

BOOL COrvServiceManagerApp::InitInstance() {
    // The tab, list-view and date-time-picker classes of the dialogs.
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES | ICC_DATE_CLASSES};
    InitCommonControlsEx(&controls);
    CWinApp::InitInstance();
    AfxEnableControlContainer();
    SetRegistryKey("Local AppWizard-Generated Applications");

    try {
        if (!IsWindowsNT()) {
            AfxMessageBox("This program requires at least Windows NT/2000/XP.", MB_OK, 0);
            return FALSE;
        }
    } catch (const Exception& e) {
        AfxMessageBox(e.GetFullMessage(), MB_OK | MB_ICONERROR, 0);
        return FALSE;
    }

    COrvServiceManagerDlg dialog;
    MainWindowScope mainWindow(*this, &dialog);
    dialog.DoModal();
    return FALSE;
}

BOOL IsWindowsNT() {
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof(info);
    const BOOL read = g_versionQuery ? g_versionQuery(&info) : GetVersionExA(&info);
    if (!read) throw Exception("Unable to retrieve system version.");
    return info.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

void SetVersionQueryForTesting(VersionQuery query) { g_versionQuery = query; }
