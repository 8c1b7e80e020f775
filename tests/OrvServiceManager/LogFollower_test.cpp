#include "OrvServiceManager/LogFollower.h"
#include "common/AppData.h"
#include "common/Clock.h"
#include "common/Exception.h"
#include "support/ManagerTestSupport.h"
#include <gtest/gtest.h>

using testing_support::WriteFileBytes;

namespace {
CTime g_now;
CTime Now() { return g_now; }

class LogFollowerTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_now = CTime(2024, 3, 10, 12, 0, 0);
        Clock::SetSource(&Now);
        AppData::GetLogsFolder();  // made by the first use
    }
    void TearDown() override { Clock::SetSource(nullptr); }
    CString LogFile(const char* name) const { return data_.LogFile(name); }
    void Append(const char* name, const std::string& bytes) { data_.AppendToLog(name, bytes); }
    // What the view shows after applying the change the way the page does.
    void Apply(const LogFollower::Change& change) {
        if (change.rebuilt) shown_.clear();
        shown_ += change.text;
    }

    testing_support::ManagerDataScope data_;
    LogFollower follower_;
    std::string shown_;
};
}  // namespace

TEST_F(LogFollowerTest, ThePreviousMonthThenTheCurrentOneThenOnlyWhatWasAdded) {
    LogFollower::Change first = follower_.Refresh();  // no files yet
    EXPECT_TRUE(first.rebuilt);
    EXPECT_EQ("", first.text);

    Append("2024-02.log", "feb 1\r\nfeb 2\r\n");
    Append("2024-03.log", "mar 1\r\n");
    follower_ = LogFollower();
    Apply(follower_.Refresh());
    EXPECT_EQ("feb 1\r\nfeb 2\r\nmar 1\r\n", shown_);

    LogFollower::Change unchanged = follower_.Refresh();
    EXPECT_FALSE(unchanged.rebuilt);
    EXPECT_EQ("", unchanged.text);

    // What one refresh finds comes as one piece; a line still being written waits for its end.
    Append("2024-03.log", "mar 2\r\nmar 3\r\nmar 4 (half");
    LogFollower::Change added = follower_.Refresh();
    EXPECT_FALSE(added.rebuilt);
    EXPECT_EQ("mar 2\r\nmar 3\r\n", added.text);
    Apply(added);
    Append("2024-03.log", ")\r\n");
    Apply(follower_.Refresh());
    EXPECT_EQ("feb 1\r\nfeb 2\r\nmar 1\r\nmar 2\r\nmar 3\r\nmar 4 (half)\r\n", shown_);
}

TEST_F(LogFollowerTest, AMonthChangeOrAShrunkFileShowsBothMonthsAfresh) {
    Append("2024-02.log", "feb\r\n");
    Append("2024-03.log", "mar 1\r\nmar 2\r\n");
    Apply(follower_.Refresh());

    // The current file replaced by a shorter one: its first lines are not lost.
    WriteFileBytes(LogFile("2024-03.log"), "new\r\n");
    LogFollower::Change shrunk = follower_.Refresh();
    EXPECT_TRUE(shrunk.rebuilt);
    Apply(shrunk);
    EXPECT_EQ("feb\r\nnew\r\n", shown_);

    // April: March is now the previous month, and April's file is read from its start once the
    // service makes it.
    g_now = CTime(2024, 4, 1, 0, 1, 0);
    Apply(follower_.Refresh());
    EXPECT_EQ("new\r\n", shown_);
    Append("2024-04.log", "apr\r\n");
    LogFollower::Change april = follower_.Refresh();
    EXPECT_FALSE(april.rebuilt);
    Apply(april);
    EXPECT_EQ("new\r\napr\r\n", shown_);
    EXPECT_EQ(LogFile("2024-04.log"), follower_.GetCurrentPath());
}

TEST_F(LogFollowerTest, AFileThatCannotBeReadIsReadLaterWithoutLossOrRepeat) {
    Append("2024-03.log", "one\r\n");
    Apply(follower_.Refresh());
    Append("2024-03.log", "two\r\n");
    {
        // Reported, not taken for a file emptied by its replacement.
        ScopedHandle held = testing_support::HoldExclusively(LogFile("2024-03.log"));
        EXPECT_THROW(follower_.Refresh(), Exception);
    }
    Apply(follower_.Refresh());
    EXPECT_EQ("one\r\ntwo\r\n", shown_);
}
