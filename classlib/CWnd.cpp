#include "classlib/CWnd.h"
#include "classlib/CDC.h"
#include "classlib/CDataExchange.h"
#include "classlib/CGdiObject.h"
#include "classlib/CMenu.h"
#include "classlib/CSync.h"
#include "classlib/CWinApp.h"
#include "classlib/Controls.h"
#include "classlib/ExceptionBarrier.h"
#include "classlib/TempMap.h"
#include <algorithm>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

namespace {
// What each thread keeps: its permanent map, the message being handled (for Default) and the
// object whose window is being created (for the creation hook).
struct ThreadState {
    std::unordered_map<HWND, CWnd*> permanent;
    MSG current = {};
    CWnd* creating = nullptr;
    HHOOK hook = nullptr;
    std::vector<void (*)()> cleaners;
};
ThreadState& State() {
    thread_local ThreadState state;
    return state;
}

// Restores the thread's current message when a handler returns or throws.
class CurrentMessage {
public:
    CurrentMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) : saved_(State().current) {
        MSG& m = State().current;
        m.hwnd = hwnd;
        m.message = message;
        m.wParam = wParam;
        m.lParam = lParam;
    }
    ~CurrentMessage() { State().current = saved_; }

private:
    MSG saved_;
};

HWND SafeHandle(const CWnd* wnd) { return wnd ? wnd->m_hWnd : nullptr; }

// The colour queries a parent gets for its controls, WM_CTLCOLORMSGBOX to WM_CTLCOLORSTATIC: one
// run of numbers, whose offset is the CTLCOLOR_* kind.
bool IsCtlColor(UINT message) { return message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC; }

// The temporary CWnd of a window that is not ours.
struct TempWnd : CWnd {
    static void AttachTemporary(TempWnd* temporary, HWND hwnd) { temporary->m_hWnd = hwnd; }
    static void ForgetTemporary(TempWnd* temporary) { temporary->m_hWnd = nullptr; }
};
typedef TempMap<TempWnd, HWND> WndTempMap;
}  // namespace

namespace tempmap {
void RegisterCleaner(void (*clean)()) { State().cleaners.push_back(clean); }
void CleanAll() {
    for (auto clean : State().cleaners) clean();
}
}  // namespace tempmap

void AfxDeleteTempMaps() { tempmap::CleanAll(); }

namespace msgmap {
CWnd* WndOf(HWND h) { return h ? CWnd::FromHandle(h) : nullptr; }
CDC* DcOf(HDC h) { return CDC::FromHandle(h); }
}  // namespace msgmap

// ---- The handle map -------------------------------------------------------------------------

IMPLEMENT_DYNAMIC(CWnd, CCmdTarget)

const CWnd CWnd::wndTop(HWND_TOP);
const CWnd CWnd::wndBottom(HWND_BOTTOM);
const CWnd CWnd::wndTopMost(HWND_TOPMOST);
const CWnd CWnd::wndNoTopMost(HWND_NOTOPMOST);

CWnd::CWnd() : m_hWnd(nullptr), m_pfnSuper(nullptr), permanent_(false), subclassed_(false) {}

CWnd::CWnd(HWND special) : m_hWnd(special), m_pfnSuper(nullptr), permanent_(false), subclassed_(false) {}

CWnd::~CWnd() {
    if (m_hWnd && permanent_) {
        // The window must not outlive its object: its messages would reach freed memory.
        HWND hwnd = m_hWnd;
        Detach();
        ::DestroyWindow(hwnd);
    }
}

CWnd* CWnd::FromHandlePermanent(HWND hwnd) {
    if (!hwnd) return nullptr;
    auto& map = State().permanent;
    auto it = map.find(hwnd);
    return it == map.end() ? nullptr : it->second;
}

CWnd* CWnd::FromHandle(HWND hwnd) {
    if (!hwnd) return nullptr;
    if (CWnd* wnd = FromHandlePermanent(hwnd)) return wnd;
    return WndTempMap::Get(hwnd);
}

void CWnd::GetHandleMapCounts(int* permanent, int* temporary) {
    if (permanent) *permanent = static_cast<int>(State().permanent.size());
    if (temporary) *temporary = WndTempMap::Count();
}

BOOL CWnd::Attach(HWND hwnd) {
    if (!hwnd || m_hWnd || FromHandlePermanent(hwnd)) return FALSE;
    // A temporary of the same window would now be a second object for it.
    WndTempMap::Remove(hwnd);
    State().permanent[hwnd] = this;
    m_hWnd = hwnd;
    permanent_ = true;
    return TRUE;
}

HWND CWnd::Detach() {
    HWND hwnd = m_hWnd;
    if (!hwnd) return nullptr;
    if (subclassed_ && m_pfnSuper &&
        reinterpret_cast<WNDPROC>(GetWindowLongPtrA(hwnd, GWLP_WNDPROC)) == AfxWndProc) {
        SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
    }
    if (permanent_) State().permanent.erase(hwnd);
    permanent_ = false;
    subclassed_ = false;
    m_pfnSuper = nullptr;
    m_hWnd = nullptr;
    return hwnd;
}

BOOL CWnd::SubclassWindow(HWND hwnd) {
    if (!Attach(hwnd)) return FALSE;
    PreSubclassWindow();
    WNDPROC old = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(AfxWndProc)));
    if (!old) {
        Detach();
        return FALSE;
    }
    m_pfnSuper = old;
    subclassed_ = true;
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT id, CWnd* parent) {
    HWND parentHwnd = SafeHandle(parent);
    HWND item = parentHwnd ? ::GetDlgItem(parentHwnd, static_cast<int>(id)) : nullptr;
    return item ? SubclassWindow(item) : FALSE;
}

HWND CWnd::UnsubclassWindow() { return Detach(); }

void CWnd::HookedAttach(HWND hwnd) {
    if (!Attach(hwnd)) return;
    PreSubclassWindow();
    m_pfnSuper = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(AfxWndProc)));
    subclassed_ = true;
}

void CWnd::EndOfWindow() {
    // The window is gone: forget it before PostNcDestroy, which may delete the object.
    if (permanent_) State().permanent.erase(m_hWnd);
    permanent_ = false;
    subclassed_ = false;
    m_pfnSuper = nullptr;
    m_hWnd = nullptr;
    PostNcDestroy();
}

// ---- Creation -------------------------------------------------------------------------------

LRESULT CALLBACK CreationHookProc(int code, WPARAM wParam, LPARAM lParam) {
    ThreadState& state = State();
    try {
        if (code == HCBT_CREATEWND && state.creating) {
            CWnd* wnd = state.creating;
            state.creating = nullptr;  // only the first window: the others are its children
            wnd->HookedAttach(reinterpret_cast<HWND>(wParam));
        }
    } catch (...) {
        AfxCarryException(std::current_exception());
    }
    return CallNextHookEx(state.hook, code, wParam, lParam);
}

CreationHook::CreationHook(CWnd* wnd) {
    ThreadState& state = State();
    outerCreating_ = state.creating;
    outerHook_ = state.hook;
    state.creating = wnd;
    state.hook = SetWindowsHookExA(WH_CBT, CreationHookProc, nullptr, GetCurrentThreadId());
}

CreationHook::~CreationHook() {
    ThreadState& state = State();
    if (state.hook) UnhookWindowsHookEx(state.hook);
    state.creating = static_cast<CWnd*>(outerCreating_);
    state.hook = static_cast<HHOOK>(outerHook_);
}

const char* AfxRegisterWndClass(UINT classStyle, HCURSOR cursor, HBRUSH background, HICON icon) {
    static std::set<std::string> names;
    static CCriticalSection lock;
    char name[128];
    wsprintfA(name, "Orv:%p:%x:%p:%p:%p", static_cast<void*>(AfxGetInstanceHandle()), classStyle,
              static_cast<void*>(cursor), static_cast<void*>(background), static_cast<void*>(icon));
    CSingleLock held(&lock, TRUE);
    auto it = names.find(name);
    if (it == names.end()) {
        WNDCLASSA wc = {};
        wc.style = classStyle;
        wc.lpfnWndProc = DefWindowProcA;  // replaced by AfxWndProc as each window is created
        wc.hInstance = AfxGetInstanceHandle();
        wc.hCursor = cursor;
        wc.hbrBackground = background;
        wc.hIcon = icon;
        wc.lpszClassName = name;
        WNDCLASSA existing;
        if (GetClassInfoA(wc.hInstance, name, &existing) || RegisterClassA(&wc)) it = names.insert(name).first;
    }
    return it == names.end() ? nullptr : it->c_str();
}

BOOL CWnd::PreCreateWindow(CREATESTRUCTA& cs) {
    if (!cs.lpszClass)
        cs.lpszClass = AfxRegisterWndClass(CS_DBLCLKS, LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)));
    return cs.lpszClass != nullptr;
}

BOOL CWnd::Create(const char* className, const char* windowName, DWORD style, const RECT& rect, CWnd* parent,
                  UINT id, void* context) {
    return CreateEx(0, className, windowName, style | WS_CHILD, rect, parent, id, context);
}

BOOL CWnd::CreateEx(DWORD exStyle, const char* className, const char* windowName, DWORD style, const RECT& rect,
                    CWnd* parent, UINT id, void* param) {
    return CreateEx(exStyle, className, windowName, style, rect.left, rect.top, rect.right - rect.left,
                    rect.bottom - rect.top, SafeHandle(parent),
                    reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), param);
}

BOOL CWnd::CreateEx(DWORD exStyle, const char* className, const char* windowName, DWORD style, int x, int y,
                    int width, int height, HWND parent, HMENU idOrMenu, void* param) {
    if (m_hWnd) return FALSE;
    CREATESTRUCTA cs = {};
    cs.dwExStyle = exStyle;
    cs.lpszClass = className;
    cs.lpszName = windowName;
    cs.style = style;
    cs.x = x;
    cs.y = y;
    cs.cx = width;
    cs.cy = height;
    cs.hwndParent = parent;
    cs.hMenu = idOrMenu;
    cs.hInstance = AfxGetInstanceHandle();
    cs.lpCreateParams = param;
    if (!PreCreateWindow(cs)) return FALSE;
    HWND hwnd;
    {
        CreationHook hook(this);
        hwnd = CreateWindowExA(cs.dwExStyle, cs.lpszClass, cs.lpszName, cs.style, cs.x, cs.y, cs.cx, cs.cy,
                               cs.hwndParent, cs.hMenu, cs.hInstance, cs.lpCreateParams);
    }
    if (!hwnd && m_hWnd) Detach();  // failed after the hook had attached us
    return hwnd != nullptr;
}

BOOL CWnd::DestroyWindow() {
    if (!m_hWnd) return FALSE;
    HWND hwnd = m_hWnd;
    // A permanent object lets go of its window when WM_NCDESTROY arrives; any other at once.
    if (!permanent_) m_hWnd = nullptr;
    return ::DestroyWindow(hwnd);
}

// ---- The window procedure and the dispatch ----------------------------------------------------

LRESULT CALLBACK AfxWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CWnd* wnd = CWnd::FromHandlePermanent(hwnd);
    if (!wnd) return DefWindowProcA(hwnd, message, wParam, lParam);
    try {
        CurrentMessage current(hwnd, message, wParam, lParam);
        LRESULT result = wnd->WindowProc(message, wParam, lParam);
        if (message == WM_NCDESTROY) wnd->EndOfWindow();
        return result;
    } catch (...) {
        if (message == WM_NCDESTROY && CWnd::FromHandlePermanent(hwnd) == wnd) wnd->EndOfWindow();
        AfxCarryException(std::current_exception());
        // A failed creation message makes the creation fail.
        if (message == WM_CREATE) return -1;
        return 0;
    }
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result)) result = DefWindowProc(message, wParam, lParam);
    return result;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!m_hWnd) return 0;
    if (m_pfnSuper) return CallWindowProcA(m_pfnSuper, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

const MSG* CWnd::GetCurrentMessage() { return &State().current; }

LRESULT CWnd::Default() {
    const MSG& m = State().current;
    return DefWindowProc(m.message, m.wParam, m.lParam);
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    switch (message) {
    case WM_COMMAND:
        if (!OnCommand(wParam, lParam)) return FALSE;
        *result = 0;
        return TRUE;
    case WM_NOTIFY: {
        LRESULT answer = 0;
        if (!OnNotify(wParam, lParam, &answer)) return FALSE;
        *result = answer;
        return TRUE;
    }
    default:
        // A colour query goes to the control it is about first.
        if (IsCtlColor(message) && ReflectToChild(reinterpret_cast<HWND>(lParam), message, wParam, lParam, result))
            return TRUE;
        break;
    }
    MessageCall call = {message, wParam, lParam, 0, nullptr, 0};
    if (!CallEntry(call, 0)) return FALSE;
    *result = call.result;
    return TRUE;
}

BOOL CWnd::ReflectToChild(HWND child, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    CWnd* control = FromHandlePermanent(child);
    return control && control->OnChildNotify(message, wParam, lParam, result);
}

BOOL CWnd::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    return ReflectChildNotify(message, wParam, lParam, result);
}

BOOL CWnd::ReflectChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    MessageCall call = {message, wParam, lParam, 0, nullptr, 0};
    if (IsCtlColor(message)) {
        const MessageMapEntry* entry = FindEntry(kReflectCtlColor, 0, 0);
        if (!entry || !entry->thunk(this, call)) return FALSE;  // call.message stays the query's kind
        *result = call.result;
        return TRUE;
    }
    UINT code = 0;
    switch (message) {
    case WM_COMMAND:
        call.message = kReflectBase + WM_COMMAND;
        call.id = LOWORD(wParam);
        code = HIWORD(wParam);
        break;
    case WM_NOTIFY: {
        NMHDR* header = reinterpret_cast<NMHDR*>(lParam);
        call.message = kReflectBase + WM_NOTIFY;
        call.id = static_cast<UINT>(header->idFrom) & 0xFFFF;
        call.extra = header;
        code = static_cast<UINT>(header->code);
        break;
    }
    default:
        return FALSE;
    }
    if (!CallEntry(call, code)) return FALSE;
    *result = call.result;
    return TRUE;
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
    UINT id = LOWORD(wParam);
    HWND control = reinterpret_cast<HWND>(lParam);
    int code = HIWORD(wParam);
    if (!control) {
        code = CN_COMMAND;  // a menu (0) or an accelerator (1)
    } else {
        LRESULT ignored = 0;
        if (ReflectToChild(control, WM_COMMAND, wParam, lParam, &ignored)) return TRUE;
    }
    return OnCmdMsg(id, code, nullptr, nullptr);
}

BOOL CWnd::OnNotify(WPARAM, LPARAM lParam, LRESULT* result) {
    NMHDR* header = reinterpret_cast<NMHDR*>(lParam);
    if (!header) return FALSE;
    if (ReflectToChild(header->hwndFrom, WM_NOTIFY, 0, lParam, result)) return TRUE;
    UINT id = static_cast<UINT>(header->idFrom) & 0xFFFF;
    int code = static_cast<int>(MAKELONG(static_cast<UINT>(header->code) & 0xFFFF, WM_NOTIFY));
    return OnCmdMsg(id, code, header, result);
}

BOOL CWnd::PreTranslateMessage(MSG*) { return FALSE; }

BOOL CWnd::WalkPreTranslateTree(HWND stop, MSG* msg) {
    for (HWND hwnd = msg->hwnd; hwnd; hwnd = ::GetParent(hwnd)) {
        if (CWnd* wnd = FromHandlePermanent(hwnd)) {
            if (wnd->PreTranslateMessage(msg)) return TRUE;
        }
        if (hwnd == stop || !(GetWindowLongA(hwnd, GWL_STYLE) & WS_CHILD)) break;
    }
    return FALSE;
}

BOOL CWnd::UpdateData(BOOL saveAndValidate) {
    if (!m_hWnd) return FALSE;
    CDataExchange dx(this, saveAndValidate);
    try {
        DoDataExchange(&dx);
    } catch (const CUserException&) {
        return FALSE;  // Fail() has told the user and put the focus on the control
    }
    return TRUE;
}

void CWnd::DoDataExchange(CDataExchange*) {}

// ---- Texts and dialog items --------------------------------------------------------------------

void CWnd::SetWindowText(const char* text) {
    if (m_hWnd) ::SetWindowTextA(m_hWnd, text ? text : "");
}

int CWnd::GetWindowText(char* buffer, int maxCount) const {
    if (buffer && maxCount > 0) buffer[0] = '\0';
    return m_hWnd ? ::GetWindowTextA(m_hWnd, buffer, maxCount) : 0;
}

void CWnd::GetWindowText(CString& text) const {
    text.Empty();
    if (!m_hWnd) return;
    int length = ::GetWindowTextLengthA(m_hWnd);
    ::GetWindowTextA(m_hWnd, text.GetBuffer(length + 1), length + 1);
    text.ReleaseBuffer();
}

int CWnd::GetWindowTextLength() const { return m_hWnd ? ::GetWindowTextLengthA(m_hWnd) : 0; }

CWnd* CWnd::GetDlgItem(int id) const { return m_hWnd ? FromHandle(::GetDlgItem(m_hWnd, id)) : nullptr; }

int CWnd::GetDlgCtrlID() const { return m_hWnd ? ::GetDlgCtrlID(m_hWnd) : 0; }

void CWnd::SetDlgItemText(int id, const char* text) {
    if (m_hWnd) ::SetDlgItemTextA(m_hWnd, id, text ? text : "");
}

int CWnd::GetDlgItemText(int id, CString& text) const {
    text.Empty();
    if (CWnd* item = GetDlgItem(id)) item->GetWindowText(text);
    return text.GetLength();
}

void CWnd::SetDlgItemInt(int id, UINT value, BOOL isSigned) {
    if (m_hWnd) ::SetDlgItemInt(m_hWnd, id, value, isSigned);
}

UINT CWnd::GetDlgItemInt(int id, BOOL* translated, BOOL isSigned) const {
    if (translated) *translated = FALSE;
    return m_hWnd ? ::GetDlgItemInt(m_hWnd, id, translated, isSigned) : 0;
}

void CWnd::CheckDlgButton(int id, UINT check) {
    if (m_hWnd) ::CheckDlgButton(m_hWnd, id, check);
}

UINT CWnd::IsDlgButtonChecked(int id) const { return m_hWnd ? ::IsDlgButtonChecked(m_hWnd, id) : 0; }

void CWnd::CheckRadioButton(int first, int last, int checked) {
    if (m_hWnd) ::CheckRadioButton(m_hWnd, first, last, checked);
}

LRESULT CWnd::SendDlgItemMessage(int id, UINT message, WPARAM wParam, LPARAM lParam) const {
    return m_hWnd ? ::SendDlgItemMessageA(m_hWnd, id, message, wParam, lParam) : 0;
}

CWnd* CWnd::GetNextDlgTabItem(CWnd* control, BOOL previous) const {
    return m_hWnd ? FromHandle(::GetNextDlgTabItem(m_hWnd, SafeHandle(control), previous)) : nullptr;
}

// ---- Relatives and geometry --------------------------------------------------------------------

CWnd* CWnd::GetParent() const { return m_hWnd ? FromHandle(::GetParent(m_hWnd)) : nullptr; }

CWnd* CWnd::SetParent(CWnd* parent) { return m_hWnd ? FromHandle(::SetParent(m_hWnd, SafeHandle(parent))) : nullptr; }

CWnd* CWnd::GetOwner() const { return m_hWnd ? FromHandle(::GetWindow(m_hWnd, GW_OWNER)) : nullptr; }

CWnd* CWnd::GetTopLevelParent() const { return m_hWnd ? FromHandle(::GetAncestor(m_hWnd, GA_ROOT)) : nullptr; }

CWnd* CWnd::GetTopWindow() const { return m_hWnd ? FromHandle(::GetTopWindow(m_hWnd)) : nullptr; }

CWnd* CWnd::GetWindow(UINT command) const { return m_hWnd ? FromHandle(::GetWindow(m_hWnd, command)) : nullptr; }

BOOL CWnd::IsChild(const CWnd* other) const { return m_hWnd && other && ::IsChild(m_hWnd, other->m_hWnd); }

void CWnd::GetClientRect(LPRECT rect) const {
    SetRectEmpty(rect);
    if (m_hWnd) ::GetClientRect(m_hWnd, rect);
}

void CWnd::GetWindowRect(LPRECT rect) const {
    SetRectEmpty(rect);
    if (m_hWnd) ::GetWindowRect(m_hWnd, rect);
}

void CWnd::ClientToScreen(LPPOINT point) const {
    if (m_hWnd) ::ClientToScreen(m_hWnd, point);
}

void CWnd::ClientToScreen(LPRECT rect) const {
    if (m_hWnd) ::MapWindowPoints(m_hWnd, nullptr, reinterpret_cast<LPPOINT>(rect), 2);
}

void CWnd::ScreenToClient(LPPOINT point) const {
    if (m_hWnd) ::ScreenToClient(m_hWnd, point);
}

void CWnd::ScreenToClient(LPRECT rect) const {
    if (m_hWnd) ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<LPPOINT>(rect), 2);
}

void CWnd::MapWindowPoints(CWnd* to, LPPOINT points, UINT count) const {
    if (m_hWnd) ::MapWindowPoints(m_hWnd, SafeHandle(to), points, count);
}

void CWnd::MapWindowPoints(CWnd* to, LPRECT rect) const {
    if (m_hWnd) ::MapWindowPoints(m_hWnd, SafeHandle(to), reinterpret_cast<LPPOINT>(rect), 2);
}

void CWnd::MoveWindow(int x, int y, int width, int height, BOOL repaint) {
    if (m_hWnd) ::MoveWindow(m_hWnd, x, y, width, height, repaint);
}

void CWnd::MoveWindow(const RECT& rect, BOOL repaint) {
    MoveWindow(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, repaint);
}

BOOL CWnd::SetWindowPos(const CWnd* insertAfter, int x, int y, int cx, int cy, UINT flags) {
    return m_hWnd && ::SetWindowPos(m_hWnd, SafeHandle(insertAfter), x, y, cx, cy, flags);
}

void CWnd::CenterWindow() {
    if (!m_hWnd || (GetStyle() & WS_CHILD)) return;
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    if (!GetMonitorInfoA(MonitorFromWindow(m_hWnd, MONITOR_DEFAULTTONEAREST), &monitor)) return;
    const CRect work(monitor.rcWork);
    CRect over = work;
    HWND owner = ::GetWindow(m_hWnd, GW_OWNER);
    if (owner && ::IsWindowVisible(owner) && !::IsIconic(owner)) ::GetWindowRect(owner, &over);
    CRect window;
    GetWindowRect(&window);
    LONG x = over.left + (over.Width() - window.Width()) / 2;
    LONG y = over.top + (over.Height() - window.Height()) / 2;
    // An owner near the edge of the screen must not push the window off it.
    x = std::max<LONG>(work.left, std::min<LONG>(x, work.right - window.Width()));
    y = std::max<LONG>(work.top, std::min<LONG>(y, work.bottom - window.Height()));
    ::SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// ---- State, style, painting ----------------------------------------------------------------------

namespace {
bool HoldsFocus(HWND window) {
    HWND focus = ::GetFocus();
    return focus && (focus == window || ::IsChild(window, focus));
}

bool IsDialogWindow(HWND window) { return ::GetClassLongA(window, GCW_ATOM) == 32770; }  // WC_DIALOG

// The system takes the focus from a window that is disabled and gives it to nobody: Tab, the
// arrows and Escape would then reach no control of the dialog until a click. So the focus goes
// on where Tab would take it: to the next control that can take it in the innermost dialog
// holding the window (a page keeps it), else in the dialogs around that one.
void HandFocusOn(HWND disabled) {
    HWND root = ::GetAncestor(disabled, GA_ROOT);
    for (HWND holder = ::GetParent(disabled); holder; holder = ::GetParent(holder)) {
        if (IsDialogWindow(holder)) {
            HWND next = ::GetNextDlgTabItem(holder, disabled, FALSE);
            if (next && next != disabled && !::IsChild(disabled, next)) {
                if (IsDialogWindow(root))
                    ::SendMessageA(root, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(next), TRUE);
                else
                    ::SetFocus(next);
                return;
            }
        }
        if (holder == root) break;
    }
}
}  // namespace

BOOL CWnd::ShowWindow(int command) { return m_hWnd && ::ShowWindow(m_hWnd, command); }
BOOL CWnd::IsWindowVisible() const { return m_hWnd && ::IsWindowVisible(m_hWnd); }

BOOL CWnd::EnableWindow(BOOL enable) {
    if (!m_hWnd) return FALSE;
    // Before, while the dialog still sees where the focus comes from (a pushed button gives up
    // its default look).
    if (!enable && (GetStyle() & WS_CHILD) && HoldsFocus(m_hWnd)) HandFocusOn(m_hWnd);
    return ::EnableWindow(m_hWnd, enable);
}

BOOL CWnd::IsWindowEnabled() const { return m_hWnd && ::IsWindowEnabled(m_hWnd); }
BOOL CWnd::IsIconic() const { return m_hWnd && ::IsIconic(m_hWnd); }

void CWnd::UpdateWindow() {
    if (m_hWnd) ::UpdateWindow(m_hWnd);
}

void CWnd::Invalidate(BOOL erase) { InvalidateRect(nullptr, erase); }

void CWnd::InvalidateRect(const RECT* rect, BOOL erase) {
    if (m_hWnd) ::InvalidateRect(m_hWnd, rect, erase);
}

void CWnd::ValidateRect(const RECT* rect) {
    if (m_hWnd) ::ValidateRect(m_hWnd, rect);
}

BOOL CWnd::RedrawWindow(const RECT* rect, HRGN region, UINT flags) {
    return m_hWnd && ::RedrawWindow(m_hWnd, rect, region, flags);
}

void CWnd::SetRedraw(BOOL redraw) { SendMessage(WM_SETREDRAW, redraw); }

DWORD CWnd::GetStyle() const { return m_hWnd ? static_cast<DWORD>(GetWindowLongA(m_hWnd, GWL_STYLE)) : 0; }
DWORD CWnd::GetExStyle() const { return m_hWnd ? static_cast<DWORD>(GetWindowLongA(m_hWnd, GWL_EXSTYLE)) : 0; }

namespace {
BOOL ModifyLong(HWND hwnd, int index, DWORD remove, DWORD add, UINT flags) {
    if (!hwnd) return FALSE;
    DWORD style = static_cast<DWORD>(GetWindowLongA(hwnd, index));
    DWORD changed = (style & ~remove) | add;
    if (changed == style) return FALSE;
    SetWindowLongA(hwnd, index, static_cast<LONG>(changed));
    if (flags) ::SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | flags);
    return TRUE;
}
}  // namespace

BOOL CWnd::ModifyStyle(DWORD remove, DWORD add, UINT flags) { return ModifyLong(m_hWnd, GWL_STYLE, remove, add, flags); }
BOOL CWnd::ModifyStyleEx(DWORD remove, DWORD add, UINT flags) {
    return ModifyLong(m_hWnd, GWL_EXSTYLE, remove, add, flags);
}

CDC* CWnd::GetDC() { return m_hWnd ? CDC::FromHandle(::GetDC(m_hWnd)) : nullptr; }
CDC* CWnd::GetWindowDC() { return m_hWnd ? CDC::FromHandle(::GetWindowDC(m_hWnd)) : nullptr; }
int CWnd::ReleaseDC(CDC* dc) { return m_hWnd && dc ? ::ReleaseDC(m_hWnd, dc->m_hDC) : 0; }

// ---- Focus, capture, caret, scrolling ------------------------------------------------------------

CWnd* CWnd::SetFocus() { return m_hWnd ? FromHandle(::SetFocus(m_hWnd)) : nullptr; }
CWnd* CWnd::GetFocus() { return FromHandle(::GetFocus()); }
CWnd* CWnd::GetActiveWindow() { return FromHandle(::GetActiveWindow()); }
CWnd* CWnd::SetActiveWindow() { return m_hWnd ? FromHandle(::SetActiveWindow(m_hWnd)) : nullptr; }
BOOL CWnd::SetForegroundWindow() { return m_hWnd && ::SetForegroundWindow(m_hWnd); }
CWnd* CWnd::SetCapture() { return m_hWnd ? FromHandle(::SetCapture(m_hWnd)) : nullptr; }
CWnd* CWnd::GetCapture() { return FromHandle(::GetCapture()); }

void CWnd::CreateSolidCaret(int width, int height) {
    if (m_hWnd) ::CreateCaret(m_hWnd, nullptr, width, height);
}
void CWnd::ShowCaret() {
    if (m_hWnd) ::ShowCaret(m_hWnd);
}
void CWnd::HideCaret() {
    if (m_hWnd) ::HideCaret(m_hWnd);
}
void CWnd::SetCaretPos(POINT point) { ::SetCaretPos(point.x, point.y); }
CPoint CWnd::GetCaretPos() {
    POINT p = {0, 0};
    ::GetCaretPos(&p);
    return CPoint(p);
}

BOOL CWnd::SetScrollInfo(int bar, LPSCROLLINFO info, BOOL redraw) {
    if (!m_hWnd || !info) return FALSE;
    info->cbSize = sizeof(SCROLLINFO);
    ::SetScrollInfo(m_hWnd, bar, info, redraw);
    return TRUE;
}

BOOL CWnd::GetScrollInfo(int bar, LPSCROLLINFO info, UINT mask) const {
    if (!m_hWnd || !info) return FALSE;
    info->cbSize = sizeof(SCROLLINFO);
    info->fMask = mask;
    return ::GetScrollInfo(m_hWnd, bar, info);
}

int CWnd::SetScrollPos(int bar, int pos, BOOL redraw) { return m_hWnd ? ::SetScrollPos(m_hWnd, bar, pos, redraw) : 0; }
int CWnd::GetScrollPos(int bar) const { return m_hWnd ? ::GetScrollPos(m_hWnd, bar) : 0; }

void CWnd::SetScrollRange(int bar, int minPos, int maxPos, BOOL redraw) {
    if (m_hWnd) ::SetScrollRange(m_hWnd, bar, minPos, maxPos, redraw);
}

void CWnd::GetScrollRange(int bar, LPINT minPos, LPINT maxPos) const {
    if (minPos) *minPos = 0;
    if (maxPos) *maxPos = 0;
    if (m_hWnd) ::GetScrollRange(m_hWnd, bar, minPos, maxPos);
}

void CWnd::ShowScrollBar(UINT bar, BOOL show) {
    if (m_hWnd) ::ShowScrollBar(m_hWnd, static_cast<int>(bar), show);
}

BOOL CWnd::EnableScrollBar(int bar, UINT arrows) { return m_hWnd && ::EnableScrollBar(m_hWnd, bar, arrows); }

void CWnd::ScrollWindow(int dx, int dy, const RECT* rect, const RECT* clip) {
    if (m_hWnd) ::ScrollWindow(m_hWnd, dx, dy, rect, clip);
}

// ---- Timers, messages, fonts, icons, menus ---------------------------------------------------------

UINT_PTR CWnd::SetTimer(UINT_PTR id, UINT elapse, TIMERPROC callback) {
    return m_hWnd ? ::SetTimer(m_hWnd, id, elapse, callback) : 0;
}

BOOL CWnd::KillTimer(UINT_PTR id) { return m_hWnd && ::KillTimer(m_hWnd, id); }

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
    return m_hWnd ? ::SendMessageA(m_hWnd, message, wParam, lParam) : 0;
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
    return m_hWnd && ::PostMessageA(m_hWnd, message, wParam, lParam);
}

void CWnd::SetFont(CFont* font, BOOL redraw) {
    SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font ? font->GetSafeHandle() : nullptr), redraw);
}

CFont* CWnd::GetFont() const {
    HFONT font = reinterpret_cast<HFONT>(SendMessage(WM_GETFONT));
    return font ? CFont::FromHandle(font) : nullptr;
}

HICON CWnd::SetIcon(HICON icon, BOOL bigIcon) {
    return reinterpret_cast<HICON>(
        SendMessage(WM_SETICON, bigIcon ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(icon)));
}

HICON CWnd::GetIcon(BOOL bigIcon) const {
    return reinterpret_cast<HICON>(SendMessage(WM_GETICON, bigIcon ? ICON_BIG : ICON_SMALL));
}

CMenu* CWnd::GetSystemMenu(BOOL revert) const {
    HMENU menu = m_hWnd ? ::GetSystemMenu(m_hWnd, revert) : nullptr;
    return menu ? CMenu::FromHandle(menu) : nullptr;
}

int CWnd::MessageBox(const char* text, const char* caption, UINT type) {
    return AfxShowMessageBox(m_hWnd, text, caption ? caption : AfxGetAppName(), type);
}

// ---- Standard handlers ---------------------------------------------------------------------------

int CWnd::OnCreate(LPCREATESTRUCTA) { return static_cast<int>(Default()); }
void CWnd::OnDestroy() { Default(); }
void CWnd::OnNcDestroy() { Default(); }
void CWnd::OnClose() { Default(); }
void CWnd::OnPaint() { Default(); }
BOOL CWnd::OnEraseBkgnd(CDC*) { return static_cast<BOOL>(Default()); }
void CWnd::OnSize(UINT, int, int) { Default(); }
void CWnd::OnTimer(UINT_PTR) { Default(); }
void CWnd::OnSetFocus(CWnd*) { Default(); }
void CWnd::OnKillFocus(CWnd*) { Default(); }
BOOL CWnd::OnSetCursor(CWnd*, UINT, UINT) { return static_cast<BOOL>(Default()); }
LRESULT CWnd::OnNcHitTest(CPoint) { return Default(); }
void CWnd::OnMouseMove(UINT, CPoint) { Default(); }
void CWnd::OnLButtonDown(UINT, CPoint) { Default(); }
void CWnd::OnLButtonUp(UINT, CPoint) { Default(); }
void CWnd::OnLButtonDblClk(UINT, CPoint) { Default(); }
void CWnd::OnRButtonDown(UINT, CPoint) { Default(); }
void CWnd::OnRButtonUp(UINT, CPoint) { Default(); }
BOOL CWnd::OnMouseWheel(UINT, short, CPoint) { return static_cast<BOOL>(Default()); }
void CWnd::OnMouseLeave() { Default(); }
void CWnd::OnHScroll(UINT, UINT, CScrollBar*) { Default(); }
void CWnd::OnVScroll(UINT, UINT, CScrollBar*) { Default(); }
void CWnd::OnChar(UINT, UINT, UINT) { Default(); }
void CWnd::OnKeyDown(UINT, UINT, UINT) { Default(); }
void CWnd::OnKeyUp(UINT, UINT, UINT) { Default(); }
UINT CWnd::OnGetDlgCode() { return static_cast<UINT>(Default()); }
void CWnd::OnSysColorChange() { Default(); }
void CWnd::OnEnable(BOOL) { Default(); }
void CWnd::OnSysCommand(UINT, LPARAM) { Default(); }
HCURSOR CWnd::OnQueryDragIcon() { return reinterpret_cast<HCURSOR>(Default()); }
void CWnd::OnShowWindow(BOOL, UINT) { Default(); }
void CWnd::OnContextMenu(CWnd*, CPoint) { Default(); }
HBRUSH CWnd::OnCtlColor(CDC*, CWnd*, UINT) { return reinterpret_cast<HBRUSH>(Default()); }
