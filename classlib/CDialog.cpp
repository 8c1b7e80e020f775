#include "classlib/CDialog.h"
#include "classlib/CWinApp.h"
#include "classlib/ExceptionBarrier.h"

namespace {
// Our dialogs' windows are subclassed with AfxWndProc when they are created; DefDlgProc (their
// class procedure) still calls a dialog procedure for what we leave to the default: there is
// nothing left for it to do.
INT_PTR CALLBACK PassiveDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// The keys the dialog manager turns into the dialog's own commands: Enter the default button or
// IDOK, Escape IDCANCEL.
bool IsCommandKey(const MSG* msg) {
    if (msg->message != WM_KEYDOWN) return false;
    return msg->wParam == VK_RETURN || msg->wParam == VK_EXECUTE || msg->wParam == VK_ESCAPE ||
           msg->wParam == VK_CANCEL;
}

bool IsArrowKey(const MSG* msg) {
    if (msg->message != WM_KEYDOWN) return false;
    return msg->wParam == VK_LEFT || msg->wParam == VK_RIGHT || msg->wParam == VK_UP || msg->wParam == VK_DOWN;
}

// Ctrl+Tab and Ctrl+PgDn go to the next page of a tabbed dialog, Ctrl+Shift+Tab and Ctrl+PgUp to
// the previous one, wherever the focus is in the dialog: the tabs themselves never keep the focus
// (they hand it to their page), so their arrows cannot. 0 for any other key.
int PageStep(const MSG* msg) {
    if (msg->message != WM_KEYDOWN || GetKeyState(VK_CONTROL) >= 0 || GetKeyState(VK_MENU) < 0) return 0;
    switch (msg->wParam) {
    case VK_TAB: return GetKeyState(VK_SHIFT) < 0 ? -1 : 1;
    case VK_NEXT: return 1;
    case VK_PRIOR: return -1;
    default: return 0;
    }
}

BOOL CALLBACK FindTabControl(HWND window, LPARAM found) {
    char name[32] = "";
    GetClassNameA(window, name, sizeof(name));
    if (lstrcmpiA(name, WC_TABCONTROLA) != 0 || !IsWindowVisible(window) || !IsWindowEnabled(window)) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

// Selects the neighbouring tab of the dialog's tab control as a click on it does: its parent
// hears TCN_SELCHANGING (and may refuse) and then TCN_SELCHANGE. FALSE when the key is no page
// key or the dialog has no tabs, so the key goes on as before.
BOOL TurnPage(HWND dialog, const MSG* msg) {
    const int step = PageStep(msg);
    if (!step) return FALSE;
    HWND tabs = nullptr;
    EnumChildWindows(dialog, FindTabControl, reinterpret_cast<LPARAM>(&tabs));
    const int count = tabs ? static_cast<int>(SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0)) : 0;
    if (count <= 0) return FALSE;
    const int current = static_cast<int>(SendMessageA(tabs, TCM_GETCURSEL, 0, 0));
    const int next = ((current < 0 ? 0 : current) + step + count) % count;
    if (next == current) return TRUE;
    HWND parent = GetParent(tabs);
    NMHDR header = {tabs, static_cast<UINT_PTR>(GetDlgCtrlID(tabs)), static_cast<UINT>(TCN_SELCHANGING)};
    if (SendMessageA(parent, WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header))) return TRUE;
    SendMessageA(tabs, TCM_SETCURSEL, static_cast<WPARAM>(next), 0);
    header.code = static_cast<UINT>(TCN_SELCHANGE);
    SendMessageA(parent, WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
    return TRUE;
}

// Disables a window for the life of the object, when it was enabled.
class OwnerDisabled {
public:
    explicit OwnerDisabled(HWND owner) : owner_(owner && IsWindowEnabled(owner) ? owner : nullptr) {
        if (owner_) ::EnableWindow(owner_, FALSE);
    }
    ~OwnerDisabled() { Enable(); }
    void Enable() {
        if (owner_) ::EnableWindow(owner_, TRUE);
        owner_ = nullptr;
    }

private:
    HWND owner_;
};
}  // namespace

IMPLEMENT_DYNAMIC(CDialog, CWnd)

CDialog::CDialog()
    : m_lpszTemplateName(nullptr), m_lpDialogTemplate(nullptr), m_pParentWnd(nullptr), m_nModalResult(-1),
      modal_(nullptr) {}

CDialog::CDialog(UINT templateId, CWnd* parent) : CDialog() {
    m_lpszTemplateName = MAKEINTRESOURCEA(templateId);
    m_pParentWnd = parent;
}

CDialog::CDialog(const char* templateName, CWnd* parent) : CDialog() {
    m_lpszTemplateName = templateName;
    m_pParentWnd = parent;
}

void CDialog::InitModalIndirect(const DLGTEMPLATE* dialogTemplate, CWnd* parent) {
    m_lpDialogTemplate = dialogTemplate;
    m_lpszTemplateName = nullptr;
    if (parent) m_pParentWnd = parent;
}

const DLGTEMPLATE* CDialog::LoadTemplate() const {
    if (m_lpDialogTemplate) return m_lpDialogTemplate;
    if (!m_lpszTemplateName) return nullptr;
    HINSTANCE module = AfxGetResourceHandle();
    HRSRC resource = FindResourceA(module, m_lpszTemplateName, reinterpret_cast<LPCSTR>(RT_DIALOG));
    HGLOBAL data = resource ? LoadResource(module, resource) : nullptr;
    return data ? static_cast<const DLGTEMPLATE*>(LockResource(data)) : nullptr;
}

BOOL CDialog::CreateFromTemplate(const DLGTEMPLATE* dialogTemplate, HWND parent) {
    if (!dialogTemplate || m_hWnd) return FALSE;
    HWND hwnd;
    {
        CreationHook hook(this);
        hwnd = CreateDialogIndirectParamA(AfxGetResourceHandle(), dialogTemplate, parent, PassiveDialogProc, 0);
    }
    if (!hwnd && m_hWnd) Detach();
    return hwnd != nullptr;
}

BOOL CDialog::Create(UINT templateId, CWnd* parent) { return Create(MAKEINTRESOURCEA(templateId), parent); }

BOOL CDialog::Create(const char* templateName, CWnd* parent) {
    m_lpszTemplateName = templateName;
    m_lpDialogTemplate = nullptr;
    if (parent) m_pParentWnd = parent;
    return CreateFromTemplate(LoadTemplate(), m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr);
}

BOOL CDialog::CreateIndirect(const DLGTEMPLATE* dialogTemplate, CWnd* parent) {
    if (parent) m_pParentWnd = parent;
    return CreateFromTemplate(dialogTemplate, m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr);
}

INT_PTR CDialog::DoModal() {
    const DLGTEMPLATE* dialogTemplate = LoadTemplate();
    if (!dialogTemplate || m_hWnd) return -1;
    HWND owner = m_pParentWnd ? ::GetAncestor(m_pParentWnd->m_hWnd, GA_ROOT) : nullptr;
    CWinApp* app = AfxGetApp();
    if (!owner && app && app->m_pMainWnd && app->m_pMainWnd != this) owner = app->m_pMainWnd->m_hWnd;
    if (!owner) owner = ::GetActiveWindow();
    m_nModalResult = -1;

    ModalScope scope;
    modal_ = &scope;
    {
        OwnerDisabled disabled(owner);
        try {
            if (CreateFromTemplate(dialogTemplate, owner) && !scope.Ended()) {
                if (!::IsWindowVisible(m_hWnd)) ::ShowWindow(m_hWnd, SW_SHOWNORMAL);
                RunModalLoop();
            }
        } catch (...) {
            // Thrown in PreTranslateMessage or by the loop itself, in our own frames.
            scope.Carry(std::current_exception());
        }
        // The owner first, so that activation goes back to it rather than to another program.
        disabled.Enable();
        if (m_hWnd) {
            ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                           SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
            if (owner && ::GetActiveWindow() == nullptr) ::SetActiveWindow(owner);
            DestroyWindow();
        }
    }
    modal_ = nullptr;
    scope.RethrowIfCarried();
    return m_nModalResult;
}

void CDialog::RunModalLoop() {
    ModalScope* scope = modal_;
    HWND dialog = m_hWnd;
    MSG msg;
    while (!scope->Ended() && ::IsWindow(dialog)) {
        if (!PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) AfxDeleteTempMaps();
        BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == -1) break;
        if (got == 0) {
            // The program is quitting: leave the quit message for the loop below ours.
            PostQuitMessage(static_cast<int>(msg.wParam));
            m_nModalResult = -1;
            break;
        }
        if (!WalkPreTranslateTree(dialog, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
}

void CDialog::EndDialog(int result) {
    m_nModalResult = result;
    if (modal_) {
        modal_->End();
        if (m_hWnd) ::PostMessageA(m_hWnd, WM_NULL, 0, 0);  // wakes the loop
    } else if (m_hWnd) {
        ::EndDialog(m_hWnd, result);
    }
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() {
    if (!UpdateData(TRUE)) return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

BOOL CDialog::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (message == WM_INITDIALOG) {
        CRect created;
        GetWindowRect(&created);
        // Map entries may take it first; else the virtual OnInitDialog.
        if (!CWnd::OnWndMsg(message, wParam, lParam, result)) *result = OnInitDialog();
        // A template's position is the top-left corner of the screen, far from what the user
        // was looking at: a dialog opens over its owner unless its initialisation placed it.
        CRect initialised;
        GetWindowRect(&initialised);
        if (initialised.left == created.left && initialised.top == created.top) CenterWindow();
        return TRUE;
    }
    return CWnd::OnWndMsg(message, wParam, lParam, result);
}

BOOL CDialog::OnCommand(WPARAM wParam, LPARAM lParam) {
    if (CWnd::OnCommand(wParam, lParam)) return TRUE;
    // Enter and Escape (and the buttons with these ids) without a handler of their own.
    UINT id = LOWORD(wParam);
    UINT code = HIWORD(wParam);
    if (lParam && code != BN_CLICKED) return FALSE;
    if (id == IDOK) {
        OnOK();
        return TRUE;
    }
    if (id == IDCANCEL) {
        OnCancel();
        return TRUE;
    }
    return FALSE;
}

BOOL CDialog::OnCmdMsg(UINT id, int code, void* extra, void* handlerInfo) {
    if (CWnd::OnCmdMsg(id, code, extra, handlerInfo)) return TRUE;
    // Commands no window of a top-level dialog takes go to the application object.
    if (code == CN_COMMAND || code == CN_UPDATE_COMMAND_UI) {
        if (m_hWnd && !(GetStyle() & WS_CHILD) && AfxGetApp()) return AfxGetApp()->OnCmdMsg(id, code, extra, handlerInfo);
    }
    return FALSE;
}

BOOL CDialog::PreTranslateMessage(MSG* msg) {
    if (!m_hWnd) return FALSE;
    if (!(GetStyle() & WS_CHILD) && TurnPage(m_hWnd, msg)) return TRUE;
    if (msg->message < WM_KEYFIRST || msg->message > WM_KEYLAST) {
        if (msg->message < WM_MOUSEFIRST || msg->message > WM_MOUSELAST) return FALSE;
    }
    // A dialog inside another one answers Enter and Escape through its own dialog manager, as a
    // nested dialog does: a tab page's default button, OnOK or OnCancel, not the holding dialog's,
    // which would close it. (The system gives them on to the dialog when a DS_CONTROL page sits
    // right in it, as the task editor's parameter pages do: those are parts of their dialog.) The
    // arrows move within a group of the page's controls, which the page walks itself: the
    // holder's dialog manager, walking its own controls to find the one before, never comes back
    // into a page that a control which is no control parent holds. A page that
    // is a control of its holder (DS_CONTROL) leaves every other key (Tab, mnemonics) to the
    // holder, so that Tab moves through the page's controls and the holder's alike; a child
    // dialog that is not one keeps all its keys, as the holder's Tab never enters it.
    if ((GetStyle() & WS_CHILD) && (GetExStyle() & WS_EX_CONTROLPARENT) && !IsCommandKey(msg) && !IsArrowKey(msg))
        return FALSE;
    return ::IsDialogMessageA(m_hWnd, msg);
}

void CDialog::GotoDlgCtrl(CWnd* control) {
    if (m_hWnd && control && control->m_hWnd) SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control->m_hWnd), TRUE);
}

void CDialog::NextDlgCtrl() const { SendMessage(WM_NEXTDLGCTL, 0, 0); }
void CDialog::PrevDlgCtrl() const { SendMessage(WM_NEXTDLGCTL, 1, 0); }
void CDialog::SetDefID(UINT id) { SendMessage(DM_SETDEFID, id); }
DWORD CDialog::GetDefID() const { return static_cast<DWORD>(SendMessage(DM_GETDEFID)); }
