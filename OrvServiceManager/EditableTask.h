// The manager's model of one task section of the task file, with its three kinds; the Tasks
// page lists them and the task editor builds them.
#pragma once
#include "classlib/CString.h"
#include "classlib/CTime.h"
#include "common/Exception.h"
#include "common/IniFile.h"
#include <boost/shared_ptr.hpp>
#include <functional>
#include <vector>

// Hours between two runs of a Periodical task: 2 to 48.
int ClampInterval(int hours);

// A last run as the task list and the task editor show it: "%b %d, %H:%M" in local time; empty
// for the zero time (never run).
CString FormatLastRunText(const CTime& time);

// Throws Exception unless both programs would load the week-day list again: at least one day,
// at most seven, each 1 to 7.
void CheckWeekDaysStorable(const std::vector<int>& days);

// The manager's writes to the task file: each throws Exception when the platform did not store
// it (a read-only file, a folder refusing writes, a file held open by another program).
void WriteTaskFileString(const IniFile& file, const char* section, const char* key, const char* value);
void WriteTaskFileInt(const IniFile& file, const char* section, const char* key, int value);
void EmptyTaskFileSection(const IniFile& file, const char* section);
// A write to the task file at the path that the platform refused, with its error.
class TaskFileWriteFailure : public Exception {
public:
    TaskFileWriteFailure(const CString& path, DWORD error);
    TaskFileWriteFailure(const TaskFileWriteFailure& other) : Exception(other), error_(other.error_) {}
    DWORD GetError() const { return error_; }

private:
    DWORD error_;
};
// Throws the TaskFileWriteFailure of the path with the last error.
[[noreturn]] void ThrowTaskFileWriteFailure(const CString& path);
// Tests: asked before each key WriteTaskFileString and WriteTaskFileInt write; false refuses the
// write as the platform would, with the last error the check set. Null for none; gives the
// previous check.
typedef std::function<bool(const char* key)> TaskFileWriteCheck;
TaskFileWriteCheck SetTaskFileWriteCheckForTesting(TaskFileWriteCheck check);

class EditableTask {
public:
    virtual ~EditableTask() {}

    // The kind as the user sees it.
    virtual CString GetDisplayName() const = 0;
    // One line on the schedule, shown in the task list.
    virtual CString GetSummary() const = 0;
    // The value of the key Type.
    virtual CString GetTypeId() const = 0;
    // A new object of the same kind with equal values; the caller owns it.
    virtual EditableTask* Clone() const = 0;
    // Writes the task into the section; throws Exception when a write is refused, and before
    // writing anything when the service would refuse the task (its document path) or no
    // program could load it again.
    virtual void Save(const IniFile& file, const CString& section) const = 0;
    // The long description of the kind, shown by the New Task and Task Properties dialogs.
    virtual CString GetTypeDescription() const = 0;

    const CString& GetPriority() const { return priority_; }
    void SetPriority(const CString& priority) { priority_ = priority; }
    const CString& GetOrvPath() const { return orvPath_; }
    void SetOrvPath(const CString& path) { orvPath_ = path; }
    const CTime& GetLastRun() const { return lastRun_; }
    void SetLastRun(const CTime& time) {
        lastRun_ = time;
        lastRunCleared_ = false;
    }
    // FormatLastRunText of the last run.
    CString GetLastRunText() const { return FormatLastRunText(lastRun_); }

    // The user cleared the last run in the editor: the next save stores "never run" even when
    // the service noted a run in the section meanwhile.
    void ClearLastRun() {
        lastRun_ = CTime();
        lastRunCleared_ = true;
    }
    bool IsLastRunCleared() const { return lastRunCleared_; }

    // The lines of a task section as the file stores them ("key=value", in file order), less
    // LastRun and LastEvent, which the service writes: what tells one stored task from another,
    // before the manager's reading mends a value (an Interval of 100 and one of 48 both load as
    // 48, yet they are two tasks).
    typedef std::vector<CString> StoredLines;

    // The number n of the section "Task<n>" the task was loaded from or last saved to; 0 for a
    // task not in the file yet.
    int GetSectionNumber() const { return sectionNumber_; }
    // What that section stored then; empty for a task not in the file yet.
    const StoredLines& GetStoredLines() const { return storedLines_; }
    // The task is what the section of that number holds now, stored as those lines.
    void MarkStored(int sectionNumber, const StoredLines& lines) {
        sectionNumber_ = sectionNumber;
        storedLines_ = lines;
        lastRunCleared_ = false;
    }
    // The lines are what this task's section stored when it was loaded or saved: the same task,
    // not merely one of the same kind and document.
    bool StoresSameAs(const StoredLines& lines) const { return !storedLines_.empty() && lines == storedLines_; }

    // Takes over what the service may have written into the section since the task was loaded
    // (LastRun, and a Watch task's LastEvent), so that a save does not put older values back.
    virtual void TakeServiceValues(const IniFile& file, const CString& section);

protected:
    // A new task: normal priority, no document, never run.
    EditableTask();
    // Reads Priority (anything but /s1, /s2 and /s3 becomes /s2), OrvPath (trimmed) and LastRun
    // (the zero time when it does not parse); never fails.
    EditableTask(const IniFile& file, const CString& section);
    EditableTask(const EditableTask&) = default;
    EditableTask& operator=(const EditableTask&) = delete;

    // Throws Exception, before anything is written, when the service would refuse the document
    // path (OrvPathProblem).
    void CheckOrvPathStorable() const;
    // Priority, OrvPath and LastRun, written last by every kind.
    void SaveCommonKeys(const IniFile& file, const CString& section) const;

private:
    CString priority_;
    CString orvPath_;
    CTime lastRun_;
    bool lastRunCleared_ = false;
    int sectionNumber_ = 0;
    StoredLines storedLines_;
};

typedef boost::shared_ptr<EditableTask> EditableTaskPtr;
typedef std::vector<EditableTaskPtr> EditableTaskList;

// Type "Periodical": runs every N hours.
class EditableHourScheduledTask : public EditableTask {
public:
    EditableHourScheduledTask() : interval_(24) {}
    // The interval read with ClampInterval; a missing key gives 2.
    EditableHourScheduledTask(const IniFile& file, const CString& section);

    CString GetDisplayName() const override;
    CString GetSummary() const override;
    CString GetTypeId() const override;
    EditableTask* Clone() const override { return new EditableHourScheduledTask(*this); }
    void Save(const IniFile& file, const CString& section) const override;
    CString GetTypeDescription() const override;

    int GetInterval() const { return interval_; }
    void SetInterval(int hours) { interval_ = hours; }

private:
    int interval_;
};

// Type "DayScheduled": runs at a time of day on chosen week days (1 = Sunday to 7 = Saturday).
class EditableDayScheduledTask : public EditableTask {
public:
    EditableDayScheduledTask() : hour_(12), minutes_(0) {}
    // The week days as the service reads them (their errors pass to the caller), then Hour and
    // Minutes, which are not range-checked.
    EditableDayScheduledTask(const IniFile& file, const CString& section);

    CString GetDisplayName() const override;
    CString GetSummary() const override;
    CString GetTypeId() const override;
    EditableTask* Clone() const override { return new EditableDayScheduledTask(*this); }
    // Refuses a day list that neither program would load again (no day, more than seven, or a
    // number outside 1 to 7).
    void Save(const IniFile& file, const CString& section) const override;
    CString GetTypeDescription() const override;

    int GetHour() const { return hour_; }
    void SetHour(int hour) { hour_ = hour; }
    int GetMinutes() const { return minutes_; }
    void SetMinutes(int minutes) { minutes_ = minutes; }
    const std::vector<int>& GetDays() const { return days_; }
    void SetDays(const std::vector<int>& days) { days_ = days; }

private:
    int hour_;
    int minutes_;
    std::vector<int> days_;
};

// Type "Watch": runs when the folders of its document change. LastEvent is kept as the text
// read and never parsed.
class EditableEventTrigeredTask : public EditableTask {
public:
    EditableEventTrigeredTask() {}
    EditableEventTrigeredTask(const IniFile& file, const CString& section);

    CString GetDisplayName() const override;
    CString GetSummary() const override;
    CString GetTypeId() const override;
    EditableTask* Clone() const override { return new EditableEventTrigeredTask(*this); }
    // Does not empty the section first: keys this kind does not write stay.
    void Save(const IniFile& file, const CString& section) const override;
    CString GetTypeDescription() const override;
    void TakeServiceValues(const IniFile& file, const CString& section) override;

    const CString& GetLastEvent() const { return lastEvent_; }
    void SetLastEvent(const CString& text) { lastEvent_ = text; }

private:
    CString lastEvent_;
};
