#include "OrvServiceManager/CServiceSetupDialog.h"
#include "OrvServiceManager/AccountUtils.h"
#include "OrvServiceManager/FailureMessage.h"
#include "OrvServiceManager/OrvServiceManagerRes.h"
#include "OrvServiceManager/ServiceControl.h"
#include "classlib/CDataExchange.h"
#include "classlib/CWinApp.h"
#include "common/Exception.h"

IMPLEMENT_DYNAMIC(CServiceSetupDialog, CTabPage)

BEGIN_MESSAGE_MAP(CServiceSetupDialog, CTabPage)
    ON_BN_CLICKED(IDC_LOCAL_SYSTEM, OnAccountChanged)
    ON_BN_CLICKED(IDC_USER_ACCOUNT, OnAccountChanged)
    ON_BN_CLICKED(IDC_INSTALL, OnInstall)
    ON_BN_CLICKED(IDC_UNINSTALL, OnUninstall)
    ON_BN_CLICKED(IDC_START, OnStart)
    ON_BN_CLICKED(IDC_STOP, OnStop)
    ON_WM_TIMER()
END_MESSAGE_MAP()

CServiceSetupDialog::CServiceSetupDialog(CWnd* parent)
    : CTabPage(IDD_SERVICE_SETUP, parent), m_nAccount(0), m_timer(kTimerId, kTimerMs), m_entry(nullptr) {}

void CServiceSetupDialog::DoDataExchange(CDataExchange* dx) {
    CTabPage::DoDataExchange(dx);
    DDX_Control(dx, IDC_USER_NAME, m_userName);
    DDX_Control(dx, IDC_PASSWORD, m_password);
    DDX_Control(dx, IDC_USER_NAME_LABEL, m_userNameLabel);
    DDX_Control(dx, IDC_PASSWORD_LABEL, m_passwordLabel);
    DDX_Control(dx, IDC_INSTALL, m_install);
    DDX_Control(dx, IDC_UNINSTALL, m_uninstall);
    DDX_Control(dx, IDC_START, m_start);
    DDX_Control(dx, IDC_STOP, m_stop);
    DDX_Control(dx, IDC_LOCAL_SYSTEM, m_localSystem);
    DDX_Control(dx, IDC_USER_ACCOUNT, m_userAccount);
    DDX_Control(dx, IDC_ACCOUNT_GROUP, m_accountGroup);
    DDX_Control(dx, IDC_ACCOUNT_HINT, m_accountHint);
    DDX_Radio(dx, IDC_LOCAL_SYSTEM, m_nAccount);
}

BOOL CServiceSetupDialog::OnInitDialog() {
    CTabPage::OnInitDialog();
    m_accountGroup.SetWindowText("Account");
    m_accountHint.SetWindowText("Choose an account the service will use.");
    m_localSystem.SetWindowText("&LocalSystem account");
    m_userAccount.SetWindowText("User &account");
    m_userNameLabel.SetWindowText("User &Name:");
    m_passwordLabel.SetWindowText("&Password:");
    m_install.SetWindowText("&Install");
    m_uninstall.SetWindowText("&Uninstall");
    m_start.SetWindowText("&Start");
    m_stop.SetWindowText("S&top");
    Refresh();
    m_timer.Start(*this, "Unable to set up the service status scan.");
    return TRUE;
}

void CServiceSetupDialog::Refresh() {
    UpdateData(TRUE);
    try {
        const int state = QueryServiceState();
        if (state == 0)
            ShowNotInstalledState();
        else if (state == 2)
            ShowStoppedState();
        else
            ShowRunningState();
    } catch (...) {
        // The state is read again at the next tick; the layout stays meanwhile.
    }
}

void CServiceSetupDialog::ShowLayout(BOOL radios, BOOL install, BOOL uninstall, BOOL start, BOOL stop) {
    const BOOL account = radios && m_nAccount == 1;
    const struct {
        CWnd* control;
        BOOL on;
    } layout[] = {
        {&m_localSystem, radios},
        {GetDlgItem(IDC_USER_ACCOUNT), radios},
        {&m_userName, account},
        {&m_password, account},
        {&m_userNameLabel, account},
        {&m_passwordLabel, account},
        {&m_install, install},
        {&m_uninstall, uninstall},
        {&m_start, start},
        {&m_stop, stop},
    };
    CButton& step = install ? m_install : start ? m_start : m_stop;
    m_entry = install ? nullptr : &step;
    const HWND focus = ::GetFocus();
    bool focusLeaves = false;
    for (const auto& item : layout)
        if (!item.on && focus && item.control && item.control->m_hWnd == focus) focusLeaves = true;
    // What the layout enables comes first. A control that it disables while it has the focus (a
    // pressed Install or Stop, or any control when the service changed from outside) then hands
    // the focus to the next step, not where the system would hand it on (the next control that
    // can take it: after Install or Stop that is Uninstall, and one Enter would remove the service).
    for (BOOL pass : {TRUE, FALSE}) {
        if (!pass && focusLeaves) GotoDlgCtrl(&step);
        for (const auto& item : layout)
            if (item.on == pass && item.control) item.control->EnableWindow(item.on);
    }
}

void CServiceSetupDialog::ShowNotInstalledState() { ShowLayout(TRUE, TRUE, FALSE, FALSE, FALSE); }
void CServiceSetupDialog::ShowStoppedState() { ShowLayout(FALSE, FALSE, TRUE, TRUE, FALSE); }
void CServiceSetupDialog::ShowRunningState() { ShowLayout(FALSE, FALSE, FALSE, FALSE, TRUE); }

void CServiceSetupDialog::OnTimer(UINT_PTR id) {
    m_timer.Tick(*this, id, [this] { Refresh(); });
    CTabPage::OnTimer(id);
}

void CServiceSetupDialog::OnInstall() {
    UpdateData(TRUE);
    try {
        if (!IsAdministratorsMember(GetCurrentAccountName())) {
            AfxMessageBox("You have to be logged in as Administrator to be able to install the service.", MB_OK, 0);
        } else {
            CString arguments = GetInstallArguments(FALSE, "", "");
            if (m_nAccount == 1) {
                CString name, password;
                m_userName.GetWindowText(name);
                m_password.GetWindowText(password);
                // A name of blanks is no name, and blanks around one are no part of it.
                name.Trim();
                if (name.IsEmpty()) throw Exception("You should specify a valid user name for the account.");
                if (!GrantServiceLogonRight(name)) throw Exception("Cannot set the specified account to use services.");
                arguments = GetInstallArguments(TRUE, name, password);
            }
            const int code = RunServiceCommand(arguments);
            if (code != 0) {
                CString text;
                text.Format("Error when running install command. Exit code: %d", code);
                throw Exception(text);
            }
        }
    } catch (...) {
        ShowCaughtFailure("Problem when installing the service. %s", "Unknown problem when installing the service occurred.");
    }
    Refresh();
}

void CServiceSetupDialog::RunInState(int state, const char* arguments, const char* exitFormat,
                                     const char* problemFormat, const char* unknownProblem) {
    try {
        if (QueryServiceState() == state) {
            const int code = RunServiceCommand(arguments);
            if (code != 0) {
                CString text;
                text.Format(exitFormat, code);
                AfxMessageBox(text, MB_OK, 0);
            }
        }
        Refresh();
    } catch (...) {
        ShowCaughtFailure(problemFormat, unknownProblem);
    }
}

void CServiceSetupDialog::OnUninstall() {
    RunInState(2, "-uninstall", "Error when running uninstall command. Exit code: %d",
               "Problem when uninstalling the service. %s", "Unknown problem when uninstalling the service occurred.");
}

void CServiceSetupDialog::OnStart() {
    RunInState(2, "-start", "Error when running start command. Exit code: %d", "Problem when starting the service. %s",
               "Unknown problem when starting the service occurred.");
}

void CServiceSetupDialog::OnStop() {
    if (GetServiceRunningTasks() > 0 &&
        MessageBox("The service is running task(s) at the moment.\n\nAre you sure you want to stop?",
                   "Stopping Service", MB_YESNO) != IDYES)
        return;
    RunInState(1, "-stop", "Error when running stop command. Exit code: %d", "Problem when stopping the service. %s",
               "Unknown problem when stopping the service occurred.");
}
