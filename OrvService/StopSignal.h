// The service's stop request as an event, for the waits of the worker thread that must end on
// it although the worker loop is not reading its flags (a folder query while the tasks load).
#pragma once
#include <windows.h>

class StopSignal {
public:
    // A manual-reset event, made at the first call and kept for the life of the process.
    static HANDLE Get();
    static void Raise();
    static void Lower();
    static bool IsRaised();
};
