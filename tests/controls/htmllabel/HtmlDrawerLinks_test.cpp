#include "controls/htmllabel/HtmlDrawer.h"
#include "controls/htmllabel/HtmlDrawerProbe.h"
#include "support/DibCanvas.h"
#include "support/GuiTestSupport.h"
#include <gtest/gtest.h>

using testing_support::DibCanvas;
using testing_support::RecordingWindow;

namespace {
testing_support::Watchdog watchdog(60);

POINT Centre(const CHtmlDrawer::HotArea& area) { return POINT{(area.left + area.right) / 2, (area.top + area.bottom) / 2}; }

TEST(CHtmlDrawerLinks, EachDrawingRebuildsTheHotAreasWhichHoldTheirEdges) {
    CHtmlDrawer drawer;
    HtmlDrawerProbe probe(drawer);
    DibCanvas canvas(300, 60);
    const SIZE size = DrawMarkup(drawer, canvas, "<a href=one>first</a> plain <a msg=two>second</a>");
    for (int i = 0; i < 3; ++i) drawer.DrawPreparedOutput(canvas.Dc(), RECT{0, 0, size.cx, size.cy});
    ASSERT_EQ(probe.HotAreas().size(), 2u);
    const CHtmlDrawer::HotArea first = probe.HotAreas()[0], second = probe.HotAreas()[1];
    EXPECT_TRUE(first.linkKind == 1 && first.linkNumber == 0 && first.target == "one");
    EXPECT_TRUE(second.linkKind == 2 && second.linkNumber == 1 && second.target == "two");
    EXPECT_EQ(drawer.HotAreaAt(POINT{first.left, first.top}), 0);
    EXPECT_EQ(drawer.HotAreaAt(POINT{first.right, first.bottom}), 0);
    EXPECT_EQ(drawer.HotAreaAt(POINT{first.right + 1, first.top}), -1);
    EXPECT_EQ(drawer.HotAreaAt(POINT{first.left, first.bottom + 1}), -1);
    EXPECT_EQ(drawer.HotAreaAt(POINT{second.right, second.top}), 1);
}

TEST(CHtmlDrawerLinks, TheTargetHearsEachChangeOfTheHotLinkOnce) {
    RecordingWindow target;
    CHtmlDrawer drawer;
    HtmlDrawerProbe probe(drawer);
    drawer.SetHotAreaTarget(target.Get(), WM_APP + 1, 7);
    HCURSOR hand = static_cast<HCURSOR>(CopyIcon(LoadCursorA(nullptr, MAKEINTRESOURCEA(32512))));
    drawer.SetLinkCursor(hand);
    DibCanvas canvas(300, 80);
    DrawMarkup(drawer, canvas, "<a msg=one>first<br>line</a> <a>no target</a>");
    ASSERT_EQ(probe.HotAreas().size(), 3u);
    SetCursor(nullptr);
    EXPECT_TRUE(drawer.SetCursorAt(Centre(probe.HotAreas()[0])));
    EXPECT_EQ(GetCursor(), hand);
    EXPECT_TRUE(drawer.SetCursorAt(Centre(probe.HotAreas()[1])));  // the same link on its next line
    EXPECT_FALSE(drawer.SetCursorAt(Centre(probe.HotAreas()[2]))) << "no hand without a target";
    EXPECT_FALSE(drawer.SetCursorAt(POINT{290, 75}));
    EXPECT_FALSE(drawer.SetCursorAt(POINT{290, 75}));
    drawer.LeaveHotAreas();
    std::vector<INT_PTR> heard;
    for (const RecordingWindow::Message& m : target.Messages()) {
        EXPECT_TRUE(m.message == WM_APP + 1 && m.lParam == 7);
        heard.push_back(static_cast<INT_PTR>(m.wParam));
    }
    EXPECT_EQ(heard, (std::vector<INT_PTR>{0, 1, -2}));
}

TEST(CHtmlDrawerLinks, AMessageLinkClickHandsTheReceiverItsOwnCopyOfTheTarget) {
    RecordingWindow parent;
    CHtmlDrawer drawer;
    HtmlDrawerProbe probe(drawer);
    drawer.SetLinkMessageTarget(parent.Get(), WM_APP + 2, 9);
    DibCanvas canvas(300, 40);
    const char kMarkup[] = "<a msg=open-the-task>click</a> <a msg=\"\">empty</a> <a href=\"\">empty</a>";
    DrawMarkup(drawer, canvas, kMarkup);
    ASSERT_EQ(probe.HotAreas().size(), 3u);
    const CHtmlDrawer::HotArea link = probe.HotAreas()[0], empty = probe.HotAreas()[1], emptyHref = probe.HotAreas()[2];
    CString received;
    // The receiver redraws other links before it reads the text, as a parent repainting may.
    parent.onMessage = [&](const RecordingWindow::Message& m) {
        DrawMarkup(drawer, canvas, "<a msg=zzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzz>other</a>");
        received = reinterpret_cast<const char*>(m.wParam);
    };
    drawer.ClickAt(Centre(link));
    EXPECT_EQ(received, "open-the-task");
    ASSERT_EQ(parent.Messages().size(), 1u);
    EXPECT_EQ(parent.Messages()[0].lParam, 9);
    parent.onMessage = nullptr;
    DrawMarkup(drawer, canvas, kMarkup);
    drawer.ClickAt(Centre(empty));
    drawer.ClickAt(Centre(emptyHref));
    drawer.ClickAt(POINT{299, 39});
    EXPECT_EQ(parent.Messages().size(), 1u) << "links without a target do nothing";
}

TEST(CHtmlDrawerLinks, TheHtmlHandlerGetsTheTargetAsOneQuotedArgument) {
    struct Case { const char* registered; const char* target; const char* command; } cases[] = {
        {"\"C:\\Browser\\b.exe\" -nohome \"%1\"", "http://x/a b", "\"C:\\Browser\\b.exe\" -nohome  \"http://x/a b\""},
        {"b.exe %1 -new", "C:\\My Pages\\a.htm", "b.exe  \"C:\\My Pages\\a.htm\""},
        {"b.exe", "x.htm", "b.exe \"x.htm\""},
        {"b.exe \"%1\"", "x\" & calc.exe & \"", ""},
        {"b.exe %1", "", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(HtmlDrawerProbe::HtmlHandlerCommand(c.registered, c.target), c.command) << c.target;
}
}  // namespace
