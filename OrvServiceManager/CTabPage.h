// The base dialog of the pages a CPagedTabCtrl shows: Enter and Escape never close a page, and
// commands and notifications can be routed on to the window that holds the tab control.
#pragma once
#include "classlib/CDialog.h"

class CTabPage : public CDialog {
    DECLARE_DYNAMIC(CTabPage)
public:
    CTabPage();
    explicit CTabPage(UINT templateId, CWnd* parent = nullptr);
    // Called after a tab change has shown the page.
    virtual void OnPageShown() {}
    // The control that takes the focus when the page gets it with no control of its own to go
    // back to: when it is first shown, or when the control it had was disabled or hidden since.
    // Null: the page's first visible, enabled tab stop.
    virtual CWnd* GetEntryControl() { return nullptr; }
    void OnOK() override {}
    void OnCancel() override {}

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    BOOL OnCmdMsg(UINT id, int code, void* extra, void* handlerInfo) override;

    // Route to the parent window as well; all FALSE at construction.
    BOOL m_bRouteCommand;
    BOOL m_bRouteCmdMsg;  // command messages of control events (CN_EVENT)
    BOOL m_bRouteNotify;
};
