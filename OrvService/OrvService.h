// The service object of OrvService: the worker loop that examines the tasks about every two
// minutes, and the stop, pause and continue reactions that only set flags the loop reads.
#pragma once
#include "classlib/CTime.h"
#include "common/HeldObject.h"
#include "common/NTService.h"
#include "common/Task.h"
#include <boost/shared_ptr.hpp>
#include <vector>

typedef std::vector<boost::shared_ptr<Task>> TaskList;

class COrvService : public CNTService {
public:
    // Event identifiers of the service's own events.
    enum : DWORD {
        EventStarted = 0x40000001,
        EventStopping = 0x40000004,
        EventPaused = 0x40000005,
        EventContinued = 0x40000006,
        EventTasksLoaded = 0x40000011,
        EventTaskFailure = 0xC0000012,
        EventTaskWarning = 0x80000013
    };

    COrvService();
    ~COrvService() override;

    void ServiceMain(DWORD argc, LPSTR* argv) override;
    void OnStop() override;
    void OnPause() override;
    void OnContinue() override;
    void OnShutdown() override;
    void ShowHelp() override;
    // The data folder: made sure of at every install and given to a user account, which
    // uninstall takes it back from.
    DWORD GrantAccountAccess(const char* account) override;
    DWORD RevokeAccountAccess(const char* account) override;

    // Reports one event with the text as its only insertion string, unless the event log is
    // switched off.
    void WriteEvent(WORD type, DWORD id, const char* text);

    // The examination of the tasks and what surrounds it.
    void LoadTasks();
    void ManageTasks();
    void TerminateTasks();
    void SetRunningTasksCount(DWORD count);
    void DeleteOldLogs();

    // Whether a pass of the loop should examine the tasks now.
    bool IsCheckDue() const;
    static bool IsCheckDue(const CTime& lastCheck, const CTime& now, const CTimeSpan& period);

    TaskList& GetTasks() { return m_Tasks; }
    const CTime& GetLastCheckTime() const { return m_LastCheck; }
    bool IsStopRequested() const { return m_lStop != 0; }
    bool IsPauseRequested() const { return m_lPause != 0; }
    // Tests shorten the loop's sleep; the service keeps 300 ms.
    void SetSleepForTesting(DWORD milliseconds) { m_dwSleep = milliseconds; }

private:
    void RequestStop();
    // Opens the data folder and holds it for the run; one that is not the service's own (a
    // link, or one an ordinary user made) is reported and ends the start.
    void HoldDataFolder(HeldObject& held);
    // Runs one step of the start; a failure is reported as an error event and a log line.
    void RunStartStep(void (COrvService::*step)(), const char* failureFormat);

    volatile LONG m_lStop;
    volatile LONG m_lPause;
    DWORD m_dwSleep;
    CTimeSpan m_CheckPeriod;
    CTime m_LastCheck;
    TaskList m_Tasks;
};
