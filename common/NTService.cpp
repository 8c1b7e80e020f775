#include "common/NTService.h"
#include "classlib/CWinApp.h"
#include "common/NTScmService.h"
#include "common/NTServiceRes.h"
#include <cstdio>
#include <vector>

CNTService* CNTService::sm_pService = nullptr;

namespace {
int ShowMessageBox(const char* text) { return MessageBoxA(nullptr, text, nullptr, MB_OK); }

CNTService::MessageBoxFunction g_messageBox = ShowMessageBox;

typedef SERVICE_STATUS_HANDLE(WINAPI* RegisterServiceCtrlHandlerExAFunction)(LPCSTR, LPHANDLER_FUNCTION_EX,
                                                                            LPVOID);

// The service control manager itself.
class PlatformStatusPort : public ServiceStatusPort {
public:
    explicit PlatformStatusPort(FARPROC registerEx) : registerEx_(registerEx) {}
    SERVICE_STATUS_HANDLE RegisterHandlerEx(const char* serviceName, LPHANDLER_FUNCTION_EX handler,
                                            void* context) override {
        return reinterpret_cast<RegisterServiceCtrlHandlerExAFunction>(reinterpret_cast<void*>(registerEx_))(
            serviceName, handler, context);
    }
    SERVICE_STATUS_HANDLE RegisterHandler(const char* serviceName, LPHANDLER_FUNCTION handler) override {
        return RegisterServiceCtrlHandlerA(serviceName, handler);
    }
    BOOL SetStatus(SERVICE_STATUS_HANDLE handle, const SERVICE_STATUS& status) override {
        SERVICE_STATUS copy = status;
        return SetServiceStatus(handle, &copy);
    }

private:
    FARPROC registerEx_;
};

bool IsPendingState(DWORD state) {
    return state == SERVICE_START_PENDING || state == SERVICE_STOP_PENDING ||
           state == SERVICE_CONTINUE_PENDING || state == SERVICE_PAUSE_PENDING;
}
}  // namespace

CNTService::CNTService() { Construct(nullptr, nullptr, SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_PAUSE_CONTINUE, nullptr); }

CNTService::CNTService(const char* serviceName, const char* displayName, DWORD controlsAccepted,
                       const char* description) {
    Construct(serviceName, displayName, controlsAccepted, description);
}

void CNTService::Construct(const char* serviceName, const char* displayName, DWORD controlsAccepted,
                           const char* description) {
    m_hAdvapi32 = GetModuleHandleA("ADVAPI32.DLL");
    m_lpfnRegisterServiceCtrlHandlerEx =
        m_hAdvapi32 ? GetProcAddress(m_hAdvapi32, "RegisterServiceCtrlHandlerExA") : nullptr;
    m_dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    m_dwStartType = SERVICE_DEMAND_START;
    m_dwErrorControl = SERVICE_ERROR_IGNORE;
    m_nUserMessageForm = ResourceWithPair;
    m_nEventMessageForm = ErrorPair;
    m_bEventLogSource = TRUE;
    m_hStatus = nullptr;
    m_dwControlsAccepted = controlsAccepted;
    m_dwCheckPoint = 0;
    m_dwWaitHint = 0;
    m_dwCurrentState = SERVICE_STOPPED;
    m_sServiceName = serviceName;
    m_sDisplayName = displayName;
    m_sDescription = description;
    m_bProfileWriteFlush = TRUE;
    m_bAllowCommandLine = FALSE;
    m_bAllowNameChange = FALSE;
    m_bAllowDescriptionChange = FALSE;
    m_bAllowDisplayNameChange = FALSE;
    m_bConsole = TRUE;
    m_pStatusPort = nullptr;
    m_dwReportNumber = 0;
    m_dwLastSentNumber = 0;
    m_LatestStatus = SERVICE_STATUS();
    m_lSending = 0;
    m_EventLogSource.SetSourceName(m_sDisplayName);
    sm_pService = this;
}

CNTService::~CNTService() {
    // Callbacks of the dispatcher or the console may still arrive after we are gone; they must
    // find no object rather than this one.
    if (sm_pService == this) sm_pService = nullptr;
    m_sUserName.SecureEmpty();
    m_sPassword.SecureEmpty();
}

CNTService* CNTService::GetInstance() { return sm_pService; }

void CNTService::SetDisplayName(const char* name) {
    m_sDisplayName = name;
    m_EventLogSource.SetSourceName(m_sDisplayName);
}

CNTService::MessageBoxFunction CNTService::SetMessageBoxFunction(MessageBoxFunction function) {
    MessageBoxFunction previous = g_messageBox;
    g_messageBox = function ? function : ShowMessageBox;
    return previous;
}

void CNTService::TerminateService(DWORD win32ExitCode, DWORD serviceSpecificExitCode) {
    throw CNTServiceTerminateException(win32ExitCode, serviceSpecificExitCode);
}

// ---- Status reporting ----

BOOL CNTService::SetStatus(DWORD state, DWORD checkPoint, DWORD waitHint, DWORD controlsAccepted,
                           DWORD win32ExitCode, DWORD serviceSpecificExitCode) {
    SERVICE_STATUS status = {};
    SERVICE_STATUS_HANDLE handle;
    {
        CSingleLock lock(&m_StatusLock, TRUE);
        const DWORD keep = static_cast<DWORD>(-1);
        // Taken here, under the lock: a state read earlier could already have been replaced by
        // the other thread's report, and repeating it would undo that report.
        if (state == keep) state = m_dwCurrentState;
        m_dwCurrentState = state;
        if (state == SERVICE_STOPPED || state == SERVICE_RUNNING || state == SERVICE_PAUSED) {
            checkPoint = 0;
            waitHint = 0;
        }
        if (checkPoint != keep) m_dwCheckPoint = checkPoint;
        if (waitHint != keep) m_dwWaitHint = waitHint;
        if (controlsAccepted != keep) m_dwControlsAccepted = controlsAccepted;

        status.dwServiceType = m_dwServiceType;
        status.dwCurrentState = state;
        status.dwControlsAccepted = IsPendingState(state) ? 0 : m_dwControlsAccepted;
        status.dwCheckPoint = m_dwCheckPoint;
        status.dwWaitHint = m_dwWaitHint;
        if (state == SERVICE_STOPPED) {
            status.dwWin32ExitCode = win32ExitCode;
            status.dwServiceSpecificExitCode = serviceSpecificExitCode;
        }
        handle = m_hStatus;
        m_LatestStatus = status;
        ++m_dwReportNumber;
    }
    if (!handle) return FALSE;
    return SendLatestStatus(handle);
}

// The report can block while the manager is busy, and the manager may hold it until the control
// handler returns; so neither the status lock nor any other lock that the handler takes is held
// while sending. Reports must still arrive in order: a repeat of "stop pending" from the handler
// arriving after "stopped" would leave the manager waiting for a service that has ended. One
// thread at a time sends, always the newest report, until no newer one is left; a report made
// meanwhile is left to that thread.
BOOL CNTService::SendLatestStatus(SERVICE_STATUS_HANDLE handle) {
    PlatformStatusPort platform(m_lpfnRegisterServiceCtrlHandlerEx);
    ServiceStatusPort* port = m_pStatusPort ? m_pStatusPort : &platform;
    BOOL result = TRUE;
    for (;;) {
        if (InterlockedCompareExchange(&m_lSending, 1, 0) != 0) return result;
        for (;;) {
            SERVICE_STATUS status;
            DWORD number;
            {
                CSingleLock lock(&m_StatusLock, TRUE);
                if (m_dwLastSentNumber == m_dwReportNumber) break;
                status = m_LatestStatus;
                number = m_dwReportNumber;
                if (status.dwCurrentState == SERVICE_STOPPED) m_dwLastSentNumber = number;
            }
            if (status.dwCurrentState == SERVICE_STOPPED) {
                // Once "stopped" is out, the process may end and this object go with it: the
                // bookkeeping is done first, and nothing of the object is touched afterwards.
                InterlockedExchange(&m_lSending, 0);
                return port->SetStatus(handle, status);
            }
            result = port->SetStatus(handle, status);
            CSingleLock lock(&m_StatusLock, TRUE);
            m_dwLastSentNumber = number;
        }
        InterlockedExchange(&m_lSending, 0);
        // A report made after the last look but before the release found the sender busy.
        CSingleLock lock(&m_StatusLock, TRUE);
        if (m_dwLastSentNumber == m_dwReportNumber) return result;
    }
}

BOOL CNTService::ReportStatus(DWORD state, DWORD checkPoint, DWORD waitHint, DWORD controlsAccepted) {
    return SetStatus(state, checkPoint, waitHint, controlsAccepted, 0, 0);
}

BOOL CNTService::ReportCurrentStatus() {
    // The control handler repeats the state while the worker may be changing it: the state is
    // looked up when the report is stored, not before.
    const DWORD keep = static_cast<DWORD>(-1);
    return ReportStatus(keep, keep, keep, keep);
}

// ---- Running as a service ----

BOOL CNTService::RunAsService() {
    std::vector<char> name(m_sServiceName.GetString(), m_sServiceName.GetString() + m_sServiceName.GetLength() + 1);
    SERVICE_TABLE_ENTRYA table[] = {{name.data(), StaticServiceMain}, {nullptr, nullptr}};
    return StartServiceCtrlDispatcherA(table);
}

// The system entries below are the service's frames nearest the system's: no exception may
// unwind past them (the 32-bit build cannot unwind through the system's frames at all).
void WINAPI CNTService::StaticServiceMain(DWORD argc, LPSTR* argv) {
    CNTService* service = sm_pService;
    try {
        if (service) service->RunServiceMain(argc, argv);
    } catch (...) {
    }
}

void CNTService::RunServiceMain(DWORD argc, LPSTR* argv) {
    RegisterCtrlHandler();
    DWORD win32ExitCode = 0;
    DWORD specificExitCode = 0;
    try {
        ServiceMain(argc, argv);
    } catch (const CNTServiceTerminateException& e) {
        win32ExitCode = e.m_dwWin32ExitCode;
        specificExitCode = e.m_dwServiceSpecificExitCode;
    } catch (...) {
        // Escaping here would kill the process on the manager's thread, and the manager would
        // never learn that the service stopped.
        win32ExitCode = ERROR_EXCEPTION_IN_SERVICE;
        specificExitCode = 0;
    }
    SetStatus(SERVICE_STOPPED, 0, 0, 0, win32ExitCode, specificExitCode);
}

BOOL CNTService::RegisterCtrlHandler() {
    CSingleLock lock(&m_StatusLock, TRUE);
    PlatformStatusPort platform(m_lpfnRegisterServiceCtrlHandlerEx);
    ServiceStatusPort* port = m_pStatusPort ? m_pStatusPort : &platform;
    if (m_lpfnRegisterServiceCtrlHandlerEx)
        m_hStatus = port->RegisterHandlerEx(m_sServiceName, StaticHandlerEx, nullptr);
    else
        m_hStatus = port->RegisterHandler(m_sServiceName, StaticHandler);
    return m_hStatus != nullptr;
}

void WINAPI CNTService::StaticHandler(DWORD control) {
    CNTService* service = sm_pService;
    try {
        if (service) service->ServiceCtrlHandler(control, 0, nullptr);
    } catch (...) {
    }
}

DWORD WINAPI CNTService::StaticHandlerEx(DWORD control, DWORD eventType, LPVOID eventData, LPVOID) {
    CNTService* service = sm_pService;
    if (!service) return ERROR_CALL_NOT_IMPLEMENTED;
    try {
        return service->ServiceCtrlHandler(control, eventType, eventData);
    } catch (...) {
        return ERROR_EXCEPTION_IN_SERVICE;
    }
}

DWORD CNTService::ServiceCtrlHandler(DWORD control, DWORD eventType, LPVOID eventData) {
    DWORD result = NO_ERROR;
    switch (control) {
        case SERVICE_CONTROL_STOP: OnStop(); break;
        case SERVICE_CONTROL_PAUSE: OnPause(); break;
        case SERVICE_CONTROL_CONTINUE: OnContinue(); break;
        case SERVICE_CONTROL_INTERROGATE: OnInterrogate(); break;
        case SERVICE_CONTROL_SHUTDOWN: OnShutdown(); break;
        case SERVICE_CONTROL_PARAMCHANGE: OnParamChange(); break;
        case SERVICE_CONTROL_NETBINDADD: OnNetBindAdd(); break;
        case SERVICE_CONTROL_NETBINDREMOVE: OnNetBindRemove(); break;
        case SERVICE_CONTROL_NETBINDENABLE: OnNetBindEnable(); break;
        case SERVICE_CONTROL_NETBINDDISABLE: OnNetBindDisable(); break;
        case SERVICE_CONTROL_DEVICEEVENT: result = OnDeviceEvent(eventType, eventData); break;
        case SERVICE_CONTROL_HARDWAREPROFILECHANGE: result = OnHardwareProfileChange(eventType, eventData); break;
        case SERVICE_CONTROL_POWEREVENT: result = OnPowerEvent(eventType, eventData); break;
        default: OnUserDefinedRequest(control); break;
    }
    ReportCurrentStatus();
    return result;
}

// ---- Default reactions ----

void CNTService::ServiceMain(DWORD, LPSTR*) {}

void CNTService::ReportDisplayNameEvent(DWORD eventId) {
    if (m_bEventLogSource)
        m_EventLogSource.ReportString(EVENTLOG_INFORMATION_TYPE, MapEventId(eventId), m_sDisplayName);
}

void CNTService::OnStop() { ReportDisplayNameEvent(0x40000003); }

void CNTService::OnPause() { ReportDisplayNameEvent(0x40000004); }

void CNTService::OnContinue() { ReportDisplayNameEvent(0x40000005); }

void CNTService::OnShutdown() { ReportDisplayNameEvent(0x40000009); }

void CNTService::OnInterrogate() { ReportCurrentStatus(); }
void CNTService::OnParamChange() {}
void CNTService::OnNetBindAdd() {}
void CNTService::OnNetBindRemove() {}
void CNTService::OnNetBindEnable() {}
void CNTService::OnNetBindDisable() {}
void CNTService::OnUserDefinedRequest(DWORD) {}
DWORD CNTService::OnDeviceEvent(DWORD, LPVOID) { return NO_ERROR; }
DWORD CNTService::OnHardwareProfileChange(DWORD, LPVOID) { return NO_ERROR; }
DWORD CNTService::OnPowerEvent(DWORD, LPVOID) { return NO_ERROR; }
void CNTService::ShowHelp() {}

// ---- Console run ----

void CNTService::DebugRun() { RunInConsole(__argc, __argv); }

void CNTService::RunInConsole(int argc, char** argv) {
    static const char* const consoleWords[] = {"-debug",       "/debug",       "-app",     "/app",
                                               "-application", "/application", "-console", "/console"};
    std::vector<char*> words;
    for (int i = 0; i < argc; ++i) {
        bool drop = false;
        for (const char* w : consoleWords)
            if (CString(argv[i]).CompareNoCase(w) == 0) drop = true;
        if (!drop) words.push_back(argv[i]);
    }
    words.push_back(nullptr);

    SetConsoleCtrlHandler(StaticConsoleCtrlHandler, TRUE);
    // The handler must be gone before the caller can destroy this object.
    struct HandlerRemover {
        ~HandlerRemover() { SetConsoleCtrlHandler(StaticConsoleCtrlHandler, FALSE); }
    } remover;
    try {
        ServiceMain(static_cast<DWORD>(words.size() - 1), words.data());
    } catch (const CNTServiceTerminateException& e) {
        TerminateService(e.m_dwWin32ExitCode, e.m_dwServiceSpecificExitCode);
    }
}

BOOL WINAPI CNTService::StaticConsoleCtrlHandler(DWORD ctrlType) {
    CNTService* service = sm_pService;
    try {
        return service ? service->ConsoleCtrlHandler(ctrlType) : FALSE;
    } catch (...) {
        // Not handled: the system's own handling (ending the process) follows.
        return FALSE;
    }
}

BOOL CNTService::ConsoleCtrlHandler(DWORD ctrlType) {
    switch (ctrlType) {
        case CTRL_C_EVENT:
        case CTRL_BREAK_EVENT:
        case CTRL_CLOSE_EVENT:
            OnStop();
            return TRUE;
        default:
            return FALSE;
    }
}

// ---- Failure texts ----

UINT CNTService::MapStringId(UINT id) { return id; }
DWORD CNTService::MapEventId(DWORD id) { return id; }

void CNTService::FormatErrorMessage(CString& text, UINT stringId, DWORD error, BOOL eventForm) {
    CString code;
    code.Format("%d", static_cast<int>(error));

    // System texts may hold inserts of their own; without arguments they must stay as they are.
    CString system;
    char* buffer = system.GetBuffer(4096);
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                                  buffer, 4096, nullptr);
    system.ReleaseBuffer(static_cast<int>(length));

    CString pair;
    AfxFormatString2(pair, MapStringId(IDS_NTSERV_ERROR_PAIR), code, system);

    int form = eventForm ? m_nEventMessageForm : m_nUserMessageForm;
    text.Empty();
    switch (form) {
        case ErrorCodeOnly: text = code; break;
        case ErrorPair: text = pair; break;
        case SystemText: text = system; break;
        case ResourceWithCode:
            if (!eventForm) AfxFormatString1(text, MapStringId(stringId), code);
            break;
        case ResourceWithPair:
            if (!eventForm) AfxFormatString1(text, MapStringId(stringId), pair);
            break;
        case ResourceWithSystemText:
            if (!eventForm) AfxFormatString1(text, MapStringId(stringId), system);
            break;
        default: break;
    }
}

void CNTService::ShowFailure(const CString& text) const {
    if (m_bConsole) {
        printf("%s\n", text.GetString());
        fflush(stdout);
    } else {
        g_messageBox(text);
    }
}

void CNTService::ReportError(DWORD eventId, const CString& text) {
    if (m_bEventLogSource) m_EventLogSource.ReportString(EVENTLOG_ERROR_TYPE, MapEventId(eventId), text);
}

// ---- Dependencies and instances ----

char* CNTService::GetDependenciesMultiSz() {
    size_t size = 1;
    for (int i = 0; i < m_sDependencies.GetSize(); ++i) size += m_sDependencies[i].GetLength() + 1;
    char* list = new char[size];
    char* p = list;
    for (int i = 0; i < m_sDependencies.GetSize(); ++i) {
        memcpy(p, m_sDependencies[i].GetString(), m_sDependencies[i].GetLength() + 1);
        p += m_sDependencies[i].GetLength() + 1;
    }
    *p = '\0';
    return list;
}

namespace {
struct InstanceSearch {
    CNTServiceControlManager* manager;
    CString programPath;  // upper case
    CStringArray* names;
};

BOOL AddInstance(void* context, ENUM_SERVICE_STATUSA& entry) {
    InstanceSearch& search = *static_cast<InstanceSearch*>(context);
    CNTScmService service;
    if (!search.manager->OpenService(entry.lpServiceName, SERVICE_QUERY_CONFIG, service)) return TRUE;
    LPQUERY_SERVICE_CONFIGA config = nullptr;
    if (service.QueryConfig(config) && config) {
        CString binary(config->lpBinaryPathName);
        binary.MakeUpper();
        if (binary.Find(search.programPath) >= 0) search.names->Add(entry.lpServiceName);
    }
    delete[] reinterpret_cast<BYTE*>(config);
    return TRUE;
}
}  // namespace

BOOL CNTService::EnumerateInstances(CStringArray& serviceNames, DWORD& error) {
    serviceNames.RemoveAll();
    error = 0;
    CNTServiceControlManager manager;
    if (!manager.Open(nullptr, SC_MANAGER_CONNECT | SC_MANAGER_ENUMERATE_SERVICE)) {
        error = GetLastError();
        return FALSE;
    }
    char path[MAX_PATH * 2] = "";
    GetModuleFileNameA(nullptr, path, sizeof(path));
    InstanceSearch search = {&manager, CString(path), &serviceNames};
    search.programPath.MakeUpper();
    BOOL ok = manager.EnumServices(SERVICE_WIN32, SERVICE_STATE_ALL, &search, AddInstance);
    if (!ok) error = GetLastError();
    return ok;
}
