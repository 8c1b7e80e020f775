#include "OrvServiceManager/PageTimer.h"
#include "support/GuiTestSupport.h"
#include <gtest/gtest.h>
#include <stdexcept>

using namespace testing_support;

namespace {
Watchdog watchdog(60);

const UINT_PTR kId = 7;

// A page without a window gets no timer from the system; one with a window does.
TEST(PageTimerTest, StartWarnsOnceWithTheManagersCaptionOnlyWhenNoTimerCameBack) {
    const struct {
        bool window;
        BOOL started;
    } cases[] = {{true, TRUE}, {false, FALSE}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.window ? "with a window" : "without a window");
        MessageBoxRecorder boxes;
        CWnd page;
        if (c.window) {
            ASSERT_TRUE(page.CreateEx(0, nullptr, "page", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
        }
        PageTimer timer(kId, 5000);
        EXPECT_EQ(c.started, timer.Start(page, "Unable to set up logs updating."));
        if (c.started) {
            EXPECT_TRUE(boxes.Boxes().empty());
        } else {
            ASSERT_EQ(1u, boxes.Boxes().size());
            EXPECT_EQ(CString("Unable to set up logs updating."), boxes.Boxes()[0].text);
            EXPECT_EQ(CString("Orvanti Service Manager"), boxes.Boxes()[0].caption);
            EXPECT_EQ(static_cast<UINT>(MB_ICONEXCLAMATION), boxes.Boxes()[0].type);
        }
        if (c.window) page.DestroyWindow();
    }
}

// A tick of its own timer refreshes once, keeps the refresh's exception, and sets the timer again.
TEST(PageTimerTest, OnlyItsOwnTickRefreshesAndTheTimerIsSetAgainAfterIt) {
    const struct {
        UINT_PTR tick;
        bool throws;
        int refreshes;
    } cases[] = {{kId, false, 1}, {kId, true, 1}, {kId + 1, false, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.tick));
        MessageBoxRecorder boxes;
        CWnd page;
        ASSERT_TRUE(page.CreateEx(0, nullptr, "page", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
        PageTimer timer(kId, 5000);
        ASSERT_TRUE(timer.Start(page, "no timer"));
        int refreshes = 0;
        EXPECT_NO_THROW(timer.Tick(page, c.tick, [&] {
            ++refreshes;
            if (c.throws) throw std::runtime_error("refresh failed");
        }));
        EXPECT_EQ(c.refreshes, refreshes);
        // The timer is there to be killed only when it was set (again).
        EXPECT_TRUE(::KillTimer(page.m_hWnd, kId));
        EXPECT_TRUE(boxes.Boxes().empty());
        page.DestroyWindow();
    }
}
}  // namespace
