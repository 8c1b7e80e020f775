// TEST_LOCK: registry broadcast
#include "OrvService/OrvService.h"
#include "OrvService/TaskExamination.h"
#include "OrvService/ExaminationTestSupport.h"
#include "common/DirUtils.h"
#include "support/HeldFileTracker.h"
#include <functional>

using namespace examination_test;

namespace {

struct Status {
    DWORD state;
    DWORD checkPoint;
    DWORD waitHint;
    DWORD controls;
    DWORD exitCode;
};

class RecordingPort : public ServiceStatusPort {
public:
    RecordingPort() { InitializeCriticalSection(&lock_); }
    ~RecordingPort() override { DeleteCriticalSection(&lock_); }
    SERVICE_STATUS_HANDLE RegisterHandlerEx(const char*, LPHANDLER_FUNCTION_EX, void*) override {
        return reinterpret_cast<SERVICE_STATUS_HANDLE>(1);
    }
    SERVICE_STATUS_HANDLE RegisterHandler(const char*, LPHANDLER_FUNCTION) override {
        return reinterpret_cast<SERVICE_STATUS_HANDLE>(1);
    }
    BOOL SetStatus(SERVICE_STATUS_HANDLE, const SERVICE_STATUS& s) override {
        EnterCriticalSection(&lock_);
        statuses_.push_back(
            Status{s.dwCurrentState, s.dwCheckPoint, s.dwWaitHint, s.dwControlsAccepted, s.dwWin32ExitCode});
        LeaveCriticalSection(&lock_);
        if (onReport) onReport(s.dwCurrentState);
        return TRUE;
    }
    std::vector<Status> Statuses() {
        EnterCriticalSection(&lock_);
        std::vector<Status> copy = statuses_;
        LeaveCriticalSection(&lock_);
        return copy;
    }

    // Called on the reporting thread after each report.
    std::function<void(DWORD)> onReport;

private:
    CRITICAL_SECTION lock_;
    std::vector<Status> statuses_;
};

// A task that only counts how often an examination asks it; it is never due. A hook lets a
// test act in the middle of an examination.
class CountingTask : public Task {
public:
    CountingTask(const CString& path, const CString& section) : Task(path, section) {}
    bool IsDue() override {
        LONG n = InterlockedIncrement(&examinations);
        if (hook) hook(n);
        return false;
    }
    CString GetDescription() override { return "counting"; }
    static volatile LONG examinations;
    static std::function<void(LONG)> hook;
};
volatile LONG CountingTask::examinations = 0;
std::function<void(LONG)> CountingTask::hook;

boost::shared_ptr<Task> MakeCountingTask(const IniFile& file, const CString& section) {
    return boost::shared_ptr<Task>(new CountingTask(file.GetPath(), section));
}

class WorkerLoopTest : public ServiceFixture {
protected:
    void SetUp() override {
        ServiceFixture::SetUp();
        AddPeriodicalTask(1, "");
        previousFactory_ = SetTaskFactoryForTesting(MakeCountingTask);
        CountingTask::examinations = 0;
        CountingTask::hook = nullptr;
        service_.SetStatusPort(&port_);
        service_.SetSleepForTesting(10);
    }
    void TearDown() override {
        if (thread_) Stop();
        CountingTask::hook = nullptr;
        SetTaskFactoryForTesting(previousFactory_);
        ServiceFixture::TearDown();
    }
    void Start() {
        thread_ = CreateThread(nullptr, 0, &WorkerLoopTest::Run, &service_, 0, nullptr);
        ASSERT_TRUE(thread_ != nullptr);
    }
    void Stop() {
        service_.OnStop();
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread_, 20000));
        CloseHandle(thread_);
        thread_ = nullptr;
    }
    static DWORD WINAPI Run(void* service) {
        static char name[] = "BrellixOrvService";
        LPSTR argv[] = {name};
        static_cast<COrvService*>(service)->RunServiceMain(1, argv);
        return 0;
    }
    static LONG Examinations() { return InterlockedCompareExchange(&CountingTask::examinations, 0, 0); }
    static bool WaitFor(const std::function<bool()>& condition) {
        for (int i = 0; i < 1000; ++i) {
            if (condition()) return true;
            Sleep(10);
        }
        return false;
    }
    // Waits until the loop has made several more passes.
    void LetPassesGo() { Sleep(150); }
    std::vector<DWORD> States() {
        std::vector<DWORD> states;
        for (const Status& s : port_.Statuses()) states.push_back(s.state);
        return states;
    }
    // Runs the service until it has passed its start (and examined, when it has tasks), stops it,
    // and expects it to have come through as usual with these error events.
    void ExpectRunsOnAndReports(const std::vector<std::string>& errors, bool examines) {
        Start();
        ASSERT_TRUE(WaitFor([&] { return examines ? Examinations() > 0 : States().size() >= 2; }));
        LetPassesGo();
        Stop();
        EXPECT_EQ((std::vector<DWORD>{SERVICE_START_PENDING, SERVICE_RUNNING, SERVICE_STOP_PENDING, SERVICE_STOPPED}),
                  States());
        EXPECT_EQ(0u, port_.Statuses().back().exitCode);
        std::vector<std::string> reported;
        for (const RecordedEvent& e : sink_.Events())
            if (e.type == EVENTLOG_ERROR_TYPE) reported.push_back(e.strings.at(0));
        EXPECT_EQ(errors, reported);
    }
    // Starts the service on a data folder that is not its own: it must end by itself, touching
    // nothing there, and say why in an error event.
    void ExpectStopsLeavingTheDataFolderAlone(const std::string& whose) {
        const CString data = AppData::GetDataFolder();
        const CString oldLog = data + "\\Logs\\2020-01.log";
        const std::string tasks = testing_support::ReadFileBytes(TasksIni());
        DirUtils::CreateFolder(data + "\\Logs");
        testing_support::WriteFileBytes(oldLog, "old");
        Start();
        ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread_, 20000));
        EXPECT_EQ((std::vector<DWORD>{SERVICE_START_PENDING, SERVICE_STOPPED}), States());
        EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_OWNER), port_.Statuses().back().exitCode);
        ASSERT_EQ((std::vector<DWORD>{0xC0000012}), EventIds());
        const std::string text = sink_.Events()[0].strings.at(0);
        for (const std::string& part : {data.str(), whose, std::string("-install")})
            EXPECT_NE(std::string::npos, text.find(part)) << text;
        EXPECT_EQ(0, Examinations());
        EXPECT_EQ(tasks, testing_support::ReadFileBytes(TasksIni()));
        EXPECT_EQ("old", testing_support::ReadFileBytes(oldLog)) << "no old log deleted";
        EXPECT_FALSE(DirUtils::Exists(Log::GetCurrentLogFilePath())) << "no log line written";
    }
    std::vector<DWORD> EventIds() {
        std::vector<DWORD> ids;
        for (const RecordedEvent& e : sink_.Events()) ids.push_back(e.id);
        return ids;
    }

    COrvService service_;
    RecordingPort port_;
    HANDLE thread_ = nullptr;
    TaskFactory previousFactory_ = nullptr;
};

}  // namespace

TEST_F(WorkerLoopTest, ReportsStartAndStopInOrder) {
    Start();
    ASSERT_TRUE(WaitFor([] { return Examinations() > 0; }));
    Stop();

    std::vector<Status> statuses = port_.Statuses();
    ASSERT_EQ(4u, statuses.size());
    EXPECT_EQ(SERVICE_START_PENDING, statuses[0].state);
    EXPECT_EQ(1u, statuses[0].checkPoint);
    EXPECT_EQ(200u, statuses[0].waitHint);
    EXPECT_EQ(0u, statuses[0].controls);
    EXPECT_EQ(SERVICE_RUNNING, statuses[1].state);
    EXPECT_EQ(7u, statuses[1].controls);
    EXPECT_EQ(SERVICE_STOP_PENDING, statuses[2].state);
    EXPECT_EQ(1u, statuses[2].checkPoint);
    EXPECT_EQ(200u, statuses[2].waitHint);
    EXPECT_EQ(SERVICE_STOPPED, statuses[3].state);

    EXPECT_EQ((std::vector<DWORD>{0x40000001, 0x40000011, 0x40000004}), EventIds());
    EXPECT_EQ(std::vector<std::string>{"Orvanti Manager"}, sink_.Events()[0].strings);
    EXPECT_EQ(std::vector<std::string>{"Orvanti Manager"}, sink_.Events()[2].strings);
    std::string log = LogText();
    const char* lines[] = {"Service started successfully.", "Successfully loaded 1 task(s).",
                           "Terminating 0 running task(s).", "Service stopped successfully."};
    size_t previous = 0;
    for (const char* line : lines) {
        size_t at = LinePos(log, line);
        ASSERT_NE(std::string::npos, at) << line;
        EXPECT_LE(previous, at) << line;
        previous = at;
    }
    EXPECT_EQ(0u, RunningTasksValue());
}

TEST_F(WorkerLoopTest, AFileWhereTheLogsFolderBelongsIsReportedAndTheTasksStillRun) {
    testing_support::WriteFileBytes(scratch_.File("data\\Logs"), "not a folder");
    ExpectRunsOnAndReports({"Unable to delete old log files: Error creating directory."}, true);
}

TEST_F(WorkerLoopTest, ADataFolderThatCannotBeMadeIsReportedAndTheServiceRunsOn) {
    testing_support::WriteFileBytes(scratch_.File("blocker"), "a file, so no folder can be made under it");
    AppData::SetDataFolderForTesting(scratch_.File("blocker\\data"));
    ExpectRunsOnAndReports({"Unable to load tasks: Error creating directory.",
                            "Unable to delete old log files: Error creating directory."},
                           false);
}

// A data folder that is not the service's own: one an ordinary user made where the data folder
// was removed (here a Unix stranger's, which Wine shows as ANONYMOUS LOGON's), or a link in its
// place. The service reads, writes and deletes nothing in it, loads no task, says so in the
// event log and stops with a state the service control manager understands.
TEST_F(WorkerLoopTest, ADataFolderAnOrdinaryUserMadeIsNeitherReadNorWritten) {
    ASSERT_TRUE(testing_support::GiveToAnotherUnixUser(AppData::GetDataFolder())) << "no way to play an ordinary user";
    ExpectStopsLeavingTheDataFolderAlone("belongs to NT AUTHORITY\\ANONYMOUS LOGON, whom the service does not trust");
}

TEST_F(WorkerLoopTest, ALinkInTheDataFoldersPlaceIsNeitherFollowedNorRemoved) {
    const CString data = AppData::GetDataFolder(), elsewhere = scratch_.File("elsewhere");
    ASSERT_TRUE(MoveFileA(data, elsewhere));
    ASSERT_TRUE(testing_support::MakeHostFolderLink(elsewhere, data));
    ExpectStopsLeavingTheDataFolderAlone("is a link to another folder");
    EXPECT_TRUE(testing_support::IsFolderLink(data));
    testing_support::RemoveHostLink(data);
}

// Held for the whole run, the data folder cannot be renamed away and another put in its place.
TEST_F(WorkerLoopTest, HoldsItsDataFolderWhileItRuns) {
    testing_support::HeldFileTracker tracker;
    ASSERT_TRUE(tracker.IsActive());
    Start();
    ASSERT_TRUE(WaitFor([] { return Examinations() > 0; }));
    EXPECT_TRUE(tracker.IsHeld(AppData::GetDataFolder()));
    Stop();
    EXPECT_FALSE(tracker.IsHeld(AppData::GetDataFolder()));
}

TEST_F(WorkerLoopTest, AStopWhileAFolderQueryHangsIsHonouredWithinASecond) {
    SetTaskFactoryForTesting(nullptr);
    CString doc = scratch_.File("hanging.orv");
    testing_support::WriteFileBytes(doc, "folder=" + scratch_.Path().str() + "\r\nquery_ms=4000\r\n");
    IniFile ini(TasksIni());
    ini.WriteString("Watch", "Task1", "Type");
    ini.WriteString(doc, "Task1", "OrvPath");
    Start();
    ASSERT_TRUE(WaitFor([&] { return Runs(doc).find("query ") != std::string::npos; }));
    DWORD before = GetTickCount();
    Stop();
    EXPECT_LT(GetTickCount() - before, 1000u);
    EXPECT_NE(std::string::npos,
              LinePos(LogText(), "Unable to load Task1: The folder query was given up: the service is stopping."));
    EXPECT_EQ((std::vector<DWORD>{SERVICE_START_PENDING, SERVICE_RUNNING, SERVICE_STOP_PENDING, SERVICE_STOPPED}),
              States());
    // Left alone, the generator ends its query by itself.
    EXPECT_TRUE(WaitFor([&] { return Runs(doc).find("query done") != std::string::npos; }));
}

TEST_F(WorkerLoopTest, StopDuringAnExaminationLetsItFinish) {
    AddPeriodicalTask(2, "");
    // The stop arrives while the first task is being examined; the second is still asked.
    CountingTask::hook = [this](LONG n) {
        if (n == 1) service_.OnShutdown();
    };
    Start();
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread_, 20000));
    EXPECT_EQ(2, Examinations());
    std::vector<DWORD> states = States();
    ASSERT_EQ(4u, states.size());
    EXPECT_EQ(static_cast<DWORD>(SERVICE_STOP_PENDING), states[2]);
    std::string log = LogText();
    EXPECT_LT(LinePos(log, "Terminating 0 running task(s)."), LinePos(log, "Service stopped successfully."));
}

TEST_F(WorkerLoopTest, PauseAndContinueWithinOnePassReportNothing) {
    service_.SetSleepForTesting(400);
    HANDLE examined = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    CountingTask::hook = [examined](LONG) { SetEvent(examined); };
    Start();
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(examined, 20000));
    Sleep(20);  // now inside the sleep of the pass
    service_.OnPause();
    service_.OnContinue();
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(examined, 20000));
    EXPECT_EQ((std::vector<DWORD>{SERVICE_START_PENDING, SERVICE_RUNNING}), States());
    EXPECT_EQ(std::string::npos, LogText().find("paused"));
    CountingTask::hook = nullptr;
    CloseHandle(examined);
}

TEST_F(WorkerLoopTest, PausedLoopDoesNotExamineAndReportsEachChange) {
    Start();
    ASSERT_TRUE(WaitFor([] { return Examinations() > 0; }));
    service_.OnPause();
    ASSERT_TRUE(WaitFor([this] { return States().back() == SERVICE_PAUSED; }));
    LONG paused = Examinations();
    LetPassesGo();
    EXPECT_EQ(paused, Examinations());
    key_.SetDWORDValue("ServiceRunningTasks", 5);
    LetPassesGo();
    EXPECT_EQ(5u, RunningTasksValue());

    service_.OnContinue();
    ASSERT_TRUE(WaitFor([this] { return States().back() == SERVICE_RUNNING; }));
    ASSERT_TRUE(WaitFor([paused] { return Examinations() > paused; }));
    EXPECT_EQ(0u, RunningTasksValue());
    Stop();

    EXPECT_EQ((std::vector<DWORD>{SERVICE_START_PENDING, SERVICE_RUNNING, SERVICE_PAUSED, SERVICE_RUNNING,
                                   SERVICE_STOP_PENDING, SERVICE_STOPPED}),
              States());
    EXPECT_EQ((std::vector<DWORD>{0x40000001, 0x40000011, 0x40000005, 0x40000006, 0x40000004}), EventIds());
    std::string log = LogText();
    ASSERT_NE(std::string::npos, LinePos(log, "Service paused successfully."));
    EXPECT_LT(LinePos(log, "Service paused successfully."), LinePos(log, "Service continued successfully."));
}

TEST_F(WorkerLoopTest, RequestArrivingBetweenTwoPassesIsStillReported) {
    // Each hooked request comes right after the report of the one before, before the next pass
    // reads the flag.
    port_.onReport = [this](DWORD state) {
        if (state == SERVICE_PAUSED) service_.OnContinue();
    };
    Start();
    ASSERT_TRUE(WaitFor([] { return Examinations() > 0; }));
    service_.OnPause();
    ASSERT_TRUE(WaitFor([this] { return States().size() >= 4; }));

    bool hooked = false;
    port_.onReport = [this, &hooked](DWORD state) {
        if (state == SERVICE_RUNNING && !hooked) {
            hooked = true;
            service_.OnPause();
        }
    };
    service_.OnPause();
    ASSERT_TRUE(WaitFor([this] { return States().size() >= 5; }));
    service_.OnContinue();
    ASSERT_TRUE(WaitFor([this] { return States().size() >= 7; }));
    LetPassesGo();
    port_.onReport = nullptr;
    EXPECT_EQ((std::vector<DWORD>{SERVICE_START_PENDING, SERVICE_RUNNING, SERVICE_PAUSED, SERVICE_RUNNING,
                                   SERVICE_PAUSED, SERVICE_RUNNING, SERVICE_PAUSED}),
              States());
    EXPECT_TRUE(service_.IsPauseRequested());
}

TEST_F(WorkerLoopTest, ExaminesByThePassRuleAndAtOnceWhenTheClockGoesBack) {
    const CTime start(2024, 3, 7, 10, 0, 0);
    Start();
    // The clock stands still: every pass falls within the second of the last examination.
    ASSERT_TRUE(WaitFor([] { return Examinations() >= 3; }));

    // The clock moves only while the loop is paused, so no examination straddles the change.
    auto examinationsAt = [this](const CTime& now) {
        service_.OnPause();
        EXPECT_TRUE(WaitFor([this] { return States().back() == SERVICE_PAUSED; }));
        SetNow(now);
        LONG n = Examinations();
        service_.OnContinue();
        EXPECT_TRUE(WaitFor([this] { return States().back() == SERVICE_RUNNING; }));
        LetPassesGo();
        return Examinations() - n;
    };
    EXPECT_EQ(0, examinationsAt(start + CTimeSpan(1)));
    EXPECT_EQ(0, examinationsAt(start + CTimeSpan(120)));
    EXPECT_LT(0, examinationsAt(start + CTimeSpan(121)));  // more than two minutes after it
    EXPECT_EQ(0, examinationsAt(start + CTimeSpan(122)));
    EXPECT_LT(0, examinationsAt(start + CTimeSpan(122) - CTimeSpan(3600)));
}

TEST(IsCheckDueTest, Table) {
    const CTime last(2024, 3, 7, 10, 0, 0);
    const CTimeSpan period(0, 0, 2, 0);
    struct Case {
        CTime last;
        CTime now;
        bool due;
    } cases[] = {
        {CTime(), last, true},                      // never examined
        {last, last, true},                         // the same second
        {last, last - CTimeSpan(3600), true},       // clock set back
        {last, last + CTimeSpan(1), false},
        {last, last + CTimeSpan(120), false},       // exactly the period is not yet due
        {last, last + CTimeSpan(121), true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.due, COrvService::IsCheckDue(c.last, c.now, period))
            << (c.now - c.last).GetTotalSeconds() << " s after " << c.last.GetTime();
}

TEST(COrvServiceTest, RegistersAsAnAutomaticServiceAcceptingStopPauseAndShutdown) {
    struct Exposed : COrvService {
        DWORD StartType() const { return m_dwStartType; }
    } service;
    EXPECT_EQ(CString("BrellixOrvService"), service.GetServiceName());
    EXPECT_EQ(CString("Orvanti Manager"), service.GetDisplayName());
    EXPECT_EQ(CString("Manages tasks created by a user in Orvanti. You can open the Orvanti Service Manager to "
                      "assign new tasks and modify existing."),
              service.GetDescription());
    EXPECT_EQ(static_cast<DWORD>(SERVICE_AUTO_START), service.StartType());
    RecordingPort port;
    service.SetStatusPort(&port);
    service.RegisterCtrlHandler();
    service.ReportStatus(SERVICE_RUNNING);
    ASSERT_EQ(1u, port.Statuses().size());
    EXPECT_EQ(static_cast<DWORD>(SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_PAUSE_CONTINUE | SERVICE_ACCEPT_SHUTDOWN),
              port.Statuses()[0].controls);
}
