#include "OrvService/OrvService.h"
#include "OrvService/StopSignal.h"
#include "common/AppData.h"
#include "common/Clock.h"
#include "common/Exception.h"
#include "common/Log.h"
#include "common/ServiceAccountAccess.h"
#include "common/ServiceName.h"
#include "common/TrustedOwners.h"
#include <cstdio>

namespace {
const char* const kDisplayName = "Orvanti Manager";
const char* const kDescription =
    "Manages tasks created by a user in Orvanti. You can open the Orvanti Service Manager to assign new tasks and "
    "modify existing.";
const DWORD kControlsAccepted = SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_PAUSE_CONTINUE | SERVICE_ACCEPT_SHUTDOWN;

LONG ReadFlag(volatile LONG& flag) { return flag; }
}  // namespace

// The free function: inside the class the name means the base's accessor, on a base not yet built.
COrvService::COrvService()
    : CNTService(::GetServiceName(), kDisplayName, kControlsAccepted, kDescription),
      m_lStop(0),
      m_lPause(0),
      m_dwSleep(300),
      m_CheckPeriod(0, 0, 2, 0) {
    // The base installs demand-start services; this one must come up with the machine, with or
    // without "-auto" on the install command.
    m_dwStartType = SERVICE_AUTO_START;
    // A stop asked of an earlier service object of this process is not this one's.
    StopSignal::Lower();
}

COrvService::~COrvService() {
    // The tasks go first: a Watch task's watcher threads call back into its task.
    m_Tasks.clear();
}

void COrvService::OnStop() { RequestStop(); }

void COrvService::OnShutdown() { RequestStop(); }

void COrvService::RequestStop() {
    InterlockedExchange(&m_lStop, 1);
    // Also for the waits of the start, which do not read the flag.
    StopSignal::Raise();
}

void COrvService::OnPause() { InterlockedExchange(&m_lPause, 1); }

void COrvService::OnContinue() { InterlockedExchange(&m_lPause, 0); }

void COrvService::WriteEvent(WORD type, DWORD id, const char* text) {
    if (!m_bEventLogSource) return;
    m_EventLogSource.ReportString(type, id, text);
}

bool COrvService::IsCheckDue(const CTime& lastCheck, const CTime& now, const CTimeSpan& period) {
    if (lastCheck == CTime()) return true;
    // A clock set back, or a pass within the same second as the last examination.
    if (lastCheck >= now) return true;
    return (now - lastCheck).GetTotalSeconds() > period.GetTotalSeconds();
}

bool COrvService::IsCheckDue() const { return IsCheckDue(m_LastCheck, Clock::Now(), m_CheckPeriod); }

void COrvService::ServiceMain(DWORD, LPSTR*) {
    const DWORD keep = static_cast<DWORD>(-1);
    ReportStatus(SERVICE_START_PENDING, 1, 200, keep);
    HeldObject dataFolder;
    HoldDataFolder(dataFolder);
    ReportStatus(SERVICE_RUNNING, keep, keep, keep);
    WriteEvent(EVENTLOG_INFORMATION_TYPE, EventStarted, m_sDisplayName);
    Log::Write("Service started successfully.");

    RunStartStep(&COrvService::LoadTasks, "Unable to load tasks: %s");
    SetRunningTasksCount(0);
    RunStartStep(&COrvService::DeleteOldLogs, "Unable to delete old log files: %s");

    // Compared with what was last reported, not with the start of the pass: a request that
    // arrives between two passes would otherwise never be reported, and the service control
    // manager would show the service paused while it runs, or the reverse.
    LONG reportedPaused = 0;
    for (;;) {
        LONG paused = ReadFlag(m_lPause);
        if (ReadFlag(m_lStop)) break;
        if (!paused && IsCheckDue()) {
            ManageTasks();
            m_LastCheck = Clock::Now();
        }
        Sleep(m_dwSleep);
        LONG pausedNow = ReadFlag(m_lPause);
        if (pausedNow == reportedPaused) continue;
        reportedPaused = pausedNow;
        if (pausedNow) {
            ReportStatus(SERVICE_PAUSED, keep, keep, keep);
            WriteEvent(EVENTLOG_INFORMATION_TYPE, EventPaused, m_sDisplayName);
            Log::Write("Service paused successfully.");
        } else {
            ReportStatus(SERVICE_RUNNING, keep, keep, keep);
            WriteEvent(EVENTLOG_INFORMATION_TYPE, EventContinued, m_sDisplayName);
            Log::Write("Service continued successfully.");
        }
    }

    TerminateTasks();
    SetRunningTasksCount(0);
    ReportStatus(SERVICE_STOP_PENDING, 1, 200, keep);
    WriteEvent(EVENTLOG_INFORMATION_TYPE, EventStopping, m_sDisplayName);
    Log::Write("Service stopped successfully.");
}

// Before anything is read or written there. Held for the whole run, the folder cannot be renamed
// away and another put in its place. One that cannot be made or opened is left to the start
// steps, which report it and go on as before.
void COrvService::HoldDataFolder(HeldObject& held) {
    CString folder;
    try {
        folder = AppData::GetDataFolder();
    } catch (const Exception&) {
        return;
    }
    if (held.Open(folder) != 0) return;
    std::vector<BYTE> owner;
    bool listWasProtected = false;
    const DWORD error = held.ReadOwner(owner, listWasProtected);
    if (!held.IsLink() && !error && TrustedOwners().Trusts(owner)) return;
    held.Release();
    // A folder an ordinary user made where the data folder was removed may hold tasks they
    // planted; one behind a link lies wherever the link points. Nothing in it is touched.
    CString whose;
    if (held.IsLink())
        whose = "is a link to another folder";
    else
        whose.Format("belongs to %s, whom the service does not trust", TrustedOwners::NameOf(owner).GetString());
    CString text;
    text.Format("The data folder %s %s: the service reads, writes and deletes nothing in it, loads no task and "
                "stops. Uninstall the service and install it again (OrvService -uninstall, then -install, or the "
                "manager's Set-up page): the install sets that folder aside and makes a new data folder.",
                folder.GetString(), whose.GetString());
    WriteEvent(EVENTLOG_ERROR_TYPE, EventTaskFailure, text);
    TerminateService(ERROR_INVALID_OWNER);
}

// A data folder that cannot be made, or a file where the logs folder belongs, must not end the
// service right after "running": it goes on with what it could load.
void COrvService::RunStartStep(void (COrvService::*step)(), const char* failureFormat) {
    CString reason;
    try {
        (this->*step)();
        return;
    } catch (const CNTServiceTerminateException&) {
        throw;
    } catch (const Exception& e) {
        reason = e.GetFullMessage();
    } catch (...) {
        reason = "Unknown problem occurred.";
    }
    CString text;
    text.Format(failureFormat, reason.GetString());
    WriteEvent(EVENTLOG_ERROR_TYPE, EventTaskFailure, text);
    Log::Write(text);
}

DWORD COrvService::GrantAccountAccess(const char* account) {
    std::vector<CString> notes;
    const DWORD error = ServiceAccountAccess::GrantServiceData(account, notes);
    // Where tasks went that the install set aside: at the command line, and in the event log,
    // where the manager's hidden run of the install leaves the only trace.
    for (const CString& note : notes) {
        if (m_bConsole) {
            std::printf("%s\n", note.GetString());
            std::fflush(stdout);
        }
        WriteEvent(EVENTLOG_WARNING_TYPE, EventTaskWarning, note);
    }
    return error;
}

DWORD COrvService::RevokeAccountAccess(const char* account) {
    return ServiceAccountAccess::RevokeServiceData(account);
}

void COrvService::ShowHelp() {
    std::fputs(
        "Orvanti Manager service: runs Orvanti for the tasks of its task file.\n"
        "\n"
        "Usage: OrvService [command] [options]   (switches begin with - or /)\n"
        "\n"
        "Commands:\n"
        "  (none)                 Run under the service control manager.\n"
        "  -install               Install the service (it starts with the system).\n"
        "  -uninstall, -remove    Stop and uninstall the service.\n"
        "  -start                 Start the service.\n"
        "  -pause                 Pause the service.\n"
        "  -continue              Continue the paused service.\n"
        "  -stop                  Stop the service.\n"
        "  -debug, -app, -application, -console\n"
        "                         Run the service in this console; Ctrl-C stops it.\n"
        "  -help, -?              Show this text.\n"
        "\n"
        "Options:\n"
        "  -auto                  Install for automatic start.\n"
        "  -U:<account>           Install to log on as this account (default LocalSystem).\n"
        "  -P:<password>          The account's password.\n"
        "  -SN:<name>             The service name.\n"
        "  -SDN:<display name>    The display name.\n"
        "  -SD:<description>      The description.\n"
        "  -SCL:<text>            Extra text for the service's command line.\n"
        "  -T:<milliseconds>      Time to wait for start, pause, continue, stop and uninstall\n"
        "                         (default 5000).\n"
        "  -silent                Show no failure text.\n"
        "\n"
        "The exit code is 0 on success, otherwise the Windows error code of the step that failed.\n",
        stdout);
    std::fflush(stdout);
}
