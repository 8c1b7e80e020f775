// Times the text view as the Logs page uses it (log colouring, no margin) over a service log of
// 200,000 and of 20,000 lines, in a visible window of 80 x 50 chars: a full repaint, one page
// scrolled, ScrollIntoView to the last line (from the top; the first time with nothing cached
// printed apart), and 200 lines appended with the scroll to the end. Median of 20 of each, in
// milliseconds.
#include "controls/texteditor/TextBuffer.h"
#include "controls/texteditor/TextView.h"
#include "tests/support/ToolSupport.h"
#include "tests/support/ServiceLogText.h"
#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {
using testing_support::NowMs;
using testing_support::PumpMessages;
const int kRepeats = 20, kAppendLines = 200;

// The median of the timed step, each run after its untimed preparation.
double Median(const std::function<void()>& prepare, const std::function<void()>& step) {
    std::vector<double> times;
    for (int i = 0; i < kRepeats; ++i) {
        prepare();
        PumpMessages();
        const double start = NowMs();
        step();
        times.push_back(NowMs() - start);
    }
    std::sort(times.begin(), times.end());
    return (times[kRepeats / 2 - 1] + times[kRepeats / 2]) / 2;
}

struct Figures {
    double repaint, page, intoViewCold, intoView, append;
};

Figures Measure(int lines) {
    const std::string log = testing_support::MakeServiceLog(lines);
    // The lines appended later, in the same format.
    const std::string more = testing_support::MakeServiceLog(kAppendLines);
    CWnd frame;
    frame.CreateEx(0, nullptr, "Text view benchmark", WS_POPUP | WS_VISIBLE, 0, 0, 1200, 1000, nullptr, nullptr);
    CTextBuffer buffer;
    buffer.LoadFromString(log.c_str(), -1);
    CTextView view;
    view.Create(nullptr, "Editor", WS_CHILD | WS_VISIBLE, CRect(0, 0, 100, 100), &frame, 1);
    view.SetMarginVisible(FALSE);
    view.SetParserKind(CTextView::ParserLog);
    view.AttachBuffer(&buffer);
    CRect window, client;
    view.GetWindowRect(&window);
    view.GetClientRect(&client);
    view.MoveWindow(0, 0, view.GetMarginWidth() + 80 * view.GetCharWidth() + window.Width() - client.Width(),
                    50 * view.GetLineHeight() + window.Height() - client.Height());
    PumpMessages();
    const int last = buffer.GetLineCount() - 1;

    Figures f;
    view.ScrollToLine(0);
    PumpMessages();
    double start = NowMs();
    view.ScrollIntoView(CPoint(0, last));
    f.intoViewCold = NowMs() - start;
    f.repaint = Median([] {}, [&] {
        view.Invalidate(FALSE);
        view.UpdateWindow();
    });
    int direction = SB_PAGEDOWN;
    f.page = Median([&] { direction = view.GetTopLine() > 1000 ? SB_PAGEUP : SB_PAGEDOWN; },
                    [&] { view.SendMessage(WM_VSCROLL, direction); });
    f.intoView = Median([&] { view.ScrollToLine(0); }, [&] { view.ScrollIntoView(CPoint(0, last)); });
    f.append = Median([&] { view.ScrollIntoView(view.GetCursorPos()); }, [&] {
        view.AppendText(more.c_str());
        view.ScrollIntoView(view.GetCursorPos());
    });
    view.DestroyWindow();
    buffer.ReleaseAll();
    frame.DestroyWindow();
    return f;
}
}  // namespace

int main() {
    const Figures big = Measure(200000), small = Measure(20000);
    std::printf("text view, log colouring, 80 x 50 chars; median of %d, ms  %12s %12s\n", kRepeats, "200,000 lines",
                "20,000 lines");
    std::printf("%-58s %12.2f %12.2f\n", "full repaint", big.repaint, small.repaint);
    std::printf("%-58s %12.2f %12.2f\n", "one page scrolled (page down or up, repainted)", big.page, small.page);
    std::printf("%-58s %12.2f %12.2f\n", "ScrollIntoView to the last line from the top", big.intoView, small.intoView);
    std::printf("%-58s %12.2f %12.2f\n", "  the same the first time, nothing cached (once)", big.intoViewCold,
                small.intoViewCold);
    std::printf("%-58s %12.2f %12.2f\n", "200 lines appended and scrolled to the end", big.append, small.append);
    return 0;
}
