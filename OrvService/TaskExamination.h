// Loading the tasks from the task file and starting, finishing and stopping their generator
// runs; the service object drives these from its worker thread.
#pragma once
#include "OrvService/OrvService.h"
#include "classlib/CString.h"
#include "common/IniFile.h"

// Fills the list from the task file's sections "Task1" to "Task<TasksCount>"; a section that
// cannot be loaded is logged, counted in `failures` and left out. The numbers beyond the file's
// last task section are not tried: one log line names them, and they count as failures.
void LoadTaskList(const CString& tasksIniPath, TaskList& tasks, int& failures);
// The task of the section's type; throws Exception for an unknown type or a bad section.
boost::shared_ptr<Task> CreateTask(const IniFile& file, const CString& section);
// Tests replace how LoadTaskList builds each task; null restores CreateTask. Gives the previous.
typedef boost::shared_ptr<Task> (*TaskFactory)(const IniFile& file, const CString& section);
TaskFactory SetTaskFactoryForTesting(TaskFactory factory);
// Runs the generator for the task and keeps the process; throws Exception or WinLogException.
// A run whose start cannot be stored in the task file is not started: the first such failure
// throws WinLogException, later ones give false until a store succeeds again.
bool StartTask(Task& task);
// Collects the task's ended generator run; throws Exception, or WinLogException when the run
// failed.
void FinishTask(Task& task);
// Asks running generator instances to quit ("Brellix.Orv.Stop" to every top-level window).
void BroadcastStopMessage();
UINT GetStopMessageId();
