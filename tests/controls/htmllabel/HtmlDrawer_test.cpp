#include "controls/htmllabel/HtmlDrawer.h"
#include "controls/htmllabel/HtmlDrawerProbe.h"
#include <gtest/gtest.h>

namespace {
const COLORREF kRed = RGB(255, 0, 0), kDefault = RGB(1, 2, 3);

TEST(CHtmlDrawer, ConstructionFillsTheTablesAndTheSettings) {
    CHtmlDrawer drawer;
    HtmlDrawerProbe probe(drawer);
    EXPECT_EQ(probe.EntityRows(), 13u);
    EXPECT_EQ(probe.TagRows(), 40u);
    EXPECT_EQ(probe.ColorRows(), 168u);
    EXPECT_EQ(probe.Rules(), 17u);
    EXPECT_EQ(probe.ShadowColor(), RGB(128, 128, 128));
    drawer.SetShadow(4, 4, 150, TRUE, 7, 7);
    EXPECT_EQ(probe.ShadowColor(), RGB(0, 0, 0)) << "darkness cut to 100";
}

TEST(CHtmlDrawer, ParseColorReadsHexNumbersAndExactNames) {
    CHtmlDrawer drawer;
    struct Case { const char* text; COLORREF expected; } cases[] = {
        {"#ff0000", kRed}, {"red", kRed}, {"0x0000FF", kRed}, {"255", kRed}, {"#00ff80", RGB(0, 255, 0x80)},
        {"#f00", kDefault}, {"#ff00000", kDefault}, {"", kDefault}, {"0123", 83}, {"Red", kDefault},
        {"grey", kDefault}, {"gray", RGB(128, 128, 128)}, {"lightgray", kDefault}, {"lightgrey", RGB(211, 211, 211)},
        {"darkseagreen", RGB(0x8F, 0xBC, 0x8B)}, {"yellowgreen", RGB(0x9A, 0xCD, 0x32)},
        {"buttonface", GetSysColor(COLOR_BTNFACE)}, {"threeddarkshadow", GetSysColor(COLOR_3DDKSHADOW)},
    };
    for (const Case& c : cases) EXPECT_EQ(drawer.ParseColor(c.text, kDefault), c.expected) << '"' << c.text << '"';

    // Disabled, every name is the disabled colour; numbers stay what they say.
    drawer.SetEnabled(FALSE);
    EXPECT_EQ(drawer.ParseColor("red", kDefault), GetSysColor(COLOR_BTNSHADOW));
    drawer.SetDisabledColor(RGB(9, 9, 9));
    EXPECT_EQ(drawer.ParseColor("nosuchname", kDefault), RGB(9, 9, 9));
    EXPECT_EQ(drawer.ParseColor("#ff0000", kDefault), kRed);
    EXPECT_EQ(drawer.ParseColor("0x0000FF", kDefault), kRed);
}

TEST(CHtmlDrawer, EntitiesApplyRowByRowInKeyOrder) {
    CHtmlDrawer drawer;
    HtmlDrawerProbe probe(drawer);
    struct Case { const char* text; const char* expected; } cases[] = {
        {"&amp;gt;", ">"},
        {"&amp;lt;", "<<"},  // "&lt;" comes after "&amp;" in the table
        {"&amp;amp;", "&amp;"},
        {"&Amp; &AMP;", "&Amp; &AMP;"},
        {"&lt;b&gt;", "<<b>"},
        {"&euro;&trade;&nbsp;&quot;&bull;", "\x88\x99 \"\x95"},
        {"a\r\nb\tc", "a<br>b<t>c"},
    };
    for (const Case& c : cases) EXPECT_EQ(probe.ApplyEntities(c.text), c.expected) << c.text;
    drawer.SetLineBreaksAsTags(FALSE);
    EXPECT_EQ(probe.ApplyEntities("a\r\nb\tc"), "abc");
}

TEST(CHtmlDrawer, TagsAreLookedUpExactlyWithTheirStyleNames) {
    CHtmlDrawer drawer;
    struct Case { const char* tag; int id; const char* styleName; bool closing; } cases[] = {
        {"b", 1, "bold", false},   {"/b", 1, "bold", true},     {"B", 0, "", false},         {"em", 2, "italic", false},
        {"bottom", 16, "vcenter", false}, {"middle", 15, "vcenter", false}, {"\n", 7, "", false}, {"\t", 8, "", false},
        {"a", 23, "link", false}, {"/h3", 21, "h3", true}, {"table", 0, "", false}, {"/", 0, "", true},
    };
    for (const Case& c : cases) {
        CString styleName;
        bool closing = !c.closing;
        EXPECT_EQ(drawer.LookUpTag(c.tag, styleName, closing), c.id) << c.tag;
        EXPECT_EQ(styleName, c.styleName) << c.tag;
        EXPECT_EQ(closing, c.closing) << c.tag;
    }
}

TEST(CHtmlDrawer, TheBuiltInSheetComesBackWhenNoTextIsGiven) {
    CHtmlDrawer drawer;
    const CString builtIn = drawer.GetStyleSheet();
    const char firstRule[] = "body {font-size: 10pt; color:black; font-family:Verdana}\r\n";
    EXPECT_EQ(builtIn.Left(sizeof(firstRule) - 1), firstRule);
    EXPECT_EQ(CHtmlDrawer::CountChar(builtIn, '\n'), 17);
    ASSERT_NE(drawer.FindSelector("pre"), nullptr);
    EXPECT_EQ(*drawer.FindSelector("pre"), "font-size: 9pt; font-family:\"Courier\"; background-color:#fbedbb");
    ASSERT_NE(drawer.FindSelector("A:Hover"), nullptr);
    drawer.SetStyleSheet("p {color:red}");
    EXPECT_EQ(drawer.FindSelector("pre"), nullptr);
    EXPECT_EQ(drawer.GetStyleSheet(), "p {color:red}");
    drawer.SetStyleSheet("");
    EXPECT_EQ(drawer.GetStyleSheet(), builtIn);
    EXPECT_NE(drawer.FindSelector(".cpp-comment"), nullptr);
}
}  // namespace
