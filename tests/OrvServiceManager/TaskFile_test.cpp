// TEST_LOCK: registry
// The manager's task file, also against the service's own loader (whose Watch tasks load only
// with the stand-in generator registered as the product's program folder).
#include "OrvService/DayScheduledTask.h"
#include "OrvService/PeriodicalTask.h"
#include "OrvService/TaskExamination.h"
#include "OrvServiceManager/TaskFile.h"
#include "OrvServiceManager/TaskFileLock.h"
#include "common/AppData.h"
#include "common/Exception.h"
#include "support/GuiTestSupport.h"
#include "support/TestSupport.h"
#include <gtest/gtest.h>
#include <cstring>
#include <functional>
#include <thread>

using testing_support::ReadFileBytes;

namespace {

// The section's "key=value" lines exactly as the file holds them, in file order.
std::vector<std::string> Lines(const CString& path, const char* section) {
    std::vector<char> buffer(16384, '\0');
    DWORD n = GetPrivateProfileSectionA(section, buffer.data(), static_cast<DWORD>(buffer.size()), path);
    std::vector<std::string> lines;
    for (const char* p = buffer.data(); p < buffer.data() + n && *p; p += std::strlen(p) + 1) lines.push_back(p);
    return lines;
}

std::string Failure(const std::function<void()>& action) {
    try {
        action();
    } catch (const Exception& e) {
        return e.GetFullMessage();
    }
    return "<no failure>";
}

const CTime kRun(2024, 3, 7, 9, 5, 0);

class TaskFileTest : public ::testing::Test {
protected:
    CString Path() const { return scratch_.File("tasks.ini"); }
    // Sections "Task1" and on from lines given as "key=value\0key=value\0", and their count.
    void WriteTasks(std::initializer_list<const char*> sections) {
        int n = 0;
        for (const char* lines : sections)
            ASSERT_TRUE(WritePrivateProfileSectionA(CString("Task") + CString(std::to_string(++n)), lines, Path()));
        ASSERT_TRUE(IniFile(Path()).WriteInt(n, "General", "TasksCount"));
    }
    int Count() const { return IniFile(Path()).ReadInt("General", "TasksCount", -1); }
    // A task as the manager loads it from the lines, with another document path when given.
    EditableTaskPtr Make(const char* lines, const CString& orvPath = CString()) const {
        const CString other = scratch_.File("made.ini");
        WritePrivateProfileSectionA("Made", lines, other);
        EditableTaskPtr task = CreateTaskFromIni(IniFile(other), "Made");
        if (!orvPath.IsEmpty()) task->SetOrvPath(orvPath);
        return task;
    }
    EditableTaskList Load() const {
        EditableTaskList tasks;
        LoadTasks(Path(), tasks);
        return tasks;
    }

    testing_support::ScratchFolder scratch_;
};

}  // namespace

TEST_F(TaskFileTest, LoadingMendsBadValuesAndSkipsSectionsThatCannotLoad) {
    struct Case {
        const char* lines;
        const char* priority;  // null: the section fails to load
        const char* path;
        CTime lastRun;
        const char* summary;
    } cases[] = {
        {"Type=Periodical\0Priority=/S1\0OrvPath=  C:/a b.orv \0LastRun=garbage\0", "/s2", "C:/a b.orv", CTime(),
         "Runs every 2 hour(s)."},
        {"Type=Periodical\0Priority=/s3\0Interval=100\0LastRun=2024:3:7;9:5\0", "/s3", "", kRun,
         "Runs every 48 hour(s)."},
        {"Type=Periodical\0Priority=\0Interval=1\0", "/s2", "", CTime(), "Runs every 2 hour(s)."},
        {"Type=DayScheduled\0Priority=fast\0Hour=30\0Minutes=0\0DaysCount=1\0Day1=3\0", "/s2", "", CTime(),
         "Runs at 30:00 on 1 selected day(s)."},
        {"Type=DayScheduled\0Priority=/s1\0Hour=9\0Minutes=5\0DaysCount=2\0Day1=2\0Day2=6\0", "/s1", "", CTime(),
         "Runs at 9:05 on 2 selected day(s)."},
        {"Type=DayScheduled\0Hour=9\0DaysCount=0\0", nullptr, nullptr, CTime(), nullptr},
        {"Type=DayScheduled\0DaysCount=1\0Day1=9\0", nullptr, nullptr, CTime(), nullptr},
        {"Type=periodical\0Interval=5\0", nullptr, nullptr, CTime(), nullptr},
        // Numbers past 32 bits do not wrap round to small ones (2 hours, one day).
        {"Type=Periodical\0Interval=4294967298\0", "/s2", "", CTime(), "Runs every 48 hour(s)."},
        {"Type=DayScheduled\0Hour=9\0DaysCount=4294967297\0Day1=2\0", nullptr, nullptr, CTime(), nullptr},
        {"Type=Watch\0Priority=/s2\0LastEvent=not a time;\0", "/s2", "", CTime(),
         "Runs when content being watched is modified."},
    };
    WriteTasks({cases[0].lines, cases[1].lines, cases[2].lines, cases[3].lines, cases[4].lines, cases[5].lines,
                cases[6].lines, cases[7].lines, cases[8].lines, cases[9].lines, cases[10].lines});
    EditableTaskList tasks = Load();
    size_t next = 0;
    for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
        if (!cases[i].priority) continue;
        ASSERT_LT(next, tasks.size());
        const EditableTask& task = *tasks[next++];
        SCOPED_TRACE(cases[i].lines);
        EXPECT_EQ(static_cast<int>(i + 1), task.GetSectionNumber());
        EXPECT_EQ(CString(cases[i].priority), task.GetPriority());
        EXPECT_EQ(CString(cases[i].path), task.GetOrvPath());
        EXPECT_TRUE(cases[i].lastRun == task.GetLastRun());
        EXPECT_EQ(CString(cases[i].summary), task.GetSummary());
    }
    EXPECT_EQ(next, tasks.size());
    EXPECT_EQ(CString("not a time;"), static_cast<EditableEventTrigeredTask&>(*tasks.back()).GetLastEvent());
}

TEST_F(TaskFileTest, EachKindWritesItsKeysInOrderAndOnlyWatchKeepsOtherKeys) {
    const char* const sources[] = {
        "Type=Periodical\0Interval=24\0OrvPath=C:/d/a.orv\0LastRun=2024:3:7;9:5\0",
        "Type=DayScheduled\0Priority=/s1\0Hour=9\0Minutes=5\0DaysCount=2\0Day1=2\0Day2=6\0OrvPath=b.orv\0",
        "Type=Watch\0LastEvent=2024:3:7;9:30\0OrvPath=c.orv\0",
    };
    const std::vector<std::string> expected[] = {
        {"Type=Periodical", "Interval=24", "Priority=/s2", "OrvPath=C:/d/a.orv", "LastRun=2024:3:7;9:5"},
        {"Type=DayScheduled", "Hour=9", "Minutes=5", "DaysCount=2", "Day1=2", "Day2=6", "Priority=/s1", "OrvPath=b.orv",
         "LastRun=" + FormatIniTime(CTime()).str()},
        {"Interval=7", "Stale=1", "LastEvent=2024:3:7;9:30", "Type=Watch", "Priority=/s2", "OrvPath=c.orv",
         "LastRun=" + FormatIniTime(CTime()).str()},
    };
    for (int i = 0; i < 3; ++i) {
        WriteTasks({"Interval=7\0Stale=1\0"});
        Make(sources[i])->Save(IniFile(Path()), "Task1");
        EXPECT_EQ(expected[i], Lines(Path(), "Task1"));
    }
}

// Edit, New and Remove as the Tasks page runs them, with the service's runs noted in between.
TEST_F(TaskFileTest, EditNewAndRemoveKeepBadSectionsAndWhatTheServiceStoredSinceTheLoad) {
    WriteTasks({"Type=Periodical\0Interval=3\0OrvPath=a.orv\0", "Type=DayScheduled\0DaysCount=0\0Mine=kept\0",
                "Type=Watch\0OrvPath=b.orv\0LastEvent=2024:3:7;9:30\0", "Type=Periodical\0Interval=5\0OrvPath=c.orv\0"});
    const std::vector<std::string> bad = Lines(Path(), "Task2");
    EditableTaskList tasks = Load();
    ASSERT_EQ(3u, tasks.size());
    for (const char* section : {"Task1", "Task3", "Task4"})
        SafeIniReader(Path(), section).WriteString("2024:3:8;10:0", "LastRun");
    SafeIniReader(Path(), "Task3").WriteString("2024:3:8;11:0", "LastEvent");
    const CTime serviceRun(2024, 3, 8, 10, 0, 0);

    EditableTaskPtr edited(tasks[2]->Clone());
    static_cast<EditableHourScheduledTask&>(*edited).SetInterval(6);
    SaveTaskAt(tasks[2]->GetSectionNumber(), *edited, *tasks[2], Path());
    tasks[2] = edited;
    EditableTaskPtr fromFile = CreateTaskFromIni(IniFile(Path()), "Task4");
    EXPECT_EQ(CString("Runs every 6 hour(s)."), fromFile->GetSummary());
    EXPECT_TRUE(serviceRun == fromFile->GetLastRun());
    EditableTaskPtr cleared(tasks[0]->Clone());
    cleared->ClearLastRun();
    SaveTaskAt(1, *cleared, *tasks[0], Path());
    tasks[0] = cleared;
    EXPECT_TRUE(CTime() == CreateTaskFromIni(IniFile(Path()), "Task1")->GetLastRun());

    EditableTaskPtr added = Make("Type=Periodical\0OrvPath=d.orv\0");
    EXPECT_EQ(5, AppendTask(*added, Path()));
    tasks.push_back(added);
    EXPECT_EQ(5, Count());
    EXPECT_EQ(bad, Lines(Path(), "Task2"));

    RemoveTaskAt(1, *tasks[0], Path());
    EXPECT_EQ((std::vector<std::string>{"TasksCount=4"}), Lines(Path(), "General"));
    EXPECT_EQ(bad, Lines(Path(), "Task1"));
    EditableTaskList reloaded = Load();
    ASSERT_EQ(3u, reloaded.size());
    const char* const paths[] = {"b.orv", "c.orv", "d.orv"};
    for (int i = 0; i < 3; ++i) EXPECT_EQ(CString(paths[i]), reloaded[i]->GetOrvPath());
    EXPECT_TRUE(serviceRun == reloaded[0]->GetLastRun());
    EXPECT_EQ(CString("2024:3:8;11:0"), static_cast<EditableEventTrigeredTask&>(*reloaded[0]).GetLastEvent());
}

// Another program writes the task file between the list's load and the user's Remove or Edit.
TEST_F(TaskFileTest, RemoveAndEditWriteOnlyTheSectionThatStillHoldsTheChosenTask) {
    const char* const a = "Type=Periodical\0Interval=3\0OrvPath=a.orv\0";
    const char* const b = "Type=Watch\0OrvPath=b.orv\0";
    const char* const c = "Type=Periodical\0Interval=5\0OrvPath=c.orv\0";
    // Tasks of one kind on one document, told apart by another key than Type and OrvPath.
    const char* const at9 = "Type=DayScheduled\0Hour=9\0Minutes=0\0DaysCount=1\0Day1=2\0OrvPath=d.orv\0";
    const char* const at18 = "Type=DayScheduled\0Hour=18\0Minutes=0\0DaysCount=1\0Day1=2\0OrvPath=d.orv\0";
    const char* const twoDays = "Type=DayScheduled\0Hour=9\0Minutes=0\0DaysCount=2\0Day1=2\0Day2=4\0OrvPath=d.orv\0";
    const char* const every5 = "Type=Periodical\0Interval=5\0OrvPath=a.orv\0";
    // Two tasks that load alike (48 hours), told apart only by what the file stores.
    const char* const every100 = "Type=Periodical\0Interval=100\0OrvPath=a.orv\0";
    const char* const every48 = "Type=Periodical\0Interval=48\0OrvPath=a.orv\0";
    const struct {
        std::initializer_list<const char*> listed;     // the file the list is loaded from
        std::initializer_list<const char*> meanwhile;  // the file the other writer leaves
        bool edit;                                     // else remove
        int chosen;                                    // list index of the chosen task
        std::vector<std::string> paths;               // what the file then holds, in order
    } cases[] = {
        {{a, b}, {a, b, c}, false, 0, {"b.orv", "c.orv"}},          // appended
        {{a, b}, {a, b, c}, true, 1, {"a.orv", "b2.orv", "c.orv"}},  // appended
        {{a, b}, {b}, false, 1, {"b.orv"}},                          // Task1 removed: Task2 is gone
        {{a, b}, {b}, true, 1, {"b.orv"}},
        {{a, b}, {a, "Type=Watch\0OrvPath=other.orv\0"}, true, 1, {"a.orv", "other.orv"}},  // another document
        // The 9:00 run removed: the 18:00 run moved into its section.
        {{at9, at18}, {at18}, false, 0, {"d.orv"}},
        {{at9, at18}, {at18}, true, 0, {"d.orv"}},
        {{at9, b}, {twoDays, b}, false, 0, {"d.orv", "b.orv"}},
        {{a, every5}, {every5}, true, 0, {"a.orv"}},
        {{at9, at18}, {at9, at18, c}, false, 0, {"d.orv", "c.orv"}},  // appended
        {{every100, b}, {every48, b}, false, 0, {"a.orv", "b.orv"}},
        {{every100, b}, {every48, b}, true, 0, {"a.orv", "b.orv"}},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(&k - cases);
        WriteTasks(k.listed);
        const EditableTaskList listed = Load();
        DeleteFileA(Path());
        WriteTasks(k.meanwhile);
        const std::string before = ReadFileBytes(Path());
        const EditableTask& chosen = *listed.at(k.chosen);
        EditableTaskPtr edited(chosen.Clone());
        edited->SetOrvPath("b2.orv");
        const std::string failure = Failure([&] {
            k.edit ? SaveTaskAt(k.chosen + 1, *edited, chosen, Path()) : RemoveTaskAt(k.chosen + 1, chosen, Path());
        });
        std::vector<std::string> paths;
        for (const auto& task : Load()) paths.push_back(task->GetOrvPath().str());
        EXPECT_EQ(k.paths, paths);
        if (failure == "<no failure>") {
            EXPECT_EQ(static_cast<int>(paths.size()), Count());
        } else {
            EXPECT_EQ(before, ReadFileBytes(Path()));
            const std::string changed = "Another program changed the task file: Task" + std::to_string(k.chosen + 1);
            EXPECT_EQ(0u, failure.find(changed + " no longer holds the ")) << failure;
        }
    }
}

// A hand-edited TasksCount, or section number, far beyond the others: only the sections the file
// holds are walked (counting to two million froze the Tasks page for minutes, to the last int
// for ever).
TEST_F(TaskFileTest, ACountOrSectionNumberFarBeyondTheOthersCostsNothing) {
    const int cases[][2] = {{3000, 2}, {2147483647, 2}, {2000000, 2000000}, {2147483647, 2147483647}};
    for (const auto& k : cases) {
        const int count = k[0], last = k[1];  // last: the second section's number
        SCOPED_TRACE(last);
        testing_support::WriteFileBytes(Path(), "[General]\r\nTasksCount=" + std::to_string(count) +
                                                    "\r\n[Task1]\r\nType=Periodical\r\nOrvPath=a.orv\r\n[Task" +
                                                    std::to_string(last) + "]\r\nType=Periodical\r\n");
        EditableTaskList tasks;
        {
            testing_support::Watchdog deadline(60);
            tasks = Load();
        }
        ASSERT_EQ(2u, tasks.size());
        EXPECT_EQ(last, tasks[1]->GetSectionNumber());
        if (last == 2147483647) {
            EXPECT_EQ("No task can be added after Task2147483647, the highest task number the task file can hold.",
                      Failure([&] { AppendTask(*Make("Type=Periodical\0OrvPath=c.orv\0"), Path()); }));
        }
        // The second section moves down one number and leaves nothing at its own.
        RemoveTaskAt(1, *tasks[0], Path());
        EXPECT_EQ(std::string::npos, ReadFileBytes(Path()).find("[Task" + std::to_string(last) + "]"));
        EXPECT_EQ(last - 1, Count());
        EXPECT_EQ(last - 1, Load().at(0)->GetSectionNumber());
        EXPECT_EQ(last, AppendTask(*Make("Type=Periodical\0OrvPath=c.orv\0"), Path()));
    }
}

// New writes a section the file does not hold yet, after the highest one it holds, and the count
// follows: a task added by hand beyond TasksCount, or below a negative one, is never overwritten.
TEST_F(TaskFileTest, NewWritesASectionTheFileDoesNotHoldYet) {
    const struct {
        const char* file;
        int added;
    } cases[] = {
        {"[General]\r\nTasksCount=1\r\n[Task1]\r\nType=Periodical\r\nOrvPath=a.orv\r\n"
         "[Task2]\r\nType=Watch\r\nOrvPath=hand.orv\r\n",
         3},
        {"[General]\r\nTasksCount=-1\r\n[Task1]\r\nType=Periodical\r\nOrvPath=a.orv\r\n", 2},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.file);
        testing_support::WriteFileBytes(Path(), k.file);
        std::vector<std::vector<std::string>> held;
        for (int n = 1; n < k.added; ++n) held.push_back(Lines(Path(), ("Task" + std::to_string(n)).c_str()));
        EXPECT_EQ(k.added, AppendTask(*Make("Type=Periodical\0OrvPath=c.orv\0"), Path()));
        EXPECT_EQ(k.added, Count());
        for (int n = 1; n < k.added; ++n) EXPECT_EQ(held[n - 1], Lines(Path(), ("Task" + std::to_string(n)).c_str()));
        EXPECT_EQ(CString("c.orv"), Load().back()->GetOrvPath());
    }
}

// Two managers write at once: the second waits while the first holds the lock between its check
// and its last write, so neither loses what the other wrote. A lock kept too long is a clear
// error, and nothing is written.
TEST_F(TaskFileTest, ASecondWriterWaitsForTheFirstAndNeitherIsLost) {
    typedef std::function<void(const EditableTaskList&)> Writer;  // works on the list as loaded
    const Writer removeTask1 = [this](const EditableTaskList& listed) { RemoveTaskAt(1, *listed[0], Path()); };
    const Writer editTask2 = [this](const EditableTaskList& listed) {
        EditableTaskPtr edited(listed[1]->Clone());
        edited->SetOrvPath("b2.orv");
        SaveTaskAt(2, *edited, *listed[1], Path());
    };
    auto add = [this](const char* path) {
        return Writer([this, path](const EditableTaskList&) { AppendTask(*Make("Type=Watch\0", path), Path()); });
    };
    const struct {
        Writer first;  // halted before its last write while the second runs
        Writer second;
        std::vector<std::string> paths;  // what the file then holds, in order
    } cases[] = {
        {removeTask1, add("c.orv"), {"b.orv", "c.orv"}},                  // the copy replaced the new task
        {add("c.orv"), add("d.orv"), {"a.orv", "b.orv", "c.orv", "d.orv"}},  // one section for both
        {editTask2, removeTask1, {"b2.orv"}},                             // the edit written after Task2 moved
    };
    const DWORD mainThread = GetCurrentThreadId();
    auto writeTasks = [this] {
        DeleteFileA(Path());
        WriteTasks({"Type=Periodical\0Interval=3\0OrvPath=a.orv\0", "Type=Watch\0OrvPath=b.orv\0"});
        return Load();
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(&k - cases);
        testing_support::Watchdog deadline(60);
        const EditableTaskList listed = writeTasks();
        std::thread second;
        std::string secondFailure = "<not run>";
        ScopedHandle secondDone(CreateEventA(nullptr, TRUE, FALSE, nullptr));
        SetBeforeLastTaskFileWriteForTesting([&] {
            if (GetCurrentThreadId() != mainThread) return;
            second = std::thread([&] {
                secondFailure = Failure([&] { k.second(listed); });
                SetEvent(secondDone.Get());
            });
            // Time enough for the second writer to finish, unless it waits for the lock.
            WaitForSingleObject(secondDone.Get(), 500);
        });
        EXPECT_EQ("<no failure>", Failure([&] { k.first(listed); }));
        SetBeforeLastTaskFileWriteForTesting(nullptr);
        ASSERT_TRUE(second.joinable());
        second.join();
        EXPECT_EQ("<no failure>", secondFailure);
        std::vector<std::string> paths;
        for (const auto& task : Load()) paths.push_back(task->GetOrvPath().str());
        EXPECT_EQ(k.paths, paths);
        EXPECT_EQ(static_cast<int>(k.paths.size()), Count());
    }

    const EditableTaskList listed = writeTasks();
    const std::string before = ReadFileBytes(Path());
    ScopedHandle held(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    ScopedHandle release(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    std::thread holder([&] {
        TaskFileLock lock;
        SetEvent(held.Get());
        WaitForSingleObject(release.Get(), 30000);
    });
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(held.Get(), 30000));
    const DWORD timeout = TaskFileLock::SetTimeoutForTesting(100);
    for (const Writer& write : {removeTask1, editTask2, add("c.orv")}) {
        EXPECT_EQ("Another Orvanti Service Manager is writing the task file and did not finish in time, so nothing "
                  "was written. Try again in a moment.",
                  Failure([&] { write(listed); }));
    }
    TaskFileLock::SetTimeoutForTesting(timeout);
    SetEvent(release.Get());
    holder.join();
    EXPECT_EQ(before, ReadFileBytes(Path()));
}

TEST_F(TaskFileTest, RefusedWritesAreReportedAndLeaveTheFileAsItWas) {
    WriteTasks({"Type=Periodical\0Interval=3\0OrvPath=a.orv\0", "Type=Periodical\0Interval=5\0OrvPath=b.orv\0"});
    const std::string before = ReadFileBytes(Path());
    EditableTaskList tasks = Load();
    ASSERT_EQ(2u, tasks.size());

    // A task that no program could load again is refused before anything is written.
    EditableDayScheduledTask noDayTask;
    noDayTask.SetOrvPath("a.orv");
    const std::string noDay = "Select at least one day on which the task runs.";
    EXPECT_EQ(noDay, Failure([&] { SaveTaskAt(1, noDayTask, *tasks[0], Path()); }));
    EXPECT_EQ(noDay, Failure([&] { AppendTask(noDayTask, Path()); }));
    EXPECT_EQ(before, ReadFileBytes(Path()));
    {
        ScopedHandle held = testing_support::HoldExclusively(Path());
        ASSERT_TRUE(held.IsValid());
        const std::string refused = "Unable to write to the task file " + Path().str();
        EXPECT_EQ(0u, Failure([&] { RemoveTaskAt(1, *tasks[0], Path()); }).find(refused));
        EXPECT_EQ(0u, Failure([&] { AppendTask(*tasks[0], Path()); }).find(refused));
        EXPECT_EQ(0u, Failure([&] { SaveTaskAt(1, *tasks[0], *tasks[0], Path()); }).find(refused));
    }
    EXPECT_EQ(before, ReadFileBytes(Path()));

    // A write refused after the task's first key (a full disk): a New or an Edit leaves no
    // fragment of the task behind, nor loses the edited one, and the next New counts nothing in.
    for (bool edit : {false, true}) {
        SCOPED_TRACE(edit ? "Edit" : "New");
        int keys = 0;
        SetTaskFileWriteCheckForTesting([&keys](const char*) {
            SetLastError(ERROR_DISK_FULL);
            return ++keys == 1;
        });
        EditableTaskPtr task(tasks[0]->Clone());
        task->SetOrvPath("c.orv");
        const std::string failure = Failure([&] {
            edit ? SaveTaskAt(1, *task, *tasks[0], Path()) : static_cast<void>(AppendTask(*task, Path()));
        });
        SetTaskFileWriteCheckForTesting(nullptr);
        EXPECT_EQ("Unable to write to the task file " + Path().str() + " (error 112).", failure);
        EXPECT_EQ(before, ReadFileBytes(Path()));
        EXPECT_EQ(3, AppendTask(*Make("Type=Periodical\0OrvPath=d.orv\0"), Path()));
        EXPECT_EQ(3, Count());
        testing_support::WriteFileBytes(Path(), before);
    }
    WIN32_FIND_DATAA found;
    EXPECT_FALSE(ScopedFindHandle(FindFirstFileA(scratch_.File("*.tmp"), &found)).IsValid());
}

TEST_F(TaskFileTest, EveryFileTheManagerWritesLoadsInTheServiceWithTheSameValues) {
    ASSERT_TRUE(testing_support::InstallStandInGenerator(scratch_.File("gen")));
    testing_support::SavedRegistryValue savedPath(testing_support::kProductSettingsKey, "ProgramPath");
    AppData::SetDataFolderForTesting(scratch_.File("data"));
    CreateDirectoryA(scratch_.File("new"), nullptr);
    const CString doc = scratch_.File("new\\report.orv");  // "\n" and "\r" inside the path
    testing_support::WriteFileBytes(doc, "folder=" + scratch_.File("new").str() + "\r\n");
    EditableTaskList tasks = {
        Make("Type=Periodical\0Interval=5\0Priority=/s1\0LastRun=2024:3:7;9:5\0", doc),
        Make("Type=DayScheduled\0Hour=23\0Minutes=59\0DaysCount=3\0Day1=1\0Day2=7\0Day3=4\0Priority=/s3\0", doc),
        Make("Type=Watch\0LastEvent=2024:3:7;9:30\0", doc)};
    for (auto& task : tasks) AppendTask(*task, Path());
    for (const char* pass : {"appended", "saved over"}) {
        SCOPED_TRACE(pass);
        TaskList loaded;
        int failures = -1;
        LoadTaskList(Path(), loaded, failures);
        ASSERT_EQ(0, failures);
        ASSERT_EQ(3u, loaded.size());
        for (size_t i = 0; i < 3; ++i) {
            EXPECT_EQ(tasks[i]->GetPriority(), loaded[i]->GetPriority());
            EXPECT_EQ(doc, loaded[i]->GetOrvPath());
            EXPECT_TRUE(tasks[i]->GetLastRun() == loaded[i]->GetLastRun());
            loaded[i]->Stop();
        }
        EXPECT_EQ(5, static_cast<PeriodicalTask&>(*loaded[0]).GetInterval().GetTotalHours());
        const auto& day = static_cast<DayScheduledTask&>(*loaded[1]);
        EXPECT_EQ(23 * 60 + 59, day.GetHour() * 60 + day.GetMinutes());
        EXPECT_EQ((std::vector<int>{1, 7, 4}), day.GetDays());
        EXPECT_EQ(CString("2024:3:7;9:30"), IniFile(Path()).ReadString("Task3", "LastEvent", ""));
        for (size_t i = 0; i < 3; ++i) SaveTaskAt(static_cast<int>(i + 1), *tasks[i], *tasks[i], Path());
    }
    AppData::SetDataFolderForTesting("");
}
