// Hostile markup: deep nesting, long runs, huge sizes, large grids and pictures. Each case is
// bounded in what it may cost, counted rather than timed: the characters handed to text
// measurement, the copies of pixels, the largest section made and the heap at its peak.
#include "controls/htmllabel/HtmlDrawer.h"
#include "controls/htmllabel/HtmlDrawerProbe.h"
#include "support/DibCanvas.h"
#include "support/ImportPatch.h"
#include "support/ToolSupport.h"
#include <gtest/gtest.h>

COUNT_ALLOCATIONS()

using testing_support::DibCanvas;
using testing_support::ImportPatch;

namespace {
// What the GDI calls of one paint cost.
struct GdiCost {
    long long measuredCharacters;
    long long copies;
    long long largestSection;  // pixels
};
GdiCost g_cost;
ImportPatch* g_extent;
ImportPatch* g_extentEx;
ImportPatch* g_bitBlt;
ImportPatch* g_section;

BOOL WINAPI CountedExtent(HDC dc, LPCSTR text, int count, LPSIZE size) {
    g_cost.measuredCharacters += count;
    return reinterpret_cast<decltype(&GetTextExtentPoint32A)>(g_extent->Original())(dc, text, count, size);
}
BOOL WINAPI CountedExtentEx(HDC dc, LPCSTR text, int count, int maxExtent, LPINT fit, LPINT widths, LPSIZE size) {
    g_cost.measuredCharacters += count;
    return reinterpret_cast<decltype(&GetTextExtentExPointA)>(g_extentEx->Original())(dc, text, count, maxExtent, fit,
                                                                                      widths, size);
}
BOOL WINAPI CountedBitBlt(HDC dc, int x, int y, int cx, int cy, HDC source, int x1, int y1, DWORD rop) {
    ++g_cost.copies;
    return reinterpret_cast<decltype(&BitBlt)>(g_bitBlt->Original())(dc, x, y, cx, cy, source, x1, y1, rop);
}
HBITMAP WINAPI CountedSection(HDC dc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE file, DWORD offset) {
    if (info) {
        const long long pixels = static_cast<long long>(info->bmiHeader.biWidth) * std::abs(info->bmiHeader.biHeight);
        g_cost.largestSection = std::max(g_cost.largestSection, pixels);
    }
    return reinterpret_cast<decltype(&CreateDIBSection)>(g_section->Original())(dc, info, usage, bits, file, offset);
}

CString Repeated(const char* part, int times) {
    CString text;
    for (int i = 0; i < times; ++i) text += part;
    return text;
}

TEST(CHtmlDrawerHostile, EveryPaintStaysWithinItsBounds) {
    const int kSide = 300;
    const long long kHeapLimit = 16 * 1024 * 1024;
    ScopedBitmap picture(testing_support::MakePicture(2, 2, [](int, int) { return 0x00336699u; }));
    ASSERT_TRUE(picture.IsValid());
    CString name;
    name.Format("HostileTile%lu.bmp", GetCurrentProcessId());
    const CString tile = testing_support::WriteOnePixelFile(name, 0x00C08040);
    CString shadowed;
    shadowed.Format("<bmp handle=0x%X style=s width=2048 height=2048>",
                    static_cast<unsigned>(reinterpret_cast<UINT_PTR>(picture.Get())));

    struct Case {
        const char* name;
        CString markup;
        int maxWidth;
        int tabWidth;                 // 0: the drawer's own
        long long charactersPerByte;  // text measured per byte of markup and pass; 0: not checked
        long long copies;             // BitBlt calls; 0: not checked
        long long sectionPixels;      // the largest section; 0: not checked
        int minWidth, maxWidth_, maxHeight;  // of the measured size; 0: not checked
        size_t maxCells;              // table cells kept; 0: not checked
    } cases[] = {
        // Without a bound on the nesting, layout recursion runs out of stack.
        {"5,000 nested tables", Repeated("<table><tr><td>", 5000) + "deep", 0, 0, 0, 0, 0, 1, 0, 0, 0},
        // Without measuring a run once, each wrapped line measures the whole rest again.
        {"long paragraph", Repeated("lorem ipsum dolor sit amet, ", 700), 120, 0, 4, 0, 0, 1, 121, 0, 0},
        {"long word", Repeated("x", 4000), 5, 0, 4, 0, 0, 1, 6, 0, 0},
        // Open cells: each ends where the next begins instead of holding all the cells after it.
        {"row of open cells", "<table><tr>" + Repeated("<td>x", 3000), 0, 0, 4, 0, 0, 1, 0, 0, 0},
        {"huge font", "<font size=32767>W</font>", 0, 0, 0, 0, 0, 1, 0, 1001, 0},
        // The tile is copied where the canvas shows it, not over 2,000 x 2,000 pixels.
        {"1 x 1 tile over a huge table", "<table background=\"file:" + tile + "\"><tr><td width=2000 height=2000>x</td></tr></table>",
         0, 0, 0, 1000, 0, 1, 0, 0, 0},
        {"texture on a huge cell", "<table><tr><td width=4000 height=4000 bgeffect=noise>x</td></tr></table>", 0, 0, 0,
         0, kSide * kSide, 1, 0, 0, 0},
        // A span of 1,000 columns over 480 rows: a grid of the cells the markup has.
        {"wide spans, many rows", "<table><tr><td colspan=1000>x</td></tr>" + Repeated("<tr><td>y</td></tr>", 480) +
         "</table>", 0, 0, 0, 0, 0, 1, 0, 0, 481},
        {"soft shadow on a large picture", shadowed, 0, 0, 0, 0, 0, 1, 0, 0, 0},
        // Widths that add up beyond an int saturate instead of wrapping round.
        {"70,000 tabs of 32,767 pixels", Repeated("<t=1000>", 70) + "x", 0, 32767, 0, 0, 0, 1000000000, 0, 0, 0},
    };
    ImportPatch extent("gdi32.dll", "GetTextExtentPoint32A", reinterpret_cast<void*>(&CountedExtent));
    ImportPatch extentEx("gdi32.dll", "GetTextExtentExPointA", reinterpret_cast<void*>(&CountedExtentEx));
    ImportPatch bitBlt("gdi32.dll", "BitBlt", reinterpret_cast<void*>(&CountedBitBlt));
    ImportPatch section("gdi32.dll", "CreateDIBSection", reinterpret_cast<void*>(&CountedSection));
    g_extent = &extent;
    g_extentEx = &extentEx;
    g_bitBlt = &bitBlt;
    g_section = &section;
    ASSERT_TRUE(extent.IsActive() && extentEx.IsActive() && bitBlt.IsActive() && section.IsActive());

    for (const Case& c : cases) {
        DibCanvas canvas(kSide, kSide);
        CHtmlDrawer drawer;
        HtmlDrawerProbe probe(drawer);
        if (c.tabWidth) drawer.SetTabSize(c.tabWidth);
        g_cost = GdiCost{};
        testing_support::PeakBytes() = testing_support::LiveBytes();
        const long long heapBefore = testing_support::LiveBytes();
        const SIZE size = DrawMarkup(drawer, canvas, c.markup, c.maxWidth);
        const long long heap = testing_support::PeakBytes() - heapBefore;

        EXPECT_LT(heap, kHeapLimit) << c.name;
        if (c.charactersPerByte) {
            EXPECT_LE(g_cost.measuredCharacters, 2 * c.charactersPerByte * c.markup.GetLength()) << c.name;
        }
        if (c.copies) {
            EXPECT_LE(g_cost.copies, c.copies) << c.name;
        }
        if (c.sectionPixels) {
            EXPECT_LE(g_cost.largestSection, c.sectionPixels) << c.name;
        }
        EXPECT_GE(size.cx, c.minWidth) << c.name;
        if (c.maxWidth_) {
            EXPECT_LE(size.cx, c.maxWidth_) << c.name;
        }
        if (c.maxHeight) {
            EXPECT_LE(size.cy, c.maxHeight) << c.name;
        }
        if (c.maxCells) {
            ASSERT_FALSE(probe.Tables().empty()) << c.name;
            size_t cells = 0;
            for (const auto& row : probe.Tables()[0].cells) cells += row.size();
            EXPECT_LE(cells, c.maxCells) << c.name;
        }
        // (The text after the tabs lies far beyond the canvas.)
        if (c.tabWidth == 0) {
            EXPECT_LT(canvas.Count(RGB(255, 255, 255)), kSide * kSide) << c.name << ": drawn";
        }
    }
    g_extent = g_extentEx = g_bitBlt = g_section = nullptr;
    DeleteFileA(tile);
}
}  // namespace
