#include "controls/texteditor/LineParsers.h"
#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include <vector>

namespace {
typedef int (*Parser)(int, const char*, int, CTextBlockList*);

// The colour each char is drawn in: that of the last block starting at or before it, the normal
// colour before the first block.
std::vector<int> Colors(const CTextBlockList& blocks, int length) {
    std::vector<int> colors(length, COLORINDEX_NORMALTEXT);
    for (int b = 0; b < blocks.GetCount(); ++b)
        for (int i = blocks[b].charPos; i < length; ++i) colors[i] = blocks[b].colorIndex;
    return colors;
}

// One run of colours per piece of the line, as (piece, colour) pairs.
std::vector<int> Runs(std::initializer_list<std::pair<const char*, int>> pieces) {
    std::vector<int> colors;
    for (const auto& piece : pieces) colors.insert(colors.end(), std::strlen(piece.first), piece.second);
    return colors;
}

struct Case {
    Parser parser;
    int stateIn;
    std::string line;
    std::vector<int> colors;
    int stateOut;
};

const int N = COLORINDEX_NORMALTEXT, W = COLORINDEX_LOG_WARNING, E = COLORINDEX_LOG_ERROR, B = COLORINDEX_LOG_BRACED;
}  // namespace

TEST(LineParsersTest, ColourLogAndMarkupLines) {
    const Case cases[] = {
        {ParseLogLine, 0, "warning: low memory", Runs({{"warning: low memory", W}}), 0x80},
        {ParseLogLine, 0, "Note: Warning: x", Runs({{"Note: Warning: x", N}}), 0},
        {ParseLogLine, 0, "Error:", Runs({{"Error:", E}}), 0x100},
        {ParseLogLine, 0, "Error", Runs({{"Error", N}}), 0},
        {ParseLogLine, 0, "a{bc}d", Runs({{"a{", N}, {"bc", B}, {"}d", N}}), 0},
        {ParseLogLine, 0, "a{}d", Runs({{"a{", N}, {"}d", B}}), 0x200},
        {ParseLogLine, 0, "a{C}d", Runs({{"a{", N}, {"C}d", B}}), 0x200},
        {ParseLogLine, 0, "Warning: disk {C:} full", Runs({{"Warning: disk {", W}, {"C:", B}, {"} full", W}}), 0x80},
        {ParseLogLine, 0x200, "xy", Runs({{"xy", N}}), 0},  // braces never run on to the next line
        {ParseLogLine, 0x100, "", {}, 0x100},
        {ParseMarkupLine, 0, "<a href='x'>", Runs({{"<a ", 6}, {"href=", 11}, {"'x'", 10}, {">", 6}}), 0},
        {ParseMarkupLine, 0, "x <!-- a", Runs({{"x ", N}, {"<!-- a", 7}}), 0x4},
        {ParseMarkupLine, 0x4, "b --> c", Runs({{"b -->", 7}, {" c", N}}), 0},
        {ParseMarkupLine, 0, "<![CDATA[x]]>y", Runs({{"<![CDATA[", 18}, {"x", N}, {"]]>", 18}, {"y", N}}), 0},
        {ParseMarkupLine, 0, "<b \"q\">", Runs({{"<b ", 6}, {"\"q\"", 10}, {">", 6}}), 0},
        {ParseMarkupLine, 0x1, "rest", Runs({{"rest", 7}}), 0x1},
        {ParseMarkupLine, 0x10, "", {}, 0x10},
    };
    for (const Case& c : cases) {
        CTextBlockList blocks;
        blocks.Reset(static_cast<int>(c.line.size()));
        EXPECT_EQ(c.stateOut, c.parser(c.stateIn, c.line.data(), static_cast<int>(c.line.size()), &blocks)) << c.line;
        EXPECT_EQ(c.colors, Colors(blocks, static_cast<int>(c.line.size()))) << c.line;
        EXPECT_EQ(c.stateOut, c.parser(c.stateIn, c.line.data(), static_cast<int>(c.line.size()), nullptr)) << c.line;
    }
}

TEST(LineParsersTest, NoParserLooksPastTheLineEnd) {
    // The bytes after each line's length would close the braces or the CDATA section.
    const char log[] = "a{bc}";
    EXPECT_EQ(0x200, ParseLogLine(0, log, 4, nullptr));
    const char markup[] = "a]]>";
    EXPECT_EQ(0x40, ParseMarkupLine(0x40, markup, 2, nullptr));
    EXPECT_EQ(0x40, ParseMarkupLine(0x40, markup, 3, nullptr));
    EXPECT_EQ(0, ParseMarkupLine(0x40, markup, 4, nullptr));

    // A very long line in braces: one pass, a handful of blocks.
    std::string line = "{" + std::string(99998, 'a') + "}";
    CTextBlockList blocks;
    blocks.Reset(static_cast<int>(line.size()));
    EXPECT_EQ(0, ParseLogLine(0, line.data(), static_cast<int>(line.size()), &blocks));
    EXPECT_GE(4, blocks.GetCount());
    const std::vector<int> colors = Colors(blocks, static_cast<int>(line.size()));
    EXPECT_EQ(N, colors.front());
    EXPECT_EQ(B, colors[50000]);
    EXPECT_EQ(N, colors.back());
}

TEST(LineParsersTest, BlocksAreAppendedInAscendingOrderOnly) {
    CTextBlockList blocks;
    EXPECT_TRUE(blocks.Append(5, 2));
    EXPECT_FALSE(blocks.Append(3, 6));
    EXPECT_TRUE(blocks.Append(5, 7));
    ASSERT_EQ(2, blocks.GetCount());
    EXPECT_EQ(7, blocks[1].colorIndex);
    blocks.Reset(10);
    EXPECT_EQ(0, blocks.GetCount());
}
