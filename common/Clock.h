// The current time as the service's rules see it; tests replace the source.
#pragma once
#include "classlib/CTime.h"

namespace Clock {
typedef CTime (*Source)();
CTime Now();
// A null source restores the system clock.
void SetSource(Source source);
}  // namespace Clock
