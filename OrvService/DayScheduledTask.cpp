#include "OrvService/DayScheduledTask.h"
#include "common/Clock.h"
#include "common/DirUtils.h"
#include "common/Exception.h"

DayScheduledTask::DayScheduledTask(const CString& tasksIniPath, const CString& section)
    : Task(tasksIniPath, section), window_(360), hour_(-1), minutes_(-1) {
    GetWeekDays(GetReader(), days_);
    int hour = GetReader()->ReadInt("Hour", 0);
    int minutes = GetReader()->ReadInt("Minutes", 0);
    if (hour < 0 || hour > 23 || minutes < 0 || minutes > 59) throw Exception("Incorrect start time parameter.");
    hour_ = hour;
    minutes_ = minutes;
}

bool DayScheduledTask::IsDue() {
    CTime now = Clock::Now();
    const int weekDay = now.GetDayOfWeek();
    const long long nowMinutes = now.GetHour() * 60LL + now.GetMinute();
    const long long startMinutes = hour_ * 60LL + minutes_;

    // Minutes since the most recent start on a chosen day, today's or yesterday's.
    long long sinceStart = -1;
    for (size_t i = 0; i < days_.size(); ++i) {
        const int day = days_[i];
        long long c;
        if (day == weekDay)
            c = nowMinutes - startMinutes;
        else if (weekDay == day % 7 + 1)
            c = nowMinutes - startMinutes + 1440;
        else
            continue;
        if (c > 0 && (sinceStart < 0 || c < sinceStart)) sinceStart = c;
    }
    if (sinceStart < 0) return false;

    CTime lastRun = GetLastRun();
    if (lastRun > now) lastRun = CTime();
    const long long sinceLastRun = (now - lastRun).GetTotalSeconds() / 60;
    return sinceLastRun > sinceStart && sinceStart < window_;
}

CString DayScheduledTask::GetDescription() {
    CString text;
    text.Format("%s (at %d:%d), %s", static_cast<LPCSTR>(GetDayScheduledDisplayName()), hour_, minutes_,
                static_cast<LPCSTR>(DirUtils::GetFileName(GetOrvPath())));
    return text;
}
