// A Watch task's change callback that does not return, for the tests and the stop benchmark:
// installed as the service's clock, the hold keeps the first call made on the notification thread
// (a task noting a change) until it is let go, or its time limit has passed (never for ever). One
// hold at a time.
#pragma once
#include <windows.h>

namespace testing_support {

class NotificationThreadHold {
public:
    explicit NotificationThreadHold(DWORD limitMs);
    // Lets go and puts the system clock back.
    ~NotificationThreadHold();
    NotificationThreadHold(const NotificationThreadHold&) = delete;
    NotificationThreadHold& operator=(const NotificationThreadHold&) = delete;

    // True once a callback is held.
    bool WaitUntilHeld(DWORD ms);
    void LetGo();
};

}  // namespace testing_support
