// Times the text editor control as the Logs page drives it: read-only, no margin, log colouring,
// in a visible window of 80 x 50 chars. SetText(""), then two months of log (200,000 lines)
// appended, then 100 refreshes of 50 new lines each with the scroll to the end, each followed by
// the repaint. Two ways of appending: one AppendText and ScrollIntoView per line (the page's
// AppendLine), and one of each per refresh. Both must end with the same text, cursor and top line.
// Beside them the buffer's baseline from the same run (the text split into std::strings) and the
// memory the control holds.
//   TextEditorBenchmark [LINES]   (the lines of the per-line load: 200,000 by default, which takes long)
#include "controls/texteditor/TextBuffer.h"
#include "controls/texteditor/TextEditorCtrl.h"
#include "tests/support/ToolSupport.h"
#include "tests/support/ServiceLogText.h"
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

COUNT_ALLOCATIONS()

namespace {
using testing_support::NowMs;
using testing_support::PumpMessages;
const int kLines = 200000, kRefreshes = 100, kRefreshLines = 50;

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    for (size_t at = 0; at < text.size();) {
        const size_t end = text.find("\r\n", at);
        lines.emplace_back(text, at, end - at);
        at = end + 2;
    }
    return lines;
}

// The buffer's baseline: the same text split into strings; the memory they hold in megabytes.
double Baseline(const std::string& text, double& megabytes) {
    const long long before = testing_support::LiveBytes();
    const double start = NowMs();
    const std::vector<std::string> lines = SplitLines(text);
    const double elapsed = NowMs() - start;
    megabytes = (testing_support::LiveBytes() - before) / 1048576.0;
    return lines.empty() ? 0 : elapsed;
}

struct Run {
    double load = 0, refreshMedian = 0, refreshP90 = 0, refreshMax = 0, megabytes = 0;
    std::string text;
    int topLine = 0;
    CPoint cursor;
    int lines = 0;
};

// The control in its window, as the Logs page sets it up.
class Editor {
public:
    Editor() {
        frame_.CreateEx(0, nullptr, "Text editor benchmark", WS_POPUP | WS_VISIBLE, 0, 0, 1200, 1000, nullptr,
                        nullptr);
        ctrl.SetParserKind(CTextView::ParserLog);
        ctrl.Create(nullptr, "Editor", WS_CHILD | WS_VISIBLE, CRect(0, 0, 100, 100), &frame_, 104);
        ctrl.SetReadOnly(TRUE);
        ctrl.SetMarginVisible(FALSE);
        CRect window, client;
        ctrl.GetWindowRect(&window);
        ctrl.GetClientRect(&client);
        ctrl.MoveWindow(0, 0, 1 + 80 * ctrl.GetCharWidth() + window.Width() - client.Width(),
                        50 * ctrl.GetLineHeight() + window.Height() - client.Height());
        PumpMessages();
    }
    ~Editor() {
        ctrl.DestroyWindow();
        frame_.DestroyWindow();
    }
    // The page's AppendLine for each line.
    void AppendLines(const std::vector<std::string>& lines, size_t from, size_t count) {
        for (size_t i = from; i < from + count; ++i) {
            ctrl.AppendText((lines[i] + "\r\n").c_str());
            ctrl.ScrollIntoView(CPoint(0, ctrl.GetLineCount() - 1));
        }
    }
    // One append and one scroll for the lot.
    void AppendBlock(const std::vector<std::string>& lines, size_t from, size_t count) {
        std::string block;
        for (size_t i = from; i < from + count; ++i) block.append(lines[i]).append("\r\n");
        ctrl.AppendText(block.c_str());
        ctrl.ScrollIntoView(CPoint(0, ctrl.GetLineCount() - 1));
    }

    CTextEditorCtrl ctrl;

private:
    CWnd frame_;
};

Run Measure(const std::vector<std::string>& lines, size_t loadLines, bool perLine) {
    Run run;
    const long long before = testing_support::LiveBytes();
    Editor editor;
    const long long windowBytes = testing_support::LiveBytes() - before;
    auto append = [&](size_t from, size_t count) {
        if (perLine)
            editor.AppendLines(lines, from, count);
        else
            editor.AppendBlock(lines, from, count);
    };
    double start = NowMs();
    editor.ctrl.SetText("");
    append(0, loadLines);
    PumpMessages();
    run.load = NowMs() - start;
    std::vector<double> refreshes;
    for (int r = 0; r < kRefreshes; ++r) {
        start = NowMs();
        append(loadLines + static_cast<size_t>(r) * kRefreshLines, kRefreshLines);
        PumpMessages();
        refreshes.push_back(NowMs() - start);
    }
    std::sort(refreshes.begin(), refreshes.end());
    run.refreshMedian = (refreshes[kRefreshes / 2 - 1] + refreshes[kRefreshes / 2]) / 2;
    run.refreshP90 = refreshes[kRefreshes * 9 / 10];
    run.refreshMax = refreshes.back();
    run.megabytes = (testing_support::LiveBytes() - before - windowBytes) / 1048576.0;
    CString text;
    editor.ctrl.GetText(text);
    run.text = text.str();
    run.topLine = editor.ctrl.GetTopLine();
    run.cursor = editor.ctrl.GetCursorPos();
    run.lines = editor.ctrl.GetLineCount();
    return run;
}

void Print(const char* name, const Run& run, size_t lines, double baseline) {
    std::printf("%-27s load %8.1f ms (%6.1fx the baseline)  refresh median %6.2f, 90%% %6.2f, max %6.2f ms  "
                "memory %5.1f MB\n",
                name, run.load, run.load / baseline, run.refreshMedian, run.refreshP90, run.refreshMax, run.megabytes);
    std::printf("%-27s %zu lines loaded, then %d x %d; ends with %d lines, top line %d, cursor (%ld, %ld)\n", "",
                lines, kRefreshes, kRefreshLines, run.lines, run.topLine, run.cursor.x, run.cursor.y);
}
}  // namespace

int main(int argc, char** argv) {
    const size_t perLineLoad = argc > 1 ? static_cast<size_t>(std::atoi(argv[1])) : kLines;
    const std::string log = testing_support::MakeServiceLog(kLines + kRefreshes * kRefreshLines);
    const std::vector<std::string> lines = SplitLines(log);
    std::string loaded;
    for (int i = 0; i < kLines; ++i) loaded.append(lines[i]).append("\r\n");

    std::vector<double> baselines;
    double baselineMegabytes = 0;
    for (int i = 0; i < 5; ++i) baselines.push_back(Baseline(loaded, baselineMegabytes));
    std::sort(baselines.begin(), baselines.end());
    const double baseline = baselines[2];
    std::printf("log: %d lines, %.1f MB; buffer baseline (the same text split into std::strings, median of 5): "
                "%.1f ms, memory %.1f MB\n",
                kLines, loaded.size() / 1048576.0, baseline, baselineMegabytes);

    const Run block = Measure(lines, kLines, false);
    Print("one AppendText per refresh", block, kLines, baseline);
    const size_t load = std::min<size_t>(perLineLoad, kLines);
    const Run perLine = Measure(lines, load, true);
    Print("one AppendText per line", perLine, load, baseline);
    // The same lines both ways must give the same text and scroll position.
    const Run same = load == static_cast<size_t>(kLines) ? block : Measure(lines, load, false);
    const bool equal = same.text == perLine.text && same.topLine == perLine.topLine && same.cursor == perLine.cursor;
    std::printf("with %zu lines loaded, the two ways end %s\n", load,
                equal ? "with the same text, cursor and top line" : "DIFFERENTLY");
    return equal ? 0 : 1;
}
