#include "classlib/HandleOwner.h"
#include "common/IniFile.h"
#include "common/Exception.h"
#include "support/TestSupport.h"
#include <gtest/gtest.h>
#include <climits>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <thread>

using testing_support::RunSelf;
using testing_support::ScratchFolder;
using testing_support::TimeZoneScope;

namespace {

// The value exactly as the file holds it, without our unescaping.
std::string RawValue(const CString& path, const char* section, const char* key) {
    char buffer[4096] = "";
    GetPrivateProfileStringA(section, key, "<missing>", buffer, sizeof(buffer), path);
    return buffer;
}

// An in-memory section, so the week-day rules can be checked without a file.
class MapReader : public IniReader {
public:
    std::map<std::string, int> ints;
    CString ReadString(const char*, const char* defaultValue) override { return defaultValue; }
    int ReadInt(const char* key, int defaultValue) override {
        auto it = ints.find(key);
        return it == ints.end() ? defaultValue : it->second;
    }
    BOOL WriteString(const char*, const char*) override { return TRUE; }
    BOOL WriteInt(int value, const char* key) override {
        ints[key] = value;
        return TRUE;
    }
    BOOL DeleteKey(const char* key) override { return ints.erase(key) > 0; }
    CString GetSection() override { return "Task1"; }
};

std::string WeekDaysFailure(const IniReaderPtr& reader) {
    std::vector<int> days;
    try {
        GetWeekDays(reader, days);
    } catch (const Exception& e) {
        return e.GetFullMessage();
    }
    return "<no failure>";
}


}  // namespace

// ---- escaping -------------------------------------------------------------------------------

TEST(IniEscapeTest, BackslashesAreDoubledBeforeLineEndsAreEscaped) {
    EXPECT_EQ(CString("C:\\\\Docs\\\\new\\\\report.orv"), EscapeIniValue("C:\\Docs\\new\\report.orv"));
    EXPECT_EQ(CString("a\\r\\nb"), EscapeIniValue("a\r\nb"));
    EXPECT_EQ(CString("\\\\n"), EscapeIniValue("\\n"));
}

TEST(IniEscapeTest, UnescapeRules) {
    EXPECT_EQ(CString("aqb"), UnescapeIniValue("a\\qb"));
    EXPECT_EQ(CString("abc"), UnescapeIniValue("abc\\"));
    EXPECT_EQ(CString("a\\"), UnescapeIniValue("a\\\\"));
    EXPECT_EQ(CString("a\nb\rc"), UnescapeIniValue("a\\nb\\rc"));
    EXPECT_EQ(CString(""), UnescapeIniValue("\\"));
}

TEST(IniEscapeTest, RoundTripsOfAwkwardValues) {
    const char* values[] = {"C:\\Docs\\new\\report.orv", "\\\\server\\share\\", "line1\r\nline2\n", "\\r\\n",
                            "", "plain"};
    for (const char* v : values) EXPECT_EQ(CString(v), UnescapeIniValue(EscapeIniValue(v))) << v;
}

// ---- IniFile on a real file --------------------------------------------------------------------

TEST(IniFileTest, StringsAreStoredEscapedAndReadBackUnchanged) {
    ScratchFolder dir;
    IniFile ini(dir.File("tasks.ini"));
    ini.WriteString("C:\\Docs\\new\\report.orv", "Task1", "OrvPath");
    EXPECT_EQ("C:\\\\Docs\\\\new\\\\report.orv", RawValue(ini.GetPath(), "Task1", "OrvPath"));
    EXPECT_EQ(CString("C:\\Docs\\new\\report.orv"), ini.ReadString("Task1", "OrvPath", ""));

    ini.WriteString("first\r\nsecond", "Task1", "Note");
    EXPECT_EQ("first\\r\\nsecond", RawValue(ini.GetPath(), "Task1", "Note"));
    EXPECT_EQ(CString("first\r\nsecond"), ini.ReadString("Task1", "Note", ""));
}

TEST(IniFileTest, HandWrittenEscapesAreRead) {
    ScratchFolder dir;
    CString path = dir.File("tasks.ini");
    WritePrivateProfileStringA("Task1", "A", "a\\qb", path);
    WritePrivateProfileStringA("Task1", "B", "trailing\\", path);
    IniFile ini(path);
    EXPECT_EQ(CString("aqb"), ini.ReadString("Task1", "A", ""));
    EXPECT_EQ(CString("trailing"), ini.ReadString("Task1", "B", ""));
}

TEST(IniFileTest, DefaultsForMissingFileSectionOrKey) {
    ScratchFolder dir;
    IniFile missing(dir.File("none.ini"));
    EXPECT_EQ(CString(""), missing.ReadString("General", "X", ""));
    EXPECT_EQ(CString("d\\e"), missing.ReadString("General", "X", "d\\\\e"));  // defaults are unescaped too
    EXPECT_EQ(CString(""), missing.ReadString("General", "X", nullptr));
    EXPECT_EQ(0, missing.ReadInt("General", "TasksCount", 0));
    EXPECT_EQ(-7, missing.ReadInt("General", "TasksCount", -7));
}

TEST(IniFileTest, IntegersAndEmptyValues) {
    ScratchFolder dir;
    IniFile ini(dir.File("tasks.ini"));
    ini.WriteInt(-42, "General", "TasksCount");
    EXPECT_EQ("-42", RawValue(ini.GetPath(), "General", "TasksCount"));
    EXPECT_EQ(-42, ini.ReadInt("General", "TasksCount", 0));

    // Hand-written values read as the platform reads them, but a number beyond an int's range
    // gives the nearest int instead of wrapping (4294967298 came back as 2).
    const struct {
        const char* stored;
        int read;
    } values[] = {
        {" 12", 12}, {"+7", 7}, {"12abc", 12}, {"0x1f", 31}, {"0o17", 15}, {"0b11", 3}, {"0X10", 0}, {"abc", 0},
        {"", -9}, {"2147483647", INT_MAX}, {"-2147483648", INT_MIN},
        {"4294967298", INT_MAX}, {"18446744073709551621", INT_MAX}, {"3000000000", INT_MAX},
        {"-4294967298", INT_MIN}, {"0x1FFFFFFFF", INT_MAX},
    };
    for (const auto& v : values) {
        ini.WriteString(v.stored, "Task1", "Interval");
        EXPECT_EQ(v.read, ini.ReadInt("Task1", "Interval", -9)) << v.stored;
    }

    // A null value must not delete the key: it is written as an empty string.
    ini.WriteString("x", "Task1", "LastRun");
    ini.WriteString(nullptr, "Task1", "LastRun");
    EXPECT_EQ("", RawValue(ini.GetPath(), "Task1", "LastRun"));
    EXPECT_EQ(CString(""), ini.ReadString("Task1", "LastRun", "default"));
}

TEST(IniFileTest, LongValuesAreReadWhole) {
    ScratchFolder dir;
    IniFile ini(dir.File("tasks.ini"));
    // Lengths around the first read's buffer, up to the longest value read whole (backslashes
    // alone, each stored doubled).
    for (const std::string& value : {std::string(1023, 'p'), std::string(3000, 'p'),
                                     std::string(kIniValueMaxLength / 2, '\\')}) {
        ini.WriteString(value.c_str(), "Task1", "OrvPath");
        EXPECT_TRUE(value == ini.ReadString("Task1", "OrvPath", "").str()) << value.size();
    }
}

TEST(IniFileTest, EmptySectionRemovesItsKeysOnly) {
    ScratchFolder dir;
    IniFile ini(dir.File("tasks.ini"));
    ini.WriteString("Periodical", "Task1", "Type");
    ini.WriteInt(4, "Task1", "Interval");
    ini.WriteInt(1, "General", "TasksCount");
    ini.EmptySection("Task1");
    EXPECT_EQ("<missing>", RawValue(ini.GetPath(), "Task1", "Type"));
    EXPECT_EQ(0, ini.ReadInt("Task1", "Interval", 0));
    EXPECT_EQ(1, ini.ReadInt("General", "TasksCount", 0));
}

TEST(IniFileTest, WritesReportSuccessAndARefusedFile) {
    ScratchFolder dir;
    IniFile ini(dir.File("tasks.ini"));
    EXPECT_TRUE(ini.WriteString("Periodical", "Task1", "Type"));
    EXPECT_TRUE(ini.WriteInt(2, "Task1", "Interval"));
    EXPECT_TRUE(ini.EmptySection("Task1"));
    {
        // A file another program holds without sharing (tests run as root, so a read-only
        // attribute would not refuse anything under Wine).
        ScopedHandle holder(CreateFileA(ini.GetPath(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(holder.IsValid());
        EXPECT_FALSE(ini.WriteString("Watch", "Task1", "Type"));
        EXPECT_FALSE(ini.WriteInt(3, "Task1", "Interval"));
    }
    EXPECT_EQ(0, ini.ReadInt("Task1", "Interval", 0));
    IniFile inMissingFolder(dir.File("missing\\tasks.ini"));
    EXPECT_FALSE(inMissingFolder.WriteInt(1, "General", "TasksCount"));
}

TEST(IniFileTest, TaskSectionsToLoadAreTheExactNumbersTheFileHoldsInOrderUpToTheCount) {
    struct Case {
        const char* file;
        std::vector<int> toLoad;
    };
    const Case cases[] = {
        {"", {}},
        {"[General]\r\nTasksCount=2147483647\r\n", {}},
        {"[General]\r\nTasksCount=3\r\n[Task1]\r\nType=Watch\r\n[Task3]\r\n", {1, 3}},
        {"[General]\r\nTasksCount=7\r\n[task7]\r\n[TASK2]\r\n[Task7]\r\n", {2, 7}},
        // Not sections a loader would find as Task<N>: a leading zero, a sign, a suffix, no digits.
        {"[General]\r\nTasksCount=9\r\n[Task05]\r\n[Task-3]\r\n[Task4x]\r\n[Task]\r\n[Tasks9]\r\n[Task0]\r\n"
         "[Task2]\r\n",
         {2}},
        {"[General]\r\nTasksCount=2147483647\r\n[Task2147483647]\r\n[Task2147483648]\r\n"
         "[Task99999999999999999999]\r\n[Task1]\r\n",
         {1, 2147483647}},
        {"[General]\r\nTasksCount=2000000\r\n[Task2147483647]\r\n[Task2000000]\r\n[Task1]\r\n", {1, 2000000}},
    };
    for (const Case& c : cases) {
        ScratchFolder dir;
        const CString path = dir.File("tasks.ini");
        testing_support::WriteFileBytes(path, c.file);
        EXPECT_EQ(c.toLoad, TaskSectionsToLoad(IniFile(path))) << c.file;
    }
}

TEST(IniFileTest, TaskSectionNumbersReadASectionListLargerThanOneBuffer) {
    ScratchFolder dir;
    IniFile ini(dir.File("tasks.ini"));
    std::string text;
    for (int n = 1500; n >= 1; --n) text += "[Task" + std::to_string(n) + "]\r\nType=Watch\r\n";
    testing_support::WriteFileBytes(ini.GetPath(), text);
    EXPECT_EQ(1500, TaskSectionNumbers(ini).back());
}

// ---- SafeIniReader -----------------------------------------------------------------------------

namespace {
// True when another thread can take the readers' named mutex: nothing in this process holds it.
// The wait is generous because test programs running beside this one may hold it for a moment.
bool OtherThreadCanLock() {
    bool acquired = false;
    std::thread t([&] {
        HANDLE h = CreateMutexA(nullptr, FALSE, "Brellix.OrvService.SafeIniReader");
        if (!h) return;
        DWORD r = WaitForSingleObject(h, 5000);
        acquired = r == WAIT_OBJECT_0 || r == WAIT_ABANDONED;
        if (acquired) ReleaseMutex(h);
        CloseHandle(h);
    });
    t.join();
    return acquired;
}
}  // namespace

TEST(SafeIniReaderTest, ReadsAndWritesItsSectionAndReleasesTheMutexAfterEachCall) {
    ScratchFolder dir;
    SafeIniReader reader(dir.File("tasks.ini"), "Task3");
    EXPECT_EQ(CString("Task3"), reader.GetSection());

    reader.WriteString("C:\\new\\a.orv", "OrvPath");
    EXPECT_TRUE(OtherThreadCanLock());
    EXPECT_EQ(CString("C:\\new\\a.orv"), reader.ReadString("OrvPath", ""));
    EXPECT_TRUE(OtherThreadCanLock());
    reader.WriteInt(12, "Interval");
    EXPECT_TRUE(OtherThreadCanLock());
    EXPECT_EQ(12, reader.ReadInt("Interval", 0));
    EXPECT_TRUE(OtherThreadCanLock());
    EXPECT_EQ("C:\\\\new\\\\a.orv", RawValue(dir.File("tasks.ini"), "Task3", "OrvPath"));
}

// A mutex kept elsewhere holds a call no longer than the limit, and the call is carried out all
// the same; while it stays kept, later calls do not wait again; once it was had again, it is
// waited for again.
TEST(SafeIniReaderTest, AMutexKeptElsewhereHoldsACallUpToTheLimitOnce) {
    struct Step {
        const char* what;
        bool kept;
        bool waits;
    };
    const Step steps[] = {
        {"kept elsewhere", true, true},
        {"still kept", true, false},
        {"let go", false, false},
        {"kept again", true, true},
    };
    const DWORD limit = SafeIniReader::kMutexWaitLimitMs;
    ScratchFolder dir;
    SafeIniReader reader(dir.File("tasks.ini"), "Task1");
    // Another process keeping the mutex, stood in for by a thread.
    std::unique_ptr<testing_support::NamedMutexKeeper> keeper;
    int n = 0;
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        if (!step.kept) {
            keeper.reset();
            // Test programs beside this one may pass the mutex among themselves for a while: the
            // calls go on without waiting until one of them has it again.
            const DWORD start = GetTickCount();
            while (SafeIniReader::IsMutexKeptElsewhere() && GetTickCount() - start < 10000) {
                reader.ReadString("LastEvent", "");
                Sleep(10);
            }
            EXPECT_FALSE(SafeIniReader::IsMutexKeptElsewhere());
        } else if (!keeper) {
            keeper.reset(new testing_support::NamedMutexKeeper("Brellix.OrvService.SafeIniReader", 20000));
        }
        CString value;
        value.Format("2024:3:7;9:%d", ++n);
        const DWORD start = GetTickCount();
        EXPECT_TRUE(reader.WriteString(value, "LastEvent"));
        const DWORD took = GetTickCount() - start;
        EXPECT_EQ(value, reader.ReadString("LastEvent", ""));
        if (step.waits) {
            EXPECT_GE(took + 50, limit);
            EXPECT_LT(took, limit + 1500);
        } else {
            EXPECT_LT(took, limit / 2);
        }
    }
}

TEST(SafeIniReaderTest, TwoThreadsWritingOneSectionLoseNoWrite) {
    ScratchFolder dir;
    const CString path = dir.File("tasks.ini");
    const int kWrites = 150;
    auto writer = [&](const char* prefix) {
        SafeIniReader reader(path, "Task1");
        for (int i = 0; i < kWrites; ++i) {
            CString key;
            key.Format("%s%d", prefix, i);
            reader.WriteInt(i, key);
            CString value;
            value.Format("%d", i * 3);
            reader.WriteString(value, prefix);
        }
    };
    std::thread a(writer, "LastRun");
    std::thread b(writer, "LastEvent");
    a.join();
    b.join();

    IniFile ini(path);
    int lost = 0;
    for (const char* prefix : {"LastRun", "LastEvent"}) {
        for (int i = 0; i < kWrites; ++i) {
            CString key;
            key.Format("%s%d", prefix, i);
            if (ini.ReadInt("Task1", key, -1) != i) ++lost;
        }
        CString last;
        last.Format("%d", (kWrites - 1) * 3);
        EXPECT_EQ(last, ini.ReadString("Task1", prefix, "")) << prefix;
    }
    EXPECT_EQ(0, lost);
}

// ---- time text ---------------------------------------------------------------------------------

TEST(IniTimeTest, WellFormedTexts) {
    const CTime expected(2024, 3, 7, 9, 5, 0);
    ASSERT_NE(0, expected.GetTime());
    EXPECT_EQ(expected, ParseIniTime("2024:3:7;9:5"));
    EXPECT_EQ(expected, ParseIniTime("2024:03:07;09:05"));
    EXPECT_EQ(expected, ParseIniTime(" 2024: 3:+7; 9:5"));     // atoi rules: blanks and a sign
    EXPECT_EQ(expected, ParseIniTime("2024:3:7;9:5 and more"));  // digits stop at the first other char
    EXPECT_EQ(CTime(2024, 3, 7, 0, 0, 0), ParseIniTime("2024:3:7;9"));
    EXPECT_EQ(CTime(2024, 3, 7, 0, 0, 0), ParseIniTime("2024:3:7;"));
    EXPECT_EQ(CTime(1970, 1, 2, 0, 0, 0), ParseIniTime("1970:1:2;0:0"));
    EXPECT_EQ(CTime(2038, 1, 1, 0, 0, 0), ParseIniTime("2038:1:1;0:0"));
}

TEST(IniTimeTest, OutOfRangeOrGarbledTextsReadAsTheZeroTime) {
    const char* texts[] = {"",
                           "1969:12:31;23:59",
                           "2039:1:1;0:0",
                           "2024:13:1;0:0",
                           "2024:0:1;0:0",
                           "2024:1:32;0:0",
                           "2024:1:0;0:0",
                           "2024:1:1;24:0",
                           "2024:1:1;0:60",
                           "2024-03-07 09:05",
                           "2024",
                           "2024:",
                           "2024:3",
                           "2024:3:7",
                           ":",
                           ";",
                           "::",
                           ":;:",
                           ";;;;",
                           "2024:3:7:9:5",
                           "2024:-3:7;9:5",
                           "2024:3:7;-1:5",
                           "2024:3:7;9:-5",
                           "-2024:3:7;9:5",
                           "abc:def:ghi;jk:lm",
                           "4294969320:3:7;9:5",  // wraps to 2024 in a 32-bit conversion
                           "2024:4294967299:7;9:5",
                           "99999999999999999999:3:7;9:5"};
    for (const char* t : texts) EXPECT_EQ(0, ParseIniTime(t).GetTime()) << t;
}

TEST(IniTimeTest, VeryLongTextsAreHandled) {
    std::string longText(200000, '9');
    EXPECT_EQ(0, ParseIniTime(longText.c_str()).GetTime());
    std::string separators(100000, ':');
    EXPECT_EQ(0, ParseIniTime(separators.c_str()).GetTime());
    std::string padded = "2024:3:7;9:5" + std::string(100000, ' ');
    EXPECT_EQ(CTime(2024, 3, 7, 9, 5, 0), ParseIniTime(padded.c_str()));
}

TEST(IniTimeTest, FormatDropsSecondsAndLeadingZeros) {
    EXPECT_EQ(CString("2024:3:7;9:5"), FormatIniTime(CTime(2024, 3, 7, 9, 5, 59)));
    EXPECT_EQ(CString("2031:12:25;23:0"), FormatIniTime(CTime(2031, 12, 25, 23, 0, 0)));
}

TEST(IniTimeTest, ZeroTimeRoundTripsInZonesEastAndWestWithDaylightSaving) {
    struct Case {
        const char* tz;
        const char* zeroText;
    } cases[] = {{"UTC0", "1970:1:1;0:0"}, {"EST5EDT", "1969:12:31;19:0"}, {"CET-1CEST", "1970:1:1;1:0"}};
    for (const Case& c : cases) {
        TimeZoneScope zone(c.tz);
        CString text = FormatIniTime(CTime());
        EXPECT_EQ(CString(c.zeroText), text) << c.tz;
        EXPECT_EQ(0, ParseIniTime(text).GetTime()) << c.tz;

        // Winter and summer times come back as written, whatever the zone's offset that day.
        for (const char* t : {"2024:1:15;8:30", "2024:7:1;12:0", "2030:10:31;23:59"}) {
            CTime parsed = ParseIniTime(t);
            EXPECT_NE(0, parsed.GetTime()) << c.tz << " " << t;
            EXPECT_EQ(CString(t), FormatIniTime(parsed)) << c.tz;
        }
    }
}

TEST(IniTimeTest, TextsNamingNoLocalTimeNeverFail) {
    TimeZoneScope zone("EST5EDT");
    CTime feb31;
    EXPECT_NO_THROW(feb31 = ParseIniTime("2024:2:31;0:0"));
    if (feb31.GetTime() != 0) {
        EXPECT_EQ(3, feb31.GetMonth());  // normalised into March
    }
    // Midnight of the first day east of UTC lies before the epoch.
    TimeZoneScope east("CET-1CEST");
    EXPECT_EQ(0, ParseIniTime("1970:1:1;0:30").GetTime());
}

namespace {
// The C runtime takes its daylight-saving rules from the zone the process started in, so the
// checks that need them run in a copy of this program started with TZ set.
bool InDaylightChild() {
    const char* v = std::getenv("ORV_TEST_DAYLIGHT_CHILD");
    return v && *v;
}
}  // namespace

TEST(IniTimeTest, DaylightSavingChecksRunInAChildStartedInTheZone) {
    if (InDaylightChild()) GTEST_SKIP() << "this is the child";
    EXPECT_EQ(0u, RunSelf("--gtest_filter=IniTimeDaylightChild.*",
                          {{"TZ", "EST5EDT"}, {"ORV_TEST_DAYLIGHT_CHILD", "1"}}));
}

TEST(IniTimeDaylightChild, TimesRoundTripAcrossTheChanges) {
    if (!InDaylightChild()) GTEST_SKIP() << "runs in the child only";
    // Without the zone's rules in force the checks below would prove nothing.
    ASSERT_EQ(16, (CTime(2024, 7, 15, 12, 0, 0).GetTime() % 86400) / 3600);

    EXPECT_EQ(CString("1969:12:31;19:0"), FormatIniTime(CTime()));
    EXPECT_EQ(0, ParseIniTime(FormatIniTime(CTime())).GetTime());
    for (const char* t : {"2024:1:15;8:30", "2024:7:1;12:0", "2024:3:10;1:59", "2024:3:10;3:0",
                          "2024:11:3;0:59", "2024:11:3;1:30", "2024:11:3;2:0"}) {
        CTime parsed = ParseIniTime(t);
        EXPECT_NE(0, parsed.GetTime()) << t;
        EXPECT_EQ(CString(t), FormatIniTime(parsed));
    }
}

TEST(IniTimeDaylightChild, AnAutumnTimeThatHappensTwiceReadsAsTheEarlierOne) {
    if (!InDaylightChild()) GTEST_SKIP() << "runs in the child only";
    // 1:30 on 3 November 2024 comes first in daylight time (05:30 UTC), then an hour later in
    // standard time. A run noted in the first hour must not read as lying an hour ahead: the
    // due rules would take that for a clock set back and start the generator again and again.
    const __time64_t firstOccurrence = 1730611800;
    EXPECT_EQ(firstOccurrence, ParseIniTime("2024:11:3;1:30").GetTime());
    EXPECT_EQ(firstOccurrence - 30 * 60, ParseIniTime("2024:11:3;1:0").GetTime());
    // Unambiguous times either side keep their one meaning.
    EXPECT_EQ(firstOccurrence - 90 * 60, ParseIniTime("2024:11:3;0:0").GetTime());
    EXPECT_EQ(firstOccurrence + 90 * 60, ParseIniTime("2024:11:3;2:0").GetTime());
    EXPECT_EQ(1720000800, ParseIniTime("2024:7:3;6:0").GetTime());
    EXPECT_EQ(1705318200, ParseIniTime("2024:1:15;6:30").GetTime());
}

TEST(IniTimeDaylightChild, ATimeInTheSpringGapNeverFails) {
    if (!InDaylightChild()) GTEST_SKIP() << "runs in the child only";
    CTime gap;
    EXPECT_NO_THROW(gap = ParseIniTime("2024:3:10;2:30"));  // 2:30 never happens that morning
    if (gap.GetTime() != 0) {
        EXPECT_LT(CTime(2024, 3, 10, 1, 0, 0), gap);
        EXPECT_LT(gap, CTime(2024, 3, 10, 4, 0, 0));
        // Whatever it was normalised to is a real time that then reads back as itself.
        EXPECT_EQ(gap, ParseIniTime(FormatIniTime(gap)));
    }
}

// ---- week days ---------------------------------------------------------------------------------

TEST(GetWeekDaysTest, ReadsTheListInKeyOrderKeepingDuplicates) {
    auto reader = boost::shared_ptr<MapReader>(new MapReader);
    reader->ints = {{"DaysCount", 3}, {"Day1", 7}, {"Day2", 2}, {"Day3", 2}, {"Day4", 9}};
    std::vector<int> days = {5};  // appended to, not replaced
    GetWeekDays(reader, days);
    EXPECT_EQ((std::vector<int>{5, 7, 2, 2}), days);
}

TEST(GetWeekDaysTest, FailuresAndTheirTexts) {
    EXPECT_EQ("Incorrect ini file handler passed to GetWeekDays () function.", WeekDaysFailure(IniReaderPtr()));

    auto reader = boost::shared_ptr<MapReader>(new MapReader);
    EXPECT_EQ("Incorrect number of days.", WeekDaysFailure(reader));  // DaysCount missing
    for (int count : {0, 8, -1}) {
        reader->ints = {{"DaysCount", count}, {"Day1", 1}};
        EXPECT_EQ("Incorrect number of days.", WeekDaysFailure(reader)) << count;
    }
    reader->ints = {{"DaysCount", 2}, {"Day1", 1}, {"Day2", 8}};
    EXPECT_EQ("8 value is incorrect.", WeekDaysFailure(reader));
    reader->ints = {{"DaysCount", 2}, {"Day1", 0}, {"Day2", 1}};
    EXPECT_EQ("0 value is incorrect.", WeekDaysFailure(reader));
    reader->ints = {{"DaysCount", 2}, {"Day1", 3}};  // Day2 missing reads as 0
    EXPECT_EQ("0 value is incorrect.", WeekDaysFailure(reader));
}

TEST(GetWeekDaysTest, AllSevenDaysThroughTheFile) {
    ScratchFolder dir;
    IniFile ini(dir.File("tasks.ini"));
    ini.WriteInt(7, "Task2", "DaysCount");
    for (int n = 1; n <= 7; ++n) {
        CString key;
        key.Format("Day%d", n);
        ini.WriteInt(8 - n, "Task2", key);
    }
    std::vector<int> days;
    GetWeekDays(IniReaderPtr(new SafeIniReader(ini.GetPath(), "Task2")), days);
    EXPECT_EQ((std::vector<int>{7, 6, 5, 4, 3, 2, 1}), days);
}

// ---- type identifiers --------------------------------------------------------------------------

TEST(TaskTypeIdTest, IdentifiersAndExactMatching) {
    EXPECT_EQ(CString("Periodical"), GetPeriodicalTypeId());
    EXPECT_EQ(CString("DayScheduled"), GetDayScheduledTypeId());
    EXPECT_EQ(CString("Watch"), GetWatchTypeId());
    EXPECT_EQ(CString("Day Scheduled"), GetDayScheduledDisplayName());

    EXPECT_TRUE(IsPeriodicalType("Periodical"));
    EXPECT_TRUE(IsDayScheduledType("DayScheduled"));
    EXPECT_TRUE(IsWatchType("Watch"));
    for (const char* wrong : {"Periodical ", " Periodical", "periodical", "PERIODICAL", "", "Period"})
        EXPECT_FALSE(IsPeriodicalType(wrong)) << "[" << wrong << "]";
    for (const char* wrong : {"Day Scheduled", "dayscheduled", "DayScheduled "})
        EXPECT_FALSE(IsDayScheduledType(wrong)) << "[" << wrong << "]";
    for (const char* wrong : {"watch", "Watch\t", "Periodical"}) EXPECT_FALSE(IsWatchType(wrong)) << "[" << wrong << "]";
    EXPECT_FALSE(IsWatchType(CString("Watch\0x", 7)));
}
