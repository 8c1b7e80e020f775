// TEST_LOCK: registry broadcast
#include "OrvService/DelayedNotifier.h"
#include "OrvService/OrvService.h"
#include "OrvService/WatchTask.h"
#include "classlib/CRegKey.h"
#include "common/AppData.h"
#include "common/Clock.h"
#include "common/DirUtils.h"
#include "common/Exception.h"
#include "common/Log.h"
#include "support/GuiTestSupport.h"
#include "support/NotificationThreadHold.h"
#include "support/TestSupport.h"
#include <gtest/gtest.h>
#include <atomic>
#include <memory>
#include <thread>
#include <string>

using testing_support::ReadFileBytes;
using testing_support::ScratchFolder;
using testing_support::WriteFileBytes;

namespace {

CTime g_now;
CTime FakeNow() { return g_now; }

// A task file, a data folder, the stand-in generator installed as Orvanti.exe and registered
// as the product's program folder, all in one scratch folder.
class WatchTaskTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(testing_support::InstallStandInGenerator(scratch_.File("gen")));
        ASSERT_EQ(ERROR_SUCCESS, key_.Open(HKEY_LOCAL_MACHINE, testing_support::kProductSettingsKey));
        CreateDirectoryA(scratch_.File("site"), nullptr);
        CreateDirectoryA(scratch_.File("site2"), nullptr);
        AppData::SetDataFolderForTesting(scratch_.File("data"));
        ini_.reset(new IniFile(scratch_.File("tasks.ini")));
        ini_->WriteString("Watch", "Task1", "Type");
        ini_->WriteString(Doc(), "Task1", "OrvPath");
    }
    void TearDown() override {
        Clock::SetSource(nullptr);
        AppData::SetDataFolderForTesting("");
    }
    CString Doc() const { return scratch_.File("site.orv"); }
    CString ListFile() const { return scratch_.File("data\\tmpFolders.txt"); }
    void WriteDoc(const std::string& text) { WriteFileBytes(Doc(), text); }
    std::string Runs() const { return ReadFileBytes(Doc() + ".runs"); }
    std::string LogText() const { return ReadFileBytes(Log::GetCurrentLogFilePath()); }
    boost::shared_ptr<WatchTask> Load(const char* section = "Task1") {
        return WatchTask::Create(ini_->GetPath(), section);
    }
    std::string LoadFailure(const char* section = "Task1") {
        try {
            Load(section);
        } catch (const Exception& e) {
            return e.GetFullMessage();
        }
        return "loaded";
    }
    static CTime At(int hour, int minute, int second) { return CTime(2024, 3, 7, hour, minute, second); }

    ScratchFolder scratch_;
    testing_support::SavedRegistryValue savedPath_{testing_support::kProductSettingsKey, "ProgramPath"};
    CRegKey key_;
    std::unique_ptr<IniFile> ini_;
};

}  // namespace

TEST_F(WatchTaskTest, QueriesTheGeneratorWithTheExactCommandLineAndWatchesEachFolder) {
    WriteDoc("folder=" + scratch_.File("site").str() + "\r\n\r\n  folder=" + "\r\nfolder=  " +
             scratch_.File("site2").str() + "  \r\n");
    boost::shared_ptr<WatchTask> task = Load();
    std::string expected = "query \"" + scratch_.File("gen\\Orvanti.exe").str() + "\" \"" + Doc().str() + "\" \"/f" +
                           ListFile().str() + "\"\r\n";
    EXPECT_EQ(expected, Runs());
    EXPECT_FALSE(DirUtils::Exists(ListFile()));
    std::string log = LogText();
    EXPECT_NE(std::string::npos, log.find("  Watching folder " + scratch_.File("site").str() + " (Task1).\r\n"));
    EXPECT_NE(std::string::npos, log.find("  Watching folder " + scratch_.File("site2").str() + " (Task1).\r\n"));
    EXPECT_EQ(CString("Watch, site.orv"), task->GetDescription());
    EXPECT_NE(0u, DelayedThreadNotifier::GetThreadId());
    task->Stop();
    EXPECT_EQ(0u, DelayedThreadNotifier::GetThreadId());
}

TEST_F(WatchTaskTest, QueryFailuresFailTheLoadAndLeaveNoListBehind) {
    WriteDoc("");
    EXPECT_EQ("No folders to be watched.", LoadFailure());
    EXPECT_FALSE(DirUtils::Exists(ListFile()));

    WriteDoc("folder=" + scratch_.File("site").str() + "\r\nquery_exit=1\r\n");
    EXPECT_EQ("Unable to retrieve folders from Orv document.", LoadFailure());
    EXPECT_FALSE(DirUtils::Exists(ListFile()));

    // No list written: the platform's text for the missing file.
    WriteDoc("query_no_list=1\r\n");
    std::string message = LoadFailure();
    EXPECT_NE("loaded", message);
    EXPECT_NE(std::string::npos, message.find("tmpFolders.txt")) << message;
    EXPECT_EQ(0u, DelayedThreadNotifier::GetThreadId());
}

TEST_F(WatchTaskTest, AQueryThatDoesNotFinishInTimeFailsTheLoadAndTheGeneratorIsLeftAlone) {
    WriteDoc("folder=" + scratch_.File("site").str() + "\r\nquery_ms=2000\r\n");
    DWORD previous = SetFolderQueryTimeLimitForTesting(300);
    std::string failure = LoadFailure();
    SetFolderQueryTimeLimitForTesting(previous);
    EXPECT_EQ("The folder query did not finish in time.", failure);
    EXPECT_EQ(0u, DelayedThreadNotifier::GetThreadId());
    // The service never ends a generator: this one finishes its query on its own.
    DWORD start = GetTickCount();
    while (Runs().find("query done") == std::string::npos && GetTickCount() - start < 20000) Sleep(50);
    EXPECT_NE(std::string::npos, Runs().find("query done"));
}

TEST_F(WatchTaskTest, TheLateListOfAGivenUpQueryNeverReachesALaterOne) {
    // Task1's generator writes its list after its query was given up, while Task2's query runs:
    // Task2's generator waits for that list to appear and writes none of its own. The list comes
    // seconds after the give-up, so that even on a busy machine it is not there yet when the list
    // file is deleted before Task2's query begins: written earlier, it went with that delete, and
    // Task2's generator waited for it in vain.
    WriteDoc("folder=" + scratch_.File("site").str() + "\r\nquery_ms=3000\r\n");
    DWORD previous = SetFolderQueryTimeLimitForTesting(200);
    EXPECT_EQ("The folder query did not finish in time.", LoadFailure());
    SetFolderQueryTimeLimitForTesting(previous);
    CString doc2 = scratch_.File("site2.orv");
    ini_->WriteString("Watch", "Task2", "Type");
    ini_->WriteString(doc2, "Task2", "OrvPath");
    WriteFileBytes(doc2, "query_no_list=1\r\nquery_wait_for=" + ListFile().str() + "\r\n");
    EXPECT_NE("loaded", LoadFailure("Task2"));
    EXPECT_TRUE(DirUtils::Exists(ListFile())) << "the late list was never written";
    // The late list goes with the next query.
    WriteFileBytes(doc2, "folder=" + scratch_.File("site2").str() + "\r\n");
    EXPECT_EQ("loaded", LoadFailure("Task2"));
    EXPECT_FALSE(DirUtils::Exists(ListFile()));
    EXPECT_EQ(std::string::npos, LogText().find("Watching folder " + scratch_.File("site").str() + " "));
    for (int i = 0; i < 400 && Runs().find("query done") == std::string::npos; ++i) Sleep(50);
}

TEST_F(WatchTaskTest, AStaleListIsNeverTakenForTheDocumentsFolders) {
    // An interrupted earlier query left its list; with no generator nothing is run at all.
    WriteFileBytes(ListFile(), scratch_.File("site").str() + "\r\n");
    key_.SetStringValue("ProgramPath", "");
    WriteDoc("folder=" + scratch_.File("site").str() + "\r\n");
    EXPECT_NE("loaded", LoadFailure());
    EXPECT_FALSE(DirUtils::Exists(ListFile()));
    EXPECT_EQ("", Runs());
}

TEST_F(WatchTaskTest, AMissingFolderStopsTheWatchesStartedBeforeIt) {
    CString missing = scratch_.File("gone");
    WriteDoc("folder=" + scratch_.File("site").str() + "\r\nfolder=" + missing.str() + "\r\nfolder=" +
             scratch_.File("site2").str() + "\r\n");
    EXPECT_EQ("Unable to start watching folder: " + missing.str(), LoadFailure());
    std::string log = LogText();
    EXPECT_NE(std::string::npos, log.find("Watching folder " + scratch_.File("site").str() + " (Task1)."));
    EXPECT_EQ(std::string::npos, log.find("Watching folder " + scratch_.File("site2").str()));
    // Nothing is left watching: the last watch gone takes the notification thread with it.
    EXPECT_EQ(0u, DelayedThreadNotifier::GetThreadId());
}

TEST_F(WatchTaskTest, ChangesWithinTwoSecondsOfTheLastNotedOneAreIgnored) {
    WriteDoc("folder=" + scratch_.File("site").str() + "\r\n");
    boost::shared_ptr<WatchTask> task = Load();
    Clock::SetSource(&FakeNow);
    EXPECT_EQ(CTime(), task->GetLastEvent());

    g_now = At(10, 0, 0);
    task->OnChange();
    EXPECT_EQ(At(10, 0, 0), task->GetLastEvent());
    EXPECT_EQ(FormatIniTime(At(10, 0, 0)), ini_->ReadString("Task1", "LastEvent", ""));
    ini_->WriteString("marker", "Task1", "LastEvent");

    g_now = At(10, 0, 1);
    task->OnChange();
    EXPECT_EQ(At(10, 0, 0), task->GetLastEvent());
    EXPECT_EQ(CString("marker"), ini_->ReadString("Task1", "LastEvent", ""));

    g_now = At(10, 0, 2);
    task->OnChange();
    EXPECT_EQ(At(10, 0, 0), task->GetLastEvent());

    g_now = At(10, 0, 5);
    task->OnChange();
    EXPECT_EQ(At(10, 0, 5), task->GetLastEvent());
    EXPECT_EQ(FormatIniTime(At(10, 0, 5)), ini_->ReadString("Task1", "LastEvent", ""));

    // A clock set back is a change to note, not one to ignore.
    g_now = At(9, 0, 0);
    task->OnChange();
    EXPECT_EQ(At(9, 0, 0), task->GetLastEvent());
}

TEST_F(WatchTaskTest, AChangeTheTaskFileRefusesIsStillNotedAndSaysSo) {
    WriteDoc("folder=" + scratch_.File("site").str() + "\r\n");
    boost::shared_ptr<WatchTask> task = Load();
    ScopedHandle holder = testing_support::HoldExclusively(ini_->GetPath());
    ASSERT_TRUE(holder.IsValid());
    EXPECT_FALSE(task->OnChange());
    EXPECT_NE(CTime(), task->GetLastEvent());
}

TEST_F(WatchTaskTest, AWatchTheWatcherGaveUpIsLoggedOnceWithItsFolderAndTask) {
    WriteDoc("folder=" + scratch_.File("site").str() + "\r\nfolder=" + scratch_.File("site2").str() + "\r\n");
    boost::shared_ptr<WatchTask> task = Load();
    // What the watcher tells the task when a read cannot be issued again; Wine never fails one.
    static_cast<FolderChangeHandler&>(*task).OnReadDirectoryChangesError(ERROR_ACCESS_DENIED, scratch_.File("site2"));
    task->IsDue();
    task->IsDue();
    std::string line = "  Stopped watching folder " + scratch_.File("site2").str() + " (Task1): error 5.\r\n";
    std::string log = LogText();
    size_t at = log.find(line);
    EXPECT_NE(std::string::npos, at);
    EXPECT_EQ(std::string::npos, log.find(line, at + 1));
    EXPECT_EQ(std::string::npos, log.find("Stopped watching folder " + scratch_.File("site").str() + " "));

    // A watcher thread that cannot be told to end is left behind: the stop goes on and says so.
    SetCompletionPosterForTesting(testing_support::RefuseQuitPacket);
    task->Stop();
    SetCompletionPosterForTesting(nullptr);
    EXPECT_NE(std::string::npos, LogText().find("  Unable to end the folder watcher of Task1 (error 1450): its thread "
                                                "is left waiting, and the task stops all the same.\r\n"));
}

TEST_F(WatchTaskTest, AStopEndsInTimeWhileAChangeIsStillBeingNotedAndTheLateNoteWritesNothing) {
    testing_support::Watchdog watchdog(60);
    WriteDoc("folder=" + scratch_.File("site").str() + "\r\n");
    const DWORD limit = 2000, previousLimit = FolderWatcher::SetAnswerLimitForTesting(limit);
    boost::shared_ptr<Task> task = Load();
    // The task closes its process handle when it goes: a handle of this process tells whether it
    // still exists.
    HANDLE mark = nullptr;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &mark, 0, FALSE,
                                DUPLICATE_SAME_ACCESS));
    task->SetProcessHandle(mark);
    auto taskExists = [mark] { return GetProcessId(mark) == GetCurrentProcessId(); };
    testing_support::NotificationThreadHold hold(30000);
    WriteFileBytes(scratch_.File("site\\new.txt"), "x");
    ASSERT_TRUE(hold.WaitUntilHeld(10000));
    ScopedHandle notificationThread(OpenThread(SYNCHRONIZE, FALSE, DelayedThreadNotifier::GetThreadId()));
    DWORD start = GetTickCount();
    task->Stop();
    EXPECT_LT(GetTickCount() - start, limit + 2500);
    FolderWatcher::SetAnswerLimitForTesting(previousLimit);
    EXPECT_NE(std::string::npos, LogText().find("  A change notification of Task1 is still being handled: it is "
                                                "left to finish on its own, and the task stops all the same.\r\n"));
    // The service lets go of its tasks once stopped: the callback returns into a task that is
    // still there, writes nothing into the task file, which is the manager's by then, and the
    // task goes only then.
    task.reset();
    EXPECT_TRUE(taskExists());
    hold.LetGo();
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(notificationThread.Get(), 10000));
    EXPECT_FALSE(taskExists());
    EXPECT_EQ(CString(), ini_->ReadString("Task1", "LastEvent", ""));
}

// The service's stop over three Watch tasks while one task's change callback does not return,
// for each place of that task in the list. Every task's stop once waited out a limit of its own
// behind the held callback, and was reported as a watcher left behind: now the whole stop ends
// within one limit, no watcher is reported, and the held task alone is told of its callback.
TEST_F(WatchTaskTest, TheServicesStopEndsWithinOneLimitWhereverTheHeldTaskStands) {
    testing_support::Watchdog watchdog(90);
    const int tasks = 3;
    const DWORD limit = 2000, previousLimit = FolderWatcher::SetAnswerLimitForTesting(limit);
    auto section = [](int n) { return "Task" + std::to_string(n); };
    for (int n = 1; n <= tasks; ++n) {
        const CString folder = scratch_.File(("w" + std::to_string(n)).c_str()), doc = folder + ".orv";
        CreateDirectoryA(folder, nullptr);
        WriteFileBytes(doc, "folder=" + folder.str() + "\r\n");
        ini_->WriteString("Watch", section(n).c_str(), "Type");
        ini_->WriteString(doc, section(n).c_str(), "OrvPath");
    }
    for (int held = 1; held <= tasks; ++held) {
        SCOPED_TRACE(held);
        COrvService service;
        for (int n = 1; n <= tasks; ++n) service.GetTasks().push_back(Load(section(n).c_str()));
        testing_support::NotificationThreadHold hold(30000);
        WriteFileBytes(scratch_.File(("w" + std::to_string(held) + "\\new.txt").c_str()), "x");
        ASSERT_TRUE(hold.WaitUntilHeld(10000));
        ScopedHandle notificationThread(OpenThread(SYNCHRONIZE, FALSE, DelayedThreadNotifier::GetThreadId()));
        const size_t logged = LogText().size();
        const DWORD start = GetTickCount();
        service.TerminateTasks();
        EXPECT_LT(GetTickCount() - start, limit + 2500);
        const std::string log = LogText().substr(logged);
        EXPECT_EQ(std::string::npos, log.find("Unable to end the folder watcher")) << log;
        for (int n = 1; n <= tasks; ++n)
            EXPECT_EQ(n == held, log.find("  A change notification of " + section(n) + " is still being handled: it is "
                                          "left to finish on its own, and the task stops all the same.\r\n") !=
                                     std::string::npos)
                << log;
        service.GetTasks().clear();
        hold.LetGo();
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(notificationThread.Get(), 10000));
    }
    FolderWatcher::SetAnswerLimitForTesting(previousLimit);
}

TEST_F(WatchTaskTest, DueAfterElevenQuietMinutesWithoutARunSince) {
    WriteDoc("folder=" + scratch_.File("site").str() + "\r\n");
    boost::shared_ptr<WatchTask> task = Load();
    Clock::SetSource(&FakeNow);

    g_now = At(23, 0, 0);
    EXPECT_FALSE(task->IsDue());  // no change ever

    g_now = At(10, 0, 5);
    task->OnChange();
    g_now = At(10, 11, 4);
    EXPECT_FALSE(task->IsDue());
    g_now = At(10, 11, 5);
    EXPECT_TRUE(task->IsDue());

    // A run started after the change settles it...
    task->SetLastRun(At(10, 12, 0));
    EXPECT_FALSE(task->IsDue());
    // ...but a run stored to the minute before the change's second leaves it pending.
    g_now = At(10, 20, 10);
    task->OnChange();
    task->SetLastRun(At(10, 20, 40));
    g_now = At(10, 31, 9);
    EXPECT_FALSE(task->IsDue());
    g_now = At(10, 31, 10);
    EXPECT_TRUE(task->IsDue());
}

TEST_F(WatchTaskTest, TheLastEventComesFromTheFileAtLoad) {
    ini_->WriteString(FormatIniTime(At(8, 30, 0)), "Task1", "LastEvent");
    WriteDoc("folder=" + scratch_.File("site").str() + "\r\n");
    boost::shared_ptr<WatchTask> task = Load();
    EXPECT_EQ(At(8, 30, 0), task->GetLastEvent());
}

TEST_F(WatchTaskTest, AChangeInAWatchedSubfolderIsNotedInTheTaskFile) {
    WriteDoc("folder=" + scratch_.File("site").str() + "\r\n");
    boost::shared_ptr<WatchTask> task = Load();
    CreateDirectoryA(scratch_.File("site\\pages"), nullptr);
    DWORD start = GetTickCount();
    while (ini_->ReadString("Task1", "LastEvent", "").IsEmpty() && GetTickCount() - start < 10000) Sleep(20);
    EXPECT_FALSE(ini_->ReadString("Task1", "LastEvent", "").IsEmpty());
    EXPECT_NE(CTime(), task->GetLastEvent());
}

TEST_F(WatchTaskTest, ATaskGoesAwayCleanlyWhileChangesStreamIn) {
    WriteDoc("folder=" + scratch_.File("site").str() + "\r\nfolder=" + scratch_.File("site2").str() + "\r\n");
    for (int round = 0; round < 5; ++round) {
        ini_->WriteString("", "Task1", "LastEvent");
        boost::shared_ptr<WatchTask> task = Load();
        std::atomic<bool> stop(false);
        std::thread writer([&] {
            for (int i = 0; !stop; ++i) {
                CString name;
                name.Format("%s\\f%d.txt", i % 2 ? "site" : "site2", i % 20);
                WriteFileBytes(scratch_.File(name), std::to_string(i));
            }
        });
        DWORD start = GetTickCount();
        while (task->GetLastEvent() == CTime() && GetTickCount() - start < 10000) Sleep(5);
        EXPECT_NE(CTime(), task->GetLastEvent());
        Sleep(round * 10);
        task.reset();
        // The changes queued for it by then are dropped unseen, and the notification thread goes
        // with the last.
        for (DWORD start = GetTickCount(); DelayedThreadNotifier::GetThreadId() != 0 && GetTickCount() - start < 5000;)
            Sleep(5);
        EXPECT_EQ(0u, DelayedThreadNotifier::GetThreadId());
        // Gone means gone: the changes still streaming in are noted by nobody.
        ini_->WriteString("", "Task1", "LastEvent");
        Sleep(100);
        stop = true;
        writer.join();
        EXPECT_EQ(CString(), ini_->ReadString("Task1", "LastEvent", ""));
    }
}
