#include "OrvServiceManager/CNewTaskTypeDialog.h"
#include "OrvServiceManager/OrvServiceManagerRes.h"
#include "OrvServiceManager/TaskEditor.h"
#include "classlib/CDataExchange.h"
#include "common/Exception.h"

BEGIN_MESSAGE_MAP(CNewTaskTypeDialog, CDialog)
    ON_BN_CLICKED(IDOK, OnOkButton)
    ON_BN_CLICKED(IDC_PERIODICAL, OnTypeClicked)
    ON_BN_CLICKED(IDC_DAY_SCHEDULED, OnTypeClicked)
    ON_BN_CLICKED(IDC_WATCH, OnTypeClicked)
END_MESSAGE_MAP()

CNewTaskTypeDialog::CNewTaskTypeDialog() : CDialog(IDD_NEW_TASK_TYPE), m_nType(0) {}

void CNewTaskTypeDialog::DoDataExchange(CDataExchange* dx) {
    CDialog::DoDataExchange(dx);
    DDX_Radio(dx, IDC_PERIODICAL, m_nType);
}

BOOL CNewTaskTypeDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    SetWindowText("New Task");
    SetDlgItemText(IDC_NEW_TASK_LABEL, "&Choose a type of the new task:");
    SetDlgItemText(IDCANCEL, "Cancel");
    SetDlgItemText(IDC_PERIODICAL, "Periodical");
    SetDlgItemText(IDC_DAY_SCHEDULED, "Day Scheduled");
    SetDlgItemText(IDC_WATCH, "Watch");
    SetDlgItemText(IDC_PERIODICAL_TEXT, EditableHourScheduledTask().GetTypeDescription());
    SetDlgItemText(IDC_DAY_SCHEDULED_TEXT, EditableDayScheduledTask().GetTypeDescription());
    SetDlgItemText(IDC_WATCH_TEXT, EditableEventTrigeredTask().GetTypeDescription());
    return TRUE;
}

void CNewTaskTypeDialog::OnTypeClicked() { UpdateData(TRUE); }

void CNewTaskTypeDialog::OnOkButton() {
    UpdateData(TRUE);
    OnOK();
}

int CNewTaskTypeDialog::GetTaskType() const {
    if (m_nType < 0 || m_nType > 2) throw Exception("Error in CNewTaskTypeDialog::GetTaskType");
    return m_nType;
}

BOOL CreateNewTask(EditableTaskPtr& task) {
    CNewTaskTypeDialog dialog;
    if (dialog.DoModal() != IDOK) return FALSE;
    task = TaskEditor::CreateDefaultTask(dialog.GetTaskType());
    return TRUE;
}
