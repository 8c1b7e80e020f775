// A task that runs the generator once the folders of its document changed and then stayed
// quiet (type "Watch").
#pragma once
#include "OrvService/FolderChangeHandler.h"
#include "OrvService/FolderWatcher.h"
#include "classlib/CSync.h"
#include "classlib/CTime.h"
#include "common/Task.h"
#include <boost/shared_ptr.hpp>
#include <utility>
#include <vector>

class WatchTask : public Task, public FolderChangeHandler {
public:
    // Reads LastEvent, asks the generator for the document's folders and watches each with its
    // subfolders; throws Exception, with every watch already started stopped again. The last
    // owner's release stops the watches, and the task goes with its handler's reference count:
    // a change callback that a stop left running keeps it until the callback returns.
    static boost::shared_ptr<WatchTask> Create(const CString& tasksIniPath, const CString& section);

    // Due once more than the quiet period has passed since a change the generator has not
    // run after.
    bool IsDue() override;
    CString GetDescription() override;
    void Stop() override;

    void OnFileAdded(const CString& path) override;
    void OnFileRemoved(const CString& path) override;
    void OnFileNameChanged(const CString& oldPath, const CString& newPath) override;
    void OnFileModified(const CString& path) override;
    // A watch the watcher had to give up: noted here, logged by the worker thread.
    void OnReadDirectoryChangesError(DWORD error, const CString& folder) override;

    // On the notification thread: notes the change unless it follows the last noted one within
    // two seconds. False when the task file did not store it (it is still noted in memory).
    bool OnChange();
    CTime GetLastEvent();

    // Runs the generator's folder query and gives the document's folders, one per list line. The
    // list file is "tmpFolders.txt" in the data folder while no query given up used it.
    static void QueryFolders(const CString& orvPath, CStringArray& folders);

private:
    WatchTask(const CString& tasksIniPath, const CString& section);
    // The owners' deleter: stops the watches and releases the owners' reference. Each watch holds
    // a reference of its own, so the task never goes while it is watching.
    static void Dispose(WatchTask* task);
    void StartWatching();
    // Stops every watch; a watcher thread, or a change callback, that had to be left behind is
    // logged.
    void StopWatching();
    // On the worker thread: one log line for each watch that ended since the last call.
    void LogEndedWatches();

    int quietPeriod_;
    FolderWatcher watcher_;
    // Written on the notification thread, read on the worker thread.
    CCriticalSection lastEventLock_;
    CTime lastEvent_;
    // Set once a stop left a change callback running: the task file is the manager's then.
    volatile LONG callbackLeft_;
    CCriticalSection endedLock_;
    std::vector<std::pair<CString, DWORD>> endedWatches_;
};

// Has the generator write the document's folders into the list file; throws Exception when it
// cannot be run, reports a failure, does not finish within the time limit (five minutes) or the
// service is asked to stop meanwhile; the generator is left running then. Runs nothing when
// either path is unknown. A list file whose query was given up is never used again by this
// process.
void RunFolderQuery(const CString& orvPath, const CString& listPath);
// Tests shorten the time limit; 0 restores five minutes. Gives the previous limit.
DWORD SetFolderQueryTimeLimitForTesting(DWORD milliseconds);
