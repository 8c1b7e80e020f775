// Shared by the service-object tests: a data folder and task file in a scratch folder, the
// stand-in generator installed as Orvanti.exe and registered as the product's program folder,
// a settable clock and a recording event sink.
#pragma once
#include "classlib/CRegKey.h"
#include "common/AppData.h"
#include "common/Clock.h"
#include "common/IniFile.h"
#include "common/Log.h"
#include "common/NTEventLogSource.h"
#include "common/RegUtils.h"
#include "support/TestSupport.h"
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace examination_test {

inline volatile LONGLONG& FakeNowValue() {
    static volatile LONGLONG now = 0;
    return now;
}
inline CTime FakeNow() { return CTime(static_cast<__time64_t>(InterlockedCompareExchange64(&FakeNowValue(), 0, 0))); }
inline void SetNow(const CTime& time) { InterlockedExchange64(&FakeNowValue(), time.GetTime()); }

struct RecordedEvent {
    WORD type;
    DWORD id;
    std::vector<std::string> strings;
    std::string logAtReport;  // the log file's text when the event went out
};

class RecordingSink : public EventLogSink {
public:
    RecordingSink() { InitializeCriticalSection(&lock_); }
    ~RecordingSink() override { DeleteCriticalSection(&lock_); }
    BOOL Report(const CString&, const CString&, WORD type, WORD, DWORD eventId, PSID, WORD stringCount, DWORD,
                const char** strings, void*) override {
        RecordedEvent e{type, eventId, {}, ""};
        try {
            e.logAtReport = testing_support::ReadFileBytes(Log::GetCurrentLogFilePath());
        } catch (...) {
            // No logs folder: some tests take it away.
        }
        for (WORD i = 0; i < stringCount; ++i) e.strings.push_back(strings[i]);
        EnterCriticalSection(&lock_);
        events_.push_back(e);
        LeaveCriticalSection(&lock_);
        return TRUE;
    }
    std::vector<RecordedEvent> Events() {
        EnterCriticalSection(&lock_);
        std::vector<RecordedEvent> copy = events_;
        LeaveCriticalSection(&lock_);
        return copy;
    }

private:
    CRITICAL_SECTION lock_;
    std::vector<RecordedEvent> events_;
};

const char* const kSettingsKey = "Software\\Brellix\\Orvanti\\Settings";

class ServiceFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(testing_support::InstallStandInGenerator(scratch_.File("gen")));
        ASSERT_EQ(ERROR_SUCCESS, key_.Open(HKEY_LOCAL_MACHINE, kSettingsKey));
        key_.SetDWORDValue("ServiceRunningTasks", 77);
        AppData::SetDataFolderForTesting(scratch_.File("data"));
        previousSink_ = CNTEventLogSource::SetSink(&sink_);
        SetNow(CTime(2024, 3, 7, 10, 0, 0));
        Clock::SetSource(&FakeNow);
    }
    void TearDown() override {
        Clock::SetSource(nullptr);
        CNTEventLogSource::SetSink(previousSink_);
        AppData::SetDataFolderForTesting("");
    }

    CString TasksIni() { return AppData::GetTasksIniPath(); }
    // A Periodical task on its own stand-in document with the given key=value lines.
    CString AddPeriodicalTask(int number, const std::string& document, int intervalHours = 1) {
        CString section;
        section.Format("Task%d", number);
        CString doc = scratch_.File(section + ".orv");
        testing_support::WriteFileBytes(doc, document);
        IniFile ini(TasksIni());
        ini.WriteString("Periodical", section, "Type");
        ini.WriteString(doc, section, "OrvPath");
        ini.WriteString("/s3", section, "Priority");
        ini.WriteInt(intervalHours, section, "Interval");
        if (ini.ReadInt("General", "TasksCount", 0) < number) ini.WriteInt(number, "General", "TasksCount");
        return doc;
    }
    std::string LogText() { return testing_support::ReadFileBytes(Log::GetCurrentLogFilePath()); }
    std::string Runs(const CString& doc) { return testing_support::ReadFileBytes(doc + ".runs"); }
    DWORD RunningTasksValue() {
        DWORD value = 0xFFFFFFFF;
        RegUtils::ReadDword(HKEY_LOCAL_MACHINE, kSettingsKey, "ServiceRunningTasks", value);
        return value;
    }
    // Where the log holds the message as a whole line (after the time and two blanks); npos when
    // it does not.
    static size_t LinePos(const std::string& log, const std::string& message) {
        std::string needle = "  " + message;
        for (size_t at = log.find(needle); at != std::string::npos; at = log.find(needle, at + 1)) {
            size_t end = at + needle.size();
            if (end < log.size() && (log[end] == '\r' || log[end] == '\n')) return at;
        }
        return std::string::npos;
    }

    testing_support::ScratchFolder scratch_;
    testing_support::SavedRegistryValue savedPath_{kSettingsKey, "ProgramPath"};
    CRegKey key_;
    RecordingSink sink_;
    EventLogSink* previousSink_ = nullptr;
};

}  // namespace examination_test
