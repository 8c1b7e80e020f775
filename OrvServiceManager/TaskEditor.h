// Moves values between an editable task and the Task Properties dialog, and the priority
// switches with their places in the dialog's priority list.
#pragma once
#include "OrvServiceManager/EditableTask.h"

class CTaskEditorDialog;
class CWnd;

class TaskEditor {
public:
    // Shows Task Properties for the task. On OK the caller's pointer is replaced by a new task
    // with the entered values and the answer is TRUE; otherwise FALSE and the pointer stays.
    // Throws the Exception of SetupDialog.
    static BOOL EditTask(CWnd* parent, EditableTaskPtr& task);
    // Fills the dialog from the task; throws Exception for an empty pointer or an unknown kind.
    static void SetupDialog(CTaskEditorDialog& dialog, const EditableTaskPtr& task);
    // Replaces the pointer by a new task of the dialog's kind with the dialog's values; the last
    // run comes from the dialog for a Periodical task (the zero time once cleared), else from the
    // task passed in.
    static void CollectValues(const CTaskEditorDialog& dialog, EditableTaskPtr& task);
    static void CopyGeneralValues(const CTaskEditorDialog& dialog, EditableTask& task);
    // A new task with its kind's defaults: 0 Periodical, 1 DayScheduled, 2 Watch; throws
    // Exception for another number.
    static EditableTaskPtr CreateDefaultTask(int type);

    // "/s1" 0, "/s2" 1, "/s3" 2 (case-sensitive); anything else throws Exception.
    static int GetPriorityFromStr(const CString& priority);
    // 0 "/s1", 1 "/s2", 2 "/s3"; any other index "/s2".
    static CString GetPriorityStr(int index);
};
