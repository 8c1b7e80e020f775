#include "OrvServiceManager/CTaskEditorDialog.h"
#include "OrvServiceManager/EditableTask.h"
#include "OrvServiceManager/FailureMessage.h"
#include "OrvServiceManager/OrvServiceManagerRes.h"
#include "classlib/CDataExchange.h"
#include "classlib/CFileDialog.h"
#include "common/Exception.h"
#include "common/Task.h"

BEGIN_MESSAGE_MAP(CTaskEditorDialog, CDialog)
    ON_BN_CLICKED(IDC_TASK_OK, OnOkButton)
    ON_BN_CLICKED(IDC_BROWSE, OnBrowse)
END_MESSAGE_MAP()

CTaskEditorDialog::CTaskEditorDialog()
    : CDialog(IDD_TASK_EDITOR),
      m_nTaskType(0),
      m_nPriority(1),
      m_nInterval(24),
      m_bLastRunCleared(FALSE),
      m_nHour(12),
      m_nMinutes(0) {}

void CTaskEditorDialog::SetTaskType(int type, const CString& name, const CString& description) {
    m_nTaskType = type;
    m_typeNameText = name;
    m_typeDescriptionText = description;
}

void CTaskEditorDialog::DoDataExchange(CDataExchange* dx) {
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_TYPE_NAME, m_typeName);
    DDX_Control(dx, IDC_TYPE_DESCRIPTION, m_typeDescription);
    DDX_Control(dx, IDC_PRIORITY, m_priority);
    DDX_Control(dx, IDC_DOCUMENT_PATH, m_path);
    DDX_Control(dx, IDC_GENERAL_GROUP, m_generalGroup);
    DDX_Control(dx, IDC_TYPE_LABEL, m_typeLabel);
    DDX_Control(dx, IDC_PATH_LABEL, m_pathLabel);
    DDX_Control(dx, IDC_PRIORITY_LABEL, m_priorityLabel);
    DDX_Control(dx, IDC_SETTINGS_GROUP, m_settingsGroup);
    DDX_Control(dx, IDCANCEL, m_cancel);
}

BOOL CTaskEditorDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    SetWindowText("Task Properties");
    m_generalGroup.SetWindowText("General settings");
    m_typeLabel.SetWindowText("Task type:");
    m_pathLabel.SetWindowText("&Document path:");
    m_priorityLabel.SetWindowText("&Execution priority:");
    m_settingsGroup.SetWindowText("Task settings");
    m_cancel.SetWindowText("Cancel");

    m_hourPage.CreateInPlaceholder(this, IDC_PAGE_PLACEHOLDER, 0);
    m_dayPage.CreateInPlaceholder(this, IDC_PAGE_PLACEHOLDER, 1);
    m_eventPage.CreateInPlaceholder(this, IDC_PAGE_PLACEHOLDER, 2);

    m_typeName.SetWindowText(m_typeNameText);
    m_typeDescription.SetWindowText(m_typeDescriptionText);
    m_priority.AddString("Idle priority");
    m_priority.AddString("Normal priority");
    m_priority.AddString("Highest priority");
    m_priority.SetCurSel(m_nPriority);
    m_path.SetWindowText(m_documentPath);

    if (m_nTaskType == 0) {
        m_hourPage.SetInterval(m_nInterval);
        m_hourPage.SetLastRun(m_lastRun);
    } else if (m_nTaskType == 1) {
        m_dayPage.SetTime(m_nHour, m_nMinutes);
        m_dayPage.SetDays(m_days);
    }
    ShowTaskPage();
    return TRUE;
}

void CTaskEditorDialog::ShowTaskPage() {
    CDialog* pages[] = {&m_hourPage, &m_dayPage, &m_eventPage};
    for (int i = 0; i < 3; ++i)
        if (pages[i]->m_hWnd) pages[i]->ShowWindow(i == m_nTaskType ? SW_SHOW : SW_HIDE);
}

void CTaskEditorDialog::CollectGeneralPropValues() {
    CString path;
    m_path.GetWindowText(path);
    path.Trim();
    if (path.IsEmpty()) throw Exception("The 'Document path' field must point to a valid .orv document.");
    // The service's own rule: a path it would refuse at every start is not taken here either.
    const CString problem = OrvPathProblem(path);
    if (!problem.IsEmpty()) throw Exception(problem);
    const int priority = m_priority.GetCurSel();
    if (priority < 0 || priority > 2)
        throw Exception(CString("Error in ") + "CTaskEditorDialog::CollectGeneralPropValues");
    m_documentPath = path;
    m_nPriority = priority;
}

void CTaskEditorDialog::CollectHourValues() {
    m_nInterval = m_hourPage.GetInterval();
    if (m_hourPage.IsLastRunCleared()) {
        m_lastRun = CTime();
        m_bLastRunCleared = TRUE;
    }
}

void CTaskEditorDialog::CollectDayValues() {
    std::vector<int> days = m_dayPage.GetDays();
    // A task without a day would be stored and then load in neither program.
    CheckWeekDaysStorable(days);
    m_dayPage.GetTime(m_nHour, m_nMinutes);
    m_days = days;
}

void CTaskEditorDialog::OnOkButton() {
    try {
        CollectGeneralPropValues();
        if (m_nTaskType == 0)
            CollectHourValues();
        else if (m_nTaskType == 1)
            CollectDayValues();
    } catch (...) {
        ShowCaughtFailure("%s", "Unknown problem occurred.");
        return;
    }
    CDialog::OnOK();
}

void CTaskEditorDialog::OnBrowse() {
    CFileDialog dialog(TRUE, "orv", nullptr, OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST,
                       "Files (*.orv)|*.orv|All files (*.*)|*.*||", this);
    if (dialog.DoModal() == IDOK) m_path.SetWindowText(dialog.GetPathName());
}
