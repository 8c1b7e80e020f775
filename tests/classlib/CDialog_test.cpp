#include "classlib/CDataExchange.h"
#include "classlib/CDialog.h"
#include "classlib/Controls.h"
#include "common/Exception.h"
#include "support/GuiTestSupport.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <functional>
#include <string>
#include <vector>

using testing_support::DialogTemplate;
using testing_support::MessageBoxRecorder;
using testing_support::ModalAnswerer;

namespace {
testing_support::Watchdog watchdog(100);

const int kEdit = 1001;
const int kNumber = 1002;
const int kRadio = 1010;  // 1010..1012, then a check box that starts the next group
const int kCheck = 1013;
const int kNested = 1020;

DialogTemplate TestTemplate(const char* caption) {
    DialogTemplate t(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, 200, 120, caption);
    t.Add("BUTTON", "OK", IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP, 10, 100, 40, 14)
        .Add("BUTTON", "Cancel", IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP, 60, 100, 40, 14)
        .Add("EDIT", "", kEdit, ES_AUTOHSCROLL | WS_TABSTOP | WS_BORDER | WS_GROUP, 10, 10, 80, 12)
        .Add("EDIT", "", kNumber, ES_AUTOHSCROLL | WS_TABSTOP | WS_BORDER, 10, 26, 80, 12)
        .Add("BUTTON", "A", kRadio, BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 10, 44, 40, 10)
        .Add("BUTTON", "B", kRadio + 1, BS_AUTORADIOBUTTON, 10, 56, 40, 10)
        .Add("BUTTON", "C", kRadio + 2, BS_AUTORADIOBUTTON, 10, 68, 40, 10)
        .Add("BUTTON", "D", kCheck, BS_AUTORADIOBUTTON | WS_GROUP, 100, 44, 40, 10)
        .Add("BUTTON", "Nested", kNested, BS_PUSHBUTTON, 110, 100, 40, 14);
    return t;
}

struct Failure : std::runtime_error {
    explicit Failure(const char* where) : std::runtime_error(where) {}
};

// A dialog whose steps the test fills in.
class ScriptedDialog : public CDialog {
public:
    explicit ScriptedDialog(const DialogTemplate& t, CWnd* parent = nullptr) { InitModalIndirect(t.Get(), parent); }
    std::function<void(ScriptedDialog&)> onInit, onNested, onTimer, onCancel;
    std::vector<std::string>* preTranslated = nullptr;
    CString text;
    int number = 0;
    int radio = 0;

protected:
    void DoDataExchange(CDataExchange* dx) override {
        DDX_Text(dx, kEdit, text);
        DDX_Text(dx, kNumber, number);
        DDX_Radio(dx, kRadio, radio);
    }
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        if (onInit) onInit(*this);
        return TRUE;
    }
    void OnCancel() override {
        if (onCancel) onCancel(*this);
        CDialog::OnCancel();
    }
    BOOL PreTranslateMessage(MSG* msg) override {
        if (preTranslated && msg->message == WM_KEYDOWN) preTranslated->push_back("dialog");
        return CDialog::PreTranslateMessage(msg);
    }
    void OnNestedClicked() { onNested(*this); }
    void OnTimer(UINT_PTR) { onTimer(*this); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(ScriptedDialog, CDialog)
    ON_BN_CLICKED(kNested, OnNestedClicked)
    ON_WM_TIMER()
END_MESSAGE_MAP()

void Click(CWnd& dialog, int id) {
    dialog.PostMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

class KeyWatcher : public CEdit {
public:
    std::vector<std::string>* log = nullptr;
    BOOL PreTranslateMessage(MSG* msg) override {
        if (msg->message == WM_KEYDOWN) log->push_back("edit");
        return FALSE;
    }
};
}  // namespace

TEST(ModalLoopTest, KeysWalkFromTheTargetUpToTheDialogBeforeTheDialogKeys) {
    DialogTemplate t = TestTemplate("walk");
    ScriptedDialog dialog(t);
    std::vector<std::string> log;
    KeyWatcher edit;
    edit.log = &log;
    dialog.preTranslated = &log;
    dialog.onInit = [&](ScriptedDialog& d) {
        edit.SubclassDlgItem(kEdit, &d);
        edit.PostMessage(WM_KEYDOWN, 'A');
        edit.PostMessage(WM_KEYDOWN, VK_ESCAPE);  // IsDialogMessage turns it into IDCANCEL
    };
    EXPECT_EQ(IDCANCEL, dialog.DoModal());
    EXPECT_EQ((std::vector<std::string>{"edit", "dialog", "edit", "dialog"}), log);
    EXPECT_EQ(nullptr, dialog.m_hWnd);
}

namespace {
const int kList = 1030;
const int kApply = 1031;
const int kHolder = 1032;

// A page as the manager shows them: a child dialog inside a window of the dialog that is not a
// dialog itself (there, the tab control). It says which of its commands it heard.
class KeyPage : public CDialog {
public:
    std::vector<std::string>* log = nullptr;

protected:
    void OnOK() override { log->push_back("page OK"); }
    void OnCancel() override { log->push_back("page Cancel"); }
    void OnApply() { log->push_back("Apply clicked"); }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(KeyPage, CDialog)
    ON_BN_CLICKED(kApply, OnApply)
END_MESSAGE_MAP()

std::string FocusName() {
    switch (GetDlgCtrlID(GetFocus())) {
    case kEdit: return "at edit";
    case kList: return "at list";
    case kApply: return "at Apply";
    case IDCANCEL: return "at Close";
    default: return "elsewhere";
    }
}
}  // namespace

TEST(ModalLoopTest, APageAnswersEnterAndEscapeItselfAndLeavesTabToTheDialog) {
    INITCOMMONCONTROLSEX classes = {sizeof(classes), ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&classes);
    const INT_PTR kStillOpen = 77;
    enum Page { kTabPage, kWithDefault, kOwnDialog, kRightInDialog };  // how the page is made and held
    const struct Case {
        const char* what;
        Page page;
        int focus;
        std::vector<UINT> keys;
        INT_PTR result;
        std::vector<std::string> log;  // the page's commands, and where the focus is after each key
    } cases[] = {
        {"Enter in an edit", kTabPage, kEdit, {VK_RETURN}, kStillOpen, {"page OK", "at edit"}},
        {"Escape in an edit", kTabPage, kEdit, {VK_ESCAPE}, kStillOpen, {"page Cancel", "at edit"}},
        {"Enter in a list view", kTabPage, kList, {VK_RETURN}, kStillOpen, {"page OK", "at list"}},
        {"Escape in a list view", kTabPage, kList, {VK_ESCAPE}, kStillOpen, {"page Cancel", "at list"}},
        {"Enter presses the page's default button", kWithDefault, kEdit, {VK_RETURN}, kStillOpen,
         {"Apply clicked", "at edit"}},
        {"Tab runs through the page and the dialog's Close", kTabPage, kEdit, {VK_TAB, VK_TAB, VK_TAB, VK_TAB},
         kStillOpen, {"at list", "at Apply", "at Close", "at edit"}},
        {"Enter presses the page's button that Tab reached", kTabPage, kList, {VK_TAB, VK_RETURN}, kStillOpen,
         {"at Apply", "Apply clicked", "at Apply"}},
        {"Escape on the dialog's Close ends the dialog", kTabPage, kEdit, {VK_TAB, VK_TAB, VK_TAB, VK_ESCAPE}, IDCANCEL,
         {"at list", "at Apply", "at Close"}},
        {"a child dialog that is no control of the dialog keeps Tab", kOwnDialog, kList, {VK_TAB, VK_TAB, VK_ESCAPE},
         kStillOpen, {"at Apply", "at edit", "page Cancel", "at edit"}},
        {"a page right in the dialog is part of it, as a parameter page is", kRightInDialog, kEdit, {VK_ESCAPE},
         IDCANCEL, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DialogTemplate main(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, 200, 120, "keys");
        main.Add("STATIC", "", kHolder, 0, 5, 5, 190, 90)
            .Add("BUTTON", "Close", IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP, 150, 100, 40, 14);
        DialogTemplate pageTemplate(WS_CHILD | WS_VISIBLE | (c.page == kOwnDialog ? 0 : DS_CONTROL), 180, 80);
        pageTemplate.Add("EDIT", "", kEdit, ES_AUTOHSCROLL | WS_TABSTOP | WS_BORDER, 5, 5, 80, 12)
            .Add(WC_LISTVIEWA, "", kList, LVS_REPORT | WS_TABSTOP | WS_BORDER, 5, 20, 80, 40)
            .Add("BUTTON", "Apply", kApply, (c.page == kWithDefault ? BS_DEFPUSHBUTTON : 0) | WS_TABSTOP, 100, 5, 40, 14);
        INT_PTR result = 0;
        std::vector<std::string> log;
        testing_support::RepeatWhileDisturbed([&](bool& disturbed) {
            ScriptedDialog dialog(main);
            KeyPage page;
            log.clear();
            page.log = &log;
            dialog.onInit = [&](ScriptedDialog& d) {
                // Made in the dialog and moved into the holder, as the tab control takes its pages;
                // the holder lets Tab in, as the tab control does by handing its focus to the page.
                page.CreateIndirect(pageTemplate.Get(), &d);
                HWND holder = ::GetDlgItem(d, kHolder);
                SetWindowLongPtrA(holder, GWL_EXSTYLE, GetWindowLongPtrA(holder, GWL_EXSTYLE) | WS_EX_CONTROLPARENT);
                if (c.page != kRightInDialog) ::SetParent(page, holder);
            };
            ModalAnswerer keys("keys", testing_support::PressKeys(
                                           [&](HWND) { ::SetFocus(::GetDlgItem(page, c.focus)); }, c.keys,
                                           [&](HWND) { log.push_back(FocusName()); },
                                           [&](HWND) { dialog.EndDialog(static_cast<int>(kStillOpen)); }, disturbed));
            result = dialog.DoModal();
        });
        EXPECT_EQ(c.result, result);
        EXPECT_EQ(c.log, log);
    }
}

TEST(ModalLoopTest, NestedLoopsKeepTheTimersBelowAndGiveTheOwnerBack) {
    DialogTemplate t = TestTemplate("outer");
    ScriptedDialog outer(t);
    int outerTicks = 0;
    bool outerDisabledDuringInner = false;
    bool outerEnabledAfterInner = false;
    INT_PTR innerResult = 0;
    outer.onInit = [&](ScriptedDialog& d) {
        d.SetTimer(1, 15);
        Click(d, kNested);
    };
    outer.onTimer = [&](ScriptedDialog&) { ++outerTicks; };
    outer.onNested = [&](ScriptedDialog& d) {
        DialogTemplate innerTemplate = TestTemplate("inner");
        ScriptedDialog inner(innerTemplate, &d);
        inner.onInit = [](ScriptedDialog& i) { i.SetTimer(2, 10); };
        inner.onTimer = [&](ScriptedDialog& i) {
            outerDisabledDuringInner = !d.IsWindowEnabled();
            if (outerTicks >= 3) i.EndDialog(IDOK);  // ended from a handler
        };
        innerResult = inner.DoModal();
        outerEnabledAfterInner = d.IsWindowEnabled() != FALSE;
        d.EndDialog(IDOK);
    };
    EXPECT_EQ(IDOK, outer.DoModal());
    EXPECT_EQ(IDOK, innerResult);
    EXPECT_GE(outerTicks, 3);
    EXPECT_TRUE(outerDisabledDuringInner);
    EXPECT_TRUE(outerEnabledAfterInner);
}

TEST(ModalLoopTest, ADialogOpensCentredOverItsOwnerUnlessItsInitialisationPlacedIt) {
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    ASSERT_TRUE(GetMonitorInfoA(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &monitor));
    const CRect work(monitor.rcWork);
    const struct Case {
        const char* what;
        int ownerLeft;  // of a visible 400 x 300 owner, from the work area's; 0: a hidden owner
        bool placed;    // the initialisation moves the dialog to (7, 9)
    } cases[] = {{"over its owner", 300, false}, {"over the work area without a visible owner", 0, false},
                 {"where its initialisation put it", 300, true}, {"inside the work area", -350, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const CRect ownerRect(CPoint(work.left + c.ownerLeft, work.top + 200), CSize(400, 300));
        CWnd owner;
        const DWORD style = WS_POPUP | (c.ownerLeft ? WS_VISIBLE : 0);
        ASSERT_TRUE(owner.CreateEx(0, nullptr, "owner", style, ownerRect, nullptr, 0));
        DialogTemplate t = TestTemplate("placed");
        ScriptedDialog dialog(t, &owner);
        if (c.placed) dialog.onInit = [](ScriptedDialog& d) { d.SetWindowPos(nullptr, 7, 9, 0, 0, SWP_NOSIZE); };
        CRect shown;
        ModalAnswerer look("placed", [&](HWND d) { return GetWindowRect(d, &shown) && PostMessageA(d, WM_CLOSE, 0, 0); });
        dialog.DoModal();
        const CRect over = c.ownerLeft ? ownerRect : work;
        const CPoint centred(over.left + (over.Width() - shown.Width()) / 2,
                             over.top + (over.Height() - shown.Height()) / 2);
        EXPECT_EQ(c.placed ? CPoint(7, 9) : CPoint(std::max<LONG>(work.left, centred.x), centred.y), shown.TopLeft());
    }
}

TEST(ExceptionBarrierTest, AHandlersExceptionComesOutOfDoModalAsItself) {
    struct Case {
        const char* where;
        std::function<void(ScriptedDialog&)> arrange;
    } cases[] = {
        {"init", [](ScriptedDialog& d) { d.onInit = [](ScriptedDialog&) { throw Failure("init"); }; }},
        {"button",
         [](ScriptedDialog& d) {
             d.onInit = [](ScriptedDialog& self) { Click(self, kNested); };
             d.onNested = [](ScriptedDialog&) { throw Failure("button"); };
         }},
        {"nested",  // thrown in a dialog over the dialog, passing through the outer handler
         [](ScriptedDialog& d) {
             d.onInit = [](ScriptedDialog& self) { Click(self, kNested); };
             d.onNested = [](ScriptedDialog& self) {
                 DialogTemplate t = TestTemplate("inner");
                 ScriptedDialog inner(t, &self);
                 inner.onInit = [](ScriptedDialog&) { throw Failure("nested"); };
                 inner.DoModal();
             };
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.where);
        HWND owner = CreateWindowExA(0, "STATIC", "owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        CWnd ownerWnd;
        ownerWnd.Attach(owner);
        DialogTemplate t = TestTemplate("throwing");
        ScriptedDialog dialog(t, &ownerWnd);
        c.arrange(dialog);
        try {
            dialog.DoModal();
            ADD_FAILURE() << "DoModal returned";
        } catch (const Failure& e) {
            EXPECT_STREQ(c.where, e.what());
        }
        EXPECT_EQ(nullptr, dialog.m_hWnd);
        EXPECT_TRUE(IsWindowEnabled(owner));
        ownerWnd.Detach();
        DestroyWindow(owner);
    }
}

namespace {
class ThrowingWnd : public CWnd {
protected:
    void OnTimer(UINT_PTR) { throw Exception("Unable to read new lines from file.", Exception("disk gone")); }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(ThrowingWnd, CWnd)
    ON_WM_TIMER()
END_MESSAGE_MAP()
}  // namespace

TEST(ExceptionBarrierTest, OutsideAModalLoopTheLastResortShowsTheFullTextAndGoesOn) {
    MessageBoxRecorder boxes;
    ThrowingWnd wnd;
    ASSERT_TRUE(wnd.CreateEx(0, nullptr, "throwing", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    EXPECT_EQ(0, wnd.SendMessage(WM_TIMER, 1));
    ASSERT_EQ(1u, boxes.Boxes().size());
    EXPECT_EQ(CString("Unable to read new lines from file. because of:\ndisk gone"), boxes.Boxes()[0].text);
    EXPECT_TRUE(boxes.Boxes()[0].type & MB_ICONERROR);
    wnd.DestroyWindow();
}

TEST(DataExchangeTest, MembersAndControlsTravelBothWays) {
    DialogTemplate t = TestTemplate("exchange");
    ScriptedDialog dialog(t);
    ASSERT_TRUE(dialog.CreateIndirect(t.Get()));
    dialog.CheckDlgButton(kCheck, BST_CHECKED);  // the next group is left alone

    struct Case {
        int radio;
        UINT a, b, c;
    } cases[] = {{1, 0, 1, 0}, {2, 0, 0, 1}, {0, 1, 0, 0}, {-1, 0, 0, 0}};
    for (const Case& c : cases) {
        dialog.radio = c.radio;
        dialog.text = "name with blanks";
        dialog.number = -42;
        ASSERT_TRUE(dialog.UpdateData(FALSE));
        EXPECT_EQ(c.a, dialog.IsDlgButtonChecked(kRadio));
        EXPECT_EQ(c.b, dialog.IsDlgButtonChecked(kRadio + 1));
        EXPECT_EQ(c.c, dialog.IsDlgButtonChecked(kRadio + 2));
        EXPECT_EQ(static_cast<UINT>(BST_CHECKED), dialog.IsDlgButtonChecked(kCheck));
        CString shown;
        dialog.GetDlgItemText(kNumber, shown);
        EXPECT_EQ(CString("-42"), shown);

        dialog.radio = 99;
        dialog.text.Empty();
        ASSERT_TRUE(dialog.UpdateData(TRUE));
        EXPECT_EQ(c.radio, dialog.radio);
        EXPECT_EQ(CString("name with blanks"), dialog.text);
        EXPECT_EQ(-42, dialog.number);
    }
    dialog.DestroyWindow();
}

TEST(DataExchangeTest, FailKeepsTheDialogOpenWithTheFocusOnTheControl) {
    DialogTemplate t = TestTemplate("failing");
    INT_PTR result = 0;
    std::vector<CString> boxTexts;
    HWND focused = nullptr;
    // The focus is this thread's only while no other test program takes the activation.
    testing_support::RepeatWhileDisturbed([&](bool& disturbed) {
        MessageBoxRecorder boxes;
        ScriptedDialog dialog(t);
        testing_support::ActivationWatch watch;
        focused = nullptr;
        dialog.onInit = [](ScriptedDialog& d) {
            d.SetDlgItemText(kNumber, "12x");
            Click(d, IDOK);
            Click(d, IDCANCEL);
        };
        dialog.onCancel = [&](ScriptedDialog& d) {
            focused = ::GetFocus() == ::GetDlgItem(d, kNumber) ? ::GetFocus() : nullptr;
            disturbed = watch.Disturbed();
        };
        result = dialog.DoModal();
        boxTexts.clear();
        for (const auto& box : boxes.Boxes()) boxTexts.push_back(box.text);
    });
    EXPECT_EQ(IDCANCEL, result);
    ASSERT_EQ(1u, boxTexts.size());
    EXPECT_EQ(CString("Please enter an integer."), boxTexts[0]);
    EXPECT_NE(nullptr, focused);
}

TEST(ModalAnswererTest, AnswersASystemMessageBoxSoNoTestWaitsOnIt) {
    ModalAnswerer answer("Question", IDNO);
    EXPECT_EQ(IDNO, MessageBoxA(nullptr, "Stop?", "Question", MB_YESNO));
    EXPECT_EQ(1, answer.Answered());
}
