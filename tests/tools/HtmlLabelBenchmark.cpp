// Measures and draws, into a memory DC, the Tasks page's three status texts and a table of 100
// rows and 5 columns with links, as the HTML label does at each paint (one measuring and one
// drawing pass). Prints the first pass, then the median, fastest and slowest of the repeats, and
// the process's GDI objects before and after the repeats. HtmlLabelBenchmark [REPEATS]
#include "controls/htmllabel/HtmlDrawer.h"
#include "support/DibCanvas.h"
#include "support/ToolSupport.h"
#include <windows.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

using testing_support::DibCanvas;
using testing_support::NowMs;

namespace {
DWORD GdiObjects() { return GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS); }

// Where GetGuiResources answers 0 (Wine), the objects the process could still make tell the same:
// a pass that keeps objects leaves fewer.
int FreeGdiSlots() { return static_cast<int>(testing_support::GdiHandleReserve(0).Held()); }

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
    const int width = 800, height = 2400;
    DibCanvas canvas(width, height);
    if (!canvas.IsValid()) {
        std::printf("no memory DC\n");
        return 1;
    }

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
    for (Case& c : cases) {
        CHtmlDrawer drawer;
        drawer.SetMaxWidth(c.maxWidth);
        canvas.Fill(RGB(255, 255, 255));
        double start = NowMs();
        Paint(drawer, canvas.Dc(), c.markup);
        const double first = NowMs() - start;
        const DWORD before = GdiObjects();
        const int slotsBefore = FreeGdiSlots();
        std::vector<double> times;
        for (int i = 0; i < repeats; ++i) {
            start = NowMs();
            Paint(drawer, canvas.Dc(), c.markup);
            times.push_back(NowMs() - start);
        }
        const DWORD after = GdiObjects();
        const int slotsAfter = FreeGdiSlots();
        GdiFlush();
        std::sort(times.begin(), times.end());
        std::printf("%-26s %9.3f %9.3f %9.3f %9.3f %6lu -> %-5lu %7d -> %-7d %8d\n", c.name, first,
                    times[times.size() / 2], times.front(), times.back(), static_cast<unsigned long>(before),
                    static_cast<unsigned long>(after), slotsBefore, slotsAfter,
                    width * height - canvas.Count(RGB(255, 255, 255)));
    }
    return 0;
}
