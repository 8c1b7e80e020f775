// The manager's main dialog: the tabbed pages "Set-up", "Tasks" and "Logs", the Close button,
// the help and About links, the About entry of the system menu, and the warning about the
// product's registry settings when it opens.
#pragma once
#include "OrvServiceManager/CLogsDialog.h"
#include "OrvServiceManager/CPagedTabCtrl.h"
#include "OrvServiceManager/CServiceSetupDialog.h"
#include "OrvServiceManager/CTasksDialog.h"
#include "OrvServiceManager/CURLLink.h"

class COrvServiceManagerDlg : public CDialog {
public:
    explicit COrvServiceManagerDlg(CWnd* parent = nullptr);

    BOOL OnInitDialog() override;
    // Warns, without stopping anything, when ProgramPath is missing or names a folder without
    // the generator.
    void CheckProductSettings();

    CPagedTabCtrl& GetPages() { return m_tabs; }

protected:
    void DoDataExchange(CDataExchange* dx) override;
    void OnSysCommand(UINT id, LPARAM lParam);
    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnShowHelp();
    // F1 anywhere in the dialog: the system asks the control with the focus for help (WM_HELP),
    // which passes the request on to its parents up to here; as "Show Help...".
    LRESULT OnHelpRequest(WPARAM, LPARAM);
    void OnAbout();
    DECLARE_MESSAGE_MAP()

    CPagedTabCtrl m_tabs;
    CServiceSetupDialog m_setupPage;
    CTasksDialog m_tasksPage;
    CLogsDialog m_logsPage;
    CButton m_close;
    CURLLink m_help;
    CURLLink m_about;
    HICON m_hIcon;  // the module's shared icon: never destroyed
};

// Tests: the function to call instead of the HTML Help control's HtmlHelpA (null: the
// control's again).
typedef HWND(WINAPI* HtmlHelpFunction)(HWND owner, LPCSTR file, UINT command, DWORD_PTR data);
void SetHtmlHelpForTesting(HtmlHelpFunction function);
