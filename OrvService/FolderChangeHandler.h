// The callback interface a folder watcher's client implements; reference counted, and linked to
// the one watcher that currently delivers to it.
#pragma once
#include "classlib/CString.h"
#include "classlib/CSync.h"

class FolderWatcher;

class FolderChangeHandler {
public:
    FolderChangeHandler();
    // A handler that goes away while a watcher still delivers to it is unwatched first.
    virtual ~FolderChangeHandler();
    FolderChangeHandler(const FolderChangeHandler&) = delete;
    FolderChangeHandler& operator=(const FolderChangeHandler&) = delete;

    virtual void OnFileAdded(const CString& path);
    virtual void OnFileRemoved(const CString& path);
    virtual void OnFileNameChanged(const CString& oldPath, const CString& newPath);
    virtual void OnFileModified(const CString& path);
    virtual void OnReadDirectoryChangesError(DWORD error, const CString& folder);
    virtual void OnWatchStarted(DWORD error, const CString& folder);
    virtual void OnWatchStopped(const CString& folder);
    // True to deliver a change of the given kind (FolderChangeNotification kinds).
    virtual bool Filter(DWORD kind, const CString& firstName, const CString& secondName);

    // A delivery holds a reference while the callback runs: a handler owned through its count
    // outlives a callback that a stop had to leave running.
    LONG AddRef();
    // Deletes the object when the count reaches 0; gives the new count.
    LONG Release();

    // The watcher link: one use per watch that delivers here.
    FolderWatcher* GetWatcher();
    void AddWatcherUse(FolderWatcher* watcher);
    void ReleaseWatcherUse(FolderWatcher* watcher);
    int GetWatcherUseCount();

private:
    volatile LONG refCount_;
    CCriticalSection linkLock_;
    FolderWatcher* watcher_;
    int useCount_;
};
