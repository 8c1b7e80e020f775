// New Task: asks for the kind of a new task (Periodical, Day Scheduled or Watch).
#pragma once
#include "OrvServiceManager/EditableTask.h"
#include "classlib/CDialog.h"

class CNewTaskTypeDialog : public CDialog {
public:
    CNewTaskTypeDialog();
    BOOL OnInitDialog() override;
    // 0 Periodical, 1 DayScheduled, 2 Watch; throws Exception for any other choice.
    int GetTaskType() const;

protected:
    void DoDataExchange(CDataExchange* dx) override;
    void OnOkButton();
    void OnTypeClicked();
    DECLARE_MESSAGE_MAP()

private:
    int m_nType;
};

// Shows New Task; on OK gives a new task of the chosen kind with its defaults and answers TRUE.
// On Cancel answers FALSE and leaves the task alone.
BOOL CreateNewTask(EditableTaskPtr& task);
