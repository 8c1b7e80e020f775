// A window object over an HWND: the handle map, creation, subclassing and message dispatch.
//
// How a message reaches a handler: every window of ours has AfxWndProc as its window procedure
// (set by the creation hook or by SubclassWindow). AfxWndProc finds the object in the handle map
// and calls WindowProc, which calls OnWndMsg; OnWndMsg dispatches through the message map
// (CCmdTarget.h) or, when no entry takes the message, WindowProc passes it to DefWindowProc, the
// procedure the window had before (the control's own, DefDlgProc for dialogs, DefWindowProc for
// our own classes). A handler calls Default() to run that default processing on the message
// being handled, unchanged. No C++ exception ever leaves AfxWndProc (see ExceptionBarrier.h).
//
// Every member is safe to call on an object without a window: it does nothing and answers 0,
// FALSE, null or an empty text.
#pragma once
#include "classlib/CCmdTarget.h"
#include "classlib/TempMap.h"

class CDC;
class CFont;
class CMenu;
class CScrollBar;

LRESULT CALLBACK AfxWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Registers (once) a window class with AfxWndProc's road and gives its name; the name stays
// valid for the life of the process.
const char* AfxRegisterWndClass(UINT classStyle, HCURSOR cursor = nullptr, HBRUSH background = nullptr,
                                HICON icon = nullptr);

class CWnd : public CCmdTarget {
    DECLARE_DYNAMIC(CWnd)
public:
    CWnd();
    // A window still attached is destroyed with the object.
    ~CWnd() override;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd;
    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return GetSafeHwnd(); }

    // The handle map. The permanent object of a window is the one attached to it; FromHandle
    // gives a temporary CWnd for any other window, valid until the thread's message loop is next
    // idle (AfxDeleteTempMaps). Maps are per thread.
    static CWnd* FromHandle(HWND hwnd);
    static CWnd* FromHandlePermanent(HWND hwnd);
    BOOL Attach(HWND hwnd);  // makes this the window's permanent object, without subclassing
    // Ends the link; a window we subclassed gets its previous procedure back.
    HWND Detach();
    // Attaches and routes the window's messages through this object. PreSubclassWindow runs
    // first, while the previous procedure is still in place.
    BOOL SubclassWindow(HWND hwnd);
    BOOL SubclassDlgItem(UINT id, CWnd* parent);
    HWND UnsubclassWindow();

    // Creation. A null class name means a plain class of ours (double clicks, arrow cursor).
    // The creation hook attaches the object before WM_NCCREATE, so every message of the
    // creation reaches it.
    virtual BOOL Create(const char* className, const char* windowName, DWORD style, const RECT& rect,
                        CWnd* parent, UINT id, void* context = nullptr);
    BOOL CreateEx(DWORD exStyle, const char* className, const char* windowName, DWORD style, const RECT& rect,
                  CWnd* parent, UINT id, void* param = nullptr);
    BOOL CreateEx(DWORD exStyle, const char* className, const char* windowName, DWORD style, int x, int y,
                  int width, int height, HWND parent, HMENU idOrMenu, void* param = nullptr);
    // May change the creation values; FALSE cancels the creation.
    virtual BOOL PreCreateWindow(CREATESTRUCTA& cs);
    virtual BOOL DestroyWindow();

    // Message handling.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // The default processing of the message now being handled (unchanged arguments).
    LRESULT Default();
    // The message now being handled by this thread, for a handler whose arguments leave some out.
    static const MSG* GetCurrentMessage();
    // The one dispatch function: TRUE when a handler took the message, its answer in *result.
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    // A key or mouse message before it is dispatched; TRUE when it was consumed. The modal loop
    // asks each window from the target up to the dialog (WalkPreTranslateTree).
    virtual BOOL PreTranslateMessage(MSG* msg);
    // Asks PreTranslateMessage of the target window and its parents, up to and including `stop`
    // (or the top-level window). TRUE when one consumed the message.
    static BOOL WalkPreTranslateTree(HWND stop, MSG* msg);
    // A notification of this control reaching its parent: TRUE when a reflected entry took it
    // (its answer in *result), so the parent answers with the control's answer.
    virtual BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    // Data exchange between the controls and the members (CDataExchange.h).
    BOOL UpdateData(BOOL saveAndValidate = TRUE);
    virtual void DoDataExchange(class CDataExchange* dx);

    // Texts and dialog items.
    void SetWindowText(const char* text);
    int GetWindowText(char* buffer, int maxCount) const;
    void GetWindowText(CString& text) const;
    int GetWindowTextLength() const;
    CWnd* GetDlgItem(int id) const;
    int GetDlgCtrlID() const;
    void SetDlgItemText(int id, const char* text);
    int GetDlgItemText(int id, CString& text) const;
    void SetDlgItemInt(int id, UINT value, BOOL isSigned = TRUE);
    UINT GetDlgItemInt(int id, BOOL* translated = nullptr, BOOL isSigned = TRUE) const;
    void CheckDlgButton(int id, UINT check);
    UINT IsDlgButtonChecked(int id) const;
    void CheckRadioButton(int first, int last, int checked);
    LRESULT SendDlgItemMessage(int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    CWnd* GetNextDlgTabItem(CWnd* control, BOOL previous = FALSE) const;

    // Relatives.
    CWnd* GetParent() const;
    CWnd* SetParent(CWnd* parent);
    CWnd* GetOwner() const;
    CWnd* GetTopLevelParent() const;
    CWnd* GetTopWindow() const;  // the first child in the z-order
    CWnd* GetWindow(UINT command) const;
    BOOL IsChild(const CWnd* other) const;

    // Geometry.
    void GetClientRect(LPRECT rect) const;
    void GetWindowRect(LPRECT rect) const;
    void ClientToScreen(LPPOINT point) const;
    void ClientToScreen(LPRECT rect) const;
    void ScreenToClient(LPPOINT point) const;
    void ScreenToClient(LPRECT rect) const;
    void MapWindowPoints(CWnd* to, LPPOINT points, UINT count) const;
    void MapWindowPoints(CWnd* to, LPRECT rect) const;
    void MoveWindow(int x, int y, int width, int height, BOOL repaint = TRUE);
    void MoveWindow(const RECT& rect, BOOL repaint = TRUE);
    // insertAfter: a window, or &wndTop, &wndBottom, &wndTopMost, &wndNoTopMost.
    BOOL SetWindowPos(const CWnd* insertAfter, int x, int y, int cx, int cy, UINT flags);
    // Centres a top-level window over its owner, or over the work area of its screen when it has
    // no visible owner, kept inside that work area. A child window stays where it is.
    void CenterWindow();
    static const CWnd wndTop;
    static const CWnd wndBottom;
    static const CWnd wndTopMost;
    static const CWnd wndNoTopMost;

    // State, style and painting.
    BOOL ShowWindow(int command);
    BOOL IsWindowVisible() const;
    // Disabling the control that holds the focus first hands the focus on to the next control of
    // its dialog that can take it, as Tab would, rather than to nobody.
    BOOL EnableWindow(BOOL enable = TRUE);
    BOOL IsWindowEnabled() const;
    BOOL IsIconic() const;
    void UpdateWindow();
    void Invalidate(BOOL erase = TRUE);
    void InvalidateRect(const RECT* rect, BOOL erase = TRUE);
    void ValidateRect(const RECT* rect);
    BOOL RedrawWindow(const RECT* rect = nullptr, HRGN region = nullptr,
                      UINT flags = RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
    void SetRedraw(BOOL redraw = TRUE);
    DWORD GetStyle() const;
    DWORD GetExStyle() const;
    // TRUE when the style changed; with non-zero flags the frame is also updated (SetWindowPos).
    BOOL ModifyStyle(DWORD remove, DWORD add, UINT flags = 0);
    BOOL ModifyStyleEx(DWORD remove, DWORD add, UINT flags = 0);
    CDC* GetDC();  // release with ReleaseDC
    CDC* GetWindowDC();
    int ReleaseDC(CDC* dc);

    // Focus, capture, caret.
    CWnd* SetFocus();
    static CWnd* GetFocus();
    static CWnd* GetActiveWindow();
    CWnd* SetActiveWindow();
    BOOL SetForegroundWindow();
    CWnd* SetCapture();
    static CWnd* GetCapture();
    void CreateSolidCaret(int width, int height);
    void ShowCaret();
    void HideCaret();
    static void SetCaretPos(POINT point);
    static CPoint GetCaretPos();

    // Scrolling.
    BOOL SetScrollInfo(int bar, LPSCROLLINFO info, BOOL redraw = TRUE);
    BOOL GetScrollInfo(int bar, LPSCROLLINFO info, UINT mask = SIF_ALL) const;
    int SetScrollPos(int bar, int pos, BOOL redraw = TRUE);
    int GetScrollPos(int bar) const;
    void SetScrollRange(int bar, int minPos, int maxPos, BOOL redraw = TRUE);
    void GetScrollRange(int bar, LPINT minPos, LPINT maxPos) const;
    void ShowScrollBar(UINT bar, BOOL show = TRUE);
    BOOL EnableScrollBar(int bar, UINT arrows = ESB_ENABLE_BOTH);
    void ScrollWindow(int dx, int dy, const RECT* rect = nullptr, const RECT* clip = nullptr);

    // Timers, messages, fonts, icons, menus.
    UINT_PTR SetTimer(UINT_PTR id, UINT elapse, TIMERPROC callback = nullptr);
    BOOL KillTimer(UINT_PTR id);
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    void SetFont(CFont* font, BOOL redraw = TRUE);
    CFont* GetFont() const;  // a temporary object; null when the window uses the system font
    HICON SetIcon(HICON icon, BOOL bigIcon);
    HICON GetIcon(BOOL bigIcon) const;
    CMenu* GetSystemMenu(BOOL revert) const;  // a temporary object, null when there is none
    // Through the application's message-box function (CWinApp.h); the caption defaults to the
    // application's name.
    int MessageBox(const char* text, const char* caption = nullptr, UINT type = MB_OK);

    // Standard handlers: each runs the default processing (Default()). Derived handlers call
    // them for "the default handling".
    int OnCreate(LPCREATESTRUCTA cs);
    void OnDestroy();
    void OnNcDestroy();
    void OnClose();
    void OnPaint();
    BOOL OnEraseBkgnd(CDC* dc);
    void OnSize(UINT type, int cx, int cy);
    void OnTimer(UINT_PTR id);
    void OnSetFocus(CWnd* oldWnd);
    void OnKillFocus(CWnd* newWnd);
    BOOL OnSetCursor(CWnd* wnd, UINT hitTest, UINT message);
    LRESULT OnNcHitTest(CPoint point);
    void OnMouseMove(UINT flags, CPoint point);
    void OnLButtonDown(UINT flags, CPoint point);
    void OnLButtonUp(UINT flags, CPoint point);
    void OnLButtonDblClk(UINT flags, CPoint point);
    void OnRButtonDown(UINT flags, CPoint point);
    void OnRButtonUp(UINT flags, CPoint point);
    BOOL OnMouseWheel(UINT flags, short delta, CPoint point);
    void OnMouseLeave();
    void OnHScroll(UINT code, UINT pos, CScrollBar* bar);
    void OnVScroll(UINT code, UINT pos, CScrollBar* bar);
    void OnChar(UINT ch, UINT repeat, UINT flags);
    void OnKeyDown(UINT key, UINT repeat, UINT flags);
    void OnKeyUp(UINT key, UINT repeat, UINT flags);
    UINT OnGetDlgCode();
    void OnSysColorChange();
    void OnEnable(BOOL enable);
    void OnSysCommand(UINT id, LPARAM lParam);
    HCURSOR OnQueryDragIcon();
    void OnShowWindow(BOOL show, UINT status);
    void OnContextMenu(CWnd* wnd, CPoint point);
    HBRUSH OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlColor);

    // Diagnostics: the numbers of permanent and temporary objects in this thread's maps.
    static void GetHandleMapCounts(int* permanent, int* temporary);

protected:
    // WM_COMMAND: reflection to the sending control, then OnCmdMsg. A command without a control
    // (menu or accelerator, notification 0 or 1) goes as CN_COMMAND.
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    // WM_NOTIFY: reflection to the sending control, then OnCmdMsg; the answer in *result.
    virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result);
    // Runs while attaching through SubclassWindow or the creation hook, before the window
    // procedure is replaced.
    virtual void PreSubclassWindow() {}
    // After WM_NCDESTROY, once the object is detached; objects that own themselves delete here.
    virtual void PostNcDestroy() {}
    // Offers the parent's notification to the reflected entries of this control.
    BOOL ReflectChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    // Offers a notification that arrived here to the child control that sent it.
    static BOOL ReflectToChild(HWND child, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

    WNDPROC m_pfnSuper;  // the window's procedure before ours

private:
    friend LRESULT CALLBACK AfxWndProc(HWND, UINT, WPARAM, LPARAM);
    friend LRESULT CALLBACK CreationHookProc(int, WPARAM, LPARAM);
    void HookedAttach(HWND hwnd);
    void EndOfWindow();  // after WM_NCDESTROY
    explicit CWnd(HWND special);  // the z-order markers
    bool permanent_;   // in this thread's map
    bool subclassed_;  // our procedure replaced m_pfnSuper
};

// Attaches `wnd` to the first window this thread creates while the object lives (before that
// window's first message) and routes the window through AfxWndProc. For members that create
// windows through other system calls (dialogs).
class CreationHook {
public:
    explicit CreationHook(CWnd* wnd);
    ~CreationHook();
    CreationHook(const CreationHook&) = delete;
    CreationHook& operator=(const CreationHook&) = delete;

private:
    void* outerCreating_;
    void* outerHook_;
};

