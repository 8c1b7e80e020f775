#include "classlib/CTime.h"
#include "support/TestSupport.h"
#include <gtest/gtest.h>
#include <climits>
#include <cstdlib>
#include <string>

using testing_support::RunSelf;
using testing_support::TimeZoneScope;

namespace {
// The C runtime takes its daylight-saving rules from the zone the process started in, so the
// checks that need them run in a copy of this program started with TZ set.
bool InDaylightChild() {
    const char* v = std::getenv("ORV_TEST_DAYLIGHT_CHILD");
    return v && *v;
}
}  // namespace

TEST(CTimeTest, ZeroTimeMeansNever) {
    CTime never;
    EXPECT_EQ(0, never.GetTime());
    EXPECT_EQ(CTime(0), never);
    EXPECT_LT(never, CTime::GetCurrentTime());
}

TEST(CTimeTest, LocalFieldsAndDayOfWeekStartingOnSunday) {
    CTime t(2024, 3, 7, 9, 5, 30);  // a Thursday
    EXPECT_EQ(2024, t.GetYear());
    EXPECT_EQ(3, t.GetMonth());
    EXPECT_EQ(7, t.GetDay());
    EXPECT_EQ(9, t.GetHour());
    EXPECT_EQ(5, t.GetMinute());
    EXPECT_EQ(30, t.GetSecond());
    EXPECT_EQ(5, t.GetDayOfWeek());
    EXPECT_EQ(1, CTime(2024, 3, 10, 12, 0, 0).GetDayOfWeek());  // Sunday
    EXPECT_EQ(7, CTime(2024, 3, 9, 12, 0, 0).GetDayOfWeek());   // Saturday
}

TEST(CTimeTest, UnrepresentableLocalTimesGiveTheZeroTime) {
    TimeZoneScope zone("CET-1CEST");
    EXPECT_EQ(0, CTime(1969, 12, 31, 23, 59, 59).GetTime());
    EXPECT_EQ(0, CTime(1970, 1, 1, 0, 30, 0).GetTime());  // before the epoch east of UTC
    EXPECT_EQ(0, CTime(1601, 1, 1, 0, 0, 0).GetTime());
    EXPECT_EQ(0, CTime(0, 0, 0, 0, 0, 0).GetTime());
    EXPECT_EQ(0, CTime(-5, 1, 1, 0, 0, 0).GetTime());
    EXPECT_EQ(0, CTime(99999, 1, 1, 0, 0, 0).GetTime());
    EXPECT_EQ(0, CTime(INT_MIN, INT_MIN, INT_MIN, INT_MIN, INT_MIN, INT_MIN).GetTime());
    EXPECT_NO_THROW(CTime(INT_MAX, INT_MAX, INT_MAX, INT_MAX, INT_MAX, INT_MAX));
    EXPECT_NO_THROW(CTime(2024, INT_MAX, INT_MAX, INT_MAX, INT_MAX, INT_MAX));
    EXPECT_EQ(CTime(1970, 1, 1, 2, 0, 0).GetTime(), 3600);
}

TEST(CTimeTest, FieldsOfTimesTheLibraryCannotConvertDoNotAbort) {
    for (__time64_t raw : {static_cast<__time64_t>(-1), static_cast<__time64_t>(-100000), LLONG_MIN, LLONG_MAX}) {
        CTime t(raw);
        struct tm fields;
        EXPECT_FALSE(t.GetLocalTm(&fields)) << raw;
        EXPECT_NO_THROW(t.GetYear());
        EXPECT_NO_THROW(t.GetDayOfWeek());
        EXPECT_EQ(CString(""), t.Format("%Y")) << raw;
    }
}

TEST(CTimeTest, NormalisesDaysPastTheMonthEnd) {
    CTime t(2023, 2, 31, 10, 0, 0);
    EXPECT_NE(0, t.GetTime());
    EXPECT_EQ(3, t.GetMonth());
    EXPECT_EQ(3, t.GetDay());
}

TEST(CTimeTest, FormatKeepsEnglishNamesAndGrowsForLongTexts) {
    CTime t(2024, 3, 7, 9, 5, 0);
    EXPECT_EQ(CString("2024 Mar 07, 09:05"), t.Format("%Y %b %d, %H:%M"));
    EXPECT_EQ(CString("Thursday March"), t.Format("%A %B"));
    EXPECT_EQ(CString(""), t.Format(""));
    EXPECT_EQ(CString(""), t.Format(nullptr));
    std::string longFormat(3000, 'x');
    longFormat += "%Y";
    CString longText = t.Format(longFormat.c_str());
    EXPECT_EQ(3004, longText.GetLength());
    EXPECT_EQ(CString("2024"), longText.Right(4));
}

TEST(CTimeTest, ZoneOffsetFromTz) {
    TimeZoneScope zone("EST5EDT");
    CTime winter(2024, 1, 15, 12, 0, 0);
    EXPECT_EQ(12, winter.GetHour());
    EXPECT_EQ(17, (winter.GetTime() % 86400) / 3600);  // noon local is 17:00 UTC in winter
}

TEST(CTimeTest, DaylightSavingChecksRunInAChildStartedInTheZone) {
    if (InDaylightChild()) GTEST_SKIP() << "this is the child";
    EXPECT_EQ(0u, RunSelf("--gtest_filter=CTimeDaylightChild.*",
                          {{"TZ", "EST5EDT"}, {"ORV_TEST_DAYLIGHT_CHILD", "1"}}));
}

TEST(CTimeDaylightChild, DaylightFlagIsLeftToTheSystem) {
    if (!InDaylightChild()) GTEST_SKIP() << "runs in the child only";
    CTime summer(2024, 7, 15, 12, 0, 0);
    EXPECT_EQ(12, summer.GetHour());
    EXPECT_EQ(16, (summer.GetTime() % 86400) / 3600);  // noon EDT is 16:00 UTC
    EXPECT_EQ(17, (CTime(2024, 1, 15, 12, 0, 0).GetTime() % 86400) / 3600);
    // The day clocks go forward has 23 hours, the day they go back 25.
    EXPECT_EQ(23, (CTime(2024, 3, 11, 0, 0, 0) - CTime(2024, 3, 10, 0, 0, 0)).GetTotalHours());
    EXPECT_EQ(25, (CTime(2024, 11, 4, 0, 0, 0) - CTime(2024, 11, 3, 0, 0, 0)).GetTotalHours());
}

TEST(CTimeSpanTest, SixtyFourBitSpansAndArithmetic) {
    CTimeSpan big(30000, 0, 0, 0);
    EXPECT_EQ(2592000000LL, big.GetTotalSeconds());
    EXPECT_EQ(720000, big.GetTotalHours());
    EXPECT_EQ(43200000, big.GetTotalMinutes());
    EXPECT_EQ(30000, big.GetDays());

    CTimeSpan s(1, 2, 3, 4);
    EXPECT_EQ(93784, s.GetTotalSeconds());
    EXPECT_EQ(2, s.GetHours());
    EXPECT_EQ(3, s.GetMinutes());
    EXPECT_EQ(4, s.GetSeconds());
    EXPECT_EQ(26, s.GetTotalHours());
    EXPECT_EQ(-3600, CTimeSpan(0, -1, 0, 0).GetTotalSeconds());

    CTime start(2024, 1, 1, 0, 0, 0);
    CTime later = start + CTimeSpan(0, 48, 0, 1);
    EXPECT_EQ(CTimeSpan(172801), later - start);
    EXPECT_EQ(start, later - CTimeSpan(172801));
    EXPECT_GT((later - start).GetTotalHours(), 47);
    CTime moved = start;
    moved += CTimeSpan(0, 0, 10, 0);
    moved -= CTimeSpan(0, 0, 0, 1);
    EXPECT_EQ(599, (moved - start).GetTotalSeconds());
    EXPECT_TRUE(start < later && later > start && start <= start && start >= start && start != later);
    // Past 2038: a 32-bit time would have wrapped here.
    CTime farAhead = CTime(2037, 12, 31, 0, 0, 0) + CTimeSpan(400, 0, 0, 0);
    EXPECT_EQ(2039, farAhead.GetYear());
}
