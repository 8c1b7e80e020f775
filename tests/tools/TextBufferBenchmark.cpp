// Builds a text buffer from two months of a busy service log (200,000 lines, about 13 MB, in the
// log's own line format) in two ways: one LoadFromString, and 1,000 appends of 200 lines as the
// Logs page makes them, with a view attached that moves its positions at each change. Prints each
// beside a baseline, splitting the same text into a std::vector<std::string>, and the memory each
// buffer takes.
#include "controls/texteditor/TextBuffer.h"
#include "tests/support/ToolSupport.h"
#include "tests/support/ServiceLogText.h"
#include <windows.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

COUNT_ALLOCATIONS()

namespace {
using testing_support::NowMs;
const int kLines = 200000, kAppends = 1000, kRepeats = 9;

std::string MakeLog() { return testing_support::MakeServiceLog(kLines); }

double Baseline(const std::string& text) {
    const double start = NowMs();
    std::vector<std::string> lines;
    for (size_t at = 0;;) {
        const size_t end = text.find("\r\n", at);
        lines.emplace_back(text, at, end == std::string::npos ? std::string::npos : end - at);
        if (end == std::string::npos) break;
        at = end + 2;
    }
    return NowMs() - start;
}

// Moves a cursor, a selection and a top line at every change, as a view does.
class MovingView : public TextBufferView {
public:
    void UpdateView(TextBufferView*, CUpdateContext* context, DWORD, int line) override {
        for (CPoint& p : points)
            if (context) context->RecalcPoint(p);
        lastLine = line;
    }
    void OnTextEdited(int, const char*) override {}
    CPoint points[4];
    int lastLine = -1;
};

// Builds the buffer one way; answers the milliseconds.
double Build(CTextBuffer& buffer, const std::string& text, const std::vector<std::string>& chunks, bool append,
             MovingView& view) {
    const double start = NowMs();
    if (!append) {
        buffer.LoadFromString(text.c_str(), -1);
    } else {
        buffer.LoadFromString("", -1);
        buffer.AddView(&view);
        for (const std::string& chunk : chunks) {
            const int line = buffer.GetLineCount() - 1;
            int endLine = 0, endChar = 0;
            buffer.BeginUndoGroup(FALSE);
            buffer.InsertText(&view, line, buffer.GetLineLength(line), chunk.c_str(), endLine, endChar, 4);
            buffer.FlushUndoGroup(&view);
        }
        buffer.RemoveView(&view);
    }
    return NowMs() - start;
}

int RunOneWay(bool append) {
    const std::string text = MakeLog();
    std::vector<std::string> chunks;
    for (size_t at = 0, n = 0; n < kAppends; ++n) {
        size_t end = at;
        for (int k = 0; k < kLines / kAppends; ++k) end = text.find("\r\n", end) + 2;
        chunks.push_back(text.substr(at, end - at));
        at = end;
    }
    const long long before = testing_support::LiveBytes();
    std::vector<double> times, baselines;
    bool same = true;
    double memory = 0;
    int lastLine = 0;
    for (int r = 0; r < kRepeats; ++r) {
        CTextBuffer buffer;
        MovingView view;
        times.push_back(Build(buffer, text, chunks, append, view));
        if (r == 0) {
            memory = (testing_support::LiveBytes() - before) / 1048576.0;
            CString back;
            buffer.GetText(back, 0, FALSE);
            same = back.str() == text;
            lastLine = view.lastLine;
        }
        buffer.ReleaseAll();
        baselines.push_back(Baseline(text));  // beside each build, so both see the same machine
    }
    std::sort(times.begin(), times.end());
    std::sort(baselines.begin(), baselines.end());
    const double baseline = baselines[kRepeats / 2];
    const double megabytes = text.size() / 1048576.0;
    std::printf("%-27s %7.1f ms (baseline %6.1f ms, %4.1fx)  memory %5.1f MB = %.2fx the text%s\n",
                append ? "1,000 appends of 200 lines" : "one LoadFromString", times[kRepeats / 2], baseline,
                times[kRepeats / 2] / baseline, memory, memory / megabytes, same ? "" : "  TEXT DIFFERS");
    if (append) std::printf("%27s the last append told the views from line %d on\n", "", lastLine);
    return same ? 0 : 1;
}

}  // namespace

int main() {
    std::printf("text: %d lines, %.1f MB; median of %d builds, memory after the first\n", kLines,
                MakeLog().size() / 1048576.0, kRepeats);
    return RunOneWay(false) | RunOneWay(true);
}
