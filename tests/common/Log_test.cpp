#include "common/AppData.h"
#include "common/Clock.h"
#include "common/DirUtils.h"
#include "common/Exception.h"
#include "common/Log.h"
#include "support/TestSupport.h"
#include <gtest/gtest.h>
#include <regex>

using testing_support::ReadFileBytes;

namespace {
CTime g_now;
CTime FakeNow() { return g_now; }

class LogTest : public ::testing::Test {
protected:
    void SetUp() override {
        AppData::SetDataFolderForTesting(scratch_.File("data"));
        Clock::SetSource(&FakeNow);
    }
    void TearDown() override {
        Clock::SetSource(nullptr);
        AppData::SetDataFolderForTesting("");
    }
    std::string LogBytes(const char* name) { return ReadFileBytes(scratch_.File("data\\Logs\\") + name); }

    testing_support::ScratchFolder scratch_;
};
}  // namespace

TEST(LogNameTest, NamesCarryYearAndTwoDigitMonth) {
    EXPECT_EQ(CString("2024-03.log"), Log::GetLogFileName(2024, 3));
    EXPECT_EQ(CString("2024-11.log"), Log::GetLogFileName(2024, 11));
    EXPECT_EQ(CString("1999-10.log"), Log::GetLogFileName(1999, 10));
}

TEST(LogNameTest, ParseAcceptsOnlyLogFileNames) {
    int year = 0, month = 0;
    EXPECT_TRUE(Log::ParseLogFileName("2024-03.log", year, month));
    EXPECT_EQ(2024, year);
    EXPECT_EQ(3, month);
    EXPECT_TRUE(Log::ParseLogFileName("2038-12.txt", year, month));  // the extension is not looked at
    EXPECT_EQ(2038, year);
    EXPECT_EQ(12, month);
    const char* refused[] = {"2024-3.log", "1969-12.log", "2039-01.log", "2024-13.log", "2024-00.log",
                             "202-403.log", "2024-03.logx", "", "abcd-ef.log"};
    for (const char* name : refused) EXPECT_FALSE(Log::ParseLogFileName(name, year, month)) << name;
}

TEST(LogNameTest, ExpiryCountsWholeMonthsStrictlyAboveTheLimit) {
    EXPECT_TRUE(Log::IsLogFileExpired(2024, 3, 2023, 12, 2));
    EXPECT_FALSE(Log::IsLogFileExpired(2024, 3, 2024, 1, 2));
    EXPECT_FALSE(Log::IsLogFileExpired(2024, 3, 2024, 3, 2));
    EXPECT_FALSE(Log::IsLogFileExpired(2024, 3, 2024, 5, 2));  // a file from the future stays
    EXPECT_TRUE(Log::IsLogFileExpired(2024, 1, 2023, 10, 2));
    EXPECT_FALSE(Log::IsLogFileExpired(2024, 1, 2023, 11, 2));
}

TEST(LogNameTest, PreviousMonthStepsOverTheYearAndRefusesDatesOutOfRange) {
    const int cases[][4] = {{2024, 1, 2023, 12}, {2024, 3, 2024, 2}, {2038, 12, 2038, 11}, {1970, 1, 1969, 12}};
    for (const auto& c : cases) {
        int year = c[0], month = c[1];
        Log::GetPreviousMonth(year, month);
        EXPECT_EQ(c[2], year);
        EXPECT_EQ(c[3], month);
    }
    const int refused[][2] = {{1969, 12}, {2039, 1}, {2024, 0}, {2024, 13}};
    for (const auto& r : refused) {
        int year = r[0], month = r[1];
        EXPECT_THROW(Log::GetPreviousMonth(year, month), Exception) << r[0] << "-" << r[1];
    }
}

TEST_F(LogTest, LinesHaveTheTimeTwoBlanksTheMessageAndCrLf) {
    g_now = CTime(2024, 3, 7, 9, 5, 42);
    EXPECT_EQ(CString("2024-03.log"), Log::GetCurrentLogFileName());
    EXPECT_EQ(scratch_.File("data\\Logs\\2024-03.log"), Log::GetCurrentLogFilePath());
    Log::Write("Service started successfully.");
    g_now = CTime(2024, 3, 17, 23, 59, 59);
    Log::Write("Task1 started.");
    std::regex expected("2024 Mar 07, 09:05  Service started successfully\\.\r\n"
                        "2024 Mar 17, 23:59  Task1 started\\.\r\n");
    std::string bytes = LogBytes("2024-03.log");
    EXPECT_TRUE(std::regex_match(bytes, expected)) << bytes;
}

TEST_F(LogTest, ALineGoesToTheFileOfTheMonthItIsWrittenIn) {
    g_now = CTime(2024, 1, 31, 23, 59, 30);
    Log::Write("last of January");
    g_now = CTime(2024, 2, 1, 0, 0, 10);
    EXPECT_EQ(CString("2024-02.log"), Log::GetCurrentLogFileName());
    Log::Write("first of February");
    EXPECT_EQ("2024 Jan 31, 23:59  last of January\r\n", LogBytes("2024-01.log"));
    EXPECT_EQ("2024 Feb 01, 00:00  first of February\r\n", LogBytes("2024-02.log"));
}

TEST_F(LogTest, AReaderOfTheFileDoesNotCostALine) {
    g_now = CTime(2024, 3, 7, 9, 5, 0);
    Log::Write("one");
    CString path = Log::GetCurrentLogFilePath();
    // The way a viewer holds the file open while the service goes on writing.
    HANDLE reader = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, reader);
    Log::Write("two");
    char buffer[256] = "";
    DWORD read = 0;
    EXPECT_TRUE(ReadFile(reader, buffer, sizeof(buffer) - 1, &read, nullptr));
    CloseHandle(reader);
    EXPECT_EQ("2024 Mar 07, 09:05  one\r\n2024 Mar 07, 09:05  two\r\n", std::string(buffer, read));
}

TEST_F(LogTest, AFailedWriteIsSwallowed) {
    // A file stands where the data folder should be made.
    testing_support::WriteFileBytes(scratch_.File("blocker"), "x");
    AppData::SetDataFolderForTesting(scratch_.File("blocker\\data"));
    g_now = CTime(2024, 3, 7, 9, 5, 0);
    EXPECT_NO_THROW(Log::Write("lost"));
    EXPECT_FALSE(DirUtils::Exists(scratch_.File("blocker\\data")));
}
