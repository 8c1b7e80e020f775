#include "classlib/CDataExchange.h"
#include "classlib/CDialog.h"
#include "classlib/Controls.h"
#include "common/Exception.h"
#include "support/GuiTestSupport.h"
#include <gtest/gtest.h>
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
    MessageBoxRecorder boxes;
    DialogTemplate t = TestTemplate("failing");
    ScriptedDialog dialog(t);
    HWND focused = nullptr;
    dialog.onInit = [](ScriptedDialog& d) {
        d.SetDlgItemText(kNumber, "12x");
        Click(d, IDOK);
        Click(d, IDCANCEL);
    };
    dialog.onCancel = [&](ScriptedDialog& d) { focused = ::GetFocus() == ::GetDlgItem(d, kNumber) ? ::GetFocus() : nullptr; };
    EXPECT_EQ(IDCANCEL, dialog.DoModal());
    ASSERT_EQ(1u, boxes.Boxes().size());
    EXPECT_EQ(CString("Please enter an integer."), boxes.Boxes()[0].text);
    EXPECT_NE(nullptr, focused);
}

TEST(ModalAnswererTest, AnswersASystemMessageBoxSoNoTestWaitsOnIt) {
    ModalAnswerer answer("Question", IDNO);
    EXPECT_EQ(IDNO, MessageBoxA(nullptr, "Stop?", "Question", MB_YESNO));
    EXPECT_EQ(1, answer.Answered());
}
