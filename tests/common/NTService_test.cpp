#include "common/NTService.h"
#include "common/NTServiceRes.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace {
// Stands in for the service control manager: hands out a fake handle and keeps every report;
// onSend, when set, runs while a report is being sent (after it was kept).
class RecordingPort : public ServiceStatusPort {
public:
    SERVICE_STATUS_HANDLE RegisterHandlerEx(const char* name, LPHANDLER_FUNCTION_EX handler, void*) override {
        registeredName = name;
        handlerEx = handler;
        return Handle();
    }
    SERVICE_STATUS_HANDLE RegisterHandler(const char* name, LPHANDLER_FUNCTION handler) override {
        registeredName = name;
        plainHandler = handler;
        return Handle();
    }
    BOOL SetStatus(SERVICE_STATUS_HANDLE handle, const SERVICE_STATUS& status) override {
        EXPECT_EQ(Handle(), handle);
        reports.push_back(status);
        if (onSend) onSend(status);
        return TRUE;
    }
    static SERVICE_STATUS_HANDLE Handle() { return reinterpret_cast<SERVICE_STATUS_HANDLE>(0x1234); }

    std::string registeredName;
    LPHANDLER_FUNCTION_EX handlerEx = nullptr;
    LPHANDLER_FUNCTION plainHandler = nullptr;
    std::vector<SERVICE_STATUS> reports;
    std::function<void(const SERVICE_STATUS&)> onSend;
};

class RecordingSink : public EventLogSink {
public:
    RecordingSink() { previous_ = CNTEventLogSource::SetSink(this); }
    ~RecordingSink() override { CNTEventLogSource::SetSink(previous_); }
    BOOL Report(const CString&, const CString& source, WORD type, WORD, DWORD id, PSID, WORD count, DWORD,
                const char** strings, void*) override {
        Event e{source.str(), type, id, {}};
        for (WORD i = 0; i < count; ++i) e.strings.push_back(strings[i]);
        events.push_back(e);
        return TRUE;
    }
    struct Event {
        std::string source;
        WORD type;
        DWORD id;
        std::vector<std::string> strings;
    };
    std::vector<Event> events;

private:
    EventLogSink* previous_;
};

// What the service's work does when the framework calls it.
enum class Behaviour { Return, Terminate, ThrowOther, ThrowInt };

class TestService : public CNTService {
public:
    TestService(DWORD controls = SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_PAUSE_CONTINUE)
        : CNTService("OrvTestSvc", "Orv Test Service", controls, "A test") {}

    void ServiceMain(DWORD argc, LPSTR* argv) override {
        words.clear();
        for (DWORD i = 0; i < argc; ++i) words.push_back(argv[i]);
        ++mainCalls;
        switch (behaviour) {
            case Behaviour::Return: break;
            case Behaviour::Terminate: TerminateService(1067, 5);
            case Behaviour::ThrowOther: throw std::runtime_error("broken");
            case Behaviour::ThrowInt: throw 42;
        }
    }
    void OnUserDefinedRequest(DWORD control) override { userControls.push_back(control); }
    void OnStop() override { throwOnStop ? throw std::runtime_error("no memory") : CNTService::OnStop(); }
    DWORD OnDeviceEvent(DWORD eventType, LPVOID data) override {
        deviceEvents.push_back(eventType);
        EXPECT_EQ(reinterpret_cast<LPVOID>(0x77), data);
        return 31;
    }
    DWORD OnPowerEvent(DWORD, LPVOID) override { return 32; }
    DWORD OnHardwareProfileChange(DWORD, LPVOID) override { return 33; }

    using CNTService::m_bConsole;
    using CNTService::m_dwControlsAccepted;
    using CNTService::m_nEventMessageForm;
    using CNTService::m_nUserMessageForm;
    using CNTService::m_sDependencies;

    Behaviour behaviour = Behaviour::Return;
    bool throwOnStop = false;
    std::vector<std::string> words;
    int mainCalls = 0;
    std::vector<DWORD> userControls;
    std::vector<DWORD> deviceEvents;
};

// A test service whose status reports reach the recording port.
struct Registered {
    Registered() {
        service.SetStatusPort(&port);
        EXPECT_TRUE(service.RegisterCtrlHandler());
    }
    TestService service;
    RecordingPort port;
};

CString SystemText(DWORD code) {
    char buffer[4096] = "";
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, buffer,
                   sizeof(buffer), nullptr);
    return buffer;
}
}  // namespace

TEST(StatusTest, PendingStateHidesControlsThenSettledStateClearsProgress) {
    Registered r;
    ASSERT_TRUE(r.service.ReportStatus(SERVICE_START_PENDING, 1, 200));
    ASSERT_TRUE(r.service.ReportStatus(SERVICE_RUNNING));
    ASSERT_EQ(2u, r.port.reports.size());
    const SERVICE_STATUS& pending = r.port.reports[0];
    EXPECT_EQ(static_cast<DWORD>(SERVICE_WIN32_OWN_PROCESS), pending.dwServiceType);
    EXPECT_EQ(static_cast<DWORD>(SERVICE_START_PENDING), pending.dwCurrentState);
    EXPECT_EQ(0u, pending.dwControlsAccepted);
    EXPECT_EQ(1u, pending.dwCheckPoint);
    EXPECT_EQ(200u, pending.dwWaitHint);
    const SERVICE_STATUS& running = r.port.reports[1];
    EXPECT_EQ(static_cast<DWORD>(SERVICE_RUNNING), running.dwCurrentState);
    EXPECT_EQ(0u, running.dwCheckPoint);
    EXPECT_EQ(0u, running.dwWaitHint);
    EXPECT_EQ(3u, running.dwControlsAccepted);
    EXPECT_EQ(static_cast<DWORD>(SERVICE_RUNNING), r.service.GetCurrentState());
}

TEST(StatusTest, MinusOneKeepsStoredValuesAndControlsAreReplacedOtherwise) {
    Registered r;
    r.service.ReportStatus(SERVICE_STOP_PENDING, 4, 900, 1);
    r.service.ReportStatus(SERVICE_STOP_PENDING);  // keeps 4 and 900
    r.service.ReportStatus(SERVICE_PAUSED);
    ASSERT_EQ(3u, r.port.reports.size());
    EXPECT_EQ(4u, r.port.reports[1].dwCheckPoint);
    EXPECT_EQ(900u, r.port.reports[1].dwWaitHint);
    EXPECT_EQ(0u, r.port.reports[1].dwControlsAccepted);
    EXPECT_EQ(1u, r.port.reports[2].dwControlsAccepted);  // stored from the first report
    EXPECT_EQ(0u, r.port.reports[2].dwCheckPoint);
}

TEST(StatusTest, ExitCodesGoOutOnlyWithStopped) {
    Registered r;
    r.service.SetStatus(SERVICE_STOP_PENDING, 1, 100, static_cast<DWORD>(-1), 1067, 5);
    r.service.SetStatus(SERVICE_STOPPED, 0, 0, 0, 1067, 5);
    ASSERT_EQ(2u, r.port.reports.size());
    EXPECT_EQ(0u, r.port.reports[0].dwWin32ExitCode);
    EXPECT_EQ(0u, r.port.reports[0].dwServiceSpecificExitCode);
    EXPECT_EQ(1067u, r.port.reports[1].dwWin32ExitCode);
    EXPECT_EQ(5u, r.port.reports[1].dwServiceSpecificExitCode);
}

TEST(StatusTest, ReportsMadeDuringASendFollowItAndNothingStaleComesLast) {
    TestService service;
    RecordingPort port;
    // While the first report is on its way, the service's other thread reports again, as the
    // worker does while the control handler repeats the current state.
    std::vector<BOOL> nestedResults;
    port.onSend = [&](const SERVICE_STATUS&) {
        if (port.reports.size() != 1) return;
        nestedResults.push_back(service.ReportStatus(SERVICE_STOP_PENDING, 1, 100));
        nestedResults.push_back(service.SetStatus(SERVICE_STOPPED, 0, 0, 0, 0, 0));
    };
    service.SetStatusPort(&port);
    ASSERT_TRUE(service.RegisterCtrlHandler());
    service.ReportStatus(SERVICE_RUNNING);
    // Only the newest of the reports made meanwhile goes out, after the one under way.
    ASSERT_EQ(2u, port.reports.size());
    EXPECT_EQ(static_cast<DWORD>(SERVICE_RUNNING), port.reports[0].dwCurrentState);
    EXPECT_EQ(static_cast<DWORD>(SERVICE_STOPPED), port.reports[1].dwCurrentState);
    EXPECT_EQ((std::vector<BOOL>{TRUE, TRUE}), nestedResults);
    // Afterwards each report goes out on its own again.
    service.ReportCurrentStatus();
    ASSERT_EQ(3u, port.reports.size());
    EXPECT_EQ(static_cast<DWORD>(SERVICE_STOPPED), port.reports[2].dwCurrentState);
}

namespace {
// The worker's report lands while the control handler is on its way to repeating the current
// state: between the handler's decision to report and the report being stored.
class RaceService : public TestService {
public:
    BOOL ReportStatus(DWORD state, DWORD checkPoint, DWORD waitHint, DWORD controls) override {
        if (workerReportsMeanwhile) {
            workerReportsMeanwhile = false;
            CNTService::ReportStatus(workerState, static_cast<DWORD>(-1), static_cast<DWORD>(-1),
                                     static_cast<DWORD>(-1));
        }
        return CNTService::ReportStatus(state, checkPoint, waitHint, controls);
    }
    bool workerReportsMeanwhile = false;
    DWORD workerState = SERVICE_PAUSED;
};
}  // namespace

TEST(StatusTest, RepeatedCurrentStateNeverUndoesAReportMadeMeanwhile) {
    const DWORD cases[][2] = {{SERVICE_RUNNING, SERVICE_PAUSED}, {SERVICE_STOP_PENDING, SERVICE_STOPPED}};
    for (const auto& c : cases) {
        RaceService service;
        RecordingPort port;
        service.SetStatusPort(&port);
        ASSERT_TRUE(service.RegisterCtrlHandler());
        service.ReportStatus(c[0], 1, 100, static_cast<DWORD>(-1));
        service.workerState = c[1];
        service.workerReportsMeanwhile = true;
        // As after a pause (or a second stop) request.
        service.ServiceCtrlHandler(SERVICE_CONTROL_INTERROGATE, 0, nullptr);
        EXPECT_EQ(c[1], service.GetCurrentState());
        ASSERT_FALSE(port.reports.empty());
        EXPECT_EQ(c[1], port.reports.back().dwCurrentState);
        for (size_t i = 1; i < port.reports.size(); ++i)
            EXPECT_EQ(c[1], port.reports[i].dwCurrentState) << "report " << i;
    }
}

TEST(StatusTest, TheStoppedReportIsTheLastTouchOfTheServiceObject) {
    TestService service;
    RecordingPort port;
    // The bytes of the service object as its stopped report goes out: from then on the process
    // may end and the object go, so none of them may change afterwards.
    std::vector<BYTE> atStop;
    port.onSend = [&](const SERVICE_STATUS& status) {
        const BYTE* bytes = reinterpret_cast<const BYTE*>(&service);
        if (status.dwCurrentState == SERVICE_STOPPED) atStop.assign(bytes, bytes + sizeof(TestService));
    };
    service.SetStatusPort(&port);
    char name[] = "OrvTestSvc";
    LPSTR argv[] = {name, nullptr};
    CNTService::StaticServiceMain(1, argv);
    ASSERT_EQ(sizeof(TestService), atStop.size());
    EXPECT_TRUE(std::equal(atStop.begin(), atStop.end(), reinterpret_cast<const BYTE*>(&service)));
}

TEST(StatusTest, NothingIsSentWithoutARegisteredHandle) {
    TestService service;
    RecordingPort port;
    service.SetStatusPort(&port);
    EXPECT_FALSE(service.ReportCurrentStatus());
    EXPECT_TRUE(port.reports.empty());
    EXPECT_EQ(static_cast<DWORD>(SERVICE_STOPPED), service.GetCurrentState());
}

TEST(StatusTest, RegistrationUsesTheExFormWhenPresentElseThePlainOne) {
    {
        Registered r;
        EXPECT_EQ("OrvTestSvc", r.port.registeredName);
        EXPECT_EQ(&CNTService::StaticHandlerEx, r.port.handlerEx);
        EXPECT_EQ(nullptr, r.port.plainHandler);
    }
    TestService service;
    RecordingPort port;
    service.SetStatusPort(&port);
    service.ForgetRegisterServiceCtrlHandlerEx();
    EXPECT_TRUE(service.RegisterCtrlHandler());
    EXPECT_EQ(nullptr, port.handlerEx);
    ASSERT_EQ(&CNTService::StaticHandler, port.plainHandler);
    // The plain handler still reaches the object, with no event arguments.
    port.plainHandler(200);
    ASSERT_EQ(1u, service.userControls.size());
    EXPECT_EQ(200u, service.userControls[0]);
    EXPECT_EQ(1u, port.reports.size());
}

TEST(DispatchTest, ControlsReachTheirReactionsAndEachIsFollowedByAReport) {
    RecordingSink sink;
    Registered r;
    r.service.ReportStatus(SERVICE_RUNNING);
    r.port.reports.clear();

    EXPECT_EQ(0u, r.service.ServiceCtrlHandler(SERVICE_CONTROL_STOP, 0, nullptr));
    EXPECT_EQ(0u, r.service.ServiceCtrlHandler(SERVICE_CONTROL_PAUSE, 0, nullptr));
    EXPECT_EQ(0u, r.service.ServiceCtrlHandler(SERVICE_CONTROL_CONTINUE, 0, nullptr));
    EXPECT_EQ(0u, r.service.ServiceCtrlHandler(SERVICE_CONTROL_SHUTDOWN, 0, nullptr));
    EXPECT_EQ(4u, r.port.reports.size());
    for (const SERVICE_STATUS& s : r.port.reports) EXPECT_EQ(static_cast<DWORD>(SERVICE_RUNNING), s.dwCurrentState);

    // The base reactions only write events, with the display name under its own source.
    ASSERT_EQ(4u, sink.events.size());
    const DWORD ids[] = {0x40000003, 0x40000004, 0x40000005, 0x40000009};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(ids[i], sink.events[i].id);
        EXPECT_EQ(EVENTLOG_INFORMATION_TYPE, sink.events[i].type);
        EXPECT_EQ("Orv Test Service", sink.events[i].source);
        ASSERT_EQ(1u, sink.events[i].strings.size());
        EXPECT_EQ("Orv Test Service", sink.events[i].strings[0]);
    }
}

TEST(DispatchTest, EventControlsReturnTheirReactionsResult) {
    Registered r;
    EXPECT_EQ(31u, CNTService::StaticHandlerEx(SERVICE_CONTROL_DEVICEEVENT, 9, reinterpret_cast<LPVOID>(0x77),
                                               nullptr));
    EXPECT_EQ(33u, r.service.ServiceCtrlHandler(SERVICE_CONTROL_HARDWAREPROFILECHANGE, 0, nullptr));
    EXPECT_EQ(32u, r.service.ServiceCtrlHandler(SERVICE_CONTROL_POWEREVENT, 0, nullptr));
    ASSERT_EQ(1u, r.service.deviceEvents.size());
    EXPECT_EQ(9u, r.service.deviceEvents[0]);
    EXPECT_EQ(3u, r.port.reports.size());
}

TEST(DispatchTest, AReactionsExceptionStopsAtTheSystemEntries) {
    Registered r;
    r.service.throwOnStop = true;
    EXPECT_EQ(static_cast<DWORD>(ERROR_EXCEPTION_IN_SERVICE),
              CNTService::StaticHandlerEx(SERVICE_CONTROL_STOP, 0, nullptr, nullptr));
    EXPECT_NO_THROW(CNTService::StaticHandler(SERVICE_CONTROL_STOP));
    EXPECT_FALSE(CNTService::StaticConsoleCtrlHandler(CTRL_C_EVENT));
}

TEST(DispatchTest, InterrogateReportsTwiceAndUserCodesReachTheirReaction) {
    Registered r;
    EXPECT_EQ(0u, r.service.ServiceCtrlHandler(SERVICE_CONTROL_INTERROGATE, 0, nullptr));
    EXPECT_EQ(2u, r.port.reports.size());
    EXPECT_EQ(0u, r.service.ServiceCtrlHandler(128, 0, nullptr));
    EXPECT_EQ(0u, r.service.ServiceCtrlHandler(255, 0, nullptr));
    EXPECT_EQ((std::vector<DWORD>{128, 255}), r.service.userControls);
    EXPECT_EQ(4u, r.port.reports.size());
    // Parameter change and the net-bind codes do nothing but report.
    for (DWORD code = SERVICE_CONTROL_PARAMCHANGE; code <= SERVICE_CONTROL_NETBINDDISABLE; ++code)
        EXPECT_EQ(0u, r.service.ServiceCtrlHandler(code, 0, nullptr));
    EXPECT_EQ(9u, r.port.reports.size());
    EXPECT_EQ(2u, r.service.userControls.size());
}

TEST(ServiceMainTest, EndsWithStoppedAndTheCodesOfHowTheWorkEnded) {
    struct Case {
        Behaviour behaviour;
        DWORD win32;
        DWORD specific;
    } cases[] = {
        {Behaviour::Return, 0, 0},
        {Behaviour::Terminate, 1067, 5},
        {Behaviour::ThrowOther, ERROR_EXCEPTION_IN_SERVICE, 0},
        {Behaviour::ThrowInt, ERROR_EXCEPTION_IN_SERVICE, 0},
    };
    for (const Case& c : cases) {
        TestService service;
        RecordingPort port;
        service.SetStatusPort(&port);
        service.behaviour = c.behaviour;
        char name[] = "OrvTestSvc";
        char extra[] = "-x";
        LPSTR argv[] = {name, extra, nullptr};
        CNTService::StaticServiceMain(2, argv);
        EXPECT_EQ(1, service.mainCalls);
        EXPECT_EQ((std::vector<std::string>{"OrvTestSvc", "-x"}), service.words);
        ASSERT_EQ(1u, port.reports.size());
        EXPECT_EQ(static_cast<DWORD>(SERVICE_STOPPED), port.reports[0].dwCurrentState);
        EXPECT_EQ(c.win32, port.reports[0].dwWin32ExitCode);
        EXPECT_EQ(c.specific, port.reports[0].dwServiceSpecificExitCode);
        EXPECT_EQ(0u, port.reports[0].dwControlsAccepted);
    }
}

TEST(InstanceTest, LastConstructedServesAndDestructionClearsTheEntryPoints) {
    {
        TestService first;
        {
            TestService second;
            EXPECT_EQ(&second, CNTService::GetInstance());
        }
        // The destroyed object was the instance: nobody is left to serve.
        EXPECT_EQ(nullptr, CNTService::GetInstance());
        EXPECT_EQ(static_cast<DWORD>(ERROR_CALL_NOT_IMPLEMENTED),
                  CNTService::StaticHandlerEx(SERVICE_CONTROL_STOP, 0, nullptr, nullptr));
        EXPECT_FALSE(CNTService::StaticConsoleCtrlHandler(CTRL_C_EVENT));
        CNTService::StaticHandler(SERVICE_CONTROL_STOP);
        CNTService::StaticServiceMain(0, nullptr);
        EXPECT_EQ(0, first.mainCalls);
    }
    // Destroying an object that is not the instance leaves the instance alone.
    TestService* older = new TestService;
    TestService newer;
    delete older;
    EXPECT_EQ(&newer, CNTService::GetInstance());
}

TEST(ConsoleTest, ConsoleWordsAreLeftOutOfTheWorkArguments) {
    TestService service;
    char w0[] = "C:\\svc.exe", w1[] = "-console", w2[] = "-x", w3[] = "/APP", w4[] = "-Debug", w5[] = "app",
         w6[] = "/application", w7[] = "--console";
    char* argv[] = {w0, w1, w2, w3, w4, w5, w6, w7};
    service.RunInConsole(8, argv);
    EXPECT_EQ((std::vector<std::string>{"C:\\svc.exe", "-x", "app", "--console"}), service.words);
}

TEST(ConsoleTest, TerminateReachesTheCallerAndConsoleCommandReturnsItsCode) {
    TestService service;
    service.behaviour = Behaviour::Terminate;
    char w0[] = "svc";
    char* argv[] = {w0};
    try {
        service.RunInConsole(1, argv);
        ADD_FAILURE() << "no exception";
    } catch (const CNTServiceTerminateException& e) {
        EXPECT_EQ(1067u, e.m_dwWin32ExitCode);
        EXPECT_EQ(5u, e.m_dwServiceSpecificExitCode);
    }
    CNTServiceCommandLineInfo info;
    info.m_nShellCommand = CNTServiceCommandLineInfo::DebugService;
    EXPECT_EQ(1067u, service.ProcessShellCommand(info));
    service.behaviour = Behaviour::ThrowOther;
    EXPECT_EQ(static_cast<DWORD>(ERROR_EXCEPTION_IN_SERVICE), service.ProcessShellCommand(info));
    service.behaviour = Behaviour::Return;
    EXPECT_EQ(0u, service.ProcessShellCommand(info));
}

TEST(ConsoleTest, BreakCloseAndCtrlCStopTheServiceOtherEventsPassOn) {
    RecordingSink sink;
    TestService service;
    EXPECT_TRUE(CNTService::StaticConsoleCtrlHandler(CTRL_C_EVENT));
    EXPECT_TRUE(CNTService::StaticConsoleCtrlHandler(CTRL_BREAK_EVENT));
    EXPECT_TRUE(CNTService::StaticConsoleCtrlHandler(CTRL_CLOSE_EVENT));
    EXPECT_FALSE(CNTService::StaticConsoleCtrlHandler(CTRL_LOGOFF_EVENT));
    EXPECT_FALSE(CNTService::StaticConsoleCtrlHandler(CTRL_SHUTDOWN_EVENT));
    ASSERT_EQ(3u, sink.events.size());
    for (const auto& e : sink.events) EXPECT_EQ(0x40000003u, e.id);
}

TEST(FormatErrorMessageTest, UserAndEventForms) {
    TestService service;
    const DWORD code = ERROR_SERVICE_DOES_NOT_EXIST;
    CString system = SystemText(code);
    ASSERT_FALSE(system.IsEmpty());
    CString pair = "1060, " + system;

    struct Case {
        int form;
        CString user;
        CString event;
    } cases[] = {
        {0, "1060", "1060"},
        {1, pair, pair},
        {2, system, system},
        {3, "Failed to start the service, Error:1060", ""},
        {4, "Failed to start the service, Error:" + pair, ""},
        {5, "Failed to start the service, Error:" + system, ""},
    };
    for (const Case& c : cases) {
        service.m_nUserMessageForm = c.form;
        service.m_nEventMessageForm = c.form;
        CString text = "stale";
        service.FormatErrorMessage(text, IDS_NTSERV_FAIL_START, code, FALSE);
        EXPECT_EQ(c.user, text) << c.form;
        text = "stale";
        service.FormatErrorMessage(text, IDS_NTSERV_FAIL_START, code, TRUE);
        EXPECT_EQ(c.event, text) << c.form;
    }
}

TEST(FormatErrorMessageTest, DefaultsAndSystemTextsWithInserts) {
    TestService service;
    CString text;
    service.FormatErrorMessage(text, IDS_NTSERV_INSTALL_OPEN_SCM, ERROR_ACCESS_DENIED, FALSE);
    EXPECT_EQ("CNTService::Install, Failed call to open SCM, Error:5, " + SystemText(ERROR_ACCESS_DENIED), text);
    service.FormatErrorMessage(text, IDS_NTSERV_INSTALL_OPEN_SCM, ERROR_ACCESS_DENIED, TRUE);
    EXPECT_EQ("5, " + SystemText(ERROR_ACCESS_DENIED), text);

    // This text carries %1 of its own; it must come out as the system has it, not empty.
    CString withInserts = SystemText(ERROR_BAD_EXE_FORMAT);
    ASSERT_NE(-1, withInserts.Find("%1"));
    service.FormatErrorMessage(text, IDS_NTSERV_FAIL_STOP, ERROR_BAD_EXE_FORMAT, TRUE);
    EXPECT_EQ("193, " + withInserts, text);
}

TEST(DependenciesTest, MultiStringBytes) {
    TestService service;
    char* list = service.GetDependenciesMultiSz();
    EXPECT_EQ('\0', list[0]);
    delete[] list;
    service.m_sDependencies.Add("A");
    service.m_sDependencies.Add("Bc");
    list = service.GetDependenciesMultiSz();
    EXPECT_EQ(std::string("A\0Bc\0\0", 6), std::string(list, 6));
    delete[] list;
}

namespace {
std::vector<std::string> g_boxes;
int RecordBox(const char* text) {
    g_boxes.push_back(text);
    return IDOK;
}
}  // namespace

TEST(CommandTest, FailureTextGoesToTheBoxUnlessSilentAndCodeIsTheExitCode) {
    RecordingSink sink;
    CNTService::MessageBoxFunction previous = CNTService::SetMessageBoxFunction(RecordBox);
    g_boxes.clear();
    TestService service;
    service.m_bConsole = FALSE;
    service.AllowNameChange(TRUE);
    CNTServiceCommandLineInfo info;
    info.m_sServiceName = "OrvNoSuchService_4711";
    info.m_nShellCommand = CNTServiceCommandLineInfo::StartTheService;
    EXPECT_EQ(static_cast<DWORD>(ERROR_SERVICE_DOES_NOT_EXIST), service.ProcessShellCommand(info));
    EXPECT_EQ(CString("OrvNoSuchService_4711"), service.GetServiceName());
    ASSERT_EQ(1u, g_boxes.size());
    EXPECT_EQ(std::string("Failed to start the service, Error:1060, ") + SystemText(1060).GetString(), g_boxes[0]);
    // The failing step also went to the event log.
    ASSERT_FALSE(sink.events.empty());
    EXPECT_EQ(0xC0000007u, sink.events.back().id);
    EXPECT_EQ(EVENTLOG_ERROR_TYPE, sink.events.back().type);

    info.m_bSilent = TRUE;
    info.m_nShellCommand = CNTServiceCommandLineInfo::StopTheService;
    EXPECT_EQ(static_cast<DWORD>(ERROR_SERVICE_DOES_NOT_EXIST), service.ProcessShellCommand(info));
    EXPECT_EQ(1u, g_boxes.size());
    CNTService::SetMessageBoxFunction(previous);
}

namespace {
// Install and uninstall outcomes without a service control manager.
class ScriptedCommands : public TestService {
public:
    BOOL Install(CString& text, DWORD& error) override {
        text = installText;
        error = installError;
        return installOk;
    }
    BOOL Uninstall(CString& text, DWORD& error, DWORD timeout) override {
        uninstallTimeout = timeout;
        text = "CNTService::Uninstall, Failed to stop service, Error:1052";
        error = ERROR_INVALID_SERVICE_CONTROL;  // the stop failed, yet the service went
        return TRUE;
    }
    CString installText;
    DWORD installError = 0;
    BOOL installOk = TRUE;
    DWORD uninstallTimeout = 0;
};
}  // namespace

TEST(CommandTest, ExitCodeIsZeroWheneverTheCommandSucceeded) {
    CNTService::MessageBoxFunction previous = CNTService::SetMessageBoxFunction(RecordBox);
    g_boxes.clear();
    ScriptedCommands service;
    service.m_bConsole = FALSE;
    CNTServiceCommandLineInfo info;
    info.m_nShellCommand = CNTServiceCommandLineInfo::UninstallService;
    info.m_dwTimeout = 1234;
    EXPECT_EQ(0u, service.ProcessShellCommand(info));
    EXPECT_EQ(1234u, service.uninstallTimeout);
    EXPECT_TRUE(g_boxes.empty());

    info.m_nShellCommand = CNTServiceCommandLineInfo::InstallService;
    service.installOk = FALSE;
    service.installError = ERROR_SERVICE_EXISTS;
    service.installText = "CNTService::Install, Failed call to CreateService, Error:1073";
    EXPECT_EQ(static_cast<DWORD>(ERROR_SERVICE_EXISTS), service.ProcessShellCommand(info));
    EXPECT_EQ((std::vector<std::string>{"CNTService::Install, Failed call to CreateService, Error:1073"}), g_boxes);
    CNTService::SetMessageBoxFunction(previous);
}

TEST(CommandTest, NamesFromTheCommandLineOnlyWhenAllowed) {
    TestService service;
    CNTServiceCommandLineInfo info;
    info.m_nShellCommand = CNTServiceCommandLineInfo::ShowServiceHelp;
    info.m_sServiceName = "N";
    info.m_sServiceDisplayName = "D";
    info.m_sServiceDescription = "S";
    EXPECT_EQ(0u, service.ProcessShellCommand(info));
    EXPECT_EQ(CString("OrvTestSvc"), service.GetServiceName());
    EXPECT_EQ(CString("Orv Test Service"), service.GetDisplayName());
    EXPECT_EQ(CString("A test"), service.GetDescription());

    RecordingSink sink;
    service.AllowNameChange(TRUE);
    service.AllowDisplayNameChange(TRUE);
    service.AllowDescriptionChange(TRUE);
    EXPECT_EQ(0u, service.ProcessShellCommand(info));
    EXPECT_EQ(CString("N"), service.GetServiceName());
    EXPECT_EQ(CString("D"), service.GetDisplayName());
    EXPECT_EQ(CString("S"), service.GetDescription());
    // Events now go out under the new display name.
    service.OnStop();
    ASSERT_EQ(1u, sink.events.size());
    EXPECT_EQ("D", sink.events[0].source);
}
