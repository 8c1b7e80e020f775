// The manager's control of the service: running the service program with a command switch,
// the service's state in the service control manager, and its number of running tasks.
#pragma once
#include "classlib/CString.h"

// Runs OrvService.exe from the manager's folder, hidden, with the arguments and waits for it;
// gives its exit code (0 success, else the Win32 error of the failed step). Throws Exception.
int RunServiceCommand(const CString& arguments);

// The arguments of an install: "-install", and for a user account its account and password
// switches, each one word that the service program reads back unchanged.
CString GetInstallArguments(BOOL userAccount, const CString& userName, const CString& password);

// 0: not installed; 1: installed and in any state but stopped; 2: installed and stopped.
// Throws Exception "Unable to retrieve service status.".
int QueryServiceState();

// ServiceRunningTasks of the product's settings key; 0 when it is missing.
int GetServiceRunningTasks();

// Tests: the service program to run instead (empty: the one in the manager's folder again), and
// the state to report instead of asking the service control manager (null: ask it again).
void SetServiceProgramPathForTesting(const CString& path);
typedef int (*ServiceStateSource)();
void SetServiceStateSourceForTesting(ServiceStateSource source);
