// Task Properties: edits a task's document path, priority and its kind's own values on one of
// three child pages. Filled before DoModal and read after it closed with IDOK; its OK button
// (1035) keeps it open while a value is refused, and Enter never closes it.
#pragma once
#include "OrvServiceManager/CTaskParamsPages.h"
#include "classlib/CDialog.h"

class CTaskEditorDialog : public CDialog {
public:
    CTaskEditorDialog();

    BOOL OnInitDialog() override;
    void OnOK() override {}

    // 0 Periodical, 1 DayScheduled, 2 Watch, with the kind's display name and description.
    void SetTaskType(int type, const CString& name, const CString& description);
    int GetTaskType() const { return m_nTaskType; }
    void SetPriorityIndex(int index) { m_nPriority = index; }
    int GetPriorityIndex() const { return m_nPriority; }
    void SetDocumentPath(const CString& path) { m_documentPath = path; }
    const CString& GetDocumentPath() const { return m_documentPath; }
    void SetInterval(int hours) { m_nInterval = hours; }
    int GetInterval() const { return m_nInterval; }
    void SetLastRun(const CTime& time) { m_lastRun = time; }
    const CTime& GetLastRun() const { return m_lastRun; }
    // The user cleared the last run on the Periodical page.
    BOOL IsLastRunCleared() const { return m_bLastRunCleared; }
    void SetHour(int hour) { m_nHour = hour; }
    int GetHour() const { return m_nHour; }
    void SetMinutes(int minutes) { m_nMinutes = minutes; }
    int GetMinutes() const { return m_nMinutes; }
    void SetDays(const std::vector<int>& days) { m_days = days; }
    const std::vector<int>& GetDays() const { return m_days; }
    void SetLastEvent(const CString& text) { m_lastEvent = text; }
    const CString& GetLastEvent() const { return m_lastEvent; }

protected:
    void DoDataExchange(CDataExchange* dx) override;
    void OnOkButton();
    void OnBrowse();
    DECLARE_MESSAGE_MAP()

private:
    // Each throws Exception with the text the user is shown.
    void CollectGeneralPropValues();
    void CollectHourValues();
    void CollectDayValues();
    void ShowTaskPage();

    CHourScheduledTaskPropertiesDialog m_hourPage;
    CDayScheduledTaskParamsDialog m_dayPage;
    CEventTrigeredTaskParamsDialog m_eventPage;
    CStatic m_typeName;
    CStatic m_typeDescription;
    CComboBox m_priority;
    CEdit m_path;
    int m_nTaskType;
    CString m_typeNameText;
    CString m_typeDescriptionText;
    int m_nPriority;
    CString m_documentPath;
    int m_nInterval;
    CTime m_lastRun;
    BOOL m_bLastRunCleared;
    int m_nHour;
    int m_nMinutes;
    std::vector<int> m_days;
    CString m_lastEvent;
    CStatic m_generalGroup;
    CStatic m_typeLabel;
    CStatic m_pathLabel;
    CStatic m_priorityLabel;
    CStatic m_settingsGroup;
    CButton m_cancel;
};
