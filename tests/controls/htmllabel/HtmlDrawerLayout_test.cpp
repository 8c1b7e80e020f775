#include "controls/htmllabel/HtmlDrawer.h"
#include "controls/htmllabel/HtmlDrawerProbe.h"
#include "support/DibCanvas.h"
#include <gtest/gtest.h>

using testing_support::DibCanvas;

namespace {
const COLORREF kWhite = RGB(255, 255, 255);

SIZE Measure(CHtmlDrawer& drawer, const CString& markup, int maxWidth = 0) {
    DibCanvas canvas(8, 8);
    drawer.SetMaxWidth(maxWidth);
    SIZE size = {0, 0};
    drawer.PrepareOutput(canvas.Dc(), markup, size);
    return size;
}

// A picture of one colour, as markup names it by its handle.
struct Picture {
    Picture(int width, int height, DWORD pixel)
        : bitmap(testing_support::MakePicture(width, height, [=](int, int) { return pixel; })) {}
    CString Handle() const {
        CString text;
        text.Format("handle=0x%X", static_cast<unsigned>(reinterpret_cast<UINT_PTR>(bitmap.Get())));
        return text;
    }
    ScopedBitmap bitmap;
};

TEST(CHtmlDrawerLayout, EquivalentMarkupMeasuresAlike) {
    struct Case { const char* markup; const char* same; } cases[] = {
        {"a<<b", "a&lt;b"},
        {"a<>b", "a&gt;b"},   // the ">" of an empty tag is text
        {"x<B>y", "xy"},      // no tag in capitals: dropped with its brackets
        {"ab<", "ab&lt;"},    // a "<" at the very end is text
        {"<b><b>x</b></b>y", "<font weight=900>x</font>y"},
        {"<i>x</b>y", "<i>xy</i>"},  // a closing tag that did not open the style on top is ignored
        {"a<br=2>b", "a<br><br>b"},
        {"a<br 2>b", "a<br>b"},
        {"<font style=ib-b>x</font>", "<i>x</i>"},
    };
    for (const Case& c : cases) {
        CHtmlDrawer drawer;
        const SIZE a = Measure(drawer, c.markup), b = Measure(drawer, c.same);
        EXPECT_EQ(a.cx, b.cx) << c.markup;
        EXPECT_EQ(a.cy, b.cy) << c.markup;
    }
    CHtmlDrawer drawer;
    EXPECT_EQ(Measure(drawer, "").cx, 0);
    const SIZE nothing = Measure(drawer, "<b></b>");
    EXPECT_EQ(nothing.cx, 1) << "a text that yields nothing measures 1 by 1";
    EXPECT_EQ(nothing.cy, 1);
    DibCanvas canvas(20, 20);
    drawer.DrawHtml(canvas.Dc(), "<b></b>", RECT{0, 0, 20, 20});
    EXPECT_EQ(canvas.Count(kWhite), 400);
}

TEST(CHtmlDrawerLayout, TagsAndRulesGiveTheirColours) {
    const COLORREF kRed = RGB(255, 0, 0), kBlack = RGB(0, 0, 0);
    struct Case { const char* markup; COLORREF expected; COLORREF absent; bool enabled; } cases[] = {
        {"<font color=red>x</font>y", kRed, RGB(1, 1, 1), true},
        {"<font color=red><i>x</b>y</i></font>", kRed, kBlack, true},
        {"<span class=cpp-comment>x</span>", RGB(0, 128, 0), kBlack, true},
        {"<a href=target>x</a>", RGB(0, 0, 255), kBlack, true},
        {"<h2>x</h2>", RGB(0xFF, 0x99, 0x00), kBlack, true},
        {"<font bkgnd=yellow>x</font>", RGB(255, 255, 0), kRed, true},
        {"&lt;font color=red&gt;x", kBlack, kRed, true},
        {"<font color=#00ff00>unclosed", RGB(0, 255, 0), kBlack, true},
        {"<font color=red>x</font>", GetSysColor(COLOR_BTNSHADOW), kRed, false},
    };
    for (const Case& c : cases) {
        CHtmlDrawer drawer;
        drawer.SetEnabled(c.enabled);
        DibCanvas canvas(200, 60);
        DrawMarkup(drawer, canvas, c.markup);
        EXPECT_GT(canvas.Count(c.expected), 0) << c.markup;
        EXPECT_EQ(canvas.Count(c.absent), 0) << c.markup;
    }
}

// Each pass ends, the drawing pass meets as many lines as the measuring pass recorded, and all
// ink lies inside the measured size.
TEST(CHtmlDrawerLayout, TrickyMarkupKeepsThePassesInStep) {
    const char* cases[] = {
        "<center>Supercalifragilisticexpialidocious</center>",
        "<right>MMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMM MMM MMMMM</right>",
        "<center>one two<br></center><table><tr><td width=20 height=5 bgcolor=blue></td></tr></table>after",
        "<center>a centred line ends with a break<br></center>",
        "<right>x<br></right><justify>justified text that wraps over several lines here, and more</justify>",
        "<table></table>after an empty table",
        "<table><tr><td>in</td></tr></table><center>after the table</center>",
        "<hr width=50%><br><center>a rule and a line</center><br><hr size=3 width=20>",
        "<a href=x>a link broken over several lines</a> <string idres=0><t=2>tabs",
        "<font face=\"a face name far longer than any font description can hold\">long face</font>",
        "<table><tr><td width=30>several words in a narrow cell</td></tr><tr><td width=80></td></tr></table>",
    };
    for (const char* markup : cases) {
        CHtmlDrawer drawer;
        HtmlDrawerProbe probe(drawer);
        DibCanvas canvas(300, 300);
        drawer.SetMaxWidth(60);
        SIZE size = {0, 0};
        drawer.PrepareOutput(canvas.Dc(), markup, size);
        const int lines = probe.LineCounter();
        drawer.DrawPreparedOutput(canvas.Dc(), RECT{0, 0, size.cx, size.cy});
        EXPECT_EQ(probe.LineCounter(), lines) << markup;
        const RECT ink = canvas.Bounds(kWhite);
        EXPECT_LT(ink.left, ink.right) << markup;
        EXPECT_GE(ink.left, 0) << markup;
        EXPECT_LE(ink.right, size.cx) << markup;
        EXPECT_LE(ink.bottom, size.cy) << markup;
    }
}

TEST(CHtmlDrawerLayout, PicturesTakeTheRoomTheirSizesSayOrNone) {
    const Picture strip(80, 10, 0xFF0000);
    const Picture square(10, 10, 0x0000FF);
    ScopedIcon icon(testing_support::MakeSquareIcon(32, 0, RGB(0, 255, 0)));
    CString iconHandle;
    iconHandle.Format("handle=0x%X", static_cast<unsigned>(reinterpret_cast<UINT_PTR>(icon.Get())));
    struct Case { CString markup; int width, height; } cases[] = {
        {"<bmp " + strip.Handle() + ">", 81, 11},
        {"<bmp " + strip.Handle() + " width=50%>", 41, 11},
        {"<bmp " + strip.Handle() + " width=8 height=20>", 9, 21},
        {"<bmp " + strip.Handle() + " width=0>", 1, 1},
        {"<bmp " + strip.Handle() + " width=-50%>", 1, 1},
        {"<bmp " + strip.Handle() + " width=100000>", 1, 1},
        {"<bmp handle=0x1234>", 1, 1},
        {"<bmp>", 1, 1},
        {"<ilst " + strip.Handle() + " index=7>", 11, 11},  // square frames of the shorter side
        {"<ilst " + strip.Handle() + " index=8>", 1, 1},
        {"<ilst " + strip.Handle() + " index=0xFFFFFFFF>", 1, 1},  // -1
        {"<ilst " + strip.Handle() + " cx=20 index=0>", 1, 1},  // 20 x 20 frames: none fits
        {"<ilst index=0>", 1, 1},                               // no image list
        {"<icon " + iconHandle + " width=16 height=16>", 17, 17},
    };
    for (const Case& c : cases) {
        CHtmlDrawer drawer;
        const SIZE size = Measure(drawer, c.markup);
        EXPECT_EQ(size.cx, c.width) << c.markup;
        EXPECT_EQ(size.cy, c.height) << c.markup;
    }
    // Too wide for the maximum width: on an empty line it goes there all the same, no blank line.
    CHtmlDrawer drawer;
    EXPECT_EQ(Measure(drawer, "<bmp " + strip.Handle() + ">", 40).cy, 11);
    EXPECT_GT(Measure(drawer, "ab<bmp " + strip.Handle() + ">", 40).cy, 11 + 1);
    DibCanvas canvas(100, 20);
    DrawMarkup(drawer, canvas, "<bmp " + square.Handle() + "><bmp " + strip.Handle() + " width=5 height=5>");
    EXPECT_EQ(canvas.Count(RGB(0, 0, 255)), 100);
    EXPECT_EQ(canvas.Count(RGB(255, 0, 0)), 25);
    EXPECT_EQ(canvas.Pixel(10, 9), RGB(255, 0, 0)) << "the smaller picture sits on the baseline";
}

TEST(CHtmlDrawerLayout, AnimatedStripsStepThroughTheirFrames) {
    const Picture strip(80, 10, 0xFF0000);
    const Picture single(10, 10, 0xFF0000);
    CHtmlDrawer drawer;
    HtmlDrawerProbe probe(drawer);
    Measure(drawer, "<ilst " + strip.Handle() + " index=7 speed=1><ilst " + strip.Handle() + " index=2 speed=3>" +
                        "<ilst " + single.Handle() + " index=0 speed=1><ilst " + strip.Handle() + " index=1>" +
                        "<ilst " + strip.Handle() + " index=9 speed=1>");
    ASSERT_EQ(probe.Animations().size(), 4u) << "no record without a speed";
    EXPECT_TRUE(drawer.StepAnimation());
    EXPECT_EQ(probe.Animations()[0].currentFrame, 0) << "the last frame wraps to the first";
    EXPECT_EQ(probe.Animations()[1].currentFrame, 2);
    EXPECT_EQ(probe.Animations()[2].currentFrame, 0) << "a single frame stays";
    EXPECT_EQ(probe.Animations()[3].currentFrame, 0) << "a frame past the strip comes back too";
    drawer.StepAnimation();
    drawer.StepAnimation();
    EXPECT_EQ(probe.Animations()[1].currentFrame, 3);
    Measure(drawer, "text");
    EXPECT_FALSE(drawer.StepAnimation());
}

TEST(CHtmlDrawerLayout, TabsStepToTheNextStop) {
    CHtmlDrawer drawer;
    drawer.SetTabSize(50);
    EXPECT_EQ(Measure(drawer, "<t=2>").cx, 101);
    EXPECT_EQ(Measure(drawer, "<t=0>").cx, 51);
    EXPECT_EQ(Measure(drawer, "<t>x").cx, Measure(drawer, "x").cx + 50);
    EXPECT_EQ(Measure(drawer, "x<t>").cx, 51);
    drawer.SetTabSize(0);  // a stop every pixel rather than a division by zero
    EXPECT_EQ(Measure(drawer, "<t=5>").cx, 6);
}

// The Tasks page's status texts are one run on one line each: drawn pixel for pixel as the
// system draws the text in the same font at the output's corner.
TEST(CHtmlDrawerLayout, StatusTextsDrawAsTheSystemDrawsThem) {
    const COLORREF kRed = RGB(255, 0, 0);
    struct Case { const char* markup; const char* text; COLORREF color; int weight; } cases[] = {
        {"To add a new task click New. To modify a task select it and click Edit.",
         "To add a new task click New. To modify a task select it and click Edit.", RGB(0, 0, 0), FW_NORMAL},
        {"<font color=red>You cannot modify tasks while the service is running.</font>",
         "You cannot modify tasks while the service is running.", kRed, FW_NORMAL},
        {"<font color=red><b>Unable to retrieve the service status.</b></font>", "Unable to retrieve the service status.",
         kRed, 2 * FW_NORMAL},
    };
    const int width = 900, height = 24;
    for (const Case& c : cases) {
        DibCanvas drawn(width, height), expected(width, height);
        CHtmlDrawer drawer;
        DrawMarkup(drawer, drawn, c.markup, width);
        LOGFONTA description = {};
        description.lfHeight = 10 * GetDeviceCaps(drawn.Dc(), LOGPIXELSY) / 72;  // the body rule's 10pt
        description.lfWeight = c.weight;
        description.lfCharSet = DEFAULT_CHARSET;
        lstrcpyA(description.lfFaceName, "Verdana");
        ScopedFont font(CreateFontIndirectA(&description));
        HGDIOBJ previous = SelectObject(expected.Dc(), font.Get());
        SetBkMode(expected.Dc(), TRANSPARENT);
        SetTextColor(expected.Dc(), c.color);
        TextOutA(expected.Dc(), 0, 0, c.text, lstrlenA(c.text));
        SelectObject(expected.Dc(), previous);
        int differing = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) differing += drawn.Pixel(x, y) != expected.Pixel(x, y);
        EXPECT_EQ(differing, 0) << c.markup;
        EXPECT_GT(drawn.Count(c.color), 0) << c.markup;
    }
}
}  // namespace
