#include "OrvService/TaskExamination.h"
#include "OrvService/DayScheduledTask.h"
#include "OrvService/PeriodicalTask.h"
#include "OrvService/WatchTask.h"
#include "classlib/CFile.h"
#include "common/AppData.h"
#include "common/Clock.h"
#include "common/DirUtils.h"
#include "common/Exception.h"
#include "common/Generator.h"
#include "common/Log.h"
#include "common/ProcessRunner.h"
#include "common/RegUtils.h"

namespace {
// Log files of the current month and of this many months before it are kept.
const int kLogMonthsKept = 2;

void LogFormatted(const char* format, const char* a, const char* b = nullptr) {
    CString line;
    line.Format(format, a, b);
    Log::Write(line);
}

TaskFactory g_taskFactory = CreateTask;

// What reading LastRun gives when the key is not there; no stored time can look like it.
const char kNoLastRun[] = "\x01";

// The name and description of a task for a failure line; the task may be the very thing that
// fails to give them.
CString DescribeForFailure(Task& task) {
    CString name;
    CString description;
    try {
        name = task.GetName();
        description = task.GetDescription();
    } catch (...) {
    }
    CString line;
    line.Format("Unknown problem when processing %s [%s]", name.GetString(), description.GetString());
    return line;
}
}  // namespace

// ---- Loading ----

boost::shared_ptr<Task> CreateTask(const IniFile& file, const CString& section) {
    CString type = file.ReadString(section, "Type", "");
    if (IsPeriodicalType(type)) return boost::shared_ptr<Task>(new PeriodicalTask(file.GetPath(), section));
    if (IsDayScheduledType(type)) return boost::shared_ptr<Task>(new DayScheduledTask(file.GetPath(), section));
    if (IsWatchType(type)) return WatchTask::Create(file.GetPath(), section);
    throw Exception("Unknown task type.");
}

TaskFactory SetTaskFactoryForTesting(TaskFactory factory) {
    TaskFactory previous = g_taskFactory;
    g_taskFactory = factory ? factory : CreateTask;
    return previous;
}

namespace {
void LoadTaskSection(const IniFile& file, int number, TaskList& tasks, int& failures) {
    CString section;
    section.Format("Task%d", number);
    try {
        tasks.push_back(g_taskFactory(file, section));
    } catch (const Exception& e) {
        LogFormatted("Unable to load %s: %s", section, e.GetFullMessage());
        ++failures;
    } catch (...) {
        // Running out of memory on one section must not cost the service the others.
        LogFormatted("Unable to load %s: %s", section, "Unknown problem occurred.");
        ++failures;
    }
}

// One line for the numbers first to last, which the task file holds no section for; "before"
// and "after" are the sections around them (0 for none).
void LogMissingSections(int first, int last, int before, int after) {
    CString numbers;
    if (first == last)
        numbers.Format("Task%d", first);
    else
        numbers.Format("Task%d to Task%d", first, last);
    CString reason("the task file holds no task section");
    if (before > 0 && after > 0)
        reason.AppendFormat(" between Task%d and Task%d", before, after);
    else if (before > 0)
        reason.AppendFormat(" after Task%d", before);
    else if (after > 0)
        reason.AppendFormat(" before Task%d", after);
    CString line;
    line.Format("Unable to load %s: %s.", numbers.GetString(), reason.GetString());
    Log::Write(line);
}
}  // namespace

void LoadTaskList(const CString& tasksIniPath, TaskList& tasks, int& failures) {
    tasks.clear();
    failures = 0;
    IniFile file(tasksIniPath);
    const int count = file.ReadInt("General", "TasksCount", 0);
    // The sections the file holds are walked in number order, never the numbers up to the count:
    // a hand-edited count or section number far beyond the others must not cost a try and a log
    // line per missing number. A run of missing numbers is reported in one line and counted as
    // not loaded; one missing number between two sections is tried like any other.
    int last = 0;  // the last section walked
    for (int number : TaskSectionsToLoad(file)) {
        const int missing = number - last - 1;
        if (missing == 1) {
            LoadTaskSection(file, last + 1, tasks, failures);
        } else if (missing > 1) {
            LogMissingSections(last + 1, number - 1, last, number);
            failures += missing;
        }
        LoadTaskSection(file, number, tasks, failures);
        last = number;
    }
    if (count > last) {
        LogMissingSections(last + 1, count, last, 0);
        failures += count - last;
    }
}

void COrvService::LoadTasks() {
    int failures = 0;
    LoadTaskList(AppData::GetTasksIniPath(), m_Tasks, failures);
    int loaded = static_cast<int>(m_Tasks.size());
    CString text;
    if (loaded == 0) {
        text = "No task(s) to be loaded.";
        WriteEvent(EVENTLOG_WARNING_TYPE, EventTaskWarning, text);
    } else if (failures == 0) {
        text.Format("Successfully loaded %d task(s).", loaded);
        WriteEvent(EVENTLOG_INFORMATION_TYPE, EventTasksLoaded, text);
    } else {
        text.Format("Successfully loaded %d of %d task(s). Unable to load %d task(s).", loaded, loaded + failures,
                    failures);
        WriteEvent(EVENTLOG_ERROR_TYPE, EventTaskFailure, text);
    }
    Log::Write(text);
}

// ---- Generator runs ----

bool StartTask(Task& task) {
    if (ProcessRunner::IsValidHandle(task.GetProcessHandle()))
        throw Exception("Unable to start. The task is already running.");
    CString generator = Generator::GetExecutablePath();
    if (generator.IsEmpty()) throw Exception("Unable to find a path to Orvanti application.");
    CString commandLine;
    commandLine.Format("\"%s\" \"%s\" /g /q /r %s /exitbroadcast", generator.GetString(),
                       task.GetOrvPath().GetString(), task.GetPriority().GetString());
    // The run goes on record before it starts: one the task file does not know of would be due
    // again, and started again, at every examination.
    const CString previousLastRun = task.GetReader()->ReadString("LastRun", kNoLastRun);
    const bool reported = task.IsLastRunStoreFailing();
    if (!task.SetLastRun(Clock::Now())) {
        if (reported) return false;
        CString message;
        message.Format("Unable to start %s: its last run cannot be stored in the task file.",
                       task.GetName().GetString());
        throw WinLogException(message);
    }
    HANDLE process = INVALID_HANDLE_VALUE;
    if (!ProcessRunner::Start(commandLine, process)) {
        // No run took place: the task stays due as it was, and a file that had no LastRun gets
        // none.
        if (previousLastRun == kNoLastRun)
            task.GetReader()->DeleteKey("LastRun");
        else
            task.GetReader()->WriteString(previousLastRun, "LastRun");
        throw WinLogException("Unable to start process.");
    }
    task.SetProcessHandle(process);
    LogFormatted("%s started.", task.GetName());
    return true;
}

void FinishTask(Task& task) {
    HANDLE process = task.GetProcessHandle();
    if (!ProcessRunner::IsValidHandle(process)) throw Exception("Unable to finish task. Process handle invalid.");
    DWORD code = 0;
    if (!ProcessRunner::QueryExitCode(process, code)) throw Exception("Unable to finish task. Process is still running.");
    task.SetProcessHandle(INVALID_HANDLE_VALUE);  // closes the run's handle
    if (code == 0) {
        LogFormatted("%s finished successfully.", task.GetName());
        return;
    }
    CString message;
    message.Format("Unable to finish %s [%s] successfully (exit code %d).", task.GetName().GetString(),
                   task.GetDescription().GetString(), static_cast<int>(code));
    throw WinLogException(message);
}

UINT GetStopMessageId() {
    static const UINT id = RegisterWindowMessageA("Brellix.Orv.Stop");
    return id;
}

void BroadcastStopMessage() { PostMessageA(HWND_BROADCAST, GetStopMessageId(), 0, 0); }

// ---- Examination ----

void COrvService::ManageTasks() {
    DWORD running = 0;
    for (TaskList::iterator it = m_Tasks.begin(); it != m_Tasks.end(); ++it) {
        Task* task = it->get();
        try {
            if (!task) {
                Log::Write(CString("Error in ") + "COrvService::ManageTasks ().");
                continue;
            }
            if (ProcessRunner::IsValidHandle(task->GetProcessHandle())) {
                if (ProcessRunner::IsFinished(task->GetProcessHandle()))
                    FinishTask(*task);
                else
                    ++running;
            } else if (task->IsDue() && StartTask(*task)) {
                ++running;
            }
        } catch (const WinLogException& e) {
            WriteEvent(EVENTLOG_ERROR_TYPE, EventTaskFailure, e.GetFullMessage());
            Log::Write(e.GetFullMessage());
        } catch (const Exception& e) {
            Log::Write(e.GetFullMessage());
        } catch (...) {
            if (task) Log::Write(DescribeForFailure(*task));
        }
    }
    SetRunningTasksCount(running);
}

void COrvService::TerminateTasks() {
    int count = 0;
    for (TaskList::iterator it = m_Tasks.begin(); it != m_Tasks.end(); ++it) {
        Task* task = it->get();
        if (!task) continue;
        try {
            if (ProcessRunner::IsValidHandle(task->GetProcessHandle())) {
                if (ProcessRunner::IsFinished(task->GetProcessHandle())) {
                    FinishTask(*task);
                } else {
                    ++count;
                    // The interrupted run counts as never done, so the task is due at the next start.
                    if (!task->SetLastRun(CTime()))
                        LogFormatted("Unable to store the interrupted run of %s in the task file.", task->GetName());
                }
            }
        } catch (const Exception& e) {
            // A run that failed just before the stop must still be reported.
            Log::Write(e.GetFullMessage());
        } catch (...) {
            Log::Write(DescribeForFailure(*task));
        }
        // Every task stops before "stopped" is reported, idle ones too: a Watch task would
        // otherwise go on writing LastEvent into a task file that is the manager's from then on.
        try {
            task->Stop();
        } catch (...) {
            Log::Write(DescribeForFailure(*task));
        }
    }
    CString text;
    text.Format("Terminating %d running task(s).", count);
    Log::Write(text);
    if (count > 0) WriteEvent(EVENTLOG_WARNING_TYPE, EventTaskWarning, text);
    BroadcastStopMessage();
}

void COrvService::SetRunningTasksCount(DWORD count) {
    RegUtils::WriteDword(HKEY_LOCAL_MACHINE, Generator::GetSettingsKey(), "ServiceRunningTasks", count);
}

void COrvService::DeleteOldLogs() {
    CTime now = Clock::Now();
    int year = now.GetYear();
    int month = now.GetMonth();
    CStringArray expired;
    {
        CFileFind find;
        BOOL more = find.FindFile(DirUtils::JoinPath(AppData::GetLogsFolder(), "*.*"));
        while (more) {
            more = find.FindNextFile();
            if (find.IsDirectory()) continue;
            int fileYear = 0;
            int fileMonth = 0;
            if (!Log::ParseLogFileName(find.GetFileName(), fileYear, fileMonth)) continue;
            if (Log::IsLogFileExpired(year, month, fileYear, fileMonth, kLogMonthsKept)) expired.Add(find.GetFilePath());
        }
    }
    for (int i = 0; i < expired.GetSize(); ++i) DeleteFileA(expired[i]);
}
