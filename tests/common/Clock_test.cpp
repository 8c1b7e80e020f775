#include "common/Clock.h"
#include <gtest/gtest.h>

namespace {
CTime FixedNow() { return CTime(2024, 3, 7, 9, 5, 0); }
}  // namespace

TEST(ClockTest, ASetSourceReplacesTheSystemClockUntilCleared) {
    const CTime before = CTime::GetCurrentTime();
    Clock::SetSource(&FixedNow);
    EXPECT_EQ(FixedNow(), Clock::Now());
    Clock::SetSource(nullptr);
    const CTime now = Clock::Now();
    EXPECT_LE(before, now);
    EXPECT_LE(now, CTime::GetCurrentTime());
}
