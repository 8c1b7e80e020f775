// Starts a command line as a hidden process and waits for its exit code.
#pragma once
#include "classlib/CString.h"

class ProcessRunner {
public:
    // On success the caller owns `process` and closes it.
    static bool Start(const char* commandLine, HANDLE& process);
    static bool IsValidHandle(HANDLE handle);
    // True once the process has ended, with its exit code; a failed query reads as ended with
    // the code -1.
    static bool QueryExitCode(HANDLE process, DWORD& code);
    static bool IsFinished(HANDLE process);
    // Runs the command line to its end and gives its exit code; no time-out.
    static DWORD RunAndWait(const char* commandLine);

    enum WaitOutcome { Ended, TimedOut, Stopped };
    // The same, but the wait also ends once `timeLimit` milliseconds have passed (INFINITE: no
    // limit) or the stop event (may be null) is set; the process is then left running and only
    // its handle closed. `exitCode` is set when it ended.
    static WaitOutcome RunAndWait(const char* commandLine, DWORD timeLimit, HANDLE stopEvent, DWORD& exitCode);
};
