// Measures and draws, into a memory DC, the Tasks page's three status texts and a table of 100
// rows and 5 columns with links, as the HTML label does at each paint (one measuring and one
// drawing pass). Prints the first pass, then the median, fastest and slowest of the repeats, and
// the process's GDI objects before and after the repeats.
//
// Then hostile markup, each case in a process of its own (so that a crash or a hang is reported
// rather than ending the run, and the memory peak is the case's own): a long paragraph, a long
// word, deeply nested tables, a huge table tiled with a 1 x 1 picture, a huge font and others.
// For each, the measuring and the drawing pass of the first paint and the growth of the peak
// working set and of the peak private bytes over what the process held before the paint.
//   HtmlLabelBenchmark [REPEATS [TIMEOUT_S [CASE]]]   (CASE: that hostile case alone, from 0)
#include "controls/htmllabel/HtmlDrawer.h"
#include "support/DibCanvas.h"
#include "support/ToolSupport.h"
#include <windows.h>
#include <psapi.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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

CString Repeated(const char* part, int times) {
    CString text;
    for (int i = 0; i < times; ++i) text += part;
    return text;
}

struct HostileCase {
    const char* name;
    int maxWidth;
    CString (*markup)();
    int tabWidth;  // 0: the drawer's own
};

const HostileCase kHostileCases[] = {
    {"100 KB paragraph, width 300", 300, [] { return Repeated("lorem ipsum dolor sit amet, ", 100 * 1024 / 28); }, 0},
    {"10 KB word, width 5", 5, [] { return Repeated("x", 10 * 1024); }, 0},
    {"5,000 nested tables", 800, [] { return Repeated("<table><tr><td>", 5000) + "deep"; }, 0},
    {"32,767 px table, 1 x 1 tile", 800,
     [] {
         return "<table background=\"file:" + testing_support::WriteOnePixelFile("OrvLabelTile.bmp", 0x00C08040) +
                "\"><tr><td width=32767 height=32767>x</td></tr></table>";
     },
     0},
    {"<font size=32767>", 800, [] { return CString("<font size=32767>W</font>"); }, 0},
    {"16,000 px cell, noise texture", 800,
     [] { return CString("<table><tr><td width=16000 height=16000 bgeffect=noise>x</td></tr></table>"); },
     0},
    {"1,000 rows x colspan 1,000 (9 KB)", 800,
     [] { return "<table><tr><td colspan=1000>x</td></tr>" + Repeated("<tr><td>y</td></tr>", 480) + "</table>"; },
     0},
    {"70,000 tabs of 32,767 px", 0, [] { return Repeated("<t=1000>", 70) + "x"; }, 32767},
};
const int kHostileCount = static_cast<int>(sizeof(kHostileCases) / sizeof(kHostileCases[0]));

// The process's memory counters (the programs target an older system than the one that exports
// the call from kernel32, so it is looked up); zero where it is missing.
PROCESS_MEMORY_COUNTERS MemoryCounters() {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof(counters);
    using Query = BOOL(WINAPI*)(HANDLE, PROCESS_MEMORY_COUNTERS*, DWORD);
    static const Query query =
        reinterpret_cast<Query>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "K32GetProcessMemoryInfo")));
    if (query) query(GetCurrentProcess(), &counters, sizeof(counters));
    return counters;
}

double Megabytes(SIZE_T bytes) { return bytes / (1024.0 * 1024.0); }

// One hostile case, in this process: one paint, its two passes timed, and the memory it took.
int RunHostileCase(int index) {
    const HostileCase& c = kHostileCases[index];
    const CString markup = c.markup();
    DibCanvas canvas(800, 2400);
    CHtmlDrawer drawer;
    drawer.SetMaxWidth(c.maxWidth);
    if (c.tabWidth > 0) drawer.SetTabSize(c.tabWidth);
    const PROCESS_MEMORY_COUNTERS before = MemoryCounters();
    double start = NowMs();
    SIZE size = {0, 0};
    drawer.PrepareOutput(canvas.Dc(), markup, size);
    const double measured = NowMs() - start;
    start = NowMs();
    const RECT output = {0, 0, size.cx, size.cy};
    drawer.DrawPreparedOutput(canvas.Dc(), output);
    GdiFlush();
    const double drawn = NowMs() - start;
    const PROCESS_MEMORY_COUNTERS after = MemoryCounters();
    std::printf("%-36s %7d KB %10.1f %10.1f %10.1f %9.1f %9.1f %6ld x %-6ld\n", c.name, markup.GetLength() / 1024,
                measured, drawn, measured + drawn,
                Megabytes(after.PeakWorkingSetSize > before.WorkingSetSize ? after.PeakWorkingSetSize - before.WorkingSetSize : 0),
                Megabytes(after.PeakPagefileUsage > before.PagefileUsage ? after.PeakPagefileUsage - before.PagefileUsage : 0),
                static_cast<long>(size.cx), static_cast<long>(size.cy));
    std::fflush(stdout);
    return 0;
}

// Each hostile case in a process of its own, given at most the timeout.
void RunHostileCases(DWORD timeoutMs, int only) {
    std::printf("\n%-36s %10s %10s %10s %10s %9s %9s %15s\n", "hostile markup", "text", "measure ms", "draw ms",
                "total ms", "peak WS MB", "private MB", "measured size");
    std::fflush(stdout);
    char self[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    for (int i = 0; i < kHostileCount; ++i) {
        if (only >= 0 && i != only) continue;
        CString commandLine;
        commandLine.Format("\"%s\" --case %d", self, i);
        // The child's line comes through a pipe: a child that dies says nothing, and is reported.
        SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
        HANDLE readEnd = nullptr, writeEnd = nullptr;
        if (!CreatePipe(&readEnd, &writeEnd, &inherit, 1 << 16)) continue;
        SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
        STARTUPINFOA startup = {};
        startup.cb = sizeof(startup);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = startup.hStdError = writeEnd;
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        PROCESS_INFORMATION process = {};
        const BOOL started = CreateProcessA(self, commandLine.GetBuffer(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                            &startup, &process);
        CloseHandle(writeEnd);
        if (!started) {
            CloseHandle(readEnd);
            std::printf("%-36s could not start\n", kHostileCases[i].name);
            continue;
        }
        CloseHandle(process.hThread);
        if (WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_TIMEOUT) {
            TerminateProcess(process.hProcess, 1);
            WaitForSingleObject(process.hProcess, INFINITE);
            std::printf("%-36s over %lu s: stopped\n", kHostileCases[i].name, timeoutMs / 1000);
        } else {
            DWORD code = 0;
            if (!GetExitCodeProcess(process.hProcess, &code)) code = GetLastError();
            char output[4096] = "";
            DWORD got = 0, waiting = 0;
            if (PeekNamedPipe(readEnd, nullptr, 0, nullptr, &waiting, nullptr) && waiting > 0)
                ReadFile(readEnd, output, std::min<DWORD>(waiting, sizeof(output) - 1), &got, nullptr);
            output[got] = '\0';
            if (got > 0) std::fputs(output, stdout);
            if (code != 0 || got == 0) std::printf("%-36s crashed: exit code 0x%08lX\n", kHostileCases[i].name, code);
        }
        CloseHandle(readEnd);
        std::fflush(stdout);
        CloseHandle(process.hProcess);
    }
}
}  // namespace

int main(int argc, char** argv) {
    if (argc > 2 && std::strcmp(argv[1], "--case") == 0) {
        const int index = std::atoi(argv[2]);
        return index >= 0 && index < kHostileCount ? RunHostileCase(index) : 2;
    }
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
    std::fflush(stdout);
    RunHostileCases(static_cast<DWORD>(argc > 2 ? std::max(1, std::atoi(argv[2])) : 120) * 1000,
                    argc > 3 ? std::atoi(argv[3]) : -1);
    return 0;
}
