// A look at the window layer and the widgets: a tabbed dialog with three pages (two made by the
// caller, one made by the tab control from a template), two links, a child dialog placed over a
// placeholder, and HTML labels showing the Tasks page's status texts and a small table.
// WidgetGallery [--close-after MS] [--page N]
#include "OrvServiceManager/CGenericChildDialog.h"
#include "OrvServiceManager/CPagedTabCtrl.h"
#include "OrvServiceManager/CURLLink.h"
#include "classlib/CDataExchange.h"
#include "classlib/CWinApp.h"
#include "controls/htmllabel/HtmlStatic.h"
#include "tests/support/TestDialogsRes.h"
#include "tests/support/ToolSupport.h"
#include <commctrl.h>
#include <cstdlib>
#include <cstring>

namespace {
class ChildPage : public CGenericChildDialog {
public:
    UINT GetTemplateId() const override { return IDD_TEST_CHILD; }
};

class GalleryDialog : public CDialog {
public:
    GalleryDialog(UINT closeAfter, int page) : CDialog(IDD_GALLERY), closeAfter_(closeAfter), page_(page) {}

protected:
    void DoDataExchange(CDataExchange* dx) override {
        DDX_Control(dx, IDC_GALLERY_TABS, tabs_);
        DDX_Control(dx, IDC_GALLERY_HELP, help_);
        DDX_Control(dx, IDC_GALLERY_ABOUT, about_);
        DDX_Control(dx, IDC_GALLERY_STATUS_PLAIN, statusPlain_);
        DDX_Control(dx, IDC_GALLERY_STATUS_RED, statusRed_);
        DDX_Control(dx, IDC_GALLERY_STATUS_BOLD, statusBold_);
        DDX_Control(dx, IDC_GALLERY_TABLE, table_);
    }
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        setup_.Create(IDD_TEST_PAGE, this);
        setup_.SetDlgItemText(IDC_TEST_FIRST, "LocalSystem account");
        setup_.SetDlgItemText(IDC_TEST_SECOND, "Orvanti Manager");
        tabs_.AddPage("Set-up", 0, &setup_);
        tabs_.AddPage("Tasks", 1, static_cast<UINT>(IDD_GALLERY_PAGE));
        logs_.Create(IDD_TEST_PAGE, this);
        logs_.SetDlgItemText(IDC_TEST_FIRST, "2024 Jan 05, 10:00  Task1 started.");
        tabs_.AddPage("Logs", 2, &logs_);
        if (page_ > 0) tabs_.ActivatePage(page_);
        CRect margins(4, 4, 4, 4);
        if (child_.CreateInPlaceholder(this, IDC_GALLERY_PLACEHOLDER, 0, &margins)) child_.ShowWindow(SW_SHOW);
        statusPlain_.SetWindowText("To add a new task click New. To modify a task select it and click Edit.");
        statusRed_.SetWindowText("<font color=red>You cannot modify tasks while the service is running.</font>");
        statusBold_.SetWindowText("<font color=red><b>Unable to retrieve the service status.</b></font>");
        table_.SetWindowText(
            "<table border=1 cellpadding=3 cellspacing=0 bordercolor=gray><tr>"
            "<td bgcolor=#dde4ee><b>Task</b></td><td bgcolor=#dde4ee><b>Type</b></td>"
            "<td bgcolor=#dde4ee><b>Last run</b></td></tr>"
            "<tr><td><a href=\"file:///C:/Sites/site1.orv\">Task1</a></td><td>Periodical, every 24 hours</td>"
            "<td>2024 Jan 05, 10:00</td></tr>"
            "<tr><td><a msg=\"Task2\">Task2</a></td><td>Watch <font color=green>(watching 3 folders)</font></td>"
            "<td><i>never</i></td></tr></table>");
        if (closeAfter_) SetTimer(1, closeAfter_);
        return TRUE;
    }
    void OnTimer(UINT_PTR) { EndDialog(IDCANCEL); }
    void OnHelpLink() { MessageBox("The help link was clicked.", "Widget Gallery"); }
    void OnAboutLink() { MessageBox("The about link was clicked.", "Widget Gallery"); }
    DECLARE_MESSAGE_MAP()

private:
    CPagedTabCtrl tabs_;
    CTabPage setup_, logs_;
    CURLLink help_, about_;
    CHtmlStatic statusPlain_, statusRed_, statusBold_, table_;
    ChildPage child_;
    UINT closeAfter_;
    int page_;
};

BEGIN_MESSAGE_MAP(GalleryDialog, CDialog)
    ON_WM_TIMER()
    ON_STN_CLICKED(IDC_GALLERY_HELP, OnHelpLink)
    ON_STN_CLICKED(IDC_GALLERY_ABOUT, OnAboutLink)
END_MESSAGE_MAP()

class GalleryApp : public CWinApp {
public:
    BOOL InitInstance() override {
        InitCommonControls();
        int page = 0;
        for (int i = 1; i + 1 < __argc; ++i)
            if (std::strcmp(__argv[i], "--page") == 0) page = std::atoi(__argv[i + 1]);
        GalleryDialog dialog(testing_support::CloseAfterArgument(), page);
        m_pMainWnd = &dialog;
        dialog.DoModal();
        m_pMainWnd = nullptr;
        return FALSE;
    }
};
GalleryApp theApp;
}  // namespace
