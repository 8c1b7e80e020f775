// Message maps: the table that sends a window message, a command or a notification to a member
// function, and CCmdTarget, the base of every class that has one (windows and the application).
//
// The road of a message: the system calls the one window procedure (CWnd.cpp, AfxWndProc), which
// calls CWnd::WindowProc; that calls CWnd::OnWndMsg, the one dispatch function. OnWndMsg turns
// WM_COMMAND into OnCommand and WM_NOTIFY into OnNotify (both end in OnCmdMsg), offers control
// notifications to the control that sent them first (reflection), and otherwise looks the
// message up in the map chain: the class's own entries, then its base class's, up to CCmdTarget.
// Each entry holds a small function (a "thunk", below) that unpacks wParam/lParam into the
// handler's arguments and packs its answer into the message result.
#pragma once
#include "classlib/CString.h"
#include "classlib/Geometry.h"
#include <commctrl.h>

class CCmdTarget;
class CCmdUI;
class CDC;
class CScrollBar;
class CWnd;

// Notification codes of OnCmdMsg beside the WM_COMMAND codes (0..0xFFFF) and the WM_NOTIFY ones
// (MAKELONG(code, WM_NOTIFY)).
const int CN_COMMAND = 0;             // a menu, accelerator or button command
const int CN_UPDATE_COMMAND_UI = -1;  // extra is the CCmdUI to update
const int CN_EVENT = -6;              // an event of an embedded (ActiveX) control

// The standard command ids the programs use.
const UINT ID_FILE_PAGE_SETUP = 57605;
const UINT ID_EDIT_COPY = 57634;
const UINT ID_EDIT_CUT = 57635;
const UINT ID_EDIT_FIND = 57636;
const UINT ID_EDIT_PASTE = 57637;
const UINT ID_EDIT_REPEAT = 57640;
const UINT ID_EDIT_REPLACE = 57641;
const UINT ID_EDIT_SELECT_ALL = 57642;
const UINT ID_EDIT_UNDO = 57643;
const UINT ID_EDIT_REDO = 57644;
const UINT ID_HELP = 57670;

// Message numbers of map entries that are not plain window messages: a notification reflected
// back to the control that sent it is looked up as kReflectBase + the parent's message.
const UINT kReflectBase = 0xBC00;
const UINT kReflectCtlColor = kReflectBase + WM_CTLCOLORSTATIC;  // every WM_CTLCOLOR* kind
const UINT kUpdateCommandUi = 0xBBFF;                             // ON_UPDATE_COMMAND_UI

// One call through a map entry: what came in and where the answer goes.
struct MessageCall {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    UINT id;        // command or control id (commands and notifications)
    void* extra;    // CCmdUI* for update entries, NMHDR* for notifications
    LRESULT result; // the message's answer
};

struct MessageMapEntry {
    UINT message;  // window message, WM_COMMAND, WM_NOTIFY, kUpdateCommandUi or a reflected one
    UINT code;     // notification code (commands and notifications), else 0
    UINT idFirst;  // id range (commands and notifications), else 0
    UINT idLast;
    // Calls the handler; false when the handler declined (a reflected colour query answering
    // NULL), so the message goes on as if there were no entry.
    bool (*thunk)(CCmdTarget* target, MessageCall& call);
};

struct MessageMap {
    const MessageMap* (*base)();
    const MessageMapEntry* entries;  // ends with an entry whose thunk is null
};

// Run-time class information: the class name and its base, for IsKindOf.
struct CRuntimeClass {
    const char* m_lpszClassName;
    const CRuntimeClass* m_pBaseClass;
    BOOL IsDerivedFrom(const CRuntimeClass* base) const;
};
#define RUNTIME_CLASS(theClass) (&theClass::class##theClass)
#define DECLARE_DYNAMIC(theClass)                   \
public:                                             \
    static const CRuntimeClass class##theClass;     \
    const CRuntimeClass* GetRuntimeClass() const override;
#define IMPLEMENT_DYNAMIC(theClass, baseClass)                                                \
    const CRuntimeClass theClass::class##theClass = {#theClass, RUNTIME_CLASS(baseClass)};    \
    const CRuntimeClass* theClass::GetRuntimeClass() const { return RUNTIME_CLASS(theClass); }

// The base of windows and of the application: a message map and command routing.
class CCmdTarget {
public:
    virtual ~CCmdTarget() {}
    static const CRuntimeClass classCCmdTarget;
    virtual const CRuntimeClass* GetRuntimeClass() const { return &classCCmdTarget; }
    BOOL IsKindOf(const CRuntimeClass* cls) const { return GetRuntimeClass()->IsDerivedFrom(cls); }

    // Sends a command (code CN_COMMAND or a WM_COMMAND notification code), an update request
    // (CN_UPDATE_COMMAND_UI, extra = CCmdUI*) or a notification (MAKELONG(code, WM_NOTIFY),
    // extra = NMHDR*, handlerInfo = LRESULT* for the answer) to this object's map. With a
    // non-null handlerInfo for a command or an update it only says whether a handler exists.
    // TRUE when a handler took it.
    virtual BOOL OnCmdMsg(UINT id, int code, void* extra, void* handlerInfo);

    // The first entry of the map chain that takes the message, code and id; null when none.
    const MessageMapEntry* FindEntry(UINT message, UINT code, UINT id) const;
    // Finds the entry and calls it; false when there is none or it declined.
    bool CallEntry(MessageCall& call, UINT code);

protected:
    static const MessageMap* GetThisMessageMap();
    virtual const MessageMap* GetMessageMap() const { return GetThisMessageMap(); }
};

#define DECLARE_MESSAGE_MAP()                          \
protected:                                             \
    static const MessageMap* GetThisMessageMap();      \
    const MessageMap* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                    \
    const MessageMap* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
    const MessageMap* theClass::GetThisMessageMap() {                             \
        using ThisClass [[maybe_unused]] = theClass;                              \
        using TheBaseClass = baseClass;                                           \
        static const MessageMapEntry entries[] = {
#define END_MESSAGE_MAP()                                            \
        {0, 0, 0, 0, nullptr}};                                      \
        static const MessageMap map = {&TheBaseClass::GetThisMessageMap, entries}; \
        return &map;                                                 \
    }

// Thunks: one per handler signature. P is the handler (a member function pointer).
namespace msgmap {
template <class P> struct Member;
template <class C, class R, class... A> struct Member<R (C::*)(A...)> { typedef C Class; };
template <auto P> typename Member<decltype(P)>::Class* Obj(CCmdTarget* t) {
    return static_cast<typename Member<decltype(P)>::Class*>(t);
}
inline CPoint PointOf(LPARAM lp) {
    return CPoint(static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp)));
}
CWnd* WndOf(HWND h);  // CWnd::FromHandle, without including CWnd.h here
CDC* DcOf(HDC h);  // a temporary CDC on the handle

template <auto P> bool Void(CCmdTarget* t, MessageCall&) { (Obj<P>(t)->*P)(); return true; }
template <auto P> bool Result(CCmdTarget* t, MessageCall& c) {
    c.result = (LRESULT)(Obj<P>(t)->*P)();
    return true;
}
template <auto P> bool Create(CCmdTarget* t, MessageCall& c) {
    c.result = (Obj<P>(t)->*P)(reinterpret_cast<LPCREATESTRUCTA>(c.lParam));
    return true;
}
template <auto P> bool Size(CCmdTarget* t, MessageCall& c) {
    (Obj<P>(t)->*P)(static_cast<UINT>(c.wParam), static_cast<short>(LOWORD(c.lParam)),
                    static_cast<short>(HIWORD(c.lParam)));
    return true;
}
template <auto P> bool Timer(CCmdTarget* t, MessageCall& c) {
    (Obj<P>(t)->*P)(static_cast<UINT_PTR>(c.wParam));
    return true;
}
template <auto P> bool Focus(CCmdTarget* t, MessageCall& c) {
    (Obj<P>(t)->*P)(WndOf(reinterpret_cast<HWND>(c.wParam)));
    return true;
}
template <auto P> bool SetCursor(CCmdTarget* t, MessageCall& c) {
    c.result = (Obj<P>(t)->*P)(WndOf(reinterpret_cast<HWND>(c.wParam)), LOWORD(c.lParam), HIWORD(c.lParam));
    return true;
}
template <auto P> bool HitTest(CCmdTarget* t, MessageCall& c) {
    c.result = (Obj<P>(t)->*P)(PointOf(c.lParam));
    return true;
}
template <auto P> bool Mouse(CCmdTarget* t, MessageCall& c) {
    (Obj<P>(t)->*P)(static_cast<UINT>(c.wParam), PointOf(c.lParam));
    return true;
}
template <auto P> bool Wheel(CCmdTarget* t, MessageCall& c) {
    c.result = (Obj<P>(t)->*P)(LOWORD(c.wParam), static_cast<short>(HIWORD(c.wParam)), PointOf(c.lParam));
    return true;
}
template <auto P> bool Scroll(CCmdTarget* t, MessageCall& c) {
    (Obj<P>(t)->*P)(LOWORD(c.wParam), static_cast<short>(HIWORD(c.wParam)),
                    reinterpret_cast<CScrollBar*>(WndOf(reinterpret_cast<HWND>(c.lParam))));
    return true;
}
template <auto P> bool Key(CCmdTarget* t, MessageCall& c) {
    (Obj<P>(t)->*P)(static_cast<UINT>(c.wParam), LOWORD(c.lParam), HIWORD(c.lParam));
    return true;
}
template <auto P> bool EraseBkgnd(CCmdTarget* t, MessageCall& c) {
    c.result = (Obj<P>(t)->*P)(DcOf(reinterpret_cast<HDC>(c.wParam)));
    return true;
}
template <auto P> bool Bool(CCmdTarget* t, MessageCall& c) {
    (Obj<P>(t)->*P)(static_cast<BOOL>(c.wParam));
    return true;
}
template <auto P> bool SysCommand(CCmdTarget* t, MessageCall& c) {
    (Obj<P>(t)->*P)(static_cast<UINT>(c.wParam), c.lParam);
    return true;
}
template <auto P> bool ShowWindow(CCmdTarget* t, MessageCall& c) {
    (Obj<P>(t)->*P)(static_cast<BOOL>(c.wParam), static_cast<UINT>(c.lParam));
    return true;
}
template <auto P> bool ContextMenu(CCmdTarget* t, MessageCall& c) {
    (Obj<P>(t)->*P)(WndOf(reinterpret_cast<HWND>(c.wParam)), PointOf(c.lParam));
    return true;
}
template <auto P> bool CtlColor(CCmdTarget* t, MessageCall& c) {
    c.result = reinterpret_cast<LRESULT>((Obj<P>(t)->*P)(DcOf(reinterpret_cast<HDC>(c.wParam)),
                                                         WndOf(reinterpret_cast<HWND>(c.lParam)),
                                                         c.message - WM_CTLCOLORMSGBOX));
    return true;
}
template <auto P> bool CtlColorReflect(CCmdTarget* t, MessageCall& c) {
    HBRUSH brush = (Obj<P>(t)->*P)(DcOf(reinterpret_cast<HDC>(c.wParam)), c.message - WM_CTLCOLORMSGBOX);
    c.result = reinterpret_cast<LRESULT>(brush);
    return brush != nullptr;
}
template <auto P> bool Message(CCmdTarget* t, MessageCall& c) {
    c.result = (Obj<P>(t)->*P)(c.wParam, c.lParam);
    return true;
}
template <auto P> bool CommandRange(CCmdTarget* t, MessageCall& c) { (Obj<P>(t)->*P)(c.id); return true; }
template <auto P> bool UpdateUi(CCmdTarget* t, MessageCall& c) {
    (Obj<P>(t)->*P)(static_cast<CCmdUI*>(c.extra));
    return true;
}
template <auto P> bool Notify(CCmdTarget* t, MessageCall& c) {
    c.result = 0;
    (Obj<P>(t)->*P)(static_cast<NMHDR*>(c.extra), &c.result);
    return true;
}
}  // namespace msgmap

// Window messages. Handler signatures are those of the CWnd members of the same name.
#define MSGMAP_ENTRY(msg, kind, fn) {msg, 0, 0, 0, &msgmap::kind<&ThisClass::fn>},
#define ON_WM_CREATE() MSGMAP_ENTRY(WM_CREATE, Create, OnCreate)
#define ON_WM_DESTROY() MSGMAP_ENTRY(WM_DESTROY, Void, OnDestroy)
#define ON_WM_NCDESTROY() MSGMAP_ENTRY(WM_NCDESTROY, Void, OnNcDestroy)
#define ON_WM_CLOSE() MSGMAP_ENTRY(WM_CLOSE, Void, OnClose)
#define ON_WM_PAINT() MSGMAP_ENTRY(WM_PAINT, Void, OnPaint)
#define ON_WM_ERASEBKGND() MSGMAP_ENTRY(WM_ERASEBKGND, EraseBkgnd, OnEraseBkgnd)
#define ON_WM_SIZE() MSGMAP_ENTRY(WM_SIZE, Size, OnSize)
#define ON_WM_TIMER() MSGMAP_ENTRY(WM_TIMER, Timer, OnTimer)
#define ON_WM_SETFOCUS() MSGMAP_ENTRY(WM_SETFOCUS, Focus, OnSetFocus)
#define ON_WM_KILLFOCUS() MSGMAP_ENTRY(WM_KILLFOCUS, Focus, OnKillFocus)
#define ON_WM_SETCURSOR() MSGMAP_ENTRY(WM_SETCURSOR, SetCursor, OnSetCursor)
#define ON_WM_NCHITTEST() MSGMAP_ENTRY(WM_NCHITTEST, HitTest, OnNcHitTest)
#define ON_WM_MOUSEMOVE() MSGMAP_ENTRY(WM_MOUSEMOVE, Mouse, OnMouseMove)
#define ON_WM_LBUTTONDOWN() MSGMAP_ENTRY(WM_LBUTTONDOWN, Mouse, OnLButtonDown)
#define ON_WM_LBUTTONUP() MSGMAP_ENTRY(WM_LBUTTONUP, Mouse, OnLButtonUp)
#define ON_WM_LBUTTONDBLCLK() MSGMAP_ENTRY(WM_LBUTTONDBLCLK, Mouse, OnLButtonDblClk)
#define ON_WM_RBUTTONDOWN() MSGMAP_ENTRY(WM_RBUTTONDOWN, Mouse, OnRButtonDown)
#define ON_WM_RBUTTONUP() MSGMAP_ENTRY(WM_RBUTTONUP, Mouse, OnRButtonUp)
#define ON_WM_MOUSEWHEEL() MSGMAP_ENTRY(WM_MOUSEWHEEL, Wheel, OnMouseWheel)
#define ON_WM_MOUSELEAVE() MSGMAP_ENTRY(WM_MOUSELEAVE, Void, OnMouseLeave)
#define ON_WM_HSCROLL() MSGMAP_ENTRY(WM_HSCROLL, Scroll, OnHScroll)
#define ON_WM_VSCROLL() MSGMAP_ENTRY(WM_VSCROLL, Scroll, OnVScroll)
#define ON_WM_CHAR() MSGMAP_ENTRY(WM_CHAR, Key, OnChar)
#define ON_WM_KEYDOWN() MSGMAP_ENTRY(WM_KEYDOWN, Key, OnKeyDown)
#define ON_WM_KEYUP() MSGMAP_ENTRY(WM_KEYUP, Key, OnKeyUp)
#define ON_WM_GETDLGCODE() MSGMAP_ENTRY(WM_GETDLGCODE, Result, OnGetDlgCode)
#define ON_WM_SYSCOLORCHANGE() MSGMAP_ENTRY(WM_SYSCOLORCHANGE, Void, OnSysColorChange)
#define ON_WM_ENABLE() MSGMAP_ENTRY(WM_ENABLE, Bool, OnEnable)
#define ON_WM_SYSCOMMAND() MSGMAP_ENTRY(WM_SYSCOMMAND, SysCommand, OnSysCommand)
#define ON_WM_QUERYDRAGICON() MSGMAP_ENTRY(WM_QUERYDRAGICON, Result, OnQueryDragIcon)
#define ON_WM_SHOWWINDOW() MSGMAP_ENTRY(WM_SHOWWINDOW, ShowWindow, OnShowWindow)
#define ON_WM_CONTEXTMENU() MSGMAP_ENTRY(WM_CONTEXTMENU, ContextMenu, OnContextMenu)
#define ON_WM_CTLCOLOR()                                                            \
    MSGMAP_ENTRY(WM_CTLCOLOREDIT, CtlColor, OnCtlColor)                             \
    MSGMAP_ENTRY(WM_CTLCOLORLISTBOX, CtlColor, OnCtlColor)                          \
    MSGMAP_ENTRY(WM_CTLCOLORBTN, CtlColor, OnCtlColor)                              \
    MSGMAP_ENTRY(WM_CTLCOLORDLG, CtlColor, OnCtlColor)                              \
    MSGMAP_ENTRY(WM_CTLCOLORSCROLLBAR, CtlColor, OnCtlColor)                        \
    MSGMAP_ENTRY(WM_CTLCOLORSTATIC, CtlColor, OnCtlColor)
// LRESULT fn(WPARAM, LPARAM)
#define ON_MESSAGE(msg, fn) {static_cast<UINT>(msg), 0, 0, 0, &msgmap::Message<&ThisClass::fn>},

// Commands. void fn(); ON_COMMAND_RANGE: void fn(UINT id); update: void fn(CCmdUI*).
#define ON_COMMAND(id, fn) {WM_COMMAND, CN_COMMAND, id, id, &msgmap::Void<&ThisClass::fn>},
#define ON_COMMAND_RANGE(first, last, fn) {WM_COMMAND, CN_COMMAND, first, last, &msgmap::CommandRange<&ThisClass::fn>},
#define ON_UPDATE_COMMAND_UI(id, fn) {kUpdateCommandUi, 0, id, id, &msgmap::UpdateUi<&ThisClass::fn>},
// Control notifications through WM_COMMAND: void fn().
#define ON_CONTROL(code, id, fn) {WM_COMMAND, static_cast<UINT>(code), id, id, &msgmap::Void<&ThisClass::fn>},
#define ON_BN_CLICKED(id, fn) ON_CONTROL(BN_CLICKED, id, fn)
#define ON_STN_CLICKED(id, fn) ON_CONTROL(STN_CLICKED, id, fn)
#define ON_EN_CHANGE(id, fn) ON_CONTROL(EN_CHANGE, id, fn)
// Notifications through WM_NOTIFY: void fn(NMHDR*, LRESULT* result).
#define ON_NOTIFY(code, id, fn) {WM_NOTIFY, static_cast<UINT>(code), id, id, &msgmap::Notify<&ThisClass::fn>},
// Reflected to the control itself. WM_COMMAND notifications: void fn(); WM_NOTIFY ones:
// void fn(NMHDR*, LRESULT*); colour queries: HBRUSH CtlColor(CDC*, UINT ctlColorKind), where a
// NULL answer lets the parent answer instead.
#define ON_CONTROL_REFLECT(code, fn) {kReflectBase + WM_COMMAND, static_cast<UINT>(code), 0, 0xFFFF, &msgmap::Void<&ThisClass::fn>},
#define ON_NOTIFY_REFLECT(code, fn) {kReflectBase + WM_NOTIFY, static_cast<UINT>(code), 0, 0xFFFF, &msgmap::Notify<&ThisClass::fn>},
#define ON_WM_CTLCOLOR_REFLECT() {kReflectCtlColor, 0, 0, 0, &msgmap::CtlColorReflect<&ThisClass::CtlColor>},

// The state of one command for its update handler: a menu item or a control (m_pOther).
class CCmdUI {
public:
    CCmdUI() {}
    virtual ~CCmdUI() {}
    virtual void Enable(BOOL on = TRUE);
    virtual void SetCheck(int check = 1);
    virtual void SetRadio(BOOL on = TRUE) { SetCheck(on ? 1 : 0); }
    virtual void SetText(const char* text);
    // Asks the target's update handler; without one, and when asked, disables the command unless
    // the target has a handler for the command itself. TRUE when an update handler ran.
    BOOL DoUpdate(CCmdTarget* target, BOOL disableIfNoHandler);

    UINT m_nID = 0;
    UINT m_nIndex = 0;      // position of the item in m_hMenu
    HMENU m_hMenu = nullptr;
    CWnd* m_pOther = nullptr;
    BOOL m_bEnableChanged = FALSE;
};
