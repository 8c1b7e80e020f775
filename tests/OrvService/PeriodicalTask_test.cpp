#include "OrvService/PeriodicalTask.h"
#include "OrvService/TaskTestSupport.h"

using task_test::DueRuleTest;

namespace {
class PeriodicalTaskTest : public DueRuleTest {
protected:
    void SetUp() override {
        DueRuleTest::SetUp();
        Set("Type", "Periodical");
        Set("OrvPath", "C:\\Sites\\site.orv");
        SetInt("Interval", 24);
    }
    bool DueAt(int month, int day, int hour, int minute, int second) {
        At(2024, month, day, hour, minute, second);
        return PeriodicalTask(ini_.GetPath(), "Task1").IsDue();
    }
};
}  // namespace

TEST_P(PeriodicalTaskTest, ANeverRunTaskIsDue) {
    EXPECT_TRUE(DueAt(3, 8, 9, 5, 0));
    Set("LastRun", "nonsense");
    EXPECT_TRUE(DueAt(3, 8, 9, 5, 0));
}

TEST_P(PeriodicalTaskTest, DueOnlyOnceMoreThanTheIntervalHasPassed) {
    Set("LastRun", "2024:3:7;9:5");
    EXPECT_FALSE(DueAt(3, 7, 9, 6, 0));
    EXPECT_FALSE(DueAt(3, 8, 9, 4, 59));
    EXPECT_FALSE(DueAt(3, 8, 9, 5, 0));
    EXPECT_TRUE(DueAt(3, 8, 9, 5, 1));
    EXPECT_TRUE(DueAt(4, 20, 0, 0, 0));
}

TEST_P(PeriodicalTaskTest, ALastRunAfterNowMeansTheClockWentBack) {
    Set("LastRun", "2024:3:7;9:5");
    EXPECT_TRUE(DueAt(3, 7, 9, 4, 59));
    EXPECT_TRUE(DueAt(3, 1, 0, 0, 0));
}

TEST_P(PeriodicalTaskTest, ARunStartedThisMinuteIsNotStartedAgain) {
    // The run began at 09:05:00 and its generator ended within the same second.
    At(2024, 3, 7, 9, 5, 0);
    PeriodicalTask task(ini_.GetPath(), "Task1");
    ASSERT_TRUE(task.IsDue());
    task.SetLastRun(Clock::Now());
    EXPECT_FALSE(task.IsDue());
    EXPECT_FALSE(DueAt(3, 7, 9, 5, 59));
}

TEST_P(PeriodicalTaskTest, LongIntervalsDoNotOverflow) {
    // 700000 hours are more seconds than 32 bits hold.
    SetInt("Interval", 700000);
    Set("LastRun", "2024:3:7;9:5");
    PeriodicalTask task(ini_.GetPath(), "Task1");
    EXPECT_EQ(700000LL, task.GetInterval().GetTotalHours());
    At(2024, 3, 7, 10, 5, 0);
    EXPECT_FALSE(task.IsDue());
    At(2037, 12, 31, 0, 0, 0);
    EXPECT_FALSE(task.IsDue());
}

TEST_P(PeriodicalTaskTest, IntervalMustBePositive) {
    SetInt("Interval", 0);
    EXPECT_EQ("Incorrect interval value.", LoadFailure<PeriodicalTask>());
    SetInt("Interval", -3);
    EXPECT_EQ("Incorrect interval value.", LoadFailure<PeriodicalTask>());
    ini_.WriteString("", "Task1", "Interval");
    EXPECT_EQ("Incorrect interval value.", LoadFailure<PeriodicalTask>());
    // The base's keys are looked at first.
    Set("Priority", "/s9");
    EXPECT_EQ("Error: Incorrect priority identifier.", LoadFailure<PeriodicalTask>());
}

TEST_P(PeriodicalTaskTest, DescriptionNamesKindIntervalAndDocument) {
    PeriodicalTask task(ini_.GetPath(), "Task1");
    EXPECT_EQ(CString("Periodical (every 24 hours), site.orv"), task.GetDescription());
    EXPECT_EQ(CString("Task1"), task.GetName());
}

INSTANTIATE_TEST_SUITE_P(Zones, PeriodicalTaskTest, task_test::Zones());
