#include "OrvService/FolderChangeHandler.h"
#include "OrvService/FolderWatcher.h"

FolderChangeHandler::FolderChangeHandler() : refCount_(1), watcher_(nullptr), useCount_(0) {}

FolderChangeHandler::~FolderChangeHandler() {
    FolderWatcher* watcher = GetWatcher();
    if (watcher) watcher->UnwatchHandler(this);
}

void FolderChangeHandler::OnFileAdded(const CString&) {}
void FolderChangeHandler::OnFileRemoved(const CString&) {}
void FolderChangeHandler::OnFileNameChanged(const CString&, const CString&) {}
void FolderChangeHandler::OnFileModified(const CString&) {}
void FolderChangeHandler::OnReadDirectoryChangesError(DWORD, const CString&) {}
void FolderChangeHandler::OnWatchStarted(DWORD, const CString&) {}
void FolderChangeHandler::OnWatchStopped(const CString&) {}
bool FolderChangeHandler::Filter(DWORD, const CString&, const CString&) { return true; }

LONG FolderChangeHandler::AddRef() { return InterlockedIncrement(&refCount_); }

LONG FolderChangeHandler::Release() {
    LONG count = InterlockedDecrement(&refCount_);
    if (count == 0) delete this;
    return count;
}

FolderWatcher* FolderChangeHandler::GetWatcher() {
    CSingleLock lock(&linkLock_, TRUE);
    return watcher_;
}

void FolderChangeHandler::AddWatcherUse(FolderWatcher* watcher) {
    CSingleLock lock(&linkLock_, TRUE);
    if (watcher_ != watcher) useCount_ = 0;
    watcher_ = watcher;
    ++useCount_;
}

void FolderChangeHandler::ReleaseWatcherUse(FolderWatcher* watcher) {
    CSingleLock lock(&linkLock_, TRUE);
    if (watcher_ != watcher || useCount_ <= 0) return;
    if (--useCount_ == 0) watcher_ = nullptr;
}

int FolderChangeHandler::GetWatcherUseCount() {
    CSingleLock lock(&linkLock_, TRUE);
    return useCount_;
}
