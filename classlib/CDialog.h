// Dialogs from templates: modal (DoModal, our own message loop) and modeless (Create, for pages).
#pragma once
#include "classlib/CWnd.h"

class CDialog : public CWnd {
    DECLARE_DYNAMIC(CDialog)
public:
    CDialog();
    explicit CDialog(UINT templateId, CWnd* parent = nullptr);
    explicit CDialog(const char* templateName, CWnd* parent = nullptr);

    // Runs the dialog modally: disables the owner (the parent's top-level window, else the
    // application's main window, else the active window), creates the dialog and runs our loop,
    // in which each message walks PreTranslateMessage from its target up to the dialog (whose
    // own PreTranslateMessage runs IsDialogMessage) before it is dispatched. Ends at EndDialog;
    // the owner is enabled again before the dialog is destroyed. An exception that a handler
    // raised while the loop ran (OnInitDialog included) is rethrown here once all is cleaned up.
    // Answers the EndDialog value, or -1 when the dialog could not be created.
    virtual INT_PTR DoModal();
    // For DoModal with a template built in memory (the template must outlive DoModal).
    void InitModalIndirect(const DLGTEMPLATE* dialogTemplate, CWnd* parent = nullptr);

    // Modeless: creates the dialog as a window of `parent` (a page: its template says
    // WS_CHILD | DS_CONTROL and leaves WS_VISIBLE out). FALSE when it cannot be created.
    BOOL Create(UINT templateId, CWnd* parent = nullptr);
    BOOL Create(const char* templateName, CWnd* parent = nullptr);
    BOOL CreateIndirect(const DLGTEMPLATE* dialogTemplate, CWnd* parent = nullptr);

    // Ends a modal dialog with the result (hides a modeless one).
    void EndDialog(int result);
    // UpdateData(FALSE); TRUE: the system sets the focus. A top-level dialog that it left where
    // the template put it is then centred over its owner (CWnd::CenterWindow).
    virtual BOOL OnInitDialog();
    virtual void OnOK();          // UpdateData(TRUE), then EndDialog(IDOK); stays open on failure
    virtual void OnCancel();      // EndDialog(IDCANCEL)

    // Keys and mouse messages through IsDialogMessage. A page (a child dialog with DS_CONTROL)
    // takes only Enter and Escape, for its own commands; the dialog holding it does the rest.
    // A top-level dialog with a tab control turns its pages with Ctrl+Tab and Ctrl+PgDn (next),
    // Ctrl+Shift+Tab and Ctrl+PgUp (previous), with the notifications of a click on the tab.
    BOOL PreTranslateMessage(MSG* msg) override;
    BOOL OnCmdMsg(UINT id, int code, void* extra, void* handlerInfo) override;
    void GotoDlgCtrl(CWnd* control);
    void NextDlgCtrl() const;
    void PrevDlgCtrl() const;
    void SetDefID(UINT id);
    DWORD GetDefID() const;

protected:
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

    const char* m_lpszTemplateName;  // a name or MAKEINTRESOURCE id
    const DLGTEMPLATE* m_lpDialogTemplate;
    CWnd* m_pParentWnd;
    INT_PTR m_nModalResult;

private:
    const DLGTEMPLATE* LoadTemplate() const;
    BOOL CreateFromTemplate(const DLGTEMPLATE* dialogTemplate, HWND parent);
    void RunModalLoop();
    class ModalScope* modal_;  // while DoModal runs
};
