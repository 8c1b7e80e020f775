#include "OrvServiceManager/TaskEditor.h"
#include "OrvServiceManager/CTaskEditorDialog.h"
#include "common/Exception.h"
#include <boost/pointer_cast.hpp>

namespace {
const char* const kPriorities[] = {"/s1", "/s2", "/s3"};
}

BOOL TaskEditor::EditTask(CWnd*, EditableTaskPtr& task) {
    CTaskEditorDialog dialog;
    SetupDialog(dialog, task);
    if (dialog.DoModal() != IDOK) return FALSE;
    CollectValues(dialog, task);
    return TRUE;
}

void TaskEditor::SetupDialog(CTaskEditorDialog& dialog, const EditableTaskPtr& task) {
    if (!task) throw Exception("Incorrect task argument in TaskEditor::SetupDialog.");
    dialog.SetPriorityIndex(GetPriorityFromStr(task->GetPriority()));
    dialog.SetDocumentPath(task->GetOrvPath());
    const CString type = task->GetTypeId();
    if (IsPeriodicalType(type)) {
        auto periodical = boost::dynamic_pointer_cast<EditableHourScheduledTask>(task);
        if (!periodical) throw Exception("Unknown task type in TaskEditor::SetupDialog.");
        dialog.SetTaskType(0, task->GetDisplayName(), task->GetTypeDescription());
        dialog.SetInterval(periodical->GetInterval());
        dialog.SetLastRun(task->GetLastRun());
    } else if (IsDayScheduledType(type)) {
        auto day = boost::dynamic_pointer_cast<EditableDayScheduledTask>(task);
        if (!day) throw Exception("Unknown task type in TaskEditor::SetupDialog.");
        dialog.SetTaskType(1, task->GetDisplayName(), task->GetTypeDescription());
        dialog.SetHour(day->GetHour());
        dialog.SetMinutes(day->GetMinutes());
        dialog.SetDays(day->GetDays());
    } else if (IsWatchType(type)) {
        auto watch = boost::dynamic_pointer_cast<EditableEventTrigeredTask>(task);
        if (!watch) throw Exception("Unknown task type in TaskEditor::SetupDialog.");
        dialog.SetLastEvent(watch->GetLastEvent());
        dialog.SetTaskType(2, task->GetDisplayName(), task->GetTypeDescription());
    } else {
        throw Exception("Unknown task type in TaskEditor::SetupDialog.");
    }
}

void TaskEditor::CopyGeneralValues(const CTaskEditorDialog& dialog, EditableTask& task) {
    task.SetOrvPath(dialog.GetDocumentPath());
    task.SetPriority(GetPriorityStr(dialog.GetPriorityIndex()));
}

EditableTaskPtr TaskEditor::CreateDefaultTask(int type) {
    switch (type) {
        case 0:
            return EditableTaskPtr(new EditableHourScheduledTask);
        case 1:
            return EditableTaskPtr(new EditableDayScheduledTask);
        case 2:
            return EditableTaskPtr(new EditableEventTrigeredTask);
        default:
            throw Exception("Unknown task type.");
    }
}

void TaskEditor::CollectValues(const CTaskEditorDialog& dialog, EditableTaskPtr& task) {
    EditableTaskPtr collected = CreateDefaultTask(dialog.GetTaskType());
    CopyGeneralValues(dialog, *collected);
    const CTime passedLastRun = task ? task->GetLastRun() : CTime();
    if (auto periodical = boost::dynamic_pointer_cast<EditableHourScheduledTask>(collected)) {
        periodical->SetInterval(dialog.GetInterval());
        if (dialog.IsLastRunCleared())
            periodical->ClearLastRun();
        else
            periodical->SetLastRun(dialog.GetLastRun());
    } else if (auto day = boost::dynamic_pointer_cast<EditableDayScheduledTask>(collected)) {
        day->SetHour(dialog.GetHour());
        day->SetMinutes(dialog.GetMinutes());
        day->SetDays(dialog.GetDays());
        day->SetLastRun(passedLastRun);
    } else if (auto watch = boost::dynamic_pointer_cast<EditableEventTrigeredTask>(collected)) {
        watch->SetLastEvent(dialog.GetLastEvent());
        watch->SetLastRun(passedLastRun);
    }
    task.reset(collected->Clone());
}

int TaskEditor::GetPriorityFromStr(const CString& priority) {
    for (int i = 0; i < 3; ++i) {
        if (priority == kPriorities[i]) return i;
    }
    throw Exception("Unknown priority in TaskEditor::GetPriorityFromStr.");
}

CString TaskEditor::GetPriorityStr(int index) { return index >= 0 && index < 3 ? kPriorities[index] : "/s2"; }
