#include "common/Exception.h"
#include "common/IniFile.h"
#include "common/Task.h"
#include "support/TestSupport.h"
#include <gtest/gtest.h>

namespace {
// The smallest concrete task: the base's behaviour is what is under test.
class PlainTask : public Task {
public:
    PlainTask(const CString& path, const CString& section) : Task(path, section) {}
    bool IsDue() override { return false; }
    CString GetDescription() override { return "plain"; }
};

class TaskTest : public ::testing::Test {
protected:
    TaskTest() : ini_(scratch_.File("tasks.ini")) {}
    void Set(const char* key, const char* value) { ini_.WriteString(value, "Task3", key); }
    std::string LoadFailure() {
        try {
            PlainTask task(ini_.GetPath(), "Task3");
        } catch (const Exception& e) {
            return e.GetFullMessage();
        }
        return "loaded";
    }

    testing_support::ScratchFolder scratch_;
    IniFile ini_;
};
}  // namespace

TEST_F(TaskTest, ReadsPriorityAndTrimmedDocumentPath) {
    Set("OrvPath", "  C:\\a.orv\t ");
    PlainTask task(ini_.GetPath(), "Task3");
    EXPECT_EQ(CString("/s2"), task.GetPriority());
    EXPECT_EQ(CString("C:\\a.orv"), task.GetOrvPath());
    EXPECT_EQ(CString("Task3"), task.GetName());
    EXPECT_EQ(INVALID_HANDLE_VALUE, task.GetProcessHandle());
    Set("Priority", "/s3");
    EXPECT_EQ(CString("/s3"), PlainTask(ini_.GetPath(), "Task3").GetPriority());
}

TEST_F(TaskTest, RefusesBadPriorityBeforeLookingAtThePath) {
    Set("Priority", "/S2");
    Set("OrvPath", "C:\\a.orv");
    EXPECT_EQ("Error: Incorrect priority identifier.", LoadFailure());
    Set("Priority", "/s4");
    Set("OrvPath", "");
    EXPECT_EQ("Error: Incorrect priority identifier.", LoadFailure());
    Set("Priority", "/s1");
    Set("OrvPath", "   ");
    EXPECT_EQ("Error: Orv document path is empty.", LoadFailure());
}

TEST_F(TaskTest, RefusesADocumentPathThatWouldBreakItsQuotes) {
    Set("OrvPath", "C:\\a.orv\" /evil");
    EXPECT_EQ("Error: Orv document path contains a double quote.", LoadFailure());
    // Quoted on a command line, a closing backslash escapes the closing quote, and the
    // generator's own switches become part of the document's name.
    Set("OrvPath", "C:\\Sites\\");
    EXPECT_EQ("Error: Orv document path ends with a backslash.", LoadFailure());
    Set("OrvPath", "C:\\Sites\\ \t");
    EXPECT_EQ("Error: Orv document path ends with a backslash.", LoadFailure());
    Set("OrvPath", "C:\\Sites\\site.orv");
    EXPECT_EQ("loaded", LoadFailure());
}

TEST_F(TaskTest, LastRunIsKeptInTheFileToTheMinute) {
    Set("OrvPath", "C:\\a.orv");
    PlainTask task(ini_.GetPath(), "Task3");
    EXPECT_EQ(CTime(), task.GetLastRun());
    task.SetLastRun(CTime(2024, 3, 7, 9, 5, 42));
    EXPECT_EQ(CString("2024:3:7;9:5"), ini_.ReadString("Task3", "LastRun", ""));
    EXPECT_EQ(CTime(2024, 3, 7, 9, 5, 0), task.GetLastRun());
    // A second object on the same section sees the same last run.
    EXPECT_EQ(CTime(2024, 3, 7, 9, 5, 0), PlainTask(ini_.GetPath(), "Task3").GetLastRun());
    Set("LastRun", "garbage");
    EXPECT_EQ(CTime(), task.GetLastRun());
}

TEST_F(TaskTest, AProcessHandleStillHeldIsClosedWithTheTask) {
    Set("OrvPath", "C:\\a.orv");
    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE copy = nullptr;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), event, GetCurrentProcess(), &copy, 0, FALSE,
                                DUPLICATE_SAME_ACCESS));
    CloseHandle(event);
    {
        PlainTask task(ini_.GetPath(), "Task3");
        task.SetProcessHandle(copy);
        EXPECT_EQ(copy, task.GetProcessHandle());
    }
    DWORD flags = 0;
    EXPECT_FALSE(GetHandleInformation(copy, &flags));
}
