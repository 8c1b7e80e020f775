#include "OrvServiceManager/LogReading.h"
#include "common/AppData.h"
#include "common/Clock.h"
#include "common/Exception.h"
#include "common/Log.h"
#include "support/TestSupport.h"
#include <gtest/gtest.h>
#include <atomic>
#include <thread>

namespace {
CTime InJanuary() { return CTime(2024, 1, 15, 10, 0, 0); }

class LogReadingTest : public ::testing::Test {
protected:
    void SetUp() override {
        AppData::SetDataFolderForTesting(scratch_.File("data"));
        Clock::SetSource(&InJanuary);
    }
    void TearDown() override {
        Clock::SetSource(nullptr);
        AppData::SetDataFolderForTesting("");
    }
    void Append(const std::string& bytes) {
        testing_support::WriteFileBytes(Path(), testing_support::ReadFileBytes(Path()) + bytes);
    }
    CString Path() const { return scratch_.File("some.log"); }
    std::vector<CString> Read(ULONGLONG& offset, const CString& path = CString()) {
        std::vector<CString> lines;
        ReadNewLines(path.IsEmpty() ? Path() : path, offset, lines, offset);
        return lines;
    }

    testing_support::ScratchFolder scratch_;
};
}  // namespace

TEST_F(LogReadingTest, ThePreviousMonthOfJanuaryIsDecemberOfTheYearBefore) {
    std::vector<CString> paths = {"stale"};
    GetPreviousMonthLogPaths(paths);
    EXPECT_EQ(std::vector<CString>{scratch_.File("data\\Logs\\2023-12.log")}, paths);
}

TEST_F(LogReadingTest, LinesWrittenWhileReadingAreReadExactlyOnce) {
    const CString path = Log::GetCurrentLogFilePath();
    const int count = 300;
    std::atomic<bool> done{false};
    std::thread writer([&] {
        for (int i = 0; i < count; ++i) Log::Write(("line " + std::to_string(i)).c_str());
        done = true;
    });
    std::vector<CString> all;
    ULONGLONG offset = 0;
    for (bool last = false; !last;) {
        last = done;  // one more pass after the writer ended
        if (GetFileLength(path) == offset) continue;
        std::vector<CString> lines = Read(offset, path);
        all.insert(all.end(), lines.begin(), lines.end());
    }
    writer.join();
    ASSERT_EQ(static_cast<size_t>(count), all.size());
    for (int i = 0; i < count; ++i) EXPECT_EQ(CString("2024 Jan 15, 10:00  line " + std::to_string(i)), all[i]);
}

TEST_F(LogReadingTest, AnUnfinishedLineWaitsAndAShrunkFileRestartsAtItsEnd) {
    ULONGLONG offset = 42;
    EXPECT_TRUE(Read(offset).empty());  // no file yet
    EXPECT_EQ(42u, offset);
    EXPECT_EQ(0u, GetFileLength(Path()));
    Append("first\r\nsec");
    offset = 0;
    EXPECT_EQ(std::vector<CString>{"first"}, Read(offset));
    Append("ond\r\nthird\n");
    EXPECT_EQ((std::vector<CString>{"second", "third"}), Read(offset));
    EXPECT_EQ(GetFileLength(Path()), offset);
    testing_support::WriteFileBytes(Path(), "new\r\n");
    EXPECT_TRUE(Read(offset).empty());
    EXPECT_EQ(5u, offset);
    Append("later\r\n");
    EXPECT_EQ(std::vector<CString>{"later"}, Read(offset));
}

TEST_F(LogReadingTest, AWriterHoldingTheFileIsWaitedForBrieflyThenReported) {
    Append("line\r\n");
    ScopedHandle held = testing_support::HoldExclusively(Path());
    std::thread release([&] {
        Sleep(30);
        held.Reset();
    });
    ULONGLONG offset = 0;
    EXPECT_EQ(std::vector<CString>{"line"}, Read(offset));
    release.join();
    held = testing_support::HoldExclusively(Path());
    ASSERT_TRUE(held.IsValid());
    EXPECT_EQ(0u, GetFileLength(Path()));
    offset = 0;
    EXPECT_THROW(Read(offset), Exception);
}
