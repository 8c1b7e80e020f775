// Owner of one kernel handle (process, file, event, ...): closes it when destroyed.
#pragma once
#include <windows.h>

class ScopedHandle {
public:
    explicit ScopedHandle(HANDLE handle = INVALID_HANDLE_VALUE) : handle_(handle) {}
    ~ScopedHandle() { Reset(); }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;

    HANDLE Get() const { return handle_; }
    // Both null and INVALID_HANDLE_VALUE mean "nothing": the platform uses either for failure.
    bool IsValid() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
    // Gives the handle up without closing it.
    HANDLE Release() {
        HANDLE h = handle_;
        handle_ = INVALID_HANDLE_VALUE;
        return h;
    }
    void Reset(HANDLE handle = INVALID_HANDLE_VALUE) {
        if (IsValid() && handle != handle_) CloseHandle(handle_);
        handle_ = handle;
    }

private:
    HANDLE handle_;
};
