#include "controls/htmllabel/HtmlDrawer.h"
#include "controls/htmllabel/HtmlDrawerProbe.h"
#include "support/DibCanvas.h"
#include <gtest/gtest.h>
#include <cstring>
#include <new>

namespace {
const COLORREF kRed = RGB(255, 0, 0);

TEST(CHtmlDrawerCss, AStyleStartsWithItsTableFieldsZeroAndAResetKeepsThem) {
    alignas(TextStyle) unsigned char memory[sizeof(TextStyle)];
    std::memset(memory, 0xCD, sizeof(memory));
    TextStyle* style = new (memory) TextStyle;
    EXPECT_EQ(style->width + style->height + style->tableBase + style->rowBase, 0);
    style->tableBase = 5;
    style->margin = 9;
    style->Reset();
    EXPECT_TRUE(style->tableBase == 5 && style->margin == 2) << "the table fields are the table layout's";
    style->~TextStyle();
}

TEST(CHtmlDrawerCss, ASheetAppliedToAStyleSetsWhatItsRuleNames) {
    CHtmlDrawer drawer;
    const char sheet[] =
        "H1 {color: Red; font-family: Arial; font-weight:bold; text-decoration: underline,overline;"
        " border-style: dotted; text-align: justify; background-color: #00FF00; vertical-align: bottom}\r\n"
        "h1, h2 {color:blue}\r\n"
        ".note\r\n{font-style:oblique; margin: 5; padding: 7px; font-family:\"Times New Roman\"}";
    drawer.SetStyleSheet(sheet);
    EXPECT_EQ(drawer.GetStyleSheet(), sheet);
    ASSERT_NE(drawer.FindSelector("h1,"), nullptr) << "a selector list keeps its first key only";
    TextStyle style;
    drawer.ApplySelector("h1", style);
    EXPECT_EQ(style.textColor, kRed);
    EXPECT_EQ(style.faceName, "arial");
    EXPECT_EQ(style.weight, 700);
    EXPECT_EQ(style.underline + style.overline + style.strikeOut, 2);
    EXPECT_EQ(style.borderStyle, 3);
    EXPECT_EQ(style.borderWidth, 1);
    EXPECT_EQ(style.hAlign, 0) << "there is no justify value";
    EXPECT_EQ(style.bkMode, TextStyle::kOpaqueMode);
    EXPECT_EQ(style.bkColor, RGB(0, 255, 0));
    EXPECT_EQ(style.vAlign, 2);
    drawer.ApplySelector(".note", style);
    EXPECT_EQ(style.italic, 1);
    EXPECT_EQ(style.margin, 5);
    EXPECT_EQ(style.padding, 7);
    EXPECT_EQ(style.faceName, "times new roman");
    EXPECT_EQ(style.textColor, kRed) << "only the named fields change";
    drawer.ApplySelector("nosuch", style);
    EXPECT_EQ(style.margin, 5);
    drawer.RemoveSelector("H1");
    EXPECT_EQ(drawer.FindSelector("h1"), nullptr);
}

TEST(CHtmlDrawerCss, DeclarationsActOnTheirFieldsByTheirKeywords) {
    struct Case { const char* declarations; int TextStyle::*field; int expected; } cases[] = {
        {"font-size: 3", &TextStyle::fontSize, 12},
        {"font-size: 010", &TextStyle::fontSize, 8},
        {"margin: 3", &TextStyle::margin, 3},
        {"font-weight: 550", &TextStyle::weight, 550},
        {"font-weight: heavy", &TextStyle::weight, 0},
        {"font-weight: bold; font-weight:", &TextStyle::weight, 400},
        {"font-style: italic; font-style: slanted", &TextStyle::italic, 1},
        {"border-style: solid; border-width: 0", &TextStyle::borderStyle, 0},
        {"border-width: 4", &TextStyle::borderStyle, 1},
        {"border-width: 4; border-width: thick", &TextStyle::borderWidth, 5},
        {"border-width: 4; size: thin", &TextStyle::borderWidth, 3},
        {"text-transform: capitalize", &TextStyle::textTransform, 3},
        {"text-decoration: underline overline; text-decoration: none", &TextStyle::underline, 0},
        {"vertical-align: sideways", &TextStyle::vAlign, 3},
        {"background-color: transparent", &TextStyle::bkMode, 1},
    };
    CHtmlDrawer drawer;
    for (const Case& c : cases) {
        TextStyle style;
        drawer.ApplyDeclarations(c.declarations, style);
        EXPECT_EQ(style.*c.field, c.expected) << c.declarations;
    }
    TextStyle style;
    drawer.ApplyDeclarations("font-family: ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmn", style);
    EXPECT_EQ(style.faceName, "abcdefghijklmnopqrstuvwxyzabcde") << "cut to the font's 31 bytes";
    drawer.ApplyDeclarations("font-family: ", style);
    EXPECT_EQ(style.faceName.GetLength(), 31);

    drawer.SetEnabled(FALSE);
    drawer.SetDisabledColor(RGB(7, 7, 7));
    TextStyle disabled;
    drawer.ApplyDeclarations("color: #00ff00; background-color: red; border-color: blue", disabled);
    EXPECT_EQ(disabled.textColor, RGB(7, 7, 7));
    EXPECT_EQ(disabled.bkMode, TextStyle::kTransparentMode);
    EXPECT_EQ(disabled.darkBorderColor, RGB(7, 7, 7));
}

TEST(CHtmlDrawerCss, SheetsWithoutBracesEndTheParse) {
    struct Case {
        const char* sheet;
        const char* found;  // a selector the parse keeps, or null
        size_t rules;
    } cases[] = {
        {"body", nullptr, 0},          {"a b c", nullptr, 0},         {"p {x:y} body {color:red", "p", 1},
        {"p {x:y} body", "p", 1},      {"{}}} q{r:s}", "q", 1},        {"p { a } } } x {y}", "x", 2},
    };
    for (const Case& c : cases) {
        CHtmlDrawer drawer;
        drawer.SetStyleSheet(c.sheet);
        EXPECT_EQ(HtmlDrawerProbe(drawer).Rules(), c.rules) << c.sheet;
        if (c.found) {
            EXPECT_NE(drawer.FindSelector(c.found), nullptr) << c.sheet;
        }
    }
}

TEST(CHtmlDrawerCss, LengthsFollowTheDevicesOwnMetrics) {
    testing_support::DibCanvas canvas(4, 4);
    ScopedFont font(CreateFontA(-23, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Arial"));
    HGDIOBJ old = SelectObject(canvas.Dc(), font.Get());
    CHtmlDrawer drawer;
    HtmlDrawerProbe(drawer).UseDevice(canvas.Dc());
    TEXTMETRICA metrics = {};
    GetTextMetricsA(canvas.Dc(), &metrics);
    SIZE x = {};
    GetTextExtentPoint32A(canvas.Dc(), "x", 1, &x);
    const int ppi = GetDeviceCaps(canvas.Dc(), LOGPIXELSY);
    ASSERT_GT(ppi, 0);
    struct Case { const char* text; int expected; BOOL htmlSizes; } cases[] = {
        {"12px", 12, FALSE},
        {"2ex", 2 * x.cy, FALSE},
        {"2em", 2 * metrics.tmHeight, FALSE},
        {"1.5em", metrics.tmHeight, FALSE},
        {"2in", 2 * ppi, FALSE},
        {"3cm", static_cast<int>(3 * ppi / 2.54), FALSE},
        {"30mm", static_cast<int>(30 * ppi / 25.4), FALSE},
        {"10pt", 10 * ppi / 72, FALSE},
        {"-11pt", 11 * ppi / 72, FALSE},
        {"+2pc", 2 * ppi / 6, FALSE},
        {"10pt ", 10, FALSE},  // the blank spoils the unit
        {"50%", 20, FALSE},
        {"", 40, FALSE},
        {"3", 3, FALSE},
        {"3", 12, TRUE},
        {"7", 36, TRUE},
        {"8", 8, TRUE},
        {"0x10", 16, TRUE},
    };
    for (const Case& c : cases) EXPECT_EQ(drawer.ParseLength(c.text, 40, c.htmlSizes), c.expected) << '"' << c.text << '"';
    SelectObject(canvas.Dc(), old);
}
}  // namespace
