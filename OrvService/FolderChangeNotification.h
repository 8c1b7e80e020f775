// One change carried from a watcher's worker thread to the thread where the client's handler runs.
#pragma once
#include "classlib/CString.h"

class DelayedFolderChangeHandler;

enum FolderChangeKind {
    kFileAdded = 1,
    kFileRemoved = 2,
    kFileModified = 3,
    kFileRenamed = 4,
    kReadError = 5,
    kWatchStarted = 6,
    kWatchStopped = 7,
};

// Holds a reference to its owner for as long as it exists, so the owner outlives every record
// still queued for it even when its watch is removed meanwhile.
class FolderChangeNotification {
public:
    FolderChangeNotification(DelayedFolderChangeHandler* owner, DWORD kind, const CString& first,
                             const CString& second, DWORD code, DWORD nameOffset);
    // A watch-stopped record signals its owner however it ends, so the stopping worker never
    // waits for a record that will not be dispatched.
    ~FolderChangeNotification();
    FolderChangeNotification(const FolderChangeNotification&) = delete;
    FolderChangeNotification& operator=(const FolderChangeNotification&) = delete;

    DelayedFolderChangeHandler* owner;
    DWORD kind;
    CString first;
    CString second;
    DWORD code;
    DWORD nameOffset;
};
