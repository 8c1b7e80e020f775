#include "OrvServiceManager/COrvServiceManagerDlg.h"
#include "OrvServiceManager/CAboutDlg.h"
#include "OrvServiceManager/OrvServiceManagerRes.h"
#include "OrvServiceManager/ProductRegistrySettings.h"
#include "OrvServiceManager/StringFileHelpers.h"
#include "classlib/CDC.h"
#include "classlib/CDataExchange.h"
#include "classlib/CMenu.h"
#include "classlib/CWinApp.h"
#include "common/Generator.h"

namespace {
const UINT kHelpDisplayTopic = 0;  // HH_DISPLAY_TOPIC
HtmlHelpFunction g_testHtmlHelp = nullptr;

// HtmlHelpA of the platform's HTML Help control, loaded at the first use and kept for the rest of
// the process; null when the control is missing.
HtmlHelpFunction PlatformHtmlHelp() {
    static HtmlHelpFunction function = [] {
        HMODULE control = LoadLibraryA("hhctrl.ocx");
        return control ? reinterpret_cast<HtmlHelpFunction>(
                             reinterpret_cast<void*>(GetProcAddress(control, "HtmlHelpA")))
                       : nullptr;
    }();
    return function;
}
}  // namespace

void SetHtmlHelpForTesting(HtmlHelpFunction function) { g_testHtmlHelp = function; }

BEGIN_MESSAGE_MAP(COrvServiceManagerDlg, CDialog)
    ON_WM_SYSCOMMAND()
    ON_WM_PAINT()
    ON_WM_QUERYDRAGICON()
    ON_STN_CLICKED(IDC_SHOW_HELP, OnShowHelp)
    ON_STN_CLICKED(IDC_ABOUT, OnAbout)
    ON_MESSAGE(WM_HELP, OnHelpRequest)
END_MESSAGE_MAP()

COrvServiceManagerDlg::COrvServiceManagerDlg(CWnd* parent)
    : CDialog(IDD_ORVSERVICEMANAGER_DIALOG, parent),
      m_setupPage(this),
      m_tasksPage(this),
      m_logsPage(this),
      m_hIcon(LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME))) {}

void COrvServiceManagerDlg::DoDataExchange(CDataExchange* dx) {
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_PAGES, m_tabs);
    DDX_Control(dx, IDCANCEL, m_close);
    DDX_Control(dx, IDC_SHOW_HELP, m_help);
    DDX_Control(dx, IDC_ABOUT, m_about);
}

BOOL COrvServiceManagerDlg::OnInitDialog() {
    CDialog::OnInitDialog();

    if (CMenu* systemMenu = GetSystemMenu(FALSE)) {
        CString about;
        about.LoadString(IDS_ABOUTBOX);
        if (!about.IsEmpty()) {
            systemMenu->AppendMenu(MF_SEPARATOR);
            systemMenu->AppendMenu(MF_STRING, IDM_ABOUTBOX, about);
        }
    }
    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);
    SetWindowText("Orvanti Service Manager");
    m_close.SetWindowText("&Close");

    // Each page is added right after it is made, so the tabs read in this order and "Set-up",
    // the first, is shown.
    m_setupPage.Create(IDD_SERVICE_SETUP, this);
    m_tabs.AddPage("Set-up", 0, &m_setupPage);
    m_tasksPage.Create(IDD_TASKS, this);
    m_tabs.AddPage("Tasks", 1, &m_tasksPage);
    m_logsPage.Create(IDD_LOGS, this);
    m_tabs.AddPage("Logs", 2, &m_logsPage);

    CheckProductSettings();
    // The first page's entry control takes the focus, as when its tab is chosen; the dialog's
    // first control would be Uninstall while the service is stopped, where one Enter removes it.
    m_tabs.SetFocus();
    return FALSE;
}

void COrvServiceManagerDlg::CheckProductSettings() {
    ProductRegistrySettings settings(HKEY_LOCAL_MACHINE, Generator::GetSettingsKey());
    CString details;
    if (!settings.HasProgramPath())
        details = "Details: ProgramPath value doesn't exist.";
    else if (!settings.IsProductExecutablePresent())
        details = "Details: Unable to find Orv executable.";
    if (details.IsEmpty()) return;
    AfxMessageBox(
        "Orvanti registry settings are incorrect. The service may work not properly.\n\n"
        "Try reinstalling Orvanti application.\n\n\n" + details,
        MB_OK, 0);
}

void COrvServiceManagerDlg::OnSysCommand(UINT id, LPARAM lParam) {
    if ((id & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg about;
        about.DoModal();
        return;
    }
    CDialog::OnSysCommand(id, lParam);
}

void COrvServiceManagerDlg::OnPaint() {
    if (!IsIconic()) {
        CDialog::OnPaint();
        return;
    }
    CPaintDC dc(this);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
    const int iconWidth = GetSystemMetrics(SM_CXICON);
    const int iconHeight = GetSystemMetrics(SM_CYICON);
    CRect client;
    GetClientRect(&client);
    dc.DrawIcon((client.Width() - iconWidth + 1) / 2, (client.Height() - iconHeight + 1) / 2, m_hIcon);
}

HCURSOR COrvServiceManagerDlg::OnQueryDragIcon() { return static_cast<HCURSOR>(m_hIcon); }

void COrvServiceManagerDlg::OnShowHelp() {
    const CString folder = Generator::GetProgramPath();
    // The help control shows nothing at all for a file that is missing: say so, as for a
    // product folder that is not known.
    if (folder.IsEmpty() || !FileExists(JoinPaths(folder.GetString(), "Help\\Help.chm"))) {
        AfxMessageBox("Unable to localize the help file.", MB_OK, 0);
        return;
    }
    const std::string topic = JoinPaths(folder.GetString(), "Help\\Help.chm::/IDD_SERVICE_INTRODUCTION.htm");
    HtmlHelpFunction htmlHelp = g_testHtmlHelp ? g_testHtmlHelp : PlatformHtmlHelp();
    if (htmlHelp) htmlHelp(nullptr, topic.c_str(), kHelpDisplayTopic, 0);
}

LRESULT COrvServiceManagerDlg::OnHelpRequest(WPARAM, LPARAM) {
    // A window in front of the dialog (Task Properties, a message box) passes its requests on to
    // its owner too: F1 in the box that says the help file is missing would open another one.
    if (IsWindowEnabled()) OnShowHelp();
    return TRUE;
}

void COrvServiceManagerDlg::OnAbout() {
    CAboutDlg about;
    about.DoModal();
}
