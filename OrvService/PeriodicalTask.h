// A task that runs the generator every N hours (type "Periodical").
#pragma once
#include "classlib/CTime.h"
#include "common/Task.h"

class PeriodicalTask : public Task {
public:
    // Reads Interval (hours, greater than 0) after the base's keys; throws Exception.
    PeriodicalTask(const CString& tasksIniPath, const CString& section);

    // Due when it never ran, when the clock went back past its last run, or once more than
    // the interval has passed since the last run.
    bool IsDue() override;
    CString GetDescription() override;

    const CTimeSpan& GetInterval() const { return interval_; }

private:
    CTimeSpan interval_;
};
