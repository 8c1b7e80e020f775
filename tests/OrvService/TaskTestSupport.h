// Shared by the due-rule tests: a settable clock, the time zone a test runs in, and a task file
// in a scratch folder.
#pragma once
#include "common/Clock.h"
#include "common/Exception.h"
#include "common/IniFile.h"
#include "support/TestSupport.h"
#include <gtest/gtest.h>
#include <cstdlib>
#include <ctime>
#include <string>

namespace task_test {

inline CTime& FakeNowValue() {
    static CTime now;
    return now;
}
inline CTime FakeNow() { return FakeNowValue(); }

// A zone without daylight saving, and where 2 January 1970 00:00 local lies in seconds.
struct Zone {
    const char* tz;
    __time64_t secondsAtJanuary2;
};
inline void PrintTo(const Zone& zone, std::ostream* out) { *out << zone.tz; }

// Runs each test once per zone: one east of UTC, one west, so local days and UTC days differ.
class DueRuleTest : public ::testing::TestWithParam<Zone> {
protected:
    DueRuleTest() : ini_(scratch_.File("tasks.ini")) {}
    void SetUp() override {
        std::string setting = std::string("TZ=") + GetParam().tz;
        _putenv(setting.c_str());
        _tzset();
        ASSERT_EQ(GetParam().secondsAtJanuary2, CTime(1970, 1, 2, 0, 0, 0).GetTime()) << "zone not in effect";
        Clock::SetSource(&FakeNow);
    }
    void TearDown() override {
        Clock::SetSource(nullptr);
        _putenv("TZ=");
        _tzset();
    }
    void Set(const char* key, const char* value) { ini_.WriteString(value, "Task1", key); }
    void SetInt(const char* key, int value) { ini_.WriteInt(value, "Task1", key); }
    void At(int year, int month, int day, int hour, int minute, int second) {
        FakeNowValue() = CTime(year, month, day, hour, minute, second);
    }
    template <class T> std::string LoadFailure() {
        try {
            T task(ini_.GetPath(), "Task1");
        } catch (const Exception& e) {
            return e.GetFullMessage();
        }
        return "loaded";
    }

    testing_support::ScratchFolder scratch_;
    IniFile ini_;
};

inline ::testing::internal::ValueArray<Zone, Zone> Zones() {
    return ::testing::Values(Zone{"JST-9", 86400 - 9 * 3600}, Zone{"EST5", 86400 + 5 * 3600});
}

}  // namespace task_test
