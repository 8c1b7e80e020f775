#include "classlib/CSync.h"

CMutex::CMutex(BOOL initiallyOwn, const char* name, LPSECURITY_ATTRIBUTES sa)
    : handle_(CreateMutexA(sa, initiallyOwn, name)) {}

CMutex::~CMutex() {}

BOOL CMutex::Lock(DWORD timeout) {
    if (!handle_.IsValid()) return FALSE;
    DWORD r = WaitForSingleObject(handle_.Get(), timeout);
    return r == WAIT_OBJECT_0 || r == WAIT_ABANDONED;
}

BOOL CMutex::Unlock() { return handle_.IsValid() && ReleaseMutex(handle_.Get()); }

CSingleLock::CSingleLock(CSyncObject* object, BOOL initialLock) : object_(object), locked_(FALSE) {
    if (initialLock) Lock();
}

BOOL CSingleLock::Lock(DWORD timeout) {
    if (!object_ || locked_) return locked_;
    locked_ = object_->Lock(timeout);
    return locked_;
}

BOOL CSingleLock::Unlock() {
    if (object_ && locked_) {
        object_->Unlock();
        locked_ = FALSE;
    }
    return TRUE;
}
