#include "OrvService/FolderWatcher.h"
#include "OrvService/DelayedFolderChangeHandler.h"
#include "OrvService/DelayedNotifier.h"
#include "OrvService/NotifyBufferWalker.h"
#include "common/ProcessPrivileges.h"
#include <algorithm>
#include <exception>
#include <new>
#include <utility>
#include <process.h>

namespace {

DWORD Result(DWORD error) {
    SetLastError(error);
    return error;
}

CompletionPoster g_post = PostQueuedCompletionStatus;
DWORD g_answerLimit = FolderWatcher::kAnswerLimitMs;
PacketHook g_packetHook = nullptr;

// The Win32 error for a failure that came as an exception.
DWORD ErrorOf(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    } catch (...) {
        return ERROR_INTERNAL_ERROR;
    }
}

}  // namespace

void EnableWatchPrivileges() {
    static volatile LONG done = 0;
    if (InterlockedExchange(&done, 1) != 0) return;
    EnableProcessPrivileges({"SeBackupPrivilege", "SeRestorePrivilege", "SeChangeNotifyPrivilege"});
}

// ---------------------------------------------------------------------------------------------

WatchInfo::WatchInfo(const CString& folder, ScopedHandle&& folderHandle, DWORD notifyFilter, bool subtree,
                     FolderChangeHandler* client, bool gui, const char* include, const char* exclude,
                     DWORD filterFlags)
    : handler_(new DelayedFolderChangeHandler(client, gui, include, exclude, filterFlags)),
      client_(client),
      folder_(std::move(folderHandle)),
      notifyFilter_(notifyFilter),
      subtree_(subtree),
      path_(folder),
      bytesReturned_(0),
      overlapped_(),
      error_(0),
      event_(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
      state_(kNew) {
    // Without its event no start or stop could ever be waited for: fail the watch instead.
    if (!event_) {
        handler_->Release();
        throw std::bad_alloc();
    }
    handler_->SetFolderPath(folder);
    client_->AddRef();
}

WatchInfo::~WatchInfo() {
    ReleaseClient(GetTickCount() + FolderWatcher::GetAnswerLimit());
    CloseFolderHandle();
    // Records still queued hold their own references; the last one frees the handler.
    handler_->Release();
}

void WatchInfo::CloseFolderHandle() { folder_.Reset(); }

LONG WatchInfo::GetState() {
    CSingleLock lock(&lock_, TRUE);
    return state_;
}

bool WatchInfo::ReleaseClient(DWORD deadline) {
    if (!client_) return true;
    const bool idle = handler_->DetachClient(deadline);
    client_->Release();
    client_ = nullptr;
    return idle;
}

bool WatchInfo::LeaveBehind(DWORD deadline) {
    const bool idle = handler_->Silence(deadline);
    if (client_) client_->Release();
    client_ = nullptr;
    // Deliberately not freed, nor its handler: the worker thread may still complete a read into
    // it, or be handling one of its packets, whenever it runs again.
    return idle;
}

bool WatchInfo::Start(HANDLE port, DWORD deadline, DWORD& error) {
    {
        CSingleLock lock(&lock_, TRUE);
        state_ = kStartRequested;
        if (!g_post(port, sizeof(DWORD), reinterpret_cast<ULONG_PTR>(this), &overlapped_)) {
            error = GetLastError();
            return true;
        }
    }
    // A worker thread that does not serve its port would otherwise hold the service's start,
    // and with it its answer to a stop, for ever.
    if (!AwaitAnswer(deadline, false)) {
        error = ERROR_TIMEOUT;
        return false;
    }
    error = error_;
    return true;
}

bool WatchInfo::Stop(HANDLE port, DWORD deadline) {
    {
        CSingleLock lock(&lock_, TRUE);
        // The worker thread already closed a failed watch; no one would answer a request.
        if (state_ == kDead || state_ == kNew) return true;
        state_ = kStopRequested;
        if (!g_post(port, sizeof(DWORD), reinterpret_cast<ULONG_PTR>(this), &overlapped_)) {
            // Nobody will carry the request out: closing the handle here cancels the pending
            // read, and the watch may be freed only once that read's completion was seen, or it
            // would arrive with a freed watch as its key. A port that is gone brings none.
            const bool portGone = GetLastError() == ERROR_INVALID_HANDLE;
            CloseFolderHandle();
            state_ = kStopping;
            if (portGone) return true;
        }
    }
    // Keep this thread's messages flowing: the stop is only carried out once the receiving side
    // has dispatched the watch-stopped record, which may be queued for this very thread.
    return AwaitAnswer(deadline, true);
}

bool WatchInfo::AwaitAnswer(DWORD deadline, bool pump) {
    bool quit = false;
    WPARAM quitCode = 0;
    HANDLE event = event_.Get();
    bool answered = false;
    for (;;) {
        const DWORD wait = pump ? MsgWaitForMultipleObjects(1, &event, FALSE, TimeLeft(deadline), QS_ALLINPUT)
                                : WaitForSingleObject(event, TimeLeft(deadline));
        if (wait == WAIT_OBJECT_0) {
            answered = true;
            break;
        }
        if (wait != WAIT_OBJECT_0 + 1 || !pump) break;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                quit = true;
                quitCode = msg.wParam;
                continue;
            }
            if (DelayedThreadNotifier::DispatchThreadMessage(msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        // A steady flow of messages must not carry the wait past its deadline.
        if (TimeLeft(deadline) == 0) break;
    }
    if (!answered) {
        CSingleLock lock(&lock_, TRUE);
        // The answer may have come after all; else the watch is closed from here, so that a
        // thread that runs again finds it stopping and touches the folder no more.
        answered = WaitForSingleObject(event, 0) == WAIT_OBJECT_0;
        if (!answered) {
            CloseFolderHandle();
            state_ = kStopping;
        }
    }
    if (answered) ResetEvent(event);
    if (quit) PostQuitMessage(static_cast<int>(quitCode));
    return answered;
}

bool WatchInfo::IssueRead() {
    bytesReturned_ = 0;
    if (ReadDirectoryChangesW(folder_.Get(), buffer_, sizeof(buffer_), subtree_ ? TRUE : FALSE, notifyFilter_,
                              &bytesReturned_, &overlapped_, nullptr))
        return true;
    return false;
}

void WatchInfo::Fail(DWORD error) {
    HANDLE thread = GetCurrentThread();
    int priority = GetThreadPriority(thread);
    SetThreadPriority(thread, THREAD_PRIORITY_HIGHEST);
    error_ = error;
    try {
        handler_->OnReadDirectoryChangesError(error, path_);
    } catch (...) {
        // Out of memory for the notice: the watch ends all the same.
    }
    bool stopperWaits;
    {
        // The client thread removes the watch: waiting here for its lock could meet an unwatch
        // that waits for this thread. A stop requested meanwhile finds the handle closed.
        CSingleLock lock(&lock_, TRUE);
        CloseFolderHandle();
        if (state_ == kWatching) state_ = kDead;
        // A stop that closed the handle itself waits for this, the watch's last packet.
        stopperWaits = state_ == kStopping;
    }
    if (stopperWaits) SetEvent(event_.Get());
    SetThreadPriority(thread, priority);
}

void WatchInfo::HandleChanges(DWORD bytes) {
    // Building the paths and records of the changes may run out of memory: that ends this
    // watch, reported once with its folder, and the thread goes on serving the others.
    try {
        if (g_packetHook) g_packetHook(path_, kWatching);
        WalkNotifyBuffer(buffer_, bytes, path_, pendingOldPath_, *handler_);
    } catch (...) {
        Fail(ErrorOf(std::current_exception()));
        return;
    }
    DWORD error = 0;
    bool stopped = false;
    {
        CSingleLock lock(&lock_, TRUE);
        // A stop whose request could not be posted closed the handle meanwhile.
        if (state_ == kStopping)
            stopped = true;
        else if (!IssueRead())
            error = GetLastError();
    }
    if (stopped)
        SetEvent(event_.Get());
    else if (error)
        Fail(error);
    else
        error_ = 0;
}

void WatchInfo::HandlePacket(DWORD bytes) {
    LONG state;
    {
        CSingleLock lock(&lock_, TRUE);
        state = state_;
    }
    if (state == kWatching) {
        HandleChanges(bytes);
        return;
    }
    if (g_packetHook) g_packetHook(path_, state);
    switch (state) {
    case kStartRequested: {
        DWORD error = 0;
        {
            CSingleLock lock(&lock_, TRUE);
            // A starter that gave up waiting has closed the watch meanwhile.
            if (state_ != kStartRequested)
                error = ERROR_OPERATION_ABORTED;
            else if (IssueRead())
                state_ = kWatching;
            else
                error = GetLastError();
        }
        error_ = error;
        try {
            handler_->OnWatchStarted(error, path_);
        } catch (...) {
            // A notice lost for want of memory must not keep the starter waiting.
        }
        SetEvent(event_.Get());
        break;
    }
    case kStopRequested: {
        bool closed;
        {
            CSingleLock lock(&lock_, TRUE);
            closed = !folder_.IsValid();
            if (!closed) {
                CloseFolderHandle();  // cancels the pending read
                state_ = kStopping;
            }
        }
        if (closed) {
            SetEvent(event_.Get());
        } else {
            handler_->OnWatchStopped(path_);
        }
        break;
    }
    case kStopping: {
        bool closed;
        {
            CSingleLock lock(&lock_, TRUE);
            closed = !folder_.IsValid();
            if (!closed) CloseFolderHandle();
        }
        if (closed) SetEvent(event_.Get());
        break;
    }
    default:
        break;
    }
}

// ---------------------------------------------------------------------------------------------

struct FolderWatcher::WorkerLink {
    explicit WorkerLink(FolderWatcher* owner) : watcher(owner) {}
    // Runs the watcher's hook, unless the thread was left behind.
    void Call(void (FolderWatcher::*hook)()) {
        CSingleLock hold(&lock, TRUE);
        if (watcher) (watcher->*hook)();
    }
    void Leave() {
        CSingleLock hold(&lock, TRUE);
        watcher = nullptr;
    }

    ScopedHandle port;  // set once, before the thread starts
    CCriticalSection lock;
    FolderWatcher* watcher;
};

FolderWatcher::FolderWatcher(bool gui, DWORD filterFlags)
    : threadId_(0), gui_(gui), filterFlags_(filterFlags ? filterFlags : 8) {}

// A port whose thread never started is closed with the watcher.
FolderWatcher::~FolderWatcher() { UnwatchAll(); }

DWORD FolderWatcher::SetFilterFlags(DWORD flags) {
    CSingleLock lock(&lock_, TRUE);
    DWORD old = filterFlags_;
    filterFlags_ = flags ? flags : 8;
    return old;
}

void FolderWatcher::TakeDeadWatches(std::vector<WatchInfo*>& out) {
    for (WatchInfo*& info : watches_) {
        if (info && info->GetState() == WatchInfo::kDead) {
            out.push_back(info);
            info = nullptr;
        }
    }
}

std::vector<bool> FolderWatcher::StopWatches(const std::vector<WatchInfo*>& watches, HANDLE port, DWORD deadline) {
    std::vector<bool> stopped;
    stopped.reserve(watches.size());
    // Once one stop was not answered the thread is not serving: the others only get the time
    // left, none.
    for (WatchInfo* info : watches) stopped.push_back(info->Stop(port, deadline));
    return stopped;
}

void FolderWatcher::ReleaseWatches(std::vector<WatchInfo*>& watches, const std::vector<bool>& stopped, DWORD deadline,
                                   bool* callbackLeft) {
    for (size_t i = 0; i < watches.size(); ++i) {
        WatchInfo* info = watches[i];
        info->GetClient()->ReleaseWatcherUse(this);
        bool idle;
        if (stopped[i]) {
            idle = info->ReleaseClient(deadline);
            delete info;
        } else {
            idle = info->LeaveBehind(deadline);
        }
        if (!idle && callbackLeft) *callbackLeft = true;
    }
    watches.clear();
}

bool FolderWatcher::RemoveWatches(std::vector<WatchInfo*>& watches, HANDLE port, DWORD deadline,
                                  bool* callbackLeft) {
    const std::vector<bool> stopped = StopWatches(watches, port, deadline);
    ReleaseWatches(watches, stopped, deadline, callbackLeft);
    return std::find(stopped.begin(), stopped.end(), false) == stopped.end();
}

DWORD FolderWatcher::WatchDirectory(const CString& folder, DWORD notifyFilter, FolderChangeHandler* handler,
                                    bool subtree, const char* include, const char* exclude) {
    if (folder.IsEmpty() || notifyFilter == 0 || !handler) return Result(ERROR_INVALID_PARAMETER);
    DWORD attributes = GetFileAttributesA(folder);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return Result(ERROR_BAD_PATHNAME);

    // A folder watched already (under any letter case) is watched anew.
    UnwatchDirectory(folder);

    EnableWatchPrivileges();
    // Shared for deletion too: an administrator may rename or remove a watched folder while the
    // service runs.
    ScopedHandle folderHandle(CreateFileA(folder, FILE_LIST_DIRECTORY,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                          OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr));
    if (!folderHandle) return Result(GetLastError());
    const HANDLE boundFolder = folderHandle.Get();

    WatchInfo* info = nullptr;
    HANDLE port;
    try {
        DWORD flags;
        {
            CSingleLock lock(&lock_, TRUE);
            flags = filterFlags_;
        }
        // The handle stays with whichever of the two owns it when a failure comes.
        info = new WatchInfo(folder, std::move(folderHandle), notifyFilter, subtree, handler, gui_, include, exclude,
                             flags);
    } catch (...) {
        return Result(ERROR_OUTOFMEMORY);
    }

    {
        CSingleLock lock(&lock_, TRUE);
        std::shared_ptr<WorkerLink>* threadLink = nullptr;
        try {
            if (!worker_) worker_ = std::make_shared<WorkerLink>(this);
            if (!thread_) threadLink = new std::shared_ptr<WorkerLink>(worker_);
        } catch (...) {
            lock.Unlock();
            delete info;
            return Result(ERROR_OUTOFMEMORY);
        }
        HANDLE bound = CreateIoCompletionPort(boundFolder, worker_->port.IsValid() ? worker_->port.Get() : nullptr,
                                              reinterpret_cast<ULONG_PTR>(info), 0);
        if (!bound) {
            DWORD error = GetLastError();
            lock.Unlock();
            delete threadLink;
            delete info;
            return Result(error);
        }
        if (!worker_->port) worker_->port.Reset(bound);
        if (threadLink) {
            unsigned id = 0;
            thread_.Reset(reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, ThreadProc, threadLink, 0, &id)));
            if (!thread_) {
                DWORD error = GetLastError();
                lock.Unlock();
                delete threadLink;
                delete info;
                return Result(error ? error : ERROR_MAX_THRDS_REACHED);
            }
            threadId_ = id;
        }
        port = worker_->port.Get();
    }

    DWORD error = 0;
    const DWORD deadline = GetTickCount() + GetAnswerLimit();
    if (!info->Start(port, deadline, error)) {
        info->LeaveBehind(deadline);
        return Result(error);
    }
    if (error) {
        delete info;
        return Result(error);
    }

    FolderWatcher* other = handler->GetWatcher();
    if (other && other != this) other->UnwatchHandler(handler);
    handler->AddWatcherUse(this);
    {
        CSingleLock lock(&lock_, TRUE);
        bool placed = false;
        for (WatchInfo*& slot : watches_) {
            if (!slot) {
                slot = info;
                placed = true;
                break;
            }
        }
        if (!placed) watches_.push_back(info);
    }
    return Result(0);
}

bool FolderWatcher::UnwatchAll(DWORD* leftBehind, bool* callbackLeft) {
    if (leftBehind) *leftBehind = 0;
    if (callbackLeft) *callbackLeft = false;
    std::vector<WatchInfo*> watches;
    ScopedHandle thread;
    std::shared_ptr<WorkerLink> worker;
    {
        CSingleLock lock(&lock_, TRUE);
        if (!thread_) return false;
        for (WatchInfo* info : watches_)
            if (info) watches.push_back(info);
        watches_.clear();
        thread = std::move(thread_);
        worker = std::move(worker_);
        threadId_ = 0;
    }
    // The service control manager's stop waits on this: a thread that does not carry the stops
    // out in time, cannot be told to end (and closing the port does not wake it everywhere) or
    // does not end in time is left behind. One deadline for all of it.
    const DWORD deadline = GetTickCount() + GetAnswerLimit();
    const std::vector<bool> stopped = StopWatches(watches, worker->port.Get(), deadline);
    const bool allStopped = std::find(stopped.begin(), stopped.end(), false) == stopped.end();
    // The thread ends before the clients are let go: a client's callback that does not return
    // must not use up the time the thread has to end, or a thread that answered every stop would
    // be reported left behind.
    DWORD left = 0;
    if (!g_post(worker->port.Get(), 0, 0, nullptr)) {
        left = GetLastError();
        if (!left) left = ERROR_GEN_FAILURE;
    } else if (WaitForSingleObject(thread.Get(), TimeLeft(deadline)) != WAIT_OBJECT_0 || !allStopped) {
        left = ERROR_TIMEOUT;
    }
    if (left) worker->Leave();
    ReleaseWatches(watches, stopped, deadline, callbackLeft);
    if (leftBehind) *leftBehind = left;
    return true;
}

bool FolderWatcher::UnwatchDirectory(const CString& folder) {
    return RemoveWhere([&folder](const WatchInfo& info) { return info.GetPath().CompareNoCase(folder) == 0; });
}

bool FolderWatcher::UnwatchHandler(FolderChangeHandler* handler) {
    return RemoveWhere([handler](const WatchInfo& info) { return info.GetClient() == handler; });
}

bool FolderWatcher::IsWatching(const CString& folder) {
    return CountWhere([&folder](const WatchInfo& info) { return info.GetPath().CompareNoCase(folder) == 0; }) > 0;
}

int FolderWatcher::GetWatchCount() {
    return CountWhere([](const WatchInfo&) { return true; });
}

bool FolderWatcher::RemoveWhere(const std::function<bool(const WatchInfo&)>& match) {
    std::vector<WatchInfo*> watches;
    HANDLE port;
    bool found;
    {
        CSingleLock lock(&lock_, TRUE);
        TakeDeadWatches(watches);
        size_t dead = watches.size();
        for (WatchInfo*& info : watches_) {
            if (info && match(*info)) {
                watches.push_back(info);
                info = nullptr;
            }
        }
        found = watches.size() > dead;
        port = Port();
    }
    RemoveWatches(watches, port, GetTickCount() + GetAnswerLimit());
    return found;
}

int FolderWatcher::CountWhere(const std::function<bool(const WatchInfo&)>& match) {
    std::vector<WatchInfo*> dead;
    HANDLE port;
    int count = 0;
    {
        CSingleLock lock(&lock_, TRUE);
        TakeDeadWatches(dead);
        for (WatchInfo* info : watches_)
            if (info && match(*info)) ++count;
        port = Port();
    }
    RemoveWatches(dead, port, GetTickCount() + GetAnswerLimit());
    return count;
}

HANDLE FolderWatcher::Port() const { return worker_ ? worker_->port.Get() : INVALID_HANDLE_VALUE; }

unsigned __stdcall FolderWatcher::ThreadProc(void* argument) {
    std::shared_ptr<WorkerLink>* given = static_cast<std::shared_ptr<WorkerLink>*>(argument);
    const std::shared_ptr<WorkerLink> worker = std::move(*given);
    delete given;
    // A thread entry: nothing may unwind past it.
    try {
        worker->Call(&FolderWatcher::OnThreadStart);
        const HANDLE port = worker->port.Get();
        for (;;) {
            DWORD bytes = 0;
            ULONG_PTR key = 0;
            OVERLAPPED* overlapped = nullptr;
            // A failed dequeue with a key is a completion too: that is how a read cancelled by
            // closing its folder handle arrives.
            GetQueuedCompletionStatus(port, &bytes, &key, &overlapped, INFINITE);
            if (key == 0) break;
            try {
                reinterpret_cast<WatchInfo*>(key)->HandlePacket(bytes);
            } catch (...) {
                // The watch's own failures end it in HandlePacket; whatever else comes from one
                // packet must not cost the other watches their thread.
            }
        }
        worker->Call(&FolderWatcher::OnThreadExit);
    } catch (...) {
        return 1;
    }
    return 0;
}

DWORD FolderWatcher::GetAnswerLimit() { return g_answerLimit; }

DWORD FolderWatcher::SetAnswerLimitForTesting(DWORD milliseconds) {
    DWORD previous = g_answerLimit;
    g_answerLimit = milliseconds ? milliseconds : static_cast<DWORD>(kAnswerLimitMs);
    return previous;
}

PacketHook SetPacketHookForTesting(PacketHook hook) {
    PacketHook previous = g_packetHook;
    g_packetHook = hook;
    return previous;
}

CompletionPoster SetCompletionPosterForTesting(CompletionPoster poster) {
    CompletionPoster previous = g_post;
    g_post = poster ? poster : PostQueuedCompletionStatus;
    return previous;
}
