// Watches folders for changes through overlapped directory reads on one I/O completion port,
// served by one worker thread per watcher; changes reach the clients' handlers on the
// notification side, never on the worker thread.
#pragma once
#include "OrvService/FolderChangeHandler.h"
#include "classlib/CSync.h"
#include "classlib/HandleOwner.h"
#include <functional>
#include <memory>
#include <vector>

class DelayedFolderChangeHandler;

// Enables the backup, restore and change-notify privileges of the process once; failures are
// ignored (watching works without them for folders the account may read).
void EnableWatchPrivileges();

// One watched folder. Start and stop requests are completion packets for the worker thread,
// which alone issues reads and closes the folder handle while the watch lives, unless it cannot
// be reached: then the client closes the handle itself.
class WatchInfo {
public:
    enum State { kNew = 0, kStartRequested = 1, kStopRequested = 2, kStopping = 3, kWatching = 5, kDead = 6 };

    // Takes the folder handle over: it is closed with the watch, also when construction fails.
    WatchInfo(const CString& folder, ScopedHandle&& folderHandle, DWORD notifyFilter, bool subtree,
              FolderChangeHandler* client, bool gui, const char* include, const char* exclude, DWORD filterFlags);
    ~WatchInfo();
    WatchInfo(const WatchInfo&) = delete;
    WatchInfo& operator=(const WatchInfo&) = delete;

    // Client side: both wait until the worker thread has carried the request out, or until the
    // deadline (a GetTickCount value) has passed. True when it was carried out (or never posted):
    // no completion for the watch is left to come, so it may be freed; Start's error is then the
    // result of starting the read. False when the thread did not answer in time: the folder
    // handle is closed here, and the watch must go to LeaveBehind, never be freed.
    bool Start(HANDLE port, DWORD deadline, DWORD& error);
    bool Stop(HANDLE port, DWORD deadline);
    // The client is let go: never called again, its reference released. A callback of it that
    // runs on the receiving side is waited for until the deadline; false when it still runs
    // then, holding a reference of its own.
    bool ReleaseClient(DWORD deadline);
    // For a watch whose request was not answered: the client is let go as above and nothing
    // more is posted for it. The watch itself and its handler stay with the worker thread,
    // which may still complete a read into it or be handling it.
    bool LeaveBehind(DWORD deadline);

    // Worker side: one dequeued packet for this watch.
    void HandlePacket(DWORD bytes);

    LONG GetState();
    const CString& GetPath() const { return path_; }
    FolderChangeHandler* GetClient() const { return client_; }

private:
    // Waits for the worker thread's answer until the deadline, dispatching this thread's
    // messages meanwhile when asked to; on time-out the watch is closed from here instead.
    bool AwaitAnswer(DWORD deadline, bool pump);
    bool IssueRead();
    // The changes a completed read brought, then the next read.
    void HandleChanges(DWORD bytes);
    // Ends the watch after a failure, told to the client once.
    void Fail(DWORD error);
    void CloseFolderHandle();

    DelayedFolderChangeHandler* handler_;
    FolderChangeHandler* client_;
    ScopedHandle folder_;
    DWORD notifyFilter_;
    bool subtree_;
    CString path_;
    // DWORD elements keep the read buffer aligned as the directory read requires.
    DWORD buffer_[1024];
    DWORD bytesReturned_;
    OVERLAPPED overlapped_;
    DWORD error_;
    CCriticalSection lock_;
    ScopedHandle event_;
    LONG state_;
    // A rename's old name whose new name will come with the next read.
    CString pendingOldPath_;
};

// Tests see each packet a watch handles, before it is handled; an exception thrown for a watch
// in the watching state stands for a failure while its change records are built. Null for
// none; gives the previous.
typedef void (*PacketHook)(const CString& folder, LONG state);
PacketHook SetPacketHookForTesting(PacketHook hook);
// Tests put their own in place of PostQueuedCompletionStatus; null restores it.
typedef BOOL(WINAPI* CompletionPoster)(HANDLE port, DWORD bytes, ULONG_PTR key, LPOVERLAPPED overlapped);
CompletionPoster SetCompletionPosterForTesting(CompletionPoster poster);

class FolderWatcher {
public:
    // A filter flags value of 0 means 8 (patterns against the file name alone).
    explicit FolderWatcher(bool gui = false, DWORD filterFlags = 0);
    virtual ~FolderWatcher();
    FolderWatcher(const FolderWatcher&) = delete;
    FolderWatcher& operator=(const FolderWatcher&) = delete;

    // A Win32 error code, 0 for success, also set as the thread's last error.
    DWORD WatchDirectory(const CString& folder, DWORD notifyFilter, FolderChangeHandler* handler, bool subtree,
                         const char* include = nullptr, const char* exclude = nullptr);
    // Stops every watch and ends the worker thread; false when there was none. A stop must end:
    // it waits at most the answer limit in all for the thread to carry out the watches' stops,
    // for the clients' callbacks under way and for the thread to end. A thread that cannot be
    // told to end, or does not answer in time, is left waiting on its port (which stays open for
    // it) with the watches it did not stop, and reaches this watcher no more; leftBehind then
    // gets the reason, the error of the request or ERROR_TIMEOUT (else 0). A callback still
    // running is left to return on its own, holding a reference to its client (so a client that
    // may be left so must be owned through its reference count); callbackLeft is then set.
    bool UnwatchAll(DWORD* leftBehind = nullptr, bool* callbackLeft = nullptr);
    // How long a start, or a stop, waits for the worker thread; the unwatches wait as long for
    // the watches they stop.
    static const DWORD kAnswerLimitMs = 5000;
    static DWORD GetAnswerLimit();
    // Tests shorten the limit; 0 restores kAnswerLimitMs. Gives the previous one.
    static DWORD SetAnswerLimitForTesting(DWORD milliseconds);
    bool UnwatchDirectory(const CString& folder);
    bool UnwatchHandler(FolderChangeHandler* handler);
    bool IsWatching(const CString& folder);
    int GetWatchCount();
    DWORD SetFilterFlags(DWORD flags);

protected:
    virtual void OnThreadStart() {}
    virtual void OnThreadExit() {}

private:
    // What the worker thread shares with its watcher: the port, open while either needs it, and
    // the watcher, until the thread is left behind.
    struct WorkerLink;

    static unsigned __stdcall ThreadProc(void* argument);
    // Under the lock: the port, or the invalid handle before the first watch.
    HANDLE Port() const;
    // Under the lock: takes out the watches that the worker thread gave up after a read failure.
    void TakeDeadWatches(std::vector<WatchInfo*>& out);
    // Outside the lock: stops (unless dead), unlinks and deletes the watches, waiting for the
    // worker thread and the clients' callbacks until the deadline; the watches it did not stop
    // are left to it. False when one was; callbackLeft is set when a callback was still running.
    bool RemoveWatches(std::vector<WatchInfo*>& watches, HANDLE port, DWORD deadline, bool* callbackLeft = nullptr);
    // RemoveWatches in its two halves: the worker thread's stops, which give whether each watch
    // was stopped, then the clients' release.
    std::vector<bool> StopWatches(const std::vector<WatchInfo*>& watches, HANDLE port, DWORD deadline);
    void ReleaseWatches(std::vector<WatchInfo*>& watches, const std::vector<bool>& stopped, DWORD deadline,
                        bool* callbackLeft);
    // Removes the matching watches (and any dead ones); true when one matched.
    bool RemoveWhere(const std::function<bool(const WatchInfo&)>& match);
    // Counts the matching live watches, removing dead ones on the way.
    int CountWhere(const std::function<bool(const WatchInfo&)>& match);

    std::shared_ptr<WorkerLink> worker_;
    ScopedHandle thread_;
    unsigned threadId_;
    std::vector<WatchInfo*> watches_;
    CCriticalSection lock_;
    bool gui_;
    DWORD filterFlags_;
};
