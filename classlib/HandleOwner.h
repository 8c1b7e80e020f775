// Owner of one platform handle of any kind: releases it with its kind's function when it goes.
// Every handle the programs keep (kernel objects, registry keys, service-manager handles,
// modules, GDI objects, icons, cursors, image lists, memory DCs, find handles, the service
// database lock, event-log handles, global and local memory blocks) is held by one of
// the aliases below, so there is one way to own a handle and none is closed by hand.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <winsvc.h>

template <class Traits>
class HandleOwner {
public:
    typedef typename Traits::Handle Handle;

    HandleOwner() noexcept : handle_(Traits::Invalid()) {}
    explicit HandleOwner(Handle handle) noexcept : handle_(handle) {}
    ~HandleOwner() { Reset(); }
    HandleOwner(const HandleOwner&) = delete;
    HandleOwner& operator=(const HandleOwner&) = delete;
    HandleOwner(HandleOwner&& other) noexcept : handle_(other.Release()) {}
    HandleOwner& operator=(HandleOwner&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }

    Handle Get() const noexcept { return handle_; }
    bool IsValid() const noexcept { return Traits::IsValid(handle_); }
    explicit operator bool() const noexcept { return IsValid(); }

    // Gives the handle up without releasing it.
    Handle Release() noexcept {
        Handle h = handle_;
        handle_ = Traits::Invalid();
        return h;
    }
    // Releases the handle held (unless it is the one given) and takes the given one.
    void Reset(Handle handle = Traits::Invalid()) noexcept {
        if (Traits::IsValid(handle_) && handle != handle_) Traits::Close(handle_);
        handle_ = handle;
    }
    // For functions that hand a handle out through a pointer: releases the one held first.
    Handle* Receive() noexcept {
        Reset();
        return &handle_;
    }

private:
    Handle handle_;
};

namespace handle_traits {
// Kernel objects: both null and INVALID_HANDLE_VALUE mean "nothing", as the platform uses either
// for failure.
struct Kernel {
    typedef HANDLE Handle;
    static HANDLE Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static bool IsValid(HANDLE h) noexcept { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) noexcept { CloseHandle(h); }
};

// Handles whose only "nothing" is null, released by one function.
template <class H, class R, R(WINAPI* CloseFn)(H)>
struct NullIsInvalid {
    typedef H Handle;
    static H Invalid() noexcept { return nullptr; }
    static bool IsValid(H h) noexcept { return h != nullptr; }
    static void Close(H h) noexcept { CloseFn(h); }
};

// Registry keys: the predefined roots (HKEY_LOCAL_MACHINE, ...) are never closed.
struct RegKey {
    typedef HKEY Handle;
    static HKEY Invalid() noexcept { return nullptr; }
    static bool IsValid(HKEY h) noexcept {
        return h != nullptr && h != HKEY_CLASSES_ROOT && h != HKEY_CURRENT_USER &&
               h != HKEY_LOCAL_MACHINE && h != HKEY_USERS && h != HKEY_PERFORMANCE_DATA &&
               h != HKEY_CURRENT_CONFIG && h != HKEY_DYN_DATA;
    }
    static void Close(HKEY h) noexcept { RegCloseKey(h); }
};

struct FindFile {
    typedef HANDLE Handle;
    static HANDLE Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static bool IsValid(HANDLE h) noexcept { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) noexcept { FindClose(h); }
};

template <class T>
struct GdiObject {
    typedef T Handle;
    static T Invalid() noexcept { return nullptr; }
    static bool IsValid(T h) noexcept { return h != nullptr; }
    static void Close(T h) noexcept { DeleteObject(h); }
};

// A DC borrowed from a window with GetDC or GetWindowDC: given back with ReleaseDC.
struct WindowDcHandle {
    HWND window;
    HDC dc;
    bool operator==(const WindowDcHandle& o) const { return window == o.window && dc == o.dc; }
    bool operator!=(const WindowDcHandle& o) const { return !(*this == o); }
};
struct WindowDc {
    typedef WindowDcHandle Handle;
    static Handle Invalid() noexcept { return Handle{nullptr, nullptr}; }
    static bool IsValid(const Handle& h) noexcept { return h.dc != nullptr; }
    static void Close(Handle h) noexcept { ReleaseDC(h.window, h.dc); }
};

// A paint session of BeginPaint: ended with EndPaint.
struct PaintHandle {
    HWND window;
    PAINTSTRUCT paint;
    bool operator==(const PaintHandle& o) const { return window == o.window && paint.hdc == o.paint.hdc; }
    bool operator!=(const PaintHandle& o) const { return !(*this == o); }
};
struct Paint {
    typedef PaintHandle Handle;
    static Handle Invalid() noexcept { return Handle{nullptr, PAINTSTRUCT{}}; }
    static bool IsValid(const Handle& h) noexcept { return h.paint.hdc != nullptr; }
    static void Close(Handle h) noexcept { EndPaint(h.window, &h.paint); }
};
}  // namespace handle_traits

typedef HandleOwner<handle_traits::Kernel> ScopedHandle;
typedef HandleOwner<handle_traits::RegKey> ScopedRegKey;
typedef HandleOwner<handle_traits::FindFile> ScopedFindHandle;
typedef HandleOwner<handle_traits::NullIsInvalid<SC_HANDLE, BOOL, CloseServiceHandle>> ScopedServiceHandle;
// The service database lock and the event-log handles, each released by its own function.
typedef HandleOwner<handle_traits::NullIsInvalid<SC_LOCK, BOOL, UnlockServiceDatabase>> ScopedServiceLock;
typedef HandleOwner<handle_traits::NullIsInvalid<HANDLE, BOOL, DeregisterEventSource>> ScopedEventSource;
typedef HandleOwner<handle_traits::NullIsInvalid<HANDLE, BOOL, CloseEventLog>> ScopedEventLog;
typedef HandleOwner<handle_traits::NullIsInvalid<HMODULE, BOOL, FreeLibrary>> ScopedModule;
typedef HandleOwner<handle_traits::NullIsInvalid<HICON, BOOL, DestroyIcon>> ScopedIcon;
typedef HandleOwner<handle_traits::NullIsInvalid<HCURSOR, BOOL, DestroyCursor>> ScopedCursor;
typedef HandleOwner<handle_traits::NullIsInvalid<HIMAGELIST, BOOL, ImageList_Destroy>> ScopedImageList;
// A DC made with CreateCompatibleDC or CreateDC (never one from GetDC: that one is released).
typedef HandleOwner<handle_traits::NullIsInvalid<HDC, BOOL, DeleteDC>> ScopedDC;
typedef HandleOwner<handle_traits::NullIsInvalid<HMENU, BOOL, DestroyMenu>> ScopedMenu;
typedef HandleOwner<handle_traits::NullIsInvalid<HGLOBAL, HGLOBAL, GlobalFree>> ScopedGlobal;
// Memory the system hands out with LocalAlloc (security descriptors, access lists).
typedef HandleOwner<handle_traits::NullIsInvalid<HLOCAL, HLOCAL, LocalFree>> ScopedLocalMemory;
typedef HandleOwner<handle_traits::WindowDc> ScopedWindowDC;
typedef HandleOwner<handle_traits::Paint> ScopedPaint;
template <class T>
using ScopedGdiObject = HandleOwner<handle_traits::GdiObject<T>>;
typedef ScopedGdiObject<HBITMAP> ScopedBitmap;
typedef ScopedGdiObject<HFONT> ScopedFont;
typedef ScopedGdiObject<HBRUSH> ScopedBrush;
typedef ScopedGdiObject<HPEN> ScopedPen;
typedef ScopedGdiObject<HRGN> ScopedRegion;
