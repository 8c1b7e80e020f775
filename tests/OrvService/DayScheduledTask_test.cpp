#include "OrvService/DayScheduledTask.h"
#include "OrvService/TaskTestSupport.h"

using task_test::DueRuleTest;

namespace {
// Week-day numbers: 1 = Sunday.
const int kSunday = 1, kMonday = 2, kTuesday = 3, kSaturday = 7;

// In March 2024 the 4th is a Monday, the 9th a Saturday and the 10th a Sunday.
class DayScheduledTaskTest : public DueRuleTest {
protected:
    void SetUp() override {
        DueRuleTest::SetUp();
        Set("Type", "DayScheduled");
        Set("OrvPath", "C:\\Sites\\site.orv");
    }
    void Schedule(std::initializer_list<int> days, int hour, int minutes) {
        SetInt("DaysCount", static_cast<int>(days.size()));
        int n = 0;
        for (int day : days) {
            CString key;
            key.Format("Day%d", ++n);
            SetInt(key, day);
        }
        SetInt("Hour", hour);
        SetInt("Minutes", minutes);
    }
    bool DueAt(int day, int hour, int minute, int second = 0) {
        At(2024, 3, day, hour, minute, second);
        return DayScheduledTask(ini_.GetPath(), "Task1").IsDue();
    }
};
}  // namespace

TEST_P(DayScheduledTaskTest, DueFromTheMinuteAfterTheStartForSixHours) {
    Schedule({kMonday}, 10, 0);
    EXPECT_FALSE(DueAt(4, 9, 59));
    EXPECT_FALSE(DueAt(4, 10, 0, 59));
    EXPECT_TRUE(DueAt(4, 10, 1, 0));
    EXPECT_TRUE(DueAt(4, 15, 59, 59));
    EXPECT_FALSE(DueAt(4, 16, 0));
    EXPECT_FALSE(DueAt(5, 10, 30));  // Tuesday
    EXPECT_FALSE(DueAt(11, 9, 0));   // the next Monday, before the start
    EXPECT_TRUE(DueAt(11, 10, 1));
}

TEST_P(DayScheduledTaskTest, AStartLateInTheDayCarriesPastMidnight) {
    Schedule({kMonday}, 23, 30);
    Set("LastRun", "2024:3:4;10:0");
    EXPECT_TRUE(DueAt(5, 0, 10));   // m0 = 40
    EXPECT_TRUE(DueAt(5, 5, 29));
    EXPECT_FALSE(DueAt(5, 5, 30));  // m0 = 360
    Set("LastRun", "2024:3:4;23:45");
    EXPECT_FALSE(DueAt(5, 0, 10));
}

TEST_P(DayScheduledTaskTest, SundayFollowsSaturday) {
    Schedule({kSaturday}, 22, 0);
    EXPECT_TRUE(DueAt(10, 1, 0));  // m0 = 180
    EXPECT_FALSE(DueAt(10, 4, 0));
    Schedule({kSunday}, 1, 0);
    EXPECT_FALSE(DueAt(9, 23, 0));  // Saturday is the day before Sunday, not after it
}

TEST_P(DayScheduledTaskTest, NotDueAgainInTheWindowOnceItRan) {
    Schedule({kMonday}, 10, 0);
    Set("LastRun", "2024:3:4;10:1");  // started at 10:01:30
    EXPECT_FALSE(DueAt(4, 10, 3, 30));  // m0 = 3, m1 = 2
    EXPECT_FALSE(DueAt(4, 12, 0));
    EXPECT_FALSE(DueAt(4, 15, 59));
    // A week later the old run lies before the start again.
    EXPECT_TRUE(DueAt(11, 10, 5));
}

TEST_P(DayScheduledTaskTest, TheNearestChosenDayCounts) {
    Schedule({kMonday, kTuesday, kTuesday}, 10, 0);
    Set("LastRun", "2024:3:4;10:5");
    // Monday's start lies 1470 minutes back, Tuesday's 30: Tuesday's decides.
    EXPECT_TRUE(DueAt(5, 10, 30));
    DayScheduledTask task(ini_.GetPath(), "Task1");
    EXPECT_EQ((std::vector<int>{kMonday, kTuesday, kTuesday}), task.GetDays());
}

TEST_P(DayScheduledTaskTest, ALastRunAfterNowCountsAsNever) {
    Schedule({kMonday}, 10, 0);
    Set("LastRun", "2024:3:20;10:0");
    EXPECT_TRUE(DueAt(4, 10, 30));
}

TEST_P(DayScheduledTaskTest, ConstructionChecksDaysBeforeTheStartTime) {
    Schedule({kMonday}, 24, 0);
    EXPECT_EQ("Incorrect start time parameter.", LoadFailure<DayScheduledTask>());
    Schedule({kMonday}, 10, 60);
    EXPECT_EQ("Incorrect start time parameter.", LoadFailure<DayScheduledTask>());
    Schedule({kMonday}, -1, 0);
    EXPECT_EQ("Incorrect start time parameter.", LoadFailure<DayScheduledTask>());
    Schedule({kMonday}, 24, 60);
    SetInt("DaysCount", 0);
    EXPECT_EQ("Incorrect number of days.", LoadFailure<DayScheduledTask>());
    Set("OrvPath", "");
    EXPECT_EQ("Error: Orv document path is empty.", LoadFailure<DayScheduledTask>());
}

TEST_P(DayScheduledTaskTest, DescriptionIsUnpadded) {
    Schedule({kMonday}, 9, 5);
    DayScheduledTask task(ini_.GetPath(), "Task1");
    EXPECT_EQ(CString("Day Scheduled (at 9:5), site.orv"), task.GetDescription());
    EXPECT_EQ(9, task.GetHour());
    EXPECT_EQ(5, task.GetMinutes());
}

INSTANTIATE_TEST_SUITE_P(Zones, DayScheduledTaskTest, task_test::Zones());
