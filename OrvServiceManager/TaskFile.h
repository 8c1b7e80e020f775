// Loading the editable tasks from the task file and writing them back. Each loaded task
// remembers its section, so that a section that failed to load is never overwritten, moved onto
// or deleted by the changes made to the others.
#pragma once
#include "OrvServiceManager/EditableTask.h"

// The task of the section's Type; throws Exception "Unknown task type." or the kind's error.
EditableTaskPtr CreateTaskFromIni(const IniFile& file, const CString& section);

// Empties the list and loads "Task1" to "Task<TasksCount>"; a section that fails to load is
// left out without a message.
void LoadTasks(const CString& path, EditableTaskList& tasks);

// A new task: writes the section "Task<TasksCount + 1>", then raises TasksCount. Gives the
// section number, which the task also keeps. Throws Exception; a failure leaves TasksCount as
// it was, so the service never sees a half-written task.
int AppendTask(EditableTask& task, const CString& path);

// An edited task: writes it over the section "Task<number>" (the number the edited task was
// loaded from), keeping the LastRun and LastEvent the service stored there. Throws Exception.
void SaveTaskAt(int number, EditableTask& task, const CString& path);

// Rewrites the task file from the list (after a task was removed from it): the sections that
// failed to load stay, key for key, in their places; the listed tasks keep the LastRun and
// LastEvent stored in their sections; a section that loads but is not listed any more is left
// out; the sections are numbered again from 1 and the tasks take their new numbers. The new file
// is written beside the old one and replaces it in one step: on failure the old file stays as
// it was. Throws Exception.
void SaveAllTasks(EditableTaskList& tasks, const CString& path);
