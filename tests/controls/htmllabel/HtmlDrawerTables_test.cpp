// Tables of empty cells with fixed sizes: their widths, fills and borders are exact pixels,
// whatever the fonts.
#include "controls/htmllabel/HtmlDrawer.h"
#include "controls/htmllabel/HtmlDrawerProbe.h"
#include "support/DibCanvas.h"
#include <gtest/gtest.h>

using testing_support::DibCanvas;

namespace {
const COLORREF kWhite = RGB(255, 255, 255), kRed = RGB(255, 0, 0), kBlue = RGB(0, 0, 255), kGreen = RGB(0, 128, 0);

std::vector<int> Widths(const CHtmlDrawer::TableRecord& table) { return table.columnWidths; }

TEST(CHtmlDrawerTables, ColumnWidthsSpansAndSizesAreExact) {
    struct Case {
        const char* markup;
        std::vector<int> columnWidths;  // of the first table
        int width, height;              // the measured size
    } cases[] = {
        // A span over two empty columns shares its width out, the odd pixel to the second.
        {"<table cellspacing=0 cellpadding=0><tr><td colspan=2 width=11></td></tr><tr><td></td><td></td></tr></table>",
         {5, 6}, 13, 2},
        {"<table cellspacing=1 cellpadding=0><tr><td width=10 height=4></td><td width=5></td></tr></table>",
         {10, 5}, 20, 7},
        {"<table><tr><td colspan=0 rowspan=0 width=3></td></tr></table>", {7}, 8, 5},
        // A row span past the last row is cut to it; a cell with no grid position left is dropped.
        {"<table cellspacing=0 cellpadding=0><tr><td rowspan=9 width=3></td><td width=4></td></tr>"
         "<tr><td width=5></td><td width=60></td></tr></table>",
         {3, 5}, 10, 2},
        // A nested table is a record of its own, after the outer one, inside the outer cell.
        {"<table><tr><td><table><tr><td width=7></td></tr></table></td></tr></table>", {15}, 16, 9},
        {"<table><tr><td width=5>", {9}, 10, 5},  // unterminated
        {"<table></table>", {}, 1, 1},
    };
    for (const Case& c : cases) {
        CHtmlDrawer drawer;
        HtmlDrawerProbe probe(drawer);
        DibCanvas canvas(8, 8);
        SIZE size = {0, 0};
        drawer.PrepareOutput(canvas.Dc(), c.markup, size);
        ASSERT_FALSE(probe.Tables().empty()) << c.markup;
        EXPECT_EQ(Widths(probe.Tables()[0]), c.columnWidths) << c.markup;
        EXPECT_EQ(size.cx, c.width) << c.markup;
        EXPECT_EQ(size.cy, c.height) << c.markup;
    }
}

TEST(CHtmlDrawerTables, HugeSpansStayInsideTheGrid) {
    CHtmlDrawer drawer;
    HtmlDrawerProbe probe(drawer);
    DibCanvas canvas(100, 50);
    DrawMarkup(drawer, canvas, "<table><tr><td colspan=1000000 rowspan=1000000></td><td></td></tr><tr><td></td></tr></table>");
    ASSERT_EQ(probe.Tables().size(), 1u);
    const CHtmlDrawer::TableRecord& table = probe.Tables()[0];
    EXPECT_EQ(table.columnWidths.size(), 1000u);
    EXPECT_EQ(table.cells[0][0].columnSpan, 1000);
    EXPECT_EQ(table.cells[0][0].rowSpan, 2);
    // Two different tables measured in turn: the second gets a grid of its own.
    DrawMarkup(drawer, canvas, "<table><tr><td width=5></td></tr></table>");
    ASSERT_EQ(probe.Tables().size(), 1u);
    EXPECT_EQ(Widths(probe.Tables()[0]), std::vector<int>{9});
}

TEST(CHtmlDrawerTables, BackgroundsAndBordersCoverTheirRectangles) {
    CHtmlDrawer drawer;
    DibCanvas canvas(40, 20);
    DrawMarkup(drawer, canvas,
               "<table cellspacing=1 cellpadding=0 bgcolor=blue><tr><td width=10 height=4 bgcolor=red></td>"
               "<td width=5></td></tr></table>");
    EXPECT_EQ(canvas.Count(kRed), 10 * 4);
    EXPECT_EQ(canvas.Count(kBlue), 19 * 6 - 10 * 4);
    EXPECT_EQ(canvas.Pixel(1, 1), kRed);
    EXPECT_EQ(canvas.Pixel(10, 4), kRed);
    EXPECT_EQ(canvas.Pixel(11, 1), kBlue);
    EXPECT_EQ(canvas.Bounds(kWhite).right, 19);

    // The table's border around the cell's, one pixel in: outlines of 9 x 7 and 7 x 5 pixels.
    canvas.Fill(kWhite);
    DrawMarkup(drawer, canvas,
               "<table border=1 cellspacing=0 cellpadding=0 bordercolor=green><tr><td width=4 height=2></td></tr></table>");
    EXPECT_EQ(canvas.Count(kGreen), (2 * 9 + 2 * 7 - 4) + (2 * 7 + 2 * 5 - 4));
    EXPECT_EQ(canvas.Pixel(8, 6), kGreen);
    EXPECT_EQ(canvas.Pixel(2, 2), kWhite);

    // A cell beyond the grid is not drawn; a free column takes the width the rectangle has over.
    canvas.Fill(kWhite);
    DrawMarkup(drawer, canvas,
               "<table cellspacing=0 cellpadding=0><tr><td rowspan=2 width=3></td><td width=4></td></tr>"
               "<tr><td width=5></td><td width=6 height=6 bgcolor=red></td></tr></table>");
    EXPECT_EQ(canvas.Count(kRed), 0);
    canvas.Fill(kWhite);
    SIZE size;
    drawer.PrepareOutput(canvas.Dc(), "<table cellspacing=0 cellpadding=0><tr><td width=4 height=3 bgcolor=red></td>"
                                      "<td height=3 bgcolor=blue></td></tr></table>", size);
    drawer.DrawPreparedOutput(canvas.Dc(), RECT{0, 0, 30, 10});
    EXPECT_EQ(canvas.Count(kRed), 4 * 3);
    EXPECT_EQ(canvas.Count(kBlue), 25 * 3) << "one pixel between the cells";
}
}  // namespace
