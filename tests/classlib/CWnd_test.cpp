#include "classlib/CDC.h"
#include "classlib/Controls.h"
#include "support/GuiTestSupport.h"
#include <gtest/gtest.h>
#include <string>
#include <vector>

using testing_support::PumpFor;

namespace {
const UINT kAppMessage = WM_APP + 1;

// Records every handler it reaches with the arguments it got.
class RecordingWnd : public CWnd {
public:
    std::vector<std::string> log;
    void Note(const char* format, ...) {
        char line[200];
        va_list args;
        va_start(args, format);
        vsnprintf(line, sizeof(line), format, args);
        va_end(args);
        log.push_back(line);
    }

protected:
    LRESULT OnNcCreateMsg(WPARAM, LPARAM lParam) {
        Note("nccreate %s", reinterpret_cast<CREATESTRUCTA*>(lParam)->lpszName);
        return Default();
    }
    int OnCreate(LPCREATESTRUCTA cs) {
        Note("create %s", cs->lpszName);
        return CWnd::OnCreate(cs);
    }
    void OnSize(UINT type, int cx, int cy) { Note("size %u %d %d", type, cx, cy); }
    void OnTimer(UINT_PTR id) { Note("timer %u", static_cast<unsigned>(id)); }
    void OnLButtonDown(UINT flags, CPoint p) { Note("ldown %u %ld %ld", flags, p.x, p.y); }
    BOOL OnMouseWheel(UINT, short delta, CPoint) {
        Note("wheel %d", delta);
        return TRUE;
    }
    BOOL OnSetCursor(CWnd*, UINT hitTest, UINT message) {
        Note("cursor %u %u", hitTest, message);
        return TRUE;
    }
    LRESULT OnNcHitTest(CPoint p) {
        Note("hittest %ld %ld", p.x, p.y);
        return HTCAPTION;
    }
    void OnKeyDown(UINT key, UINT repeat, UINT) { Note("key %u %u", key, repeat); }
    void OnSave() { Note("command save"); }
    void OnBookmark(UINT id) { Note("range %u", id); }
    void OnUpdateSave(CCmdUI* ui) {
        Note("update %u", ui->m_nID);
        ui->Enable(FALSE);
    }
    void OnListDblClk(NMHDR* header, LRESULT* result) {
        Note("notify %u %d", static_cast<unsigned>(header->idFrom), static_cast<int>(header->code));
        *result = 77;
    }
    LRESULT OnAppMessage(WPARAM wParam, LPARAM lParam) { return static_cast<LRESULT>(wParam + lParam); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(RecordingWnd, CWnd)
    ON_MESSAGE(WM_NCCREATE, OnNcCreateMsg)
    ON_WM_CREATE()
    ON_WM_SIZE()
    ON_WM_TIMER()
    ON_WM_LBUTTONDOWN()
    ON_WM_MOUSEWHEEL()
    ON_WM_SETCURSOR()
    ON_WM_NCHITTEST()
    ON_WM_KEYDOWN()
    ON_COMMAND(100, OnSave)
    ON_COMMAND_RANGE(200, 209, OnBookmark)
    ON_UPDATE_COMMAND_UI(100, OnUpdateSave)
    ON_NOTIFY(NM_DBLCLK, 1022, OnListDblClk)
    ON_MESSAGE(kAppMessage, OnAppMessage)
END_MESSAGE_MAP()

// Takes the timer itself and leaves the size to its base class's map.
class DerivedWnd : public RecordingWnd {
protected:
    void OnTimer(UINT_PTR id) { Note("derived timer %u", static_cast<unsigned>(id)); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(DerivedWnd, RecordingWnd)
    ON_WM_TIMER()
END_MESSAGE_MAP()

bool CreatePopup(CWnd& wnd, const char* name) {
    return wnd.CreateEx(0, nullptr, name, WS_POPUP, 0, 0, 200, 100, nullptr, nullptr) != FALSE;
}
}  // namespace

TEST(MessageMapTest, EachEntryKindReachesItsHandlerWithItsArguments) {
    RecordingWnd wnd;
    ASSERT_TRUE(CreatePopup(wnd, "probe"));
    // The creation hook attached the object before the first creation message.
    ASSERT_GE(wnd.log.size(), 2u);
    EXPECT_EQ("nccreate probe", wnd.log[0]);
    EXPECT_EQ("create probe", wnd.log[1]);

    NMHDR header = {wnd.m_hWnd, 1022, static_cast<UINT>(NM_DBLCLK)};
    struct Case {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        const char* logged;  // null: no handler runs
        LRESULT result;
    } cases[] = {
        {WM_SIZE, SIZE_RESTORED, MAKELPARAM(30, 40), "size 0 30 40", 0},
        {WM_TIMER, 7, 0, "timer 7", 0},
        {WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(-5, 9), "ldown 1 -5 9", 0},
        {WM_MOUSEWHEEL, MAKEWPARAM(0, -120), 0, "wheel -120", TRUE},
        {WM_SETCURSOR, 0, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE), "cursor 1 512", TRUE},
        {WM_NCHITTEST, 0, MAKELPARAM(12, -3), "hittest 12 -3", HTCAPTION},
        {WM_KEYDOWN, VK_F3, 2, "key 114 2", 0},
        {WM_COMMAND, MAKEWPARAM(100, 0), 0, "command save", 0},
        {WM_COMMAND, MAKEWPARAM(100, 1), 0, "command save", 0},  // an accelerator
        {WM_COMMAND, MAKEWPARAM(205, 0), 0, "range 205", 0},
        {WM_COMMAND, MAKEWPARAM(210, 0), 0, nullptr, 0},
        {WM_NOTIFY, 1022, reinterpret_cast<LPARAM>(&header), "notify 1022 -3", 77},
        {kAppMessage, 40, 2, nullptr, 42},
    };
    for (const Case& c : cases) {
        wnd.log.clear();
        LRESULT result = wnd.SendMessage(c.message, c.wParam, c.lParam);
        SCOPED_TRACE(c.logged ? c.logged : "no handler");
        if (c.logged) {
            ASSERT_EQ(1u, wnd.log.size());
            EXPECT_EQ(c.logged, wnd.log[0]);
        } else {
            EXPECT_TRUE(wnd.log.empty());
        }
        EXPECT_EQ(c.result, result);
    }

    // Update handlers run through CCmdUI; a command without one is disabled when asked.
    struct RecordingUi : CCmdUI {
        int enabled = -1;
        void Enable(BOOL on) override { enabled = on; }
    } ui;
    ui.m_nID = 100;
    wnd.log.clear();
    EXPECT_TRUE(ui.DoUpdate(&wnd, TRUE));
    EXPECT_EQ(0, ui.enabled);
    ASSERT_EQ(1u, wnd.log.size());
    EXPECT_EQ("update 100", wnd.log[0]);
    RecordingUi unknown;
    unknown.m_nID = 300;
    EXPECT_FALSE(unknown.DoUpdate(&wnd, TRUE));
    EXPECT_EQ(0, unknown.enabled);
    RecordingUi handled;
    handled.m_nID = 205;  // a command handler but no update handler: left enabled
    EXPECT_FALSE(handled.DoUpdate(&wnd, TRUE));
    EXPECT_EQ(-1, handled.enabled);
    wnd.DestroyWindow();
}

TEST(MessageMapTest, DerivedEntriesComeFirstAndTheBaseMapStillServes) {
    DerivedWnd wnd;
    ASSERT_TRUE(CreatePopup(wnd, "derived"));
    wnd.log.clear();
    wnd.SendMessage(WM_TIMER, 3);
    wnd.SendMessage(WM_SIZE, SIZE_RESTORED, MAKELPARAM(1, 2));
    ASSERT_EQ(2u, wnd.log.size());
    EXPECT_EQ("derived timer 3", wnd.log[0]);
    EXPECT_EQ("size 0 1 2", wnd.log[1]);
    wnd.DestroyWindow();
}

namespace {
// A button that takes its own click, answers its own notification and its colour query.
class SelfServingButton : public CButton {
public:
    int clicks = 0;
    HBRUSH brush = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));

protected:
    void OnReflectedClick() { ++clicks; }
    void OnReflectedNotify(NMHDR*, LRESULT* result) { *result = 5; }
    HBRUSH CtlColor(CDC* dc, UINT kind) {
        if (brush) dc->SetTextColor(RGB(1, 2, 3));
        return kind == CTLCOLOR_BTN ? brush : nullptr;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(SelfServingButton, CButton)
    ON_CONTROL_REFLECT(BN_CLICKED, OnReflectedClick)
    ON_NOTIFY_REFLECT(NM_CLICK, OnReflectedNotify)
    ON_WM_CTLCOLOR_REFLECT()
END_MESSAGE_MAP()

class ParentWnd : public CWnd {
public:
    std::vector<UINT> clicked;

protected:
    void OnClick(UINT id) { clicked.push_back(id); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(ParentWnd, CWnd)
    ON_COMMAND_RANGE(1, 2, OnClick)
END_MESSAGE_MAP()
}  // namespace

TEST(ReflectionTest, TheControlAnswersItsOwnNotificationsAndOthersReachTheParent) {
    ParentWnd parent;
    ASSERT_TRUE(CreatePopup(parent, "parent"));
    SelfServingButton own;
    CButton plain;
    ASSERT_TRUE(own.Create("own", BS_PUSHBUTTON, CRect(0, 0, 50, 20), &parent, 1));
    ASSERT_TRUE(plain.Create("plain", BS_PUSHBUTTON, CRect(0, 30, 50, 50), &parent, 2));

    parent.SendMessage(WM_COMMAND, MAKEWPARAM(1, BN_CLICKED), reinterpret_cast<LPARAM>(own.m_hWnd));
    parent.SendMessage(WM_COMMAND, MAKEWPARAM(2, BN_CLICKED), reinterpret_cast<LPARAM>(plain.m_hWnd));
    EXPECT_EQ(1, own.clicks);
    EXPECT_EQ(std::vector<UINT>{2}, parent.clicked);

    NMHDR header = {own.m_hWnd, 1, static_cast<UINT>(NM_CLICK)};
    EXPECT_EQ(5, parent.SendMessage(WM_NOTIFY, 1, reinterpret_cast<LPARAM>(&header)));

    // The stock null brush is the control's answer and reaches the system as the parent's.
    HDC dc = CreateCompatibleDC(nullptr);
    LRESULT brush = parent.SendMessage(WM_CTLCOLORBTN, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(own.m_hWnd));
    EXPECT_EQ(reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH)), brush);
    EXPECT_EQ(RGB(1, 2, 3), GetTextColor(dc));
    // A control that declines leaves the query to the parent's default answer.
    own.brush = nullptr;
    brush = parent.SendMessage(WM_CTLCOLORBTN, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(own.m_hWnd));
    EXPECT_NE(reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH)), brush);
    DeleteDC(dc);
    parent.DestroyWindow();
}

namespace {
// An edit whose own text answer is empty, as a control that keeps its text elsewhere does.
class PrivateTextEdit : public CEdit {
public:
    CString textSeenBeforeSubclassing;
    std::vector<CString> setTexts;

protected:
    void PreSubclassWindow() override { GetWindowText(textSeenBeforeSubclassing); }
    LRESULT OnGetText(WPARAM wParam, LPARAM lParam) {
        if (wParam > 0) reinterpret_cast<char*>(lParam)[0] = '\0';
        return 0;
    }
    LRESULT OnSetText(WPARAM, LPARAM lParam) {
        setTexts.push_back(reinterpret_cast<const char*>(lParam));
        return Default();
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(PrivateTextEdit, CEdit)
    ON_MESSAGE(WM_GETTEXT, OnGetText)
    ON_MESSAGE(WM_SETTEXT, OnSetText)
END_MESSAGE_MAP()
}  // namespace

TEST(SubclassTest, PreSubclassSeesTheOriginalTextAndDefaultRunsTheControlsProcedure) {
    HWND edit = CreateWindowExA(0, "EDIT", "from template", WS_POPUP, 0, 0, 100, 20, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, edit);
    {
        PrivateTextEdit control;
        ASSERT_TRUE(control.SubclassWindow(edit));
        EXPECT_EQ(CString("from template"), control.textSeenBeforeSubclassing);
        EXPECT_FALSE(control.SubclassWindow(edit));  // one object per window

        control.SetWindowText("changed");
        ASSERT_EQ(1u, control.setTexts.size());
        EXPECT_EQ(CString("changed"), control.setTexts[0]);
        char text[32] = "";
        CallWindowProcA(reinterpret_cast<WNDPROC>(GetClassLongPtrA(edit, GCLP_WNDPROC)), edit, WM_GETTEXT,
                        sizeof(text), reinterpret_cast<LPARAM>(text));
        EXPECT_STREQ("changed", text);  // Default() reached the edit's own procedure
        EXPECT_EQ(edit, control.UnsubclassWindow());
    }
    // Unsubclassed, the window is the plain edit again and outlives the object.
    char text[32] = "";
    GetWindowTextA(edit, text, sizeof(text));
    EXPECT_STREQ("changed", text);
    DestroyWindow(edit);
}

namespace {
class SelfCounting : public CWnd {
public:
    explicit SelfCounting(int* ended) : ended_(ended) {}

protected:
    void PostNcDestroy() override { ++*ended_; }
    int* ended_;
};
}  // namespace

TEST(HandleMapTest, DestroyedWindowsLeaveNoEntryBehind) {
    int permanentBefore = 0, temporaryBefore = 0;
    AfxDeleteTempMaps();
    CWnd::GetHandleMapCounts(&permanentBefore, &temporaryBefore);
    int ended = 0;
    SelfCounting parent(&ended), child(&ended);
    ASSERT_TRUE(CreatePopup(parent, "parent"));
    ASSERT_TRUE(child.Create(nullptr, "child", WS_VISIBLE, CRect(0, 0, 10, 10), &parent, 5));
    HWND parentHwnd = parent.m_hWnd, childHwnd = child.m_hWnd;
    HWND foreign = CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 5, 5, parentHwnd, nullptr, nullptr, nullptr);
    EXPECT_EQ(&child, CWnd::FromHandle(childHwnd));
    EXPECT_EQ(&child, parent.GetDlgItem(5));
    int temporaries = 0, temporariesWithForeign = 0, temporariesAttached = 0;
    CWnd::GetHandleMapCounts(nullptr, &temporaries);
    CWnd* temporary = CWnd::FromHandle(foreign);
    ASSERT_NE(nullptr, temporary);
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(foreign));
    CWnd::GetHandleMapCounts(nullptr, &temporariesWithForeign);
    EXPECT_EQ(temporaries + 1, temporariesWithForeign);
    {
        // An object that takes the window over frees its temporary.
        CWnd adopted;
        ASSERT_TRUE(adopted.Attach(foreign));
        EXPECT_EQ(&adopted, CWnd::FromHandle(foreign));
        CWnd::GetHandleMapCounts(nullptr, &temporariesAttached);
        EXPECT_EQ(temporaries, temporariesAttached);
        adopted.Detach();
    }

    ASSERT_TRUE(parent.DestroyWindow());  // the child goes with it
    EXPECT_EQ(2, ended);
    EXPECT_EQ(nullptr, parent.m_hWnd);
    EXPECT_EQ(nullptr, child.m_hWnd);
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(parentHwnd));
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(childHwnd));
    PumpFor(10);  // the idle pump frees the temporaries
    int permanentAfter = 0, temporaryAfter = 0;
    CWnd::GetHandleMapCounts(&permanentAfter, &temporaryAfter);
    EXPECT_EQ(permanentBefore, permanentAfter);
    EXPECT_EQ(temporaryBefore, temporaryAfter);
}

TEST(CWndTest, MembersWithoutAWindowDoNothing) {
    CWnd wnd;
    wnd.SetWindowText("x");
    CString text("old");
    wnd.GetWindowText(text);
    CRect rect(1, 2, 3, 4);
    wnd.GetClientRect(&rect);
    EXPECT_EQ(CString(""), text);
    EXPECT_TRUE(rect.IsRectNull());
    EXPECT_FALSE(wnd.ShowWindow(SW_SHOW));
    EXPECT_EQ(nullptr, wnd.GetDlgItem(1));
    EXPECT_EQ(0u, wnd.SetTimer(1, 10));
    EXPECT_EQ(0, wnd.SendMessage(WM_USER));
    EXPECT_EQ(nullptr, wnd.GetFont());
    EXPECT_FALSE(wnd.DestroyWindow());
}
