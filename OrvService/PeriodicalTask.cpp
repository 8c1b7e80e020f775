#include "OrvService/PeriodicalTask.h"
#include "common/Clock.h"
#include "common/DirUtils.h"
#include "common/Exception.h"

PeriodicalTask::PeriodicalTask(const CString& tasksIniPath, const CString& section) : Task(tasksIniPath, section) {
    int hours = GetReader()->ReadInt("Interval", 0);
    if (hours <= 0) throw Exception("Incorrect interval value.");
    interval_ = CTimeSpan(0, hours, 0, 0);
}

bool PeriodicalTask::IsDue() {
    CTime now = Clock::Now();
    CTime lastRun = GetLastRun();
    if (lastRun == CTime()) return true;
    // LastRun has no seconds and the examination repeats within a second: a last run equal to
    // now is the run just started, not a clock that went back.
    if (lastRun > now) return true;
    return (now - lastRun) > interval_;
}

CString PeriodicalTask::GetDescription() {
    CString text;
    text.Format("%s (every %d hours), %s", static_cast<LPCSTR>(GetPeriodicalTypeId()),
                static_cast<int>(interval_.GetTotalHours()), static_cast<LPCSTR>(DirUtils::GetFileName(GetOrvPath())));
    return text;
}
