// Synchronisation objects (named mutex, critical section) and a scoped lock over them.
#pragma once
#include "classlib/HandleOwner.h"

class CSyncObject {
public:
    virtual ~CSyncObject() {}
    virtual BOOL Lock(DWORD timeout = INFINITE) = 0;
    virtual BOOL Unlock() = 0;
};

// A mutex, named or not, opened or created without being owned.
class CMutex : public CSyncObject {
public:
    explicit CMutex(BOOL initiallyOwn = FALSE, const char* name = nullptr, LPSECURITY_ATTRIBUTES sa = nullptr);
    ~CMutex() override;
    CMutex(const CMutex&) = delete;
    CMutex& operator=(const CMutex&) = delete;
    // An abandoned mutex counts as acquired: its previous owner died, the data is ours now.
    BOOL Lock(DWORD timeout = INFINITE) override;
    BOOL Unlock() override;
    HANDLE GetHandle() const { return handle_.Get(); }

private:
    ScopedHandle handle_;
};

class CCriticalSection : public CSyncObject {
public:
    CCriticalSection() { InitializeCriticalSection(&cs_); }
    ~CCriticalSection() override { DeleteCriticalSection(&cs_); }
    CCriticalSection(const CCriticalSection&) = delete;
    CCriticalSection& operator=(const CCriticalSection&) = delete;
    BOOL Lock(DWORD = INFINITE) override { EnterCriticalSection(&cs_); return TRUE; }
    BOOL Unlock() override { LeaveCriticalSection(&cs_); return TRUE; }

private:
    CRITICAL_SECTION cs_;
};

// Holds a lock on a synchronisation object; the destructor releases it.
class CSingleLock {
public:
    explicit CSingleLock(CSyncObject* object, BOOL initialLock = FALSE);
    ~CSingleLock() { Unlock(); }
    CSingleLock(const CSingleLock&) = delete;
    CSingleLock& operator=(const CSingleLock&) = delete;
    BOOL Lock(DWORD timeout = INFINITE);
    BOOL Unlock();
    BOOL IsLocked() const { return locked_; }

private:
    CSyncObject* object_;
    BOOL locked_;
};
