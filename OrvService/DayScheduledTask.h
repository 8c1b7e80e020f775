// A task that runs the generator once on each chosen week day, at a chosen time or within six
// hours after it (type "DayScheduled").
#pragma once
#include "common/Task.h"
#include <vector>

class DayScheduledTask : public Task {
public:
    // Reads the week days, then Hour and Minutes, after the base's keys; throws Exception.
    DayScheduledTask(const CString& tasksIniPath, const CString& section);

    bool IsDue() override;
    CString GetDescription() override;

    int GetHour() const { return hour_; }
    int GetMinutes() const { return minutes_; }
    const std::vector<int>& GetDays() const { return days_; }

private:
    int window_;  // minutes after the start time within which a missed start is still made up
    int hour_;
    int minutes_;
    std::vector<int> days_;  // 1 = Sunday ... 7 = Saturday
};
