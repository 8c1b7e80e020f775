// The handler a watcher's worker thread calls: turns each callback into a record and posts it to
// the receiving side, where it is filtered and handed to the client's handler.
#pragma once
#include "OrvService/DelayedNotifier.h"
#include "OrvService/FolderChangeHandler.h"
#include "OrvService/FolderChangeNotification.h"
#include "classlib/HandleOwner.h"
#include <memory>
#include <vector>

enum FolderFilterFlags {
    kFilterNoPatterns = 0x01,
    kFilterRelativeName = 0x04,
    kFilterFileNameOnly = 0x08,
    kFilterClientFirst = 0x10,
    kFilterNoClient = 0x20,
    kFilterNoStarted = 0x40,
    kFilterNoStopped = 0x80,
};

class DelayedFolderChangeHandler : public FolderChangeHandler {
public:
    // Holds one reference to the client while attached. Pattern texts are ";"-separated lists.
    DelayedFolderChangeHandler(FolderChangeHandler* client, bool gui, const char* include, const char* exclude,
                               DWORD filterFlags);
    ~DelayedFolderChangeHandler() override;

    // The watched folder, for names relative to it (flag 0x04).
    void SetFolderPath(const CString& folder);
    // After this the client is never called again; records still queued are freed unseen. A
    // callback already running on the receiving side is waited for until the deadline (a
    // GetTickCount value); false when it still runs then: it holds a reference to the client of
    // its own and finishes on its own.
    bool DetachClient(DWORD deadline);
    // For a watch left with a worker thread that does not answer: the client is detached as
    // above, nothing is posted any more (so the notification thread is no longer kept for this
    // handler, nor waited for beyond the deadline), and a watch-stopped hand-over that waits for
    // the receiving side is let go.
    bool Silence(DWORD deadline);
    FolderChangeHandler* GetClient();

    void OnFileAdded(const CString& path) override;
    void OnFileRemoved(const CString& path) override;
    void OnFileNameChanged(const CString& oldPath, const CString& newPath) override;
    void OnFileModified(const CString& path) override;
    void OnReadDirectoryChangesError(DWORD error, const CString& folder) override;
    void OnWatchStarted(DWORD error, const CString& folder) override;
    // Returns once the client has been told, or the record has been dropped.
    void OnWatchStopped(const CString& folder) override;

    // On the receiving side: delivers the record when it passes the filter, then frees it.
    void Dispatch(FolderChangeNotification* record);
    bool PassesFilter(const FolderChangeNotification& record, FolderChangeHandler* client) const;
    // Set when a watch-stopped record has been dispatched or dropped.
    HANDLE GetStoppedEvent() const { return stoppedEvent_.Get(); }

    DWORD GetNameOffset() const { return nameOffset_; }

private:
    bool Post(DWORD kind, const CString& first, const CString& second, DWORD code);
    // A delivery to the client: null when there is none; the client is held by a reference until
    // the delivery ends.
    FolderChangeHandler* BeginDelivery();
    void EndDelivery(FolderChangeHandler* client);
    bool NameAccepted(const CString& name) const;
    CString TestedName(const CString& text, DWORD nameOffset) const;

    // Guards the notifier, which Silence takes away while the worker thread may be posting.
    CCriticalSection notifierLock_;
    std::unique_ptr<DelayedNotifier> notifier_;
    // Guards the client and the deliveries, never held while the client's code runs: a callback
    // that does not return must not hold a stop that detaches the client.
    CCriticalSection clientLock_;
    FolderChangeHandler* client_;
    int deliveries_;
    DWORD deliveringThread_;
    // Set while no delivery runs.
    ScopedHandle idle_;
    DWORD filterFlags_;
    DWORD nameOffset_;
    ScopedHandle stoppedEvent_;
    std::vector<CString> include_;
    std::vector<CString> exclude_;
};
