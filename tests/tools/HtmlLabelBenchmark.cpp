// Measures and draws, into a memory DC, the Tasks page's three status texts and a table of 100
// rows and 5 columns with links, as the HTML label does at each paint (one measuring and one
// drawing pass). Prints the first pass, then the median, fastest and slowest of the repeats, and
// the process's GDI objects before and after the repeats. HtmlLabelBenchmark [REPEATS]
#include "controls/htmllabel/HtmlDrawer.h"
#include <windows.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {
double Now() {
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

DWORD GdiObjects() { return GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS); }

// Where GetGuiResources answers 0 (Wine), the objects the process could still make tell the same:
// a pass that keeps objects leaves fewer.
int FreeGdiSlots() {
    std::vector<HBITMAP> made;
    while (made.size() < 200000) {
        HBITMAP bitmap = CreateBitmap(1, 1, 1, 1, nullptr);
        if (!bitmap) break;
        made.push_back(bitmap);
    }
    for (HBITMAP bitmap : made) DeleteObject(bitmap);
    return static_cast<int>(made.size());
}

int Ink(const DWORD* pixels, size_t count) {
    int ink = 0;
    for (size_t i = 0; i < count; ++i) ink += (pixels[i] & 0xFFFFFF) != 0xFFFFFF;
    return ink;
}

CString Table() {
    CString table = "<table border=1 cellpadding=2 cellspacing=0>";
    for (int row = 1; row <= 100; ++row) {
        CString line;
        line.Format("<tr><td><a href=\"file:///C:/Sites/site%d.orv\">Task%d</a></td><td>Periodical</td>"
                    "<td>every 24 hours</td><td><font color=red>Normal priority</font></td>"
                    "<td><a msg=\"edit %d\">Edit</a></td></tr>",
                    row, row, row);
        table += line;
    }
    return table + "</table>";
}

// One paint's work: the measuring pass and the drawing pass.
void Paint(CHtmlDrawer& drawer, HDC dc, const CString& markup) {
    SIZE size = {0, 0};
    drawer.PrepareOutput(dc, markup, size);
    const RECT output = {0, 0, size.cx, size.cy};
    drawer.DrawPreparedOutput(dc, output);
}
}  // namespace

int main(int argc, char** argv) {
    const int repeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = 800;
    info.bmiHeader.biHeight = -2400;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    ScopedBitmap section(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    ScopedDC dc(CreateCompatibleDC(nullptr));
    if (!section || !dc) {
        std::printf("no memory DC\n");
        return 1;
    }
    HGDIOBJ old = SelectObject(dc.Get(), section.Get());

    struct Case {
        const char* name;
        CString markup;
        int maxWidth;
    } cases[] = {
        {"status: plain", "To add a new task click New. To modify a task select it and click Edit.", 560},
        {"status: red", "<font color=red>You cannot modify tasks while the service is running.</font>", 560},
        {"status: red bold", "<font color=red><b>Unable to retrieve the service status.</b></font>", 560},
        {"table 100 x 5 with links", Table(), 800},
    };
    std::printf("%-26s %9s %9s %9s %9s %14s %16s %8s\n", "markup", "first ms", "median", "min", "max",
                "GDI objects", "free GDI slots", "ink px");
    const size_t pixels = 800u * 2400u;
    for (Case& c : cases) {
        CHtmlDrawer drawer;
        drawer.SetMaxWidth(c.maxWidth);
        std::fill(static_cast<DWORD*>(bits), static_cast<DWORD*>(bits) + pixels, 0xFFFFFFu);
        double start = Now();
        Paint(drawer, dc.Get(), c.markup);
        const double first = Now() - start;
        const DWORD before = GdiObjects();
        const int slotsBefore = FreeGdiSlots();
        std::vector<double> times;
        for (int i = 0; i < repeats; ++i) {
            start = Now();
            Paint(drawer, dc.Get(), c.markup);
            times.push_back(Now() - start);
        }
        const DWORD after = GdiObjects();
        const int slotsAfter = FreeGdiSlots();
        GdiFlush();
        std::sort(times.begin(), times.end());
        std::printf("%-26s %9.3f %9.3f %9.3f %9.3f %6lu -> %-5lu %7d -> %-7d %8d\n", c.name, first,
                    times[times.size() / 2], times.front(), times.back(), static_cast<unsigned long>(before),
                    static_cast<unsigned long>(after), slotsBefore, slotsAfter,
                    Ink(static_cast<const DWORD*>(bits), pixels));
    }
    SelectObject(dc.Get(), old);
    return 0;
}
