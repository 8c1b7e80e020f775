#include "common/DirUtils.h"
#include "common/Exception.h"
#include "common/ProcessRunner.h"
#include "classlib/HandleOwner.h"
#include "support/TestSupport.h"
#include <gtest/gtest.h>

namespace {
CString ExitWith(const char* arguments) {
    CString line;
    line.Format("\"%s\" %s", static_cast<LPCSTR>(DirUtils::JoinPath(testing_support::BinFolder(), "ExitWith.exe")),
                arguments);
    return line;
}
}  // namespace

TEST(ProcessRunnerTest, RunAndWaitGivesTheExitCode) {
    EXPECT_EQ(3u, ProcessRunner::RunAndWait(ExitWith("3")));
    EXPECT_EQ(0u, ProcessRunner::RunAndWait(ExitWith("0")));
}

TEST(ProcessRunnerTest, TheProcessIsAskedToHideItsWindow) {
    EXPECT_EQ(static_cast<DWORD>(SW_HIDE), ProcessRunner::RunAndWait(ExitWith("show")));
}

TEST(ProcessRunnerTest, AProcessThatEndsWith259IsSeenToHaveEnded) {
    EXPECT_EQ(259u, ProcessRunner::RunAndWait(ExitWith("259")));
}

TEST(ProcessRunnerTest, RunAndWaitWaitsForAProcessThatRunsAWhile) {
    DWORD before = GetTickCount();
    EXPECT_EQ(5u, ProcessRunner::RunAndWait(ExitWith("5 1500")));
    EXPECT_GE(GetTickCount() - before, 1400u);
}

TEST(ProcessRunnerTest, ARunningProcessIsNotFinished) {
    HANDLE started = INVALID_HANDLE_VALUE;
    ASSERT_TRUE(ProcessRunner::Start(ExitWith("7 1500"), started));
    ScopedHandle process(started);
    EXPECT_TRUE(ProcessRunner::IsValidHandle(process.Get()));
    DWORD code = 0;
    EXPECT_FALSE(ProcessRunner::QueryExitCode(process.Get(), code));
    EXPECT_EQ(static_cast<DWORD>(STILL_ACTIVE), code);
    EXPECT_FALSE(ProcessRunner::IsFinished(process.Get()));
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process.Get(), 30000));
    EXPECT_TRUE(ProcessRunner::QueryExitCode(process.Get(), code));
    EXPECT_EQ(7u, code);
    EXPECT_TRUE(ProcessRunner::IsFinished(process.Get()));
}

TEST(ProcessRunnerTest, AProgramThatCannotStartIsReported) {
    HANDLE process = INVALID_HANDLE_VALUE;
    EXPECT_FALSE(ProcessRunner::Start("\"C:\\no\\such\\program.exe\" x", process));
    EXPECT_EQ(INVALID_HANDLE_VALUE, process);
    EXPECT_FALSE(ProcessRunner::IsValidHandle(process));
    try {
        ProcessRunner::RunAndWait("\"C:\\no\\such\\program.exe\"");
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_STREQ("Unable to run application.", e.GetFullMessage());
    }
}

TEST(ProcessRunnerTest, AFailedQueryReadsAsEndedWithMinusOne) {
    // An event is no process: the query fails.
    ScopedHandle notAProcess(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    DWORD code = 0;
    EXPECT_TRUE(ProcessRunner::QueryExitCode(notAProcess.Get(), code));
    EXPECT_EQ(static_cast<DWORD>(-1), code);
}
