// TEST_LOCK: registry broadcast
#include "OrvService/OrvService.h"
#include "OrvService/TaskExamination.h"
#include "OrvService/ExaminationTestSupport.h"
#include "common/Exception.h"
#include "common/ProcessRunner.h"
#include "support/GuiTestSupport.h"
#include <algorithm>
#include <new>

using namespace examination_test;

namespace {

class TaskExaminationTest : public ServiceFixture {
protected:
    // Lets the stand-in's run end before the examination looks at it.
    static void WaitForEnd(Task& task) {
        ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(task.GetProcessHandle(), 20000));
    }
    static bool WaitForStandInWindow() {
        for (int i = 0; i < 200; ++i) {
            if (FindWindowA("StandInOrvantiWindow", nullptr)) return true;
            Sleep(50);
        }
        return false;
    }
    COrvService service_;
};

std::string Text(const char* format, const char* a, const char* b, int n) {
    CString text;
    text.Format(format, a, b, n);
    return text.str();
}

}  // namespace

TEST_F(TaskExaminationTest, LoadReportsMixedValidAndUnknownSections) {
    AddPeriodicalTask(1, "");
    AddPeriodicalTask(3, "");
    IniFile(TasksIni()).WriteString("Hourly", "Task2", "Type");

    service_.LoadTasks();

    ASSERT_EQ(2u, service_.GetTasks().size());
    EXPECT_EQ(CString("Task1"), service_.GetTasks()[0]->GetName());
    EXPECT_EQ(CString("Task3"), service_.GetTasks()[1]->GetName());
    std::string log = LogText();
    const char* summary = "Successfully loaded 2 of 3 task(s). Unable to load 1 task(s).";
    size_t failure = LinePos(log, "Unable to load Task2: Unknown task type.");
    ASSERT_NE(std::string::npos, failure);
    ASSERT_NE(std::string::npos, LinePos(log, summary));
    EXPECT_LT(failure, LinePos(log, summary));
    std::vector<RecordedEvent> events = sink_.Events();
    ASSERT_EQ(1u, events.size());
    EXPECT_EQ(EVENTLOG_ERROR_TYPE, events[0].type);
    EXPECT_EQ(0xC0000012u, events[0].id);
    EXPECT_EQ(std::vector<std::string>{summary}, events[0].strings);
    // The event goes out before the line is written.
    EXPECT_EQ(std::string::npos, LinePos(events[0].logAtReport, summary));
}

TEST_F(TaskExaminationTest, LoadWithoutTaskFileWarnsAndAllLoadedInforms) {
    service_.LoadTasks();
    EXPECT_TRUE(service_.GetTasks().empty());
    EXPECT_NE(std::string::npos, LinePos(LogText(), "No task(s) to be loaded."));

    AddPeriodicalTask(1, "");
    service_.LoadTasks();
    EXPECT_EQ(1u, service_.GetTasks().size());
    EXPECT_NE(std::string::npos, LinePos(LogText(), "Successfully loaded 1 task(s)."));

    std::vector<RecordedEvent> events = sink_.Events();
    ASSERT_EQ(2u, events.size());
    EXPECT_EQ(EVENTLOG_WARNING_TYPE, events[0].type);
    EXPECT_EQ(0x80000013u, events[0].id);
    EXPECT_EQ(std::vector<std::string>{"No task(s) to be loaded."}, events[0].strings);
    EXPECT_EQ(EVENTLOG_INFORMATION_TYPE, events[1].type);
    EXPECT_EQ(0x40000011u, events[1].id);
}

namespace {
boost::shared_ptr<Task> OutOfMemoryOnTask2(const IniFile& file, const CString& section) {
    if (section == "Task2") throw std::bad_alloc();
    return CreateTask(file, section);
}
}  // namespace

TEST_F(TaskExaminationTest, LoadFailureOtherThanExceptionIsCountedAndTheRestLoads) {
    AddPeriodicalTask(1, "");
    AddPeriodicalTask(2, "");
    AddPeriodicalTask(3, "");
    TaskFactory previous = SetTaskFactoryForTesting(OutOfMemoryOnTask2);
    service_.LoadTasks();
    SetTaskFactoryForTesting(previous);

    EXPECT_EQ(2u, service_.GetTasks().size());
    std::string log = LogText();
    EXPECT_NE(std::string::npos, LinePos(log, "Unable to load Task2: Unknown problem occurred."));
    EXPECT_NE(std::string::npos, LinePos(log, "Successfully loaded 2 of 3 task(s). Unable to load 1 task(s)."));
}

// Sections are walked by the numbers the file holds: a run of numbers it holds none for costs one
// line, wherever it lies, and no try per number (two million tries took minutes; counting up to
// the last int never ended).
TEST_F(TaskExaminationTest, RunsOfMissingSectionNumbersAreReportedInOneLineAndNotTried) {
    struct Case {
        int count;
        std::vector<int> sections;
        std::vector<std::string> lines;  // all the load writes
    } cases[] = {
        {2147483647,
         {1, 2},
         {"Unable to load Task3 to Task2147483647: the task file holds no task section after Task2.",
          "Successfully loaded 2 of 2147483647 task(s). Unable to load 2147483645 task(s)."}},
        // One missing number between two sections is tried; the number right after the last
        // section is named alone.
        {4,
         {1, 3},
         {"Unable to load Task2: Unknown task type.", "Successfully loaded 2 of 4 task(s). Unable to load 2 task(s).",
          "Unable to load Task4: the task file holds no task section after Task3."}},
        {3, {}, {"Unable to load Task1 to Task3: the task file holds no task section.", "No task(s) to be loaded."}},
        {2000000,
         {1, 2000000},
         {"Unable to load Task2 to Task1999999: the task file holds no task section between Task1 and Task2000000.",
          "Successfully loaded 2 of 2000000 task(s). Unable to load 1999998 task(s)."}},
        {2147483647,
         {2147483647},
         {"Unable to load Task1 to Task2147483646: the task file holds no task section before Task2147483647.",
          "Successfully loaded 1 of 2147483647 task(s). Unable to load 2147483646 task(s)."}},
    };
    for (const Case& c : cases) {
        DeleteFileA(TasksIni());
        for (int n : c.sections) AddPeriodicalTask(n, "");
        IniFile(TasksIni()).WriteInt(c.count, "General", "TasksCount");
        const size_t before = LogText().size();
        {
            testing_support::Watchdog deadline(60);
            service_.LoadTasks();
        }
        std::string log = LogText().substr(before);
        for (const std::string& line : c.lines) EXPECT_NE(std::string::npos, LinePos(log, line)) << line;
        EXPECT_EQ(c.lines.size(), static_cast<size_t>(std::count(log.begin(), log.end(), '\n'))) << log;
    }
}

TEST_F(TaskExaminationTest, StartsADueTaskOnceAndStopBroadcastEndsTheRun) {
    CString doc = AddPeriodicalTask(1, "wait_broadcast=1\r\nrun_ms=30000\r\n");
    service_.LoadTasks();
    Task& task = *service_.GetTasks()[0];

    service_.ManageTasks();
    ASSERT_TRUE(ProcessRunner::IsValidHandle(task.GetProcessHandle()));
    EXPECT_NE(std::string::npos, LinePos(LogText(), "Task1 started."));
    EXPECT_EQ(FormatIniTime(CTime(2024, 3, 7, 10, 0, 0)).str(), task.GetReader()->ReadString("LastRun", "").str());
    EXPECT_EQ(1u, RunningTasksValue());
    ASSERT_TRUE(WaitForStandInWindow());
    std::string generator = scratch_.File("gen\\Orvanti.exe").str();
    EXPECT_EQ("run \"" + generator + "\" \"" + doc.str() + "\" /g /q /r /s3 /exitbroadcast\r\n", Runs(doc));

    // Due again by the clock while the first run is still going on: it is not started twice.
    SetNow(CTime(2024, 3, 7, 12, 0, 0));
    ASSERT_TRUE(task.IsDue());
    service_.ManageTasks();
    EXPECT_EQ(1u, RunningTasksValue());
    std::string afterSecond = LogText();
    EXPECT_EQ(std::string::npos, afterSecond.find("Task1 started.", afterSecond.find("Task1 started.") + 1));

    service_.TerminateTasks();
    EXPECT_EQ(CTime(), task.GetLastRun());
    std::string log = LogText();
    EXPECT_NE(std::string::npos, LinePos(log, "Terminating 1 running task(s)."));
    std::vector<RecordedEvent> events = sink_.Events();
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(EVENTLOG_WARNING_TYPE, events.back().type);
    EXPECT_EQ(0x80000013u, events.back().id);
    EXPECT_EQ(std::vector<std::string>{"Terminating 1 running task(s)."}, events.back().strings);
    EXPECT_NE(std::string::npos, LinePos(events.back().logAtReport, "Terminating 1 running task(s)."));

    // The service never ends the run itself: the stand-in quits on the broadcast.
    WaitForEnd(task);
    EXPECT_NE(std::string::npos, Runs(doc).find("stopped by broadcast"));
}

TEST_F(TaskExaminationTest, FinishedRunsAreLoggedByExitCode) {
    AddPeriodicalTask(1, "run_exit=3\r\n");
    AddPeriodicalTask(2, "run_exit=-5\r\n");
    AddPeriodicalTask(3, "run_exit=0\r\n");
    service_.LoadTasks();
    service_.ManageTasks();
    EXPECT_EQ(3u, RunningTasksValue());
    for (size_t i = 0; i < 3; ++i) WaitForEnd(*service_.GetTasks()[i]);
    CString lastRun = service_.GetTasks()[0]->GetReader()->ReadString("LastRun", "");

    SetNow(CTime(2024, 3, 7, 10, 1, 0));
    service_.ManageTasks();

    EXPECT_EQ(0u, RunningTasksValue());
    for (size_t i = 0; i < 3; ++i)
        EXPECT_FALSE(ProcessRunner::IsValidHandle(service_.GetTasks()[i]->GetProcessHandle()));
    EXPECT_EQ(lastRun.str(), service_.GetTasks()[0]->GetReader()->ReadString("LastRun", "").str());
    std::string failed1 = Text("Unable to finish %s [%s] successfully (exit code %d).", "Task1",
                               service_.GetTasks()[0]->GetDescription(), 3);
    std::string failed2 = Text("Unable to finish %s [%s] successfully (exit code %d).", "Task2",
                               service_.GetTasks()[1]->GetDescription(), -5);
    std::string log = LogText();
    EXPECT_NE(std::string::npos, LinePos(log, failed1));
    EXPECT_NE(std::string::npos, LinePos(log, failed2));
    EXPECT_NE(std::string::npos, LinePos(log, "Task3 finished successfully."));

    std::vector<RecordedEvent> events = sink_.Events();
    ASSERT_EQ(3u, events.size());  // the load, then one per failed run
    EXPECT_EQ(EVENTLOG_ERROR_TYPE, events[1].type);
    EXPECT_EQ(0xC0000012u, events[1].id);
    EXPECT_EQ(std::vector<std::string>{failed1}, events[1].strings);
    EXPECT_EQ(std::string::npos, LinePos(events[1].logAtReport, failed1));
    EXPECT_EQ(std::vector<std::string>{failed2}, events[2].strings);
}

TEST_F(TaskExaminationTest, StopWithAnEndedFailedRunLogsItAndBroadcastsAnyway) {
    AddPeriodicalTask(1, "run_exit=3\r\n");
    service_.LoadTasks();
    service_.ManageTasks();
    WaitForEnd(*service_.GetTasks()[0]);
    std::string failed = Text("Unable to finish %s [%s] successfully (exit code %d).", "Task1",
                              service_.GetTasks()[0]->GetDescription(), 3);
    // Another generator instance, not one of ours, listens for the broadcast.
    CString listenerDoc = scratch_.File("listener.orv");
    testing_support::WriteFileBytes(listenerDoc, "wait_broadcast=1\r\nrun_ms=30000\r\n");
    HANDLE listener = INVALID_HANDLE_VALUE;
    ASSERT_TRUE(ProcessRunner::Start("\"" + scratch_.File("gen\\Orvanti.exe") + "\" \"" + listenerDoc +
                                         "\" /g /q /r /s2 /exitbroadcast",
                                     listener));
    ASSERT_TRUE(WaitForStandInWindow());
    size_t eventsBefore = sink_.Events().size();

    service_.TerminateTasks();

    std::string log = LogText();
    ASSERT_NE(std::string::npos, LinePos(log, failed));
    ASSERT_NE(std::string::npos, LinePos(log, "Terminating 0 running task(s)."));
    EXPECT_LT(LinePos(log, failed), LinePos(log, "Terminating 0 running task(s)."));
    EXPECT_EQ(eventsBefore, sink_.Events().size());
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(listener, 20000));
    CloseHandle(listener);
    EXPECT_NE(std::string::npos, Runs(listenerDoc).find("stopped by broadcast"));
}

TEST_F(TaskExaminationTest, FailuresOfOneTaskAreLoggedAndTheOthersGoOn) {
    AddPeriodicalTask(1, "");
    AddPeriodicalTask(2, "run_ms=5000\r\n");
    service_.LoadTasks();
    service_.GetTasks().insert(service_.GetTasks().begin(), boost::shared_ptr<Task>());
    key_.DeleteValue("ProgramPath");
    service_.ManageTasks();
    std::string log = LogText();
    EXPECT_NE(std::string::npos, LinePos(log, "Error in COrvService::ManageTasks ()."));
    EXPECT_NE(std::string::npos, LinePos(log, "Unable to find a path to Orvanti application."));
    EXPECT_EQ(0u, RunningTasksValue());

    key_.SetStringValue("ProgramPath", scratch_.File("gen"));
    service_.ManageTasks();
    EXPECT_EQ(2u, RunningTasksValue());
    Task& task = *service_.GetTasks()[2];
    try {
        StartTask(task);
        ADD_FAILURE() << "started twice";
    } catch (const Exception& e) {
        EXPECT_STREQ("Unable to start. The task is already running.", e.GetFullMessage());
    }
    try {
        FinishTask(task);
        ADD_FAILURE() << "finished a running process";
    } catch (const Exception& e) {
        EXPECT_STREQ("Unable to finish task. Process is still running.", e.GetFullMessage());
    }
    Task& ended = *service_.GetTasks()[1];
    WaitForEnd(ended);
    FinishTask(ended);
    try {
        FinishTask(ended);
        ADD_FAILURE() << "finished twice";
    } catch (const Exception& e) {
        EXPECT_STREQ("Unable to finish task. Process handle invalid.", e.GetFullMessage());
    }
    WaitForEnd(task);
}

TEST_F(TaskExaminationTest, DeleteOldLogsKeepsTheCurrentAndTwoPreviousMonths) {
    SetNow(CTime(2024, 3, 15, 12, 0, 0));
    CString logs = AppData::GetLogsFolder();
    CreateDirectoryA(logs, nullptr);
    const char* files[] = {"2023-12.log", "2023-12.txt", "2024-01.log", "2024-02.log", "2024-03.log", "2022-07.log",
                           "notes.txt"};
    for (const char* name : files) testing_support::WriteFileBytes(logs + "\\" + name, "x");
    CreateDirectoryA(logs + "\\2021-01.log", nullptr);

    service_.DeleteOldLogs();

    auto exists = [&](const char* name) { return GetFileAttributesA(logs + "\\" + name) != INVALID_FILE_ATTRIBUTES; };
    EXPECT_FALSE(exists("2023-12.log"));
    EXPECT_FALSE(exists("2023-12.txt"));
    EXPECT_FALSE(exists("2022-07.log"));
    EXPECT_TRUE(exists("2024-01.log"));
    EXPECT_TRUE(exists("2024-02.log"));
    EXPECT_TRUE(exists("2024-03.log"));
    EXPECT_TRUE(exists("notes.txt"));
    EXPECT_TRUE(exists("2021-01.log"));
}

TEST_F(TaskExaminationTest, NoRunStartsWhileItsStartCannotBeStoredAndEachSpellOfFailureIsReportedOnce) {
    CString doc = AddPeriodicalTask(1, "");
    service_.LoadTasks();
    Task& task = *service_.GetTasks()[0];
    const std::string failure = "Unable to start Task1: its last run cannot be stored in the task file.";
    // The failure's log lines and error events, after some examinations with the file held.
    auto reportsAfterHeldExaminations = [&](int rounds) {
        ScopedHandle holder = testing_support::HoldExclusively(TasksIni());
        EXPECT_TRUE(holder.IsValid());
        for (int i = 0; i < rounds; ++i) service_.ManageTasks();
        std::string log = LogText();
        size_t reports = 0;
        for (size_t at = log.find(failure); at != std::string::npos; at = log.find(failure, at + 1)) ++reports;
        for (const RecordedEvent& e : sink_.Events())
            reports += e.type == EVENTLOG_ERROR_TYPE && e.strings == std::vector<std::string>{failure};
        return reports;
    };
    const std::string firstRun = FormatIniTime(CTime(2024, 3, 7, 10, 0, 0)).str();

    EXPECT_EQ(2u, reportsAfterHeldExaminations(3));
    EXPECT_EQ("", Runs(doc));
    EXPECT_EQ(0u, RunningTasksValue());
    service_.ManageTasks();
    EXPECT_EQ(firstRun, task.GetReader()->ReadString("LastRun", "").str());
    WaitForEnd(task);
    // The store that worked ends the spell: the next failure is reported again.
    SetNow(CTime(2024, 3, 7, 12, 0, 0));
    EXPECT_EQ(4u, reportsAfterHeldExaminations(2));

    // A generator that cannot be started leaves the last run as it was, so the task stays due.
    key_.SetStringValue("ProgramPath", scratch_.File("nowhere"));
    service_.ManageTasks();
    EXPECT_NE(std::string::npos, LinePos(LogText(), "Unable to start process."));
    EXPECT_EQ(firstRun, task.GetReader()->ReadString("LastRun", "").str());

    // Where no last run stood, none stands afterwards: not even an empty one.
    AddPeriodicalTask(2, "");
    service_.LoadTasks();
    service_.ManageTasks();
    EXPECT_EQ(CString("absent"), IniFile(TasksIni()).ReadString("Task2", "LastRun", "absent"));
}

namespace {
// Counts its stops; never due.
class StopCountingTask : public Task {
public:
    StopCountingTask(const CString& path, const CString& section) : Task(path, section) {}
    bool IsDue() override { return false; }
    CString GetDescription() override { return "counting stops"; }
    void Stop() override { ++stops; }
    int stops = 0;
};
}  // namespace

TEST_F(TaskExaminationTest, EveryTaskIsStoppedAtTerminationWithOrWithoutARun) {
    AddPeriodicalTask(1, "");
    AddPeriodicalTask(2, "");
    boost::shared_ptr<StopCountingTask> idle(new StopCountingTask(TasksIni(), "Task1"));
    boost::shared_ptr<StopCountingTask> failing(new StopCountingTask(TasksIni(), "Task2"));
    // An event is no process: finishing the run fails on the way.
    failing->SetProcessHandle(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    service_.GetTasks() = {idle, failing};

    service_.TerminateTasks();

    EXPECT_EQ(1, idle->stops);
    EXPECT_EQ(1, failing->stops);
    EXPECT_NE(std::string::npos,
              LinePos(LogText(), "Unable to finish Task2 [counting stops] successfully (exit code -1)."));
}
