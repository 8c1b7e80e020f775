// Installation, removal and state changes of the service through the service control manager.
#include "common/NTScmService.h"
#include "common/NTService.h"
#include "common/NTServiceRes.h"
#include <memory>

namespace {
CString ProgramPath() {
    char path[MAX_PATH * 2] = "";
    GetModuleFileNameA(nullptr, path, sizeof(path));
    return path;
}

// The program's path with its extension replaced by "DLL".
CString MessageFileBeside(const CString& programPath) {
    int slash = programPath.ReverseFind('\\');
    int dot = programPath.ReverseFind('.');
    CString stem = dot > slash ? programPath.Left(dot) : programPath;
    return stem + ".DLL";
}

// The account the service logs on as, empty for LocalSystem; false with the thread's error set
// when it cannot be read.
BOOL ReadServiceAccount(CNTServiceControlManager& manager, const char* serviceName, CString& account) {
    CNTScmService service;
    LPQUERY_SERVICE_CONFIGA config = nullptr;
    if (!manager.OpenService(serviceName, SERVICE_QUERY_CONFIG, service) || !service.QueryConfig(config))
        return FALSE;
    std::unique_ptr<BYTE[]> held(reinterpret_cast<BYTE*>(config));
    account = config->lpServiceStartName ? config->lpServiceStartName : "";
    if (account.CompareNoCase("LocalSystem") == 0) account.Empty();
    return TRUE;
}
}  // namespace

BOOL CNTService::Install(CString& errorText, DWORD& error) {
    errorText.Empty();
    error = 0;

    CNTServiceControlManager manager;
    if (!manager.Open(nullptr, SC_MANAGER_CREATE_SERVICE | SC_MANAGER_LOCK)) {
        error = GetLastError();
        FormatErrorMessage(errorText, IDS_NTSERV_INSTALL_OPEN_SCM, error, FALSE);
        return FALSE;
    }
    if (!manager.Lock()) {
        error = GetLastError();
        FormatErrorMessage(errorText, IDS_NTSERV_INSTALL_LOCK_SCM, error, FALSE);
        return FALSE;
    }

    // The account's name outlives the wipe of the credentials: what the service writes is made
    // ready for it once the service exists.
    const CString account(m_sUserName);
    std::unique_ptr<char[]> dependencies(GetDependenciesMultiSz());
    CNTScmService service;
    BOOL created = service.Create(manager, m_sServiceName, m_sDisplayName, SERVICE_CHANGE_CONFIG | DELETE,
                                  m_dwServiceType, m_dwStartType, m_dwErrorControl, m_sBinaryPath,
                                  m_sLoadOrderGroup.IsEmpty() ? nullptr : m_sLoadOrderGroup.GetString(), nullptr,
                                  dependencies.get(), m_sUserName.IsEmpty() ? nullptr : m_sUserName.GetString(),
                                  m_sPassword.IsEmpty() ? nullptr : m_sPassword.GetString());
    DWORD createError = created ? 0 : GetLastError();
    dependencies.reset();
    // The credentials have served their one purpose; keep no copy in memory either way.
    m_sUserName.SecureEmpty();
    m_sPassword.SecureEmpty();
    if (!created) {
        error = createError;
        FormatErrorMessage(errorText, IDS_NTSERV_INSTALL_CREATE_SERVICE, error, FALSE);
        return FALSE;
    }

    // Only now, so that a creation that fails (the service exists, is marked for deletion, or
    // the account is refused) leaves what is there untouched and gives nobody anything. A
    // service whose account cannot write what it keeps would only fail at every run: it is
    // deleted again, and the install fails (one that cannot be deleted stays stopped, for an
    // uninstall to remove).
    const DWORD grantError = GrantAccountAccess(account);
    if (grantError != 0) {
        service.Delete();
        error = grantError;
        FormatErrorMessage(errorText, IDS_NTSERV_INSTALL_GRANT_ACCESS, error, FALSE);
        return FALSE;
    }

    if (m_bEventLogSource) {
        if (m_sEventMessageFile.IsEmpty()) m_sEventMessageFile = MessageFileBeside(ProgramPath());
        if (!CNTEventLogSource::InstallSource("Application", m_sDisplayName, m_sEventMessageFile,
                                              EVENTLOG_ERROR_TYPE | EVENTLOG_WARNING_TYPE |
                                                  EVENTLOG_INFORMATION_TYPE)) {
            error = GetLastError();
            FormatErrorMessage(errorText, IDS_NTSERV_INSTALL_EVENT_SOURCE, error, FALSE);
            return FALSE;
        }
    }

    // Systems without descriptions install the service all the same.
    if (!m_sDescription.IsEmpty()) service.ChangeDescription(m_sDescription);

    if (m_bEventLogSource)
        m_EventLogSource.ReportString(EVENTLOG_INFORMATION_TYPE, MapEventId(0x40000002), m_sDisplayName);
    return TRUE;
}

DWORD CNTService::GrantAccountAccess(const char*) { return 0; }

DWORD CNTService::RevokeAccountAccess(const char*) { return 0; }

BOOL CNTService::Uninstall(CString& errorText, DWORD& error, DWORD timeout) {
    errorText.Empty();
    error = 0;

    CNTServiceControlManager manager;
    if (!manager.Open(nullptr, SC_MANAGER_CONNECT)) {
        error = GetLastError();
        FormatErrorMessage(errorText, IDS_NTSERV_UNINSTALL_OPEN_SCM, error, FALSE);
        CString eventText;
        FormatErrorMessage(eventText, IDS_NTSERV_UNINSTALL_OPEN_SCM, error, TRUE);
        ReportError(0xC0000006, eventText);
        return FALSE;
    }
    CNTScmService service;
    if (!manager.OpenService(m_sServiceName, DELETE | SERVICE_STOP | SERVICE_QUERY_STATUS, service)) {
        error = GetLastError();
        FormatErrorMessage(errorText, IDS_NTSERV_UNINSTALL_OPEN_SERVICE, error, FALSE);
        CString eventText;
        FormatErrorMessage(eventText, IDS_NTSERV_UNINSTALL_OPEN_SERVICE, error, TRUE);
        ReportError(0xC0000007, eventText);
        return FALSE;
    }

    // Read while the service is there: what its account was given goes with it. An account that
    // cannot be read cannot be taken back either: the service stays, for a later try.
    CString account;
    if (!ReadServiceAccount(manager, m_sServiceName, account)) {
        error = GetLastError();
        FormatErrorMessage(errorText, IDS_NTSERV_UNINSTALL_REVOKE_ACCESS, error, FALSE);
        return FALSE;
    }

    SERVICE_STATUS status = {};
    if (service.QueryStatus(status) && status.dwCurrentState != SERVICE_STOPPED) {
        // A refused stop is not the end: the service may still stop within the time-out.
        if (!service.Stop()) {
            error = GetLastError();
            FormatErrorMessage(errorText, IDS_NTSERV_UNINSTALL_STOP, error, FALSE);
        }
        if (!service.WaitForStop(timeout)) {
            error = GetLastError();
            FormatErrorMessage(errorText, IDS_NTSERV_UNINSTALL_WAIT_FOR_STOP, error, FALSE);
            return FALSE;
        }
    }

    // Taken back from the stopped service, before it goes: once deleted, no service names the
    // account any more, and a failure could never be tried again. The service stays for that.
    if (!account.IsEmpty()) {
        const DWORD revokeError = RevokeAccountAccess(account);
        if (revokeError) {
            error = revokeError;
            FormatErrorMessage(errorText, IDS_NTSERV_UNINSTALL_REVOKE_ACCESS, error, FALSE);
            return FALSE;
        }
    }

    if (!service.Delete()) {
        error = GetLastError();
        FormatErrorMessage(errorText, IDS_NTSERV_UNINSTALL_DELETE_SERVICE, error, FALSE);
        CString eventText;
        FormatErrorMessage(eventText, IDS_NTSERV_UNINSTALL_DELETE_SERVICE, error, TRUE);
        ReportError(0xC0000008, eventText);
        return FALSE;
    }

    if (m_bEventLogSource && !CNTEventLogSource::UninstallSource("Application", m_sDisplayName)) {
        error = GetLastError();
        FormatErrorMessage(errorText, IDS_NTSERV_UNINSTALL_EVENT_SOURCE, error, FALSE);
        return FALSE;
    }
    return TRUE;
}

BOOL CNTService::SetServiceToStatus(DWORD target, DWORD& error, DWORD timeout, DWORD pollInterval) {
    error = 0;
    DWORD wantedState;
    DWORD access;
    switch (target) {
        case TargetStart: wantedState = SERVICE_RUNNING; access = SERVICE_START; break;
        case TargetPause: wantedState = SERVICE_PAUSED; access = SERVICE_PAUSE_CONTINUE; break;
        case TargetContinue: wantedState = SERVICE_RUNNING; access = SERVICE_PAUSE_CONTINUE; break;
        case TargetStop: wantedState = SERVICE_STOPPED; access = SERVICE_STOP; break;
        default:
            error = ERROR_INVALID_PARAMETER;
            SetLastError(error);
            return FALSE;
    }

    // Each failure goes to the event log with the text of its step.
    auto fail = [&](DWORD eventId, UINT stringId) {
        error = GetLastError();
        CString eventText;
        FormatErrorMessage(eventText, stringId, error, TRUE);
        ReportError(eventId, eventText);
        return FALSE;
    };

    CNTServiceControlManager manager;
    if (!manager.Open(nullptr, SC_MANAGER_CONNECT)) return fail(0xC0000006, IDS_NTSERV_STATUS_OPEN_SCM);
    CNTScmService service;
    if (!manager.OpenService(m_sServiceName, access | SERVICE_QUERY_STATUS, service))
        return fail(0xC0000007, IDS_NTSERV_STATUS_OPEN_SERVICE);
    SERVICE_STATUS status = {};
    if (!service.QueryStatus(status)) return fail(0xC000000F, IDS_NTSERV_STATUS_QUERY);

    if (status.dwCurrentState != wantedState) {
        switch (target) {
            case TargetStart:
                if (!service.Start(0, nullptr)) return fail(0xC000000A, IDS_NTSERV_STATUS_START);
                break;
            case TargetPause:
                if (!service.Pause()) return fail(0xC000000D, IDS_NTSERV_STATUS_PAUSE);
                break;
            case TargetContinue:
                if (!service.Continue()) return fail(0xC000000C, IDS_NTSERV_STATUS_CONTINUE);
                break;
            case TargetStop:
                if (!service.Stop()) {
                    error = GetLastError();
                    if (m_bEventLogSource)
                        m_EventLogSource.Report(EVENTLOG_ERROR_TYPE, MapEventId(0xC000000B), error, FALSE);
                    return FALSE;
                }
                break;
        }
    }

    if (!service.WaitForStatus(timeout, wantedState, pollInterval)) {
        error = GetLastError();
        CString eventText;
        FormatErrorMessage(eventText, IDS_NTSERV_STATUS_WAIT, error, TRUE);
        if (m_bEventLogSource)
            m_EventLogSource.Report(EVENTLOG_ERROR_TYPE, MapEventId(0xC000000E), eventText, wantedState, FALSE);
        return FALSE;
    }
    return TRUE;
}
