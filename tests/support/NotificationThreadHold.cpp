#include "support/NotificationThreadHold.h"
#include "OrvService/DelayedNotifier.h"
#include "classlib/HandleOwner.h"
#include "common/Clock.h"

namespace testing_support {
namespace {

HANDLE HeldEvent() {
    static ScopedHandle held(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    return held.Get();
}

HANDLE LetGoEvent() {
    static ScopedHandle letGo(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    return letGo.Get();
}

volatile LONG g_limitMs = 0;

// The clock is a plain function: the hold's state is the process's.
CTime HeldOnTheNotificationThread() {
    if (GetCurrentThreadId() == DelayedThreadNotifier::GetThreadId() &&
        WaitForSingleObject(HeldEvent(), 0) == WAIT_TIMEOUT) {
        SetEvent(HeldEvent());
        WaitForSingleObject(LetGoEvent(), static_cast<DWORD>(g_limitMs));
    }
    return CTime::GetCurrentTime();
}

}  // namespace

NotificationThreadHold::NotificationThreadHold(DWORD limitMs) {
    InterlockedExchange(&g_limitMs, static_cast<LONG>(limitMs));
    ResetEvent(HeldEvent());
    ResetEvent(LetGoEvent());
    Clock::SetSource(&HeldOnTheNotificationThread);
}

NotificationThreadHold::~NotificationThreadHold() {
    LetGo();
    Clock::SetSource(nullptr);
}

bool NotificationThreadHold::WaitUntilHeld(DWORD ms) { return WaitForSingleObject(HeldEvent(), ms) == WAIT_OBJECT_0; }

void NotificationThreadHold::LetGo() { SetEvent(LetGoEvent()); }

}  // namespace testing_support
