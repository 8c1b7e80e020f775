#include "support/HeldFileTracker.h"
#include "support/TestSupport.h"

namespace testing_support {

HeldFileTracker* HeldFileTracker::instance_ = nullptr;

namespace {
// Opens the tracker makes itself, or a hook makes, are the program's no more.
thread_local int t_ownCalls = 0;
}  // namespace

HeldFileTracker::Quiet::Quiet() { ++t_ownCalls; }
HeldFileTracker::Quiet::~Quiet() { --t_ownCalls; }

typedef HANDLE(WINAPI* OpenFunction)(LPCSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE);
typedef BOOL(WINAPI* CloseFunction)(HANDLE);
namespace {
// The system's own functions (not the program's imports, which the patches replace), also for
// calls that arrive while the patches come or go.
OpenFunction g_open = nullptr;
CloseFunction g_close = nullptr;
}  // namespace

HeldFileTracker::HeldFileTracker() {
    InitializeCriticalSection(&lock_);
    const HMODULE kernel = GetModuleHandleA("kernel32.dll");
    g_open = reinterpret_cast<OpenFunction>(reinterpret_cast<void*>(GetProcAddress(kernel, "CreateFileA")));
    g_close = reinterpret_cast<CloseFunction>(reinterpret_cast<void*>(GetProcAddress(kernel, "CloseHandle")));
    instance_ = this;
    open_.reset(new ImportPatch("kernel32.dll", "CreateFileA", reinterpret_cast<void*>(&HeldFileTracker::Open)));
    close_.reset(new ImportPatch("kernel32.dll", "CloseHandle", reinterpret_cast<void*>(&HeldFileTracker::Close)));
}

HeldFileTracker::~HeldFileTracker() {
    close_.reset();
    open_.reset();
    instance_ = nullptr;
    DeleteCriticalSection(&lock_);
}

HANDLE WINAPI HeldFileTracker::Open(LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES attributes,
                                    DWORD disposition, DWORD flags, HANDLE model) {
    HeldFileTracker* tracker = instance_;
    const HANDLE handle = g_open(path, access, share, attributes, disposition, flags, model);
    if (!tracker || handle == INVALID_HANDLE_VALUE || t_ownCalls) return handle;
    const DWORD error = GetLastError();
    Quiet own;
    if (!(share & FILE_SHARE_DELETE)) {
        const std::string identity = FileIdentity(handle);
        EnterCriticalSection(&tracker->lock_);
        tracker->heldBy_[handle] = identity;
        LeaveCriticalSection(&tracker->lock_);
    }
    if (tracker->onOpen) tracker->onOpen(CString(path));
    SetLastError(error);
    return handle;
}

BOOL WINAPI HeldFileTracker::Close(HANDLE handle) {
    HeldFileTracker* tracker = instance_;
    if (tracker) {
        EnterCriticalSection(&tracker->lock_);
        tracker->heldBy_.erase(handle);
        LeaveCriticalSection(&tracker->lock_);
    }
    return g_close(handle);
}

bool HeldFileTracker::IsHeld(const CString& path) {
    Quiet own;
    const std::string identity = FileIdentity(path);
    EnterCriticalSection(&lock_);
    bool held = false;
    for (const auto& entry : heldBy_) held = held || (!identity.empty() && entry.second == identity);
    LeaveCriticalSection(&lock_);
    return held;
}

bool HeldFileTracker::SwapForLink(const CString& folder, const CString& target) {
    Quiet own;
    if (IsHeld(folder)) return false;
    if (!MoveFileA(folder, folder + ".swapped")) return false;
    return MakeHostFolderLink(target, folder);
}

}  // namespace testing_support
