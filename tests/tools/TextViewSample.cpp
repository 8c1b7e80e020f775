// A look at the text view: a window "Text View" showing a coloured service log with the margin,
// bookmarks, a flagged line and a selection over two lines. TextViewSample [--close-after MS]
#include "classlib/CWinApp.h"
#include "controls/texteditor/TextBuffer.h"
#include "controls/texteditor/TextView.h"
#include "tests/support/ToolSupport.h"

namespace {
const char kLog[] =
    "2024 Mar 01, 08:00  Service started successfully.\r\n"
    "2024 Mar 01, 08:00  Task1 started.\r\n"
    "Warning: the folder {C:\\Sites\\shop} of Task2 is missing\r\n"
    "2024 Mar 01, 08:02  Task1 finished successfully.\r\n"
    "Error: Unable to finish Task3 [C:\\Sites\\news.orv] successfully (exit code 2).\r\n"
    "2024 Mar 01, 09:15  Task4 started.\r\n"
    "\tindented by a tab, see {details} and {more}\r\n"
    "2024 Mar 01, 09:20  Task4 finished successfully.\r\n"
    "2024 Mar 01, 10:00  Terminating 0 running task(s).\r\n"
    "warning: low memory\r\n"
    "2024 Mar 01, 10:01  Service stopped.";

class SampleWindow : public CWnd {
public:
    explicit SampleWindow(UINT closeAfter) : closeAfter_(closeAfter) {}
    void FocusView() { view_.SetFocus(); }

protected:
    int OnCreate(LPCREATESTRUCTA cs) {
        if (CWnd::OnCreate(cs) == -1) return -1;
        buffer_.LoadFromString(kLog, -1);
        CRect client;
        GetClientRect(&client);
        view_.Create(nullptr, "Editor", WS_CHILD | WS_VISIBLE, client, this, 1);
        view_.SetParserKind(CTextView::ParserLog);
        view_.AttachBuffer(&buffer_);
        buffer_.SetLineFlag(1, 0x2, TRUE, TRUE);           // numbered bookmark 1
        buffer_.SetLineFlag(5, 0x8, TRUE, TRUE);           // numbered bookmark 3
        buffer_.SetLineFlag(7, CTextView::FlagBookmark, TRUE, FALSE);
        buffer_.SetLineFlag(8, CTextView::FlagExecution, TRUE, FALSE);
        view_.SetSelection(CPoint(20, 3), CPoint(30, 4));
        view_.SetCursorPos(CPoint(30, 4));
        if (closeAfter_) SetTimer(1, closeAfter_);
        return 0;
    }
    void OnSize(UINT type, int cx, int cy) {
        CWnd::OnSize(type, cx, cy);
        if (view_.m_hWnd) view_.MoveWindow(0, 0, cx, cy);
    }
    void OnTimer(UINT_PTR) { DestroyWindow(); }
    void OnDestroy() {
        view_.DestroyWindow();
        buffer_.ReleaseAll();
        CWnd::OnDestroy();
        PostQuitMessage(0);
    }
    DECLARE_MESSAGE_MAP()

private:
    UINT closeAfter_;
    CTextBuffer buffer_;
    CTextView view_;
};

BEGIN_MESSAGE_MAP(SampleWindow, CWnd)
    ON_WM_CREATE()
    ON_WM_SIZE()
    ON_WM_TIMER()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

class SampleApp : public CWinApp {
public:
    BOOL InitInstance() override {
        const UINT closeAfter = testing_support::CloseAfterArgument();
        window_ = new SampleWindow(closeAfter);
        if (!window_->CreateEx(0, nullptr, "Text View", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 760, 300, nullptr,
                               nullptr))
            return FALSE;
        m_pMainWnd = window_;
        window_->FocusView();
        return TRUE;
    }
    int ExitInstance() override {
        m_pMainWnd = nullptr;
        delete window_;
        return 0;
    }

private:
    SampleWindow* window_ = nullptr;
};

SampleApp app;
}  // namespace
