#include "OrvServiceManager/CTaskParamsPages.h"
#include "OrvServiceManager/EditableTask.h"
#include "OrvServiceManager/OrvServiceManagerRes.h"
#include "common/Exception.h"
#include "common/IntegerText.h"

// ---- Periodical ---------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CHourScheduledTaskPropertiesDialog, CGenericChildDialog)
    ON_BN_CLICKED(IDC_CLEAR_LAST_RUN, OnClear)
END_MESSAGE_MAP()

CHourScheduledTaskPropertiesDialog::CHourScheduledTaskPropertiesDialog() : m_bCleared(FALSE) {}

UINT CHourScheduledTaskPropertiesDialog::GetTemplateId() const { return IDD_HOUR_TASK_PARAMS; }

BOOL CHourScheduledTaskPropertiesDialog::OnInitDialog() {
    CGenericChildDialog::OnInitDialog();
    SetDlgItemText(IDC_INTERVAL_LABEL, "&Choose run interval:");
    SetDlgItemText(IDC_HOURS_LABEL, "hour(s).");
    SetDlgItemText(IDC_INTERVAL_RANGE, "Choose value between 2..48");
    SetDlgItemText(IDC_LAST_RUN_LABEL, "&Last task run:");
    SetDlgItemText(IDC_CLEAR_LAST_RUN, "Cl&ear");
    return TRUE;
}

void CHourScheduledTaskPropertiesDialog::SetInterval(int hours) {
    CString text;
    text.Format("%d", ClampInterval(hours));
    SetDlgItemText(IDC_INTERVAL, text);
}

int CHourScheduledTaskPropertiesDialog::GetInterval() const {
    CString text;
    GetDlgItemText(IDC_INTERVAL, text);
    // atoi's reading, but a number of any length outside 2..48 is refused: atoi's own wraps, and
    // 4294967298 hours came back as 2.
    const int hours = ParseLeadingInt(text);
    if (ClampInterval(hours) != hours) throw Exception("Interval value should be between 2 and 48 hours.");
    return hours;
}

void CHourScheduledTaskPropertiesDialog::SetLastRun(const CTime& time) {
    if (time == CTime()) {
        ShowNoLastRun();
        return;
    }
    SetDlgItemText(IDC_LAST_RUN, FormatLastRunText(time));
}

void CHourScheduledTaskPropertiesDialog::ShowNoLastRun() {
    SetDlgItemText(IDC_LAST_RUN, "");
    if (CWnd* clear = GetDlgItem(IDC_CLEAR_LAST_RUN)) clear->EnableWindow(FALSE);
}

void CHourScheduledTaskPropertiesDialog::OnClear() {
    m_bCleared = TRUE;
    ShowNoLastRun();
}

// ---- DayScheduled -------------------------------------------------------------------------------

UINT CDayScheduledTaskParamsDialog::GetTemplateId() const { return IDD_DAY_TASK_PARAMS; }

BOOL CDayScheduledTaskParamsDialog::OnInitDialog() {
    CGenericChildDialog::OnInitDialog();
    m_time.SubclassDlgItem(IDC_START_TIME, this);
    SetDlgItemText(IDC_TIME_LABEL, "Choose start &time:");
    SetDlgItemText(IDC_DAYS_LABEL, "Select the day(s) when you want to run the task:");
    const char* const names[] = {"&Monday", "Tuesda&y", "&Wednesday", "T&hursday", "&Friday", "&Saturday", "S&unday"};
    for (int i = 0; i < 7; ++i) SetDlgItemText(IDC_MONDAY + i, names[i]);
    m_time.SetFormat("HH:mm");
    return TRUE;
}

int CDayScheduledTaskParamsDialog::GetDayBoxId(int day) {
    if (day == 1) return IDC_SUNDAY;
    if (day >= 2 && day <= 7) return IDC_MONDAY + day - 2;
    return 0;
}

void CDayScheduledTaskParamsDialog::SetTime(int hour, int minute) {
    m_time.SetTime(CTime(2005, 10, 11, hour, minute, 0));
}

void CDayScheduledTaskParamsDialog::GetTime(int& hour, int& minute) const {
    SYSTEMTIME time = {};
    m_time.GetTime(time);
    hour = time.wHour;
    minute = time.wMinute;
}

void CDayScheduledTaskParamsDialog::SetDays(const std::vector<int>& days) {
    for (int day : days)
        if (int box = GetDayBoxId(day)) CheckDlgButton(box, BST_CHECKED);
}

std::vector<int> CDayScheduledTaskParamsDialog::GetDays() const {
    std::vector<int> days;
    for (int day = 1; day <= 7; ++day)
        if (IsDlgButtonChecked(GetDayBoxId(day)) == BST_CHECKED) days.push_back(day);
    return days;
}

// ---- Watch --------------------------------------------------------------------------------------

UINT CEventTrigeredTaskParamsDialog::GetTemplateId() const { return IDD_EVENT_TASK_PARAMS; }

BOOL CEventTrigeredTaskParamsDialog::OnInitDialog() {
    CGenericChildDialog::OnInitDialog();
    SetDlgItemText(IDC_WATCH_HINT,
                   "The local folders that will be watched will be retrieved from the Orvanti document that is "
                   "specified in the 'Document path' field.");
    return TRUE;
}
