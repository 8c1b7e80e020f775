#include "OrvService/DelayedFolderChangeHandler.h"
#include "OrvService/WildcardMatch.h"
#include <utility>

namespace {

void ParsePatterns(const char* text, std::vector<CString>& patterns) {
    if (!text) return;
    CString all(text);
    int start = 0;
    while (start <= all.GetLength()) {
        int end = all.Find(';', start);
        if (end < 0) end = all.GetLength();
        CString item = all.Mid(start, end - start);
        if (!item.IsEmpty()) patterns.push_back(item);
        start = end + 1;
    }
}

bool AnyMatches(const std::vector<CString>& patterns, const CString& name) {
    for (const CString& pattern : patterns)
        if (WildcardMatch(name, pattern)) return true;
    return false;
}

}  // namespace

FolderChangeNotification::FolderChangeNotification(DelayedFolderChangeHandler* owner_, DWORD kind_,
                                                   const CString& first_, const CString& second_, DWORD code_,
                                                   DWORD nameOffset_)
    : owner(owner_), kind(kind_), first(first_), second(second_), code(code_), nameOffset(nameOffset_) {
    if (owner) owner->AddRef();
}

FolderChangeNotification::~FolderChangeNotification() {
    if (!owner) return;
    if (kind != kWatchStopped) {
        owner->Release();
        return;
    }
    // Let go first, so the stopper's own release is the last one and the handler (with its
    // notifier) ends on the stopping thread. A waiter always holds a reference through its
    // watch: when none is left, nobody waits and the event is gone with the handler.
    HANDLE stopped = owner->GetStoppedEvent();
    if (owner->Release() > 0) SetEvent(stopped);
}

DelayedFolderChangeHandler::DelayedFolderChangeHandler(FolderChangeHandler* client, bool gui, const char* include,
                                                       const char* exclude, DWORD filterFlags)
    : client_(client),
      deliveries_(0),
      deliveringThread_(0),
      idle_(CreateEventA(nullptr, TRUE, TRUE, nullptr)),
      filterFlags_(filterFlags),
      nameOffset_(0),
      stoppedEvent_(CreateEventA(nullptr, FALSE, FALSE, nullptr)) {
    ParsePatterns(include, include_);
    ParsePatterns(exclude, exclude_);
    if (gui)
        notifier_.reset(new DelayedWindowNotifier());
    else
        notifier_.reset(new DelayedThreadNotifier());
}

// The notifier ends first (its last use waits for the notification thread) while the event is
// still there.
DelayedFolderChangeHandler::~DelayedFolderChangeHandler() { notifier_.reset(); }

void DelayedFolderChangeHandler::SetFolderPath(const CString& folder) {
    nameOffset_ = 0;
    if (filterFlags_ & kFilterRelativeName) {
        nameOffset_ = static_cast<DWORD>(folder.GetLength());
        if (folder.IsEmpty() || folder[folder.GetLength() - 1] != '\\') ++nameOffset_;
    }
}

bool DelayedFolderChangeHandler::DetachClient(DWORD deadline) {
    {
        CSingleLock lock(&clientLock_, TRUE);
        client_ = nullptr;
        // A callback on this very thread (one that unwatches) is up the stack: it returns after us.
        if (deliveries_ == 0 || deliveringThread_ == GetCurrentThreadId()) return true;
    }
    return WaitForSingleObject(idle_.Get(), TimeLeft(deadline)) == WAIT_OBJECT_0;
}

bool DelayedFolderChangeHandler::Silence(DWORD deadline) {
    const bool idle = DetachClient(deadline);
    std::unique_ptr<DelayedNotifier> notifier;
    {
        CSingleLock lock(&notifierLock_, TRUE);
        notifier = std::move(notifier_);
    }
    // Outside the lock: the last notifier waits for the notification thread to end, until the
    // deadline at most.
    if (notifier) notifier->Close(deadline);
    notifier.reset();
    SetEvent(stoppedEvent_.Get());
    return idle;
}

FolderChangeHandler* DelayedFolderChangeHandler::GetClient() {
    CSingleLock lock(&clientLock_, TRUE);
    return client_;
}

bool DelayedFolderChangeHandler::Post(DWORD kind, const CString& first, const CString& second, DWORD code) {
    FolderChangeNotification* record =
        new (std::nothrow) FolderChangeNotification(this, kind, first, second, code, nameOffset_);
    if (!record) return false;
    {
        CSingleLock lock(&notifierLock_, TRUE);
        if (notifier_ && notifier_->Post(record)) return true;
    }
    delete record;
    return false;
}

void DelayedFolderChangeHandler::OnFileAdded(const CString& path) { Post(kFileAdded, path, CString(), 0); }
void DelayedFolderChangeHandler::OnFileRemoved(const CString& path) { Post(kFileRemoved, path, CString(), 0); }
void DelayedFolderChangeHandler::OnFileModified(const CString& path) { Post(kFileModified, path, CString(), 0); }

void DelayedFolderChangeHandler::OnFileNameChanged(const CString& oldPath, const CString& newPath) {
    Post(kFileRenamed, oldPath, newPath, 0);
}

void DelayedFolderChangeHandler::OnReadDirectoryChangesError(DWORD error, const CString& folder) {
    Post(kReadError, folder, CString(), error);
}

void DelayedFolderChangeHandler::OnWatchStarted(DWORD error, const CString& folder) {
    if (filterFlags_ & kFilterNoStarted) return;
    Post(kWatchStarted, folder, CString(), error);
}

void DelayedFolderChangeHandler::OnWatchStopped(const CString& folder) {
    if (filterFlags_ & kFilterNoStopped) return;
    ResetEvent(stoppedEvent_.Get());
    // A record that could not be queued is already freed: nobody would ever answer.
    if (!Post(kWatchStopped, folder, CString(), 0)) return;
    while (WaitForSingleObject(stoppedEvent_.Get(), 5000) == WAIT_TIMEOUT) {
    }
}

FolderChangeHandler* DelayedFolderChangeHandler::BeginDelivery() {
    CSingleLock lock(&clientLock_, TRUE);
    if (!client_) return nullptr;
    // The watch's reference is still held here, since it is released only after the detach.
    client_->AddRef();
    if (deliveries_++ == 0) ResetEvent(idle_.Get());
    deliveringThread_ = GetCurrentThreadId();
    return client_;
}

void DelayedFolderChangeHandler::EndDelivery(FolderChangeHandler* client) {
    // Released before a detach that waits is let go: a client that is not owned through its
    // count may go as soon as the detach returns. Left behind, this is the last reference.
    client->Release();
    CSingleLock lock(&clientLock_, TRUE);
    if (--deliveries_ == 0) SetEvent(idle_.Get());
}

void DelayedFolderChangeHandler::Dispatch(FolderChangeNotification* record) {
    if (!record) return;
    std::unique_ptr<FolderChangeNotification> owned(record);
    // A detaching thread waits for the delivery only until its deadline; the client stays
    // alive through the delivery's own reference, however long its callback runs.
    struct Delivery {
        DelayedFolderChangeHandler* handler;
        FolderChangeHandler* client;
        ~Delivery() {
            if (client) handler->EndDelivery(client);
        }
    } delivery = {this, BeginDelivery()};
    FolderChangeHandler* client = delivery.client;
    if (!client || !PassesFilter(*record, client)) return;
    switch (record->kind) {
    case kFileAdded: client->OnFileAdded(record->first); break;
    case kFileRemoved: client->OnFileRemoved(record->first); break;
    case kFileModified: client->OnFileModified(record->first); break;
    case kFileRenamed: client->OnFileNameChanged(record->first, record->second); break;
    case kReadError: client->OnReadDirectoryChangesError(record->code, record->first); break;
    case kWatchStarted: client->OnWatchStarted(record->code, record->first); break;
    case kWatchStopped:
        try {
            client->OnWatchStopped(record->first);
        } catch (...) {
            MessageBeep(0xFFFFFFFF);
            MessageBeep(0xFFFFFFFF);
        }
        break;
    default: break;
    }
}

CString DelayedFolderChangeHandler::TestedName(const CString& text, DWORD nameOffset) const {
    if (filterFlags_ & kFilterFileNameOnly) {
        int slash = text.ReverseFind('\\');
        return slash >= 0 ? text.Mid(slash + 1) : text;
    }
    if (filterFlags_ & kFilterRelativeName) return text.Mid(static_cast<int>(nameOffset));
    return text;
}

bool DelayedFolderChangeHandler::NameAccepted(const CString& name) const {
    if (!include_.empty() && !AnyMatches(include_, name)) return false;
    return !AnyMatches(exclude_, name);
}

bool DelayedFolderChangeHandler::PassesFilter(const FolderChangeNotification& record,
                                              FolderChangeHandler* client) const {
    if (record.kind == kReadError || record.kind == kWatchStarted || record.kind == kWatchStopped) return true;
    const DWORD flags = filterFlags_;
    if ((flags & kFilterNoPatterns) && (flags & kFilterNoClient)) return true;
    const bool askClient = client && !(flags & kFilterNoClient);
    if ((flags & kFilterClientFirst) && askClient && !client->Filter(record.kind, record.first, record.second))
        return false;
    if (!(flags & kFilterNoPatterns)) {
        bool accepted = NameAccepted(TestedName(record.first, record.nameOffset));
        if (!accepted && record.kind == kFileRenamed)
            accepted = NameAccepted(TestedName(record.second, record.nameOffset));
        if (!accepted) return false;
    }
    if (!(flags & kFilterClientFirst) && askClient) return client->Filter(record.kind, record.first, record.second);
    return true;
}
