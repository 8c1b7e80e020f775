// The three pages of Task Properties that hold a kind's own values, each a child dialog placed
// over the editor's placeholder: the Periodical interval and last run, the DayScheduled time and
// week days, and the Watch task's note.
#pragma once
#include "OrvServiceManager/CGenericChildDialog.h"
#include "classlib/CTime.h"
#include "classlib/Controls.h"
#include <vector>

class CHourScheduledTaskPropertiesDialog : public CGenericChildDialog {
public:
    CHourScheduledTaskPropertiesDialog();
    UINT GetTemplateId() const override;
    BOOL OnInitDialog() override;

    // Shows the interval brought into 2 to 48.
    void SetInterval(int hours);
    // Throws Exception "Interval value should be between 2 and 48 hours." for anything else,
    // text that is no number included.
    int GetInterval() const;
    // The zero time shows no last run.
    void SetLastRun(const CTime& time);
    void ShowNoLastRun();
    BOOL IsLastRunCleared() const { return m_bCleared; }

protected:
    void OnClear();
    DECLARE_MESSAGE_MAP()

private:
    BOOL m_bCleared;
};

class CDayScheduledTaskParamsDialog : public CGenericChildDialog {
public:
    UINT GetTemplateId() const override;
    BOOL OnInitDialog() override;

    // The picker shows only the time; its date is always 11 October 2005.
    void SetTime(int hour, int minute);
    void GetTime(int& hour, int& minute) const;
    // Checks the box of each week-day number (1 Sunday to 7 Saturday); other numbers are
    // ignored and no box is unchecked.
    void SetDays(const std::vector<int>& days);
    // The numbers of the checked boxes, Sunday (1) first.
    std::vector<int> GetDays() const;
    // The box of a week-day number (Monday 1040 to Sunday 1046); 0 for no day.
    static int GetDayBoxId(int day);

private:
    CDateTimeCtrl m_time;
};

class CEventTrigeredTaskParamsDialog : public CGenericChildDialog {
public:
    UINT GetTemplateId() const override;
    BOOL OnInitDialog() override;
};
