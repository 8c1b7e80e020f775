#include "OrvService/DelayedNotifier.h"
#include "OrvService/DelayedFolderChangeHandler.h"
#include "OrvService/FolderChangeNotification.h"
#include "classlib/CSync.h"
#include <process.h>
#include <utility>

void DispatchFolderChangeRecord(FolderChangeNotification* record) {
    if (!record) return;
    DelayedFolderChangeHandler* owner = record->owner;
    try {
        owner->Dispatch(record);
    } catch (...) {
        // A client's failure must not end the receiving side; the record is gone either way.
    }
}

namespace {

// The notification thread of the process and the number of notifiers using it. A lock rather
// than a bare counter, so a last notifier stopping the thread and a first one starting the next
// never mix up the thread they talk to.
CCriticalSection& ThreadLock() {
    static CCriticalSection lock;
    return lock;
}
LONG g_threadUsers = 0;
ScopedHandle g_thread;
volatile LONG g_threadId = 0;

CCriticalSection& WindowLock() {
    static CCriticalSection lock;
    return lock;
}
LONG g_windowUsers = 0;
HWND g_window = nullptr;
const char kWindowClass[] = "Delayed_Message_Sender";

}  // namespace

DelayedThreadNotifier::DelayedThreadNotifier()
    : startEvent_(CreateEventA(nullptr, FALSE, FALSE, nullptr)), closed_(false) {
    CSingleLock lock(&ThreadLock(), TRUE);
    // The first user starts the thread; so does a later one when an earlier start failed.
    if (++g_threadUsers != 1 && g_thread) return;
    unsigned id = 0;
    g_thread.Reset(reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, NotificationThreadProc, this, 0, &id)));
    if (!g_thread) return;
    InterlockedExchange(&g_threadId, static_cast<LONG>(id));
    WaitForSingleObject(startEvent_.Get(), INFINITE);
}

DelayedThreadNotifier::~DelayedThreadNotifier() { Close(GetTickCount() + kEndLimitMs); }

void DelayedThreadNotifier::Close(DWORD deadline) {
    if (closed_) return;
    closed_ = true;
    ScopedHandle thread;
    DWORD id = 0;
    {
        CSingleLock lock(&ThreadLock(), TRUE);
        if (--g_threadUsers <= 0) {
            g_threadUsers = 0;
            thread = std::move(g_thread);
            id = static_cast<DWORD>(g_threadId);
            InterlockedExchange(&g_threadId, 0);
            if (thread) PostThreadMessageA(id, WM_QUIT, 0, 0);
        }
    }
    // Waiting for ourselves would never end; the thread leaves its loop once we return. A thread
    // that a client's callback holds must not hold a stop: it finds its quit once the callback
    // returns, and a later first notifier starts a thread of its own meanwhile.
    if (thread && id != GetCurrentThreadId()) WaitForSingleObject(thread.Get(), TimeLeft(deadline));
}

bool DelayedThreadNotifier::Post(FolderChangeNotification* record) {
    DWORD id = static_cast<DWORD>(g_threadId);
    return id != 0 &&
           PostThreadMessageA(id, WM_FOLDER_CHANGE_NOTIFICATION, 0, reinterpret_cast<LPARAM>(record)) != FALSE;
}

DWORD DelayedThreadNotifier::GetThreadId() { return static_cast<DWORD>(g_threadId); }

bool DelayedThreadNotifier::DispatchThreadMessage(const MSG& msg) {
    if (msg.hwnd != nullptr || msg.message != WM_FOLDER_CHANGE_NOTIFICATION) return false;
    if (GetCurrentThreadId() != GetThreadId()) return false;
    DispatchFolderChangeRecord(reinterpret_cast<FolderChangeNotification*>(msg.lParam));
    return true;
}

unsigned __stdcall DelayedThreadNotifier::NotificationThreadProc(void* argument) {
    MSG msg;
    // The queue must exist before the starter learns we run, or its first posts would be lost.
    PeekMessageA(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    PostThreadMessageA(GetCurrentThreadId(), WM_NULL, 0, 0);
    SetEvent(static_cast<DelayedThreadNotifier*>(argument)->startEvent_.Get());
    for (;;) {
        BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0) return 0;  // WM_QUIT
        if (got == -1) continue;
        if (msg.message == WM_FOLDER_CHANGE_NOTIFICATION)
            DispatchFolderChangeRecord(reinterpret_cast<FolderChangeNotification*>(msg.lParam));
    }
}

DelayedWindowNotifier::DelayedWindowNotifier() : closed_(false) {
    CSingleLock lock(&WindowLock(), TRUE);
    ++g_windowUsers;
    if (g_window && IsWindow(g_window)) return;
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA existing;
    if (!GetClassInfoA(instance, kWindowClass, &existing)) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = WindowProc;
        wc.hInstance = instance;
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
        wc.lpszClassName = kWindowClass;
        RegisterClassA(&wc);
    }
    // A plain hidden top-level window: it belongs to this thread and is served by its loop.
    g_window = CreateWindowExA(0, kWindowClass, "DelayedWnd", 0, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
}

DelayedWindowNotifier::~DelayedWindowNotifier() { Close(0); }

void DelayedWindowNotifier::Close(DWORD) {
    if (closed_) return;
    closed_ = true;
    CSingleLock lock(&WindowLock(), TRUE);
    if (--g_windowUsers <= 0) {
        g_windowUsers = 0;
        // Only the owning thread can destroy the window; any other asks it to close itself.
        if (g_window && GetWindowThreadProcessId(g_window, nullptr) == GetCurrentThreadId())
            DestroyWindow(g_window);
        else if (g_window)
            PostMessageA(g_window, WM_CLOSE, 0, 0);
        g_window = nullptr;
    }
}

bool DelayedWindowNotifier::Post(FolderChangeNotification* record) {
    HWND window;
    {
        CSingleLock lock(&WindowLock(), TRUE);
        window = g_window;
    }
    return window && PostMessageA(window, WM_FOLDER_CHANGE_NOTIFICATION, 0, reinterpret_cast<LPARAM>(record)) != FALSE;
}

HWND DelayedWindowNotifier::GetWindow() {
    CSingleLock lock(&WindowLock(), TRUE);
    return g_window;
}

LRESULT CALLBACK DelayedWindowNotifier::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_FOLDER_CHANGE_NOTIFICATION && lParam) {
        DispatchFolderChangeRecord(reinterpret_cast<FolderChangeNotification*>(lParam));
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
