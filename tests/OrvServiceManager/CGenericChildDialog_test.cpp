#include "OrvServiceManager/CGenericChildDialog.h"
#include "support/GuiTestSupport.h"
#include "support/TestDialogsRes.h"
#include <gtest/gtest.h>

namespace {
testing_support::Watchdog watchdog(60);

// A parameter page whose client area is 200 x 100 pixels whatever the dialog units measure.
class ParameterPage : public CGenericChildDialog {
public:
    explicit ParameterPage(UINT templateId = IDD_TEST_CHILD) : templateId_(templateId) {}
    UINT GetTemplateId() const override { return templateId_; }

protected:
    BOOL OnInitDialog() override {
        CGenericChildDialog::OnInitDialog();
        SetWindowPos(nullptr, 0, 0, 200, 100, SWP_NOMOVE | SWP_NOZORDER);
        return TRUE;
    }

private:
    UINT templateId_;
};

class ChildDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(parent.CreateEx(0, nullptr, "parent", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr));
        placeholder = CreateWindowExA(0, "STATIC", "", WS_CHILD, 20, 30, 10, 10, parent.m_hWnd,
                                      reinterpret_cast<HMENU>(1030), nullptr, nullptr);
        ASSERT_NE(nullptr, placeholder);
    }
    void TearDown() override { parent.DestroyWindow(); }
    CRect PlacedIn(CWnd& wnd) {
        CRect r;
        wnd.GetWindowRect(&r);
        parent.ScreenToClient(&r);
        return r;
    }
    CRect PlaceholderRect() {
        CRect r;
        GetWindowRect(placeholder, &r);
        parent.ScreenToClient(&r);
        return r;
    }
    CWnd parent;
    HWND placeholder = nullptr;
};
}  // namespace

TEST_F(ChildDialogTest, APageSitsInsideItsPlaceholderWhichGrowsToThePageAndTheMargins) {
    ParameterPage page;
    CRect margins(2, 3, 4, 5);
    ASSERT_TRUE(page.CreateInPlaceholder(&parent, 1030, 7, &margins));
    EXPECT_EQ(CRect(22, 33, 222, 133), PlacedIn(page));
    EXPECT_EQ(CRect(20, 30, 226, 138), PlaceholderRect());  // 206 x 108
    EXPECT_EQ(page.m_hWnd, GetWindow(placeholder, GW_HWNDNEXT));

    ASSERT_TRUE(page.NotifyParent(WM_APP + 3, 44));
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, parent.m_hWnd, WM_APP + 3, WM_APP + 3, PM_REMOVE));
    EXPECT_EQ(7u, msg.wParam);
    EXPECT_EQ(44, msg.lParam);
}

TEST_F(ChildDialogTest, WithoutAPlaceholderOrAPageNothingIsCreatedOrMoved) {
    ParameterPage noPlaceholder;
    EXPECT_FALSE(noPlaceholder.CreateInPlaceholder(&parent, 9999, 0));
    EXPECT_EQ(nullptr, noPlaceholder.m_hWnd);
    ParameterPage noTemplate(0x7FFF);
    EXPECT_FALSE(noTemplate.CreateInPlaceholder(&parent, 1030, 0));
    EXPECT_EQ(CRect(20, 30, 30, 40), PlaceholderRect());

    ParameterPage atPoint;
    CRect margins(1, 1, 0, 0);
    ASSERT_TRUE(atPoint.CreateAtPoint(&parent, CPoint(5, 6), 0, &margins));
    EXPECT_EQ(CRect(6, 7, 206, 107), PlacedIn(atPoint));
    EXPECT_EQ(CRect(20, 30, 30, 40), PlaceholderRect());
}
