#include "OrvServiceManager/EditableTask.h"
#include "OrvServiceManager/IniReaderImpl.h"
#include "common/Exception.h"
#include "common/Task.h"

namespace {
bool IsKnownPriority(const CString& priority) {
    return priority == "/s1" || priority == "/s2" || priority == "/s3";
}

CString WriteFailureText(const CString& path, DWORD error) {
    CString message;
    message.Format("Unable to write to the task file %s (error %lu).", path.GetString(),
                   static_cast<unsigned long>(error));
    return message;
}

TaskFileWriteCheck g_writeCheck;

bool WriteAllowed(const char* key) { return !g_writeCheck || g_writeCheck(key); }
}  // namespace

void CheckWeekDaysStorable(const std::vector<int>& days) {
    // The rules by which both programs load the week days again (GetWeekDays).
    if (days.empty()) throw Exception("Select at least one day on which the task runs.");
    if (days.size() > 7) throw Exception("Incorrect number of days.");
    for (int day : days) {
        if (day < 1 || day > 7) {
            CString message;
            message.Format("%d value is incorrect.", day);
            throw Exception(message);
        }
    }
}

TaskFileWriteFailure::TaskFileWriteFailure(const CString& path, DWORD error)
    : Exception(WriteFailureText(path, error)), error_(error) {}

void ThrowTaskFileWriteFailure(const CString& path) { throw TaskFileWriteFailure(path, GetLastError()); }

TaskFileWriteCheck SetTaskFileWriteCheckForTesting(TaskFileWriteCheck check) {
    TaskFileWriteCheck previous = g_writeCheck;
    g_writeCheck = check;
    return previous;
}

int ClampInterval(int hours) {
    if (hours < 2) return 2;
    if (hours > 48) return 48;
    return hours;
}

CString FormatLastRunText(const CTime& time) {
    if (time == CTime()) return CString();
    return time.Format("%b %d, %H:%M");
}

void WriteTaskFileString(const IniFile& file, const char* section, const char* key, const char* value) {
    if (!WriteAllowed(key) || !file.WriteString(value, section, key)) ThrowTaskFileWriteFailure(file.GetPath());
}

void WriteTaskFileInt(const IniFile& file, const char* section, const char* key, int value) {
    if (!WriteAllowed(key) || !file.WriteInt(value, section, key)) ThrowTaskFileWriteFailure(file.GetPath());
}

void EmptyTaskFileSection(const IniFile& file, const char* section) {
    if (!file.EmptySection(section)) ThrowTaskFileWriteFailure(file.GetPath());
}

// ---- EditableTask ----

EditableTask::EditableTask() : priority_("/s2") {}

EditableTask::EditableTask(const IniFile& file, const CString& section) {
    priority_ = file.ReadString(section, "Priority", "");
    if (!IsKnownPriority(priority_)) priority_ = "/s2";
    orvPath_ = file.ReadString(section, "OrvPath", "");
    orvPath_.Trim();
    lastRun_ = ParseIniTime(file.ReadString(section, "LastRun", ""));
}

void EditableTask::TakeServiceValues(const IniFile& file, const CString& section) {
    if (lastRunCleared_) return;
    CString stored = file.ReadString(section, "LastRun", "");
    if (!stored.IsEmpty()) lastRun_ = ParseIniTime(stored);
}

void EditableTask::CheckOrvPathStorable() const {
    const CString problem = OrvPathProblem(orvPath_);
    if (!problem.IsEmpty()) throw Exception(problem);
}

void EditableTask::SaveCommonKeys(const IniFile& file, const CString& section) const {
    WriteTaskFileString(file, section, "Priority", priority_);
    WriteTaskFileString(file, section, "OrvPath", orvPath_);
    WriteTaskFileString(file, section, "LastRun", FormatIniTime(lastRun_));
}

// ---- Periodical ----

EditableHourScheduledTask::EditableHourScheduledTask(const IniFile& file, const CString& section)
    : EditableTask(file, section), interval_(ClampInterval(file.ReadInt(section, "Interval", -1))) {}

CString EditableHourScheduledTask::GetDisplayName() const { return "Periodical"; }

CString EditableHourScheduledTask::GetSummary() const {
    CString text;
    text.Format("Runs every %d hour(s).", interval_);
    return text;
}

CString EditableHourScheduledTask::GetTypeId() const { return GetPeriodicalTypeId(); }

void EditableHourScheduledTask::Save(const IniFile& file, const CString& section) const {
    CheckOrvPathStorable();
    EmptyTaskFileSection(file, section);
    WriteTaskFileString(file, section, "Type", GetTypeId());
    WriteTaskFileInt(file, section, "Interval", interval_);
    SaveCommonKeys(file, section);
}

CString EditableHourScheduledTask::GetTypeDescription() const {
    return "This task allows you to run your search engine generator at a specified time interval, for example "
           "every 12 hours. ";
}

// ---- DayScheduled ----

EditableDayScheduledTask::EditableDayScheduledTask(const IniFile& file, const CString& section)
    : EditableTask(file, section) {
    IniReaderPtr reader(new IniReaderImpl(file.GetPath(), section));
    GetWeekDays(reader, days_);
    hour_ = reader->ReadInt("Hour", 0);
    minutes_ = reader->ReadInt("Minutes", 0);
}

CString EditableDayScheduledTask::GetDisplayName() const { return GetDayScheduledDisplayName(); }

CString EditableDayScheduledTask::GetSummary() const {
    CString minutes;
    minutes.Format(minutes_ > 9 ? "%d" : "0%d", minutes_);
    CString text;
    text.Format("Runs at %d:%s on %d selected day(s).", hour_, minutes.GetString(), static_cast<int>(days_.size()));
    return text;
}

CString EditableDayScheduledTask::GetTypeId() const { return GetDayScheduledTypeId(); }

void EditableDayScheduledTask::Save(const IniFile& file, const CString& section) const {
    CheckOrvPathStorable();
    CheckWeekDaysStorable(days_);
    EmptyTaskFileSection(file, section);
    WriteTaskFileString(file, section, "Type", GetTypeId());
    WriteTaskFileInt(file, section, "Hour", hour_);
    WriteTaskFileInt(file, section, "Minutes", minutes_);
    WriteTaskFileInt(file, section, "DaysCount", static_cast<int>(days_.size()));
    for (size_t i = 0; i < days_.size(); ++i) {
        CString key;
        key.Format("Day%d", static_cast<int>(i + 1));
        WriteTaskFileInt(file, section, key, days_[i]);
    }
    SaveCommonKeys(file, section);
}

CString EditableDayScheduledTask::GetTypeDescription() const {
    return "You can use this task to run your search engine generator on selected days and at a specified time, for "
           "example each Monday and Friday at 12:00.";
}

// ---- Watch ----

EditableEventTrigeredTask::EditableEventTrigeredTask(const IniFile& file, const CString& section)
    : EditableTask(file, section), lastEvent_(file.ReadString(section, "LastEvent", "")) {}

CString EditableEventTrigeredTask::GetDisplayName() const { return "Watch"; }

CString EditableEventTrigeredTask::GetSummary() const { return "Runs when content being watched is modified."; }

CString EditableEventTrigeredTask::GetTypeId() const { return GetWatchTypeId(); }

void EditableEventTrigeredTask::Save(const IniFile& file, const CString& section) const {
    CheckOrvPathStorable();
    WriteTaskFileString(file, section, "LastEvent", lastEvent_);
    WriteTaskFileString(file, section, "Type", GetTypeId());
    SaveCommonKeys(file, section);
}

CString EditableEventTrigeredTask::GetTypeDescription() const {
    return "This task allows you to watch specified folder(s) and run your search engine generator when their "
           "contents changes, for example a file is added, removed or modified.";
}

void EditableEventTrigeredTask::TakeServiceValues(const IniFile& file, const CString& section) {
    EditableTask::TakeServiceValues(file, section);
    CString stored = file.ReadString(section, "LastEvent", "");
    if (!stored.IsEmpty()) lastEvent_ = stored;
}
