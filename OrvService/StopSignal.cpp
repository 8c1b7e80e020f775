#include "OrvService/StopSignal.h"
#include "classlib/HandleOwner.h"

HANDLE StopSignal::Get() {
    static ScopedHandle event(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    return event.Get();
}

void StopSignal::Raise() { SetEvent(Get()); }

void StopSignal::Lower() { ResetEvent(Get()); }

bool StopSignal::IsRaised() { return WaitForSingleObject(Get(), 0) == WAIT_OBJECT_0; }
