// Carriers of change records to the receiving side: the process-wide notification thread, or the
// process-wide hidden window of the thread that created it.
#pragma once
#include "classlib/HandleOwner.h"
#include <windows.h>

class FolderChangeNotification;

// The message that carries a record (lParam) to the receiving side.
const UINT WM_FOLDER_CHANGE_NOTIFICATION = WM_APP + 0x400;

// Milliseconds left until a deadline (a GetTickCount value), 0 once it has passed: the waits of
// one stop share a deadline.
inline DWORD TimeLeft(DWORD deadline) {
    const LONG left = static_cast<LONG>(deadline - GetTickCount());
    return left > 0 ? static_cast<DWORD>(left) : 0;
}

class DelayedNotifier {
public:
    virtual ~DelayedNotifier() {}
    // False when the record could not be queued; the caller still owns it then.
    virtual bool Post(FolderChangeNotification* record) = 0;
    // Lets go of the receiving side, once; a wait for it to end lasts until the deadline at
    // most. The destructor lets go otherwise, with kEndLimitMs to wait.
    virtual void Close(DWORD deadline) = 0;
    static const DWORD kEndLimitMs = 5000;
};

// Dispatches one record to its owner; no exception of the client's code leaves it.
void DispatchFolderChangeRecord(FolderChangeNotification* record);

class DelayedThreadNotifier : public DelayedNotifier {
public:
    // The first notifier of the process starts the notification thread and waits until its
    // message queue exists.
    DelayedThreadNotifier();
    ~DelayedThreadNotifier() override;
    DelayedThreadNotifier(const DelayedThreadNotifier&) = delete;
    DelayedThreadNotifier& operator=(const DelayedThreadNotifier&) = delete;
    bool Post(FolderChangeNotification* record) override;
    // The last one stops the thread and waits for it to end until the deadline: a thread held
    // in a client's callback is left to end on its own once the callback returns. From the
    // notification thread itself it only asks it to end.
    void Close(DWORD deadline) override;

    static DWORD GetThreadId();
    // For a thread that pumps its own queue while it waits: true when the message was a record
    // for this thread and has been dispatched.
    static bool DispatchThreadMessage(const MSG& msg);

private:
    static unsigned __stdcall NotificationThreadProc(void* argument);
    ScopedHandle startEvent_;
    bool closed_;
};

class DelayedWindowNotifier : public DelayedNotifier {
public:
    // Creates the hidden window on this thread when none exists; this thread must pump messages.
    DelayedWindowNotifier();
    ~DelayedWindowNotifier() override;
    DelayedWindowNotifier(const DelayedWindowNotifier&) = delete;
    DelayedWindowNotifier& operator=(const DelayedWindowNotifier&) = delete;
    bool Post(FolderChangeNotification* record) override;
    // The last one destroys the window, or asks it to close from another thread; no wait.
    void Close(DWORD deadline) override;

    static HWND GetWindow();

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    bool closed_;
};
