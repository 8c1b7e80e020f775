#include "controls/htmllabel/HtmlStatic.h"
#include "classlib/CWnd.h"
#include "support/DibCanvas.h"
#include "support/GuiTestSupport.h"
#include <gtest/gtest.h>

using testing_support::DibCanvas;

namespace {
testing_support::Watchdog watchdog(100);

const COLORREF kRed = RGB(255, 0, 0);
const int kWidth = 420, kHeight = 40;

// A label bound to a static control of a shown window, as a dialog binds its status line.
class LabelTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(parent.CreateEx(0, nullptr, "parent", WS_POPUP | WS_VISIBLE, 0, 0, 500, 200, nullptr, nullptr));
    }
    void TearDown() override {
        label.DestroyWindow();
        parent.DestroyWindow();
    }
    void Bind(DWORD style = WS_VISIBLE, const char* text = "short") {
        HWND hwnd = CreateWindowExA(0, "STATIC", text, WS_CHILD | SS_LEFT | style, 0, 0, kWidth, kHeight, parent.m_hWnd,
                                    reinterpret_cast<HMENU>(1023), nullptr, nullptr);
        ASSERT_TRUE(label.SubclassWindow(hwnd));
    }
    // What the control shows, as its paint would put it on the screen.
    void Capture(DibCanvas& canvas) {
        label.UpdateWindow();
        canvas.Fill(RGB(1, 2, 3));
        label.DrawOutput(canvas.Dc());
    }
    CWnd parent;
    CHtmlStatic label;
};

TEST_F(LabelTest, TheWindowTextIsTheMarkupWhole) {
    Bind();
    EXPECT_EQ(label.GetHtmlText(), "short");
    CString markup = "<font color=red>";
    for (int i = 0; i < 30; ++i) markup += "much longer than the template's text ";
    label.SetWindowText(markup);
    CString back;
    label.GetWindowText(back);
    EXPECT_EQ(back, markup);
    EXPECT_EQ(label.GetWindowTextLength(), markup.GetLength());
    char small[8] = "";
    EXPECT_EQ(label.SendMessage(WM_GETTEXT, sizeof(small), reinterpret_cast<LPARAM>(small)), 7);
    EXPECT_STREQ(small, "<font c");
}

TEST_F(LabelTest, TheTasksPageStatusTextsDraw) {
    Bind();
    DibCanvas canvas(kWidth, kHeight);
    struct Case { const char* text; COLORREF ink; } cases[] = {
        {"To add a new task click New. To modify a task select it and click Edit.", GetSysColor(COLOR_WINDOWTEXT)},
        {"<font color=red>You cannot modify tasks while the service is running.</font>", kRed},
        {"<font color=red>Unable to retrieve the service status.</font>", kRed},
        {"<font color=red><b>Unable to retrieve the service status.</b></font>", kRed},
    };
    int inks[4] = {};
    for (int i = 0; i < 4; ++i) {
        label.SetWindowText(cases[i].text);
        Capture(canvas);
        inks[i] = canvas.Count(cases[i].ink);
        EXPECT_GT(inks[i], 0) << cases[i].text;
        EXPECT_EQ(canvas.Pixel(kWidth - 1, kHeight - 1), GetSysColor(COLOR_BTNFACE)) << "the background";
        const RECT output = label.GetOutputRect();
        EXPECT_TRUE(output.left == 0 && output.top == 0 && output.right <= kWidth) << cases[i].text;
    }
    EXPECT_GT(inks[3], inks[2]) << "bold";
}

TEST_F(LabelTest, AFontSetOnTheControlBecomesTheBody) {
    Bind();
    DibCanvas canvas(kWidth, kHeight);
    label.SetWindowText("Xg");
    Capture(canvas);
    const RECT small = canvas.Bounds(GetSysColor(COLOR_BTNFACE));
    LOGFONTA description = {};
    description.lfHeight = -28;
    lstrcpyA(description.lfFaceName, "Tahoma");
    ScopedFont font(CreateFontIndirectA(&description));
    label.SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), FALSE);
    EXPECT_EQ(label.SendMessage(WM_GETFONT), reinterpret_cast<LRESULT>(font.Get()));
    Capture(canvas);
    const RECT large = canvas.Bounds(GetSysColor(COLOR_BTNFACE));
    EXPECT_GT(large.bottom - large.top, small.bottom - small.top + 5);
}

TEST_F(LabelTest, DisabledTextIsEmbossedInTheSystemColours) {
    Bind();
    label.SetWindowText("<font color=red><b>Unable to retrieve the service status.</b></font>");
    label.EnableWindow(FALSE);
    DibCanvas canvas(kWidth, kHeight);
    Capture(canvas);
    EXPECT_EQ(canvas.Count(kRed), 0);
    EXPECT_GT(canvas.Count(GetSysColor(COLOR_BTNSHADOW)), 0);
    EXPECT_GT(canvas.Count(GetSysColor(COLOR_BTNHIGHLIGHT)), 0);
}

TEST_F(LabelTest, NothingIsDrawnBeforeTheFirstPaint) {
    Bind(0);  // hidden: never painted
    label.SetWindowText("<font color=red>status</font>");
    DibCanvas canvas(kWidth, kHeight);
    canvas.Fill(RGB(1, 2, 3));
    EXPECT_EQ(label.SendMessage(CHtmlStatic::kHotAreaChanged), TRUE);
    label.DrawOutput(canvas.Dc());
    EXPECT_EQ(canvas.Count(RGB(1, 2, 3)), kWidth * kHeight);
}

TEST_F(LabelTest, LeavingTheControlEndsTheHoverOnceAndLeavesTheCursorAlone) {
    Bind();
    label.SetWindowText("<a msg=new>New task</a>");
    label.UpdateWindow();
    testing_support::RecordingWindow target;
    label.GetDrawer().SetHotAreaTarget(target.Get(), WM_APP + 5, 0);
    // The real cursor may well stand on the link (the control sits in the screen's corner).
    label.GetDrawer().SetCursorAt(POINT{1, 1});
    HCURSOR arrow = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
    SetCursor(arrow);
    label.SendMessage(WM_MOUSELEAVE);
    label.SendMessage(WM_MOUSELEAVE);
    ASSERT_EQ(target.Messages().size(), 2u);
    EXPECT_EQ(target.Messages()[0].wParam, 0u);
    EXPECT_EQ(static_cast<INT_PTR>(target.Messages()[1].wParam), -2);
    EXPECT_EQ(GetCursor(), arrow);
}

TEST_F(LabelTest, RepeatedPaintsFramesAndRegionsHoldNoGdiObjects) {
    Bind();
    label.SetWindowText("<font color=red>You cannot modify tasks while the service is running.</font>");
    label.SetRoundRectRegion(6, 6);
    label.SetFrameColor(RGB(0, 0, 255), 1, 1);
    DibCanvas canvas(kWidth, kHeight);
    testing_support::GdiHandleReserve reserve(300);
    ASSERT_GT(reserve.Held(), 0u);
    for (int i = 0; i < 400; ++i) {
        label.SetFrameBrush(CreateSolidBrush(RGB(0, 0, 1)), 0, 0);  // no frame: the brush goes
        label.MoveWindow(0, 0, kWidth - i % 2, kHeight);            // a new rounded region each time
    }
    label.SetFrameColor(RGB(0, 0, 255), 1, 1);
    label.MoveWindow(0, 0, kWidth, kHeight);
    Capture(canvas);
    EXPECT_GT(canvas.Count(kRed), 0);
    EXPECT_GT(canvas.Count(RGB(0, 0, 255)), 0) << "the frame";
}

TEST_F(LabelTest, ImageSizesGoIntoTheBuildersMarkup) {
    Bind();
    label.SetBitmap(77);
    EXPECT_EQ(label.GetHtmlText(), "<bmp idres=77 width=100% height=100%>");
    label.SetImageSize(0, 0);
    CString filling;
    filling.Format("<bmp idres=77 width=%d height=%d>", kWidth - 1, kHeight);
    EXPECT_EQ(label.GetHtmlText(), filling);
    label.SetIcon(5, SIZE{32, 16});
    label.SetImageSize(50);
    EXPECT_EQ(label.GetHtmlText(), "<icon idres=5 width=16 height=8>");
    label.SetImageSize(100);
    label.SetAnimation(9, SIZE{16, 16}, RGB(255, 0, 255));
    EXPECT_EQ(label.GetHtmlText(), "<ilst index=0 idres=9 mask=0xFF00FF cx=16, cy=16 speed=1 width=16 height=16>");
    label.SetWindowText("plain");
    label.SetImageSize(50);
    EXPECT_EQ(label.GetHtmlText(), "plain") << "outside image mode only the sizes are kept";
}
}  // namespace
