// Loading the editable tasks from the task file and writing them back. Each loaded task
// remembers its section and what the section stored; a change is written to that section only
// while it still stores that, so neither a section that failed to load nor what another program
// wrote is overwritten or lost. Every write holds the managers' TaskFileLock from its check to its
// last write, and fails with Exception when the lock cannot be had in time. Each works on a copy
// of the task file, changed beside it, that replaces it in one step: a write that fails leaves the
// task file exactly as it was.
#pragma once
#include "OrvServiceManager/EditableTask.h"
#include "common/Exception.h"
#include <functional>

// The task of the section's Type; throws Exception "Unknown task type." or the kind's error.
EditableTaskPtr CreateTaskFromIni(const IniFile& file, const CString& section);

// Empties the list and loads the task sections the file holds up to "Task<TasksCount>", in
// number order; a section that fails to load is left out without a message.
void LoadTasks(const CString& path, EditableTaskList& tasks);

// A new task: writes the section after the highest task section the file holds, loaded or not
// (beyond TasksCount too), so that no stored task is overwritten, then sets TasksCount to it.
// Gives the section number, which the task also keeps. Throws Exception, also when the file holds
// Task2147483647.
int AppendTask(EditableTask& task, const CString& path);

// Thrown, before anything is written, when a section no longer holds the task the user chose in
// the list: another program changed the task file since the list was loaded. The caller loads
// the list again.
class TaskFileChanged : public Exception {
public:
    explicit TaskFileChanged(const char* message) : Exception(message) {}
    TaskFileChanged(const TaskFileChanged& other) : Exception(other) {}
};

// An edited task: writes it over the section "Task<number>", keeping the LastRun and LastEvent
// the service stored there, but only while that section still stores what it stored when the
// opened task was loaded (EditableTask::StoresSameAs); otherwise throws TaskFileChanged. Throws
// Exception.
void SaveTaskAt(int number, EditableTask& task, const EditableTask& opened, const CString& path);

// Removes exactly the section "Task<number>", which must still hold the chosen task
// (EditableTask::StoresSameAs; otherwise TaskFileChanged): the sections after it move down one
// number key for key, whatever they hold, and TasksCount goes down by one. No empty section is
// written. Throws Exception.
void RemoveTaskAt(int number, const EditableTask& chosen, const CString& path);

// Tests: called by each write above while it holds the lock, once its changed copy is ready and
// before it replaces the task file; gives the previous hook.
std::function<void()> SetBeforeLastTaskFileWriteForTesting(std::function<void()> hook);
