// Carriers of change records to the receiving side: the process-wide notification thread, or the
// process-wide hidden window of the thread that created it.
#pragma once
#include "classlib/HandleOwner.h"
#include <windows.h>

class FolderChangeNotification;

// The message that carries a record (lParam) to the receiving side.
const UINT WM_FOLDER_CHANGE_NOTIFICATION = WM_APP + 0x400;

class DelayedNotifier {
public:
    virtual ~DelayedNotifier() {}
    // False when the record could not be queued; the caller still owns it then.
    virtual bool Post(FolderChangeNotification* record) = 0;
};

// Dispatches one record to its owner; no exception of the client's code leaves it.
void DispatchFolderChangeRecord(FolderChangeNotification* record);

class DelayedThreadNotifier : public DelayedNotifier {
public:
    // The first notifier of the process starts the notification thread and waits until its
    // message queue exists.
    DelayedThreadNotifier();
    // The last one stops the thread; from the notification thread itself it only asks it to end.
    ~DelayedThreadNotifier() override;
    DelayedThreadNotifier(const DelayedThreadNotifier&) = delete;
    DelayedThreadNotifier& operator=(const DelayedThreadNotifier&) = delete;
    bool Post(FolderChangeNotification* record) override;

    static DWORD GetThreadId();
    // For a thread that pumps its own queue while it waits: true when the message was a record
    // for this thread and has been dispatched.
    static bool DispatchThreadMessage(const MSG& msg);

private:
    static unsigned __stdcall NotificationThreadProc(void* argument);
    ScopedHandle startEvent_;
};

class DelayedWindowNotifier : public DelayedNotifier {
public:
    // Creates the hidden window on this thread when none exists; this thread must pump messages.
    DelayedWindowNotifier();
    ~DelayedWindowNotifier() override;
    DelayedWindowNotifier(const DelayedWindowNotifier&) = delete;
    DelayedWindowNotifier& operator=(const DelayedWindowNotifier&) = delete;
    bool Post(FolderChangeNotification* record) override;

    static HWND GetWindow();

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};
