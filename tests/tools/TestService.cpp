// A throwaway Windows service for the tests of the service-control-manager wrappers:
// TestService.exe <service name>. It takes a moment to start, accepts stop and pause/continue,
// and reports every state change.
#include <windows.h>
#include <cstring>

namespace {

char g_name[256] = "OrvTestService";
SERVICE_STATUS_HANDLE g_statusHandle = nullptr;
HANDLE g_stopEvent = nullptr;
CRITICAL_SECTION g_statusLock;
SERVICE_STATUS g_status = {};

void Report(DWORD state, DWORD waitHint = 0) {
    EnterCriticalSection(&g_statusLock);
    g_status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    g_status.dwCurrentState = state;
    g_status.dwControlsAccepted =
        (state == SERVICE_START_PENDING || state == SERVICE_STOP_PENDING) ? 0
                                                                          : SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_PAUSE_CONTINUE;
    g_status.dwWin32ExitCode = NO_ERROR;
    g_status.dwServiceSpecificExitCode = 0;
    g_status.dwWaitHint = waitHint;
    g_status.dwCheckPoint = (state == SERVICE_RUNNING || state == SERVICE_STOPPED || state == SERVICE_PAUSED)
                                ? 0
                                : g_status.dwCheckPoint + 1;
    SERVICE_STATUS copy = g_status;
    LeaveCriticalSection(&g_statusLock);
    SetServiceStatus(g_statusHandle, &copy);
}

DWORD WINAPI Handler(DWORD control, DWORD, LPVOID, LPVOID) {
    switch (control) {
    case SERVICE_CONTROL_STOP:
    case SERVICE_CONTROL_SHUTDOWN:
        Report(SERVICE_STOP_PENDING, 1000);
        SetEvent(g_stopEvent);
        return NO_ERROR;
    case SERVICE_CONTROL_PAUSE:
        Report(SERVICE_PAUSED);
        return NO_ERROR;
    case SERVICE_CONTROL_CONTINUE:
        Report(SERVICE_RUNNING);
        return NO_ERROR;
    case SERVICE_CONTROL_INTERROGATE:
        EnterCriticalSection(&g_statusLock);
        {
            SERVICE_STATUS copy = g_status;
            LeaveCriticalSection(&g_statusLock);
            SetServiceStatus(g_statusHandle, &copy);
        }
        return NO_ERROR;
    default:
        return ERROR_CALL_NOT_IMPLEMENTED;
    }
}

void WINAPI ServiceMain(DWORD, LPSTR*) {
    g_statusHandle = RegisterServiceCtrlHandlerExA(g_name, Handler, nullptr);
    if (!g_statusHandle) return;
    Report(SERVICE_START_PENDING, 2000);
    // Long enough that a caller's wait for "running" really has to poll.
    Sleep(300);
    Report(SERVICE_RUNNING);
    WaitForSingleObject(g_stopEvent, INFINITE);
    Report(SERVICE_STOPPED);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1) lstrcpynA(g_name, argv[1], sizeof(g_name));
    InitializeCriticalSection(&g_statusLock);
    g_stopEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    SERVICE_TABLE_ENTRYA table[] = {{g_name, ServiceMain}, {nullptr, nullptr}};
    BOOL ok = StartServiceCtrlDispatcherA(table);
    DWORD error = ok ? 0 : GetLastError();
    CloseHandle(g_stopEvent);
    DeleteCriticalSection(&g_statusLock);
    return static_cast<int>(error);
}
