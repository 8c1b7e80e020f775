// The one lock that every manager takes to write the task file: a named mutex in the global
// namespace, so that managers in different logon sessions (two administrators at once) never
// interleave their writes. Held from the check that a section still holds the chosen task to the
// last write.
#pragma once
#include "classlib/HandleOwner.h"

class TaskFileLock {
public:
    // Waits for the lock; throws Exception when another manager keeps it past the time-out, or
    // when it cannot be opened.
    TaskFileLock();
    ~TaskFileLock();
    TaskFileLock(const TaskFileLock&) = delete;
    TaskFileLock& operator=(const TaskFileLock&) = delete;

    // Tests: how long a manager waits for the lock; gives the previous time.
    static DWORD SetTimeoutForTesting(DWORD milliseconds);

private:
    ScopedHandle mutex_;
};
