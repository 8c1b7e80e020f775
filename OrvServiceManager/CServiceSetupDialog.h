// The "Set-up" page: chooses the service's account, installs and uninstalls the service, starts
// and stops it, and enables only what the service's state allows, re-read every 5000 ms.
#pragma once
#include "OrvServiceManager/CTabPage.h"
#include "OrvServiceManager/PageTimer.h"
#include "classlib/Controls.h"

class CServiceSetupDialog : public CTabPage {
    DECLARE_DYNAMIC(CServiceSetupDialog)
public:
    static const UINT_PTR kTimerId = 10;
    static const UINT kTimerMs = 5000;

    explicit CServiceSetupDialog(CWnd* parent = nullptr);

    BOOL OnInitDialog() override;
    // Reads the controls, queries the state and shows its layout; never throws.
    void Refresh();
    void ShowNotInstalledState();
    void ShowStoppedState();
    void ShowRunningState();
    void OnPageShown() override { Refresh(); }
    // While the service is installed, its next step (Start, Stop); while it is not, none: the
    // page begins with the account choice.
    CWnd* GetEntryControl() override { return m_entry; }

protected:
    void DoDataExchange(CDataExchange* dx) override;
    void OnAccountChanged() { Refresh(); }
    void OnInstall();
    void OnUninstall();
    void OnStart();
    void OnStop();
    void OnTimer(UINT_PTR id);
    DECLARE_MESSAGE_MAP()

private:
    // The buttons and the account controls on or off; the name and password fields go with the
    // account radios and are on only for a user account. Exactly one of Install, Start and Stop
    // is on: the service's next step.
    void ShowLayout(BOOL radios, BOOL install, BOOL uninstall, BOOL start, BOOL stop);
    // Runs the service program with the arguments when the service is in the state; a failing
    // exit code is shown at once with the exit format; a failure with the problem format and
    // the fixed text (ShowCaughtFailure).
    void RunInState(int state, const char* arguments, const char* exitFormat, const char* problemFormat,
                    const char* unknownProblem);

    int m_nAccount;  // 0 LocalSystem, 1 a user account
    CEdit m_userName;
    CEdit m_password;
    CStatic m_userNameLabel;
    CStatic m_passwordLabel;
    CButton m_install;
    CButton m_uninstall;
    CButton m_start;
    CButton m_stop;
    CButton m_localSystem;
    CButton m_userAccount;
    CButton m_accountGroup;
    CStatic m_accountHint;
    PageTimer m_timer;
    CWnd* m_entry;  // GetEntryControl
};
