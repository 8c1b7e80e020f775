// A look at the text editor control as the Logs page shows it: a dialog "Text Editor Control"
// with a read-only control over a hidden placeholder, no margin, log colouring, a service log
// appended line by line and scrolled to its end. TextEditorSample [--close-after MS]
#include "classlib/CDialog.h"
#include "classlib/CWinApp.h"
#include "controls/texteditor/TextEditorCtrl.h"
#include "tests/support/TestDialogsRes.h"
#include "tests/support/ToolSupport.h"

namespace {
const char* const kLog[] = {
    "2024 Mar 01, 08:00  Service started successfully.",
    "2024 Mar 01, 08:00  Task1 started.",
    "2024 Mar 01, 08:02  Task1 finished successfully.",
    "Warning: the folder {C:\\Sites\\shop} of Task2 is missing",
    "2024 Mar 01, 08:05  Task2 started.",
    "Error: Unable to finish Task3 [C:\\Sites\\news.orv] successfully (exit code 2).",
    "2024 Mar 01, 09:15  Task4 started.",
    "2024 Mar 01, 09:20  Task4 finished successfully, see {details}.",
    "warning: low memory",
    "2024 Mar 01, 10:00  Terminating 0 running task(s).",
    "ERROR: the task file could not be read",
    "2024 Mar 01, 10:01  Service stopped.",
    "2024 Mar 02, 07:59  Service started successfully.",
    "2024 Mar 02, 08:00  Task1 started.",
};

class SampleDialog : public CDialog {
public:
    explicit SampleDialog(UINT closeAfter) : CDialog(IDD_EDITOR_SAMPLE), closeAfter_(closeAfter) {}

protected:
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        // As the Logs page does it: the placeholder's place, then read-only, no margin, empty.
        if (CWnd* placeholder = GetDlgItem(IDC_EDITOR_SAMPLE_PLACEHOLDER)) {
            CRect rect;
            placeholder->GetWindowRect(&rect);
            ScreenToClient(&rect);
            editor_.SetParserKind(CTextView::ParserLog);
            editor_.Create(nullptr, "Editor", WS_CHILD | WS_VISIBLE, rect, this, 104);
            editor_.SetReadOnly(TRUE);
            editor_.SetMarginVisible(FALSE);
            editor_.SetText("");
            for (const char* line : kLog) {
                editor_.AppendText((CString(line) + "\r\n").GetString());
                editor_.ScrollIntoView(CPoint(0, editor_.GetLineCount() - 1));
            }
        }
        if (closeAfter_) SetTimer(1, closeAfter_);
        return TRUE;
    }
    void OnTimer(UINT_PTR) { EndDialog(IDCANCEL); }
    DECLARE_MESSAGE_MAP()

private:
    CTextEditorCtrl editor_;
    UINT closeAfter_;
};

BEGIN_MESSAGE_MAP(SampleDialog, CDialog)
    ON_WM_TIMER()
END_MESSAGE_MAP()

class SampleApp : public CWinApp {
public:
    BOOL InitInstance() override {
        const UINT closeAfter = testing_support::CloseAfterArgument();
        SampleDialog dialog(closeAfter);
        m_pMainWnd = &dialog;
        dialog.DoModal();
        m_pMainWnd = nullptr;
        return FALSE;
    }
};
SampleApp theApp;
}  // namespace
