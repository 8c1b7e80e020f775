#include "common/Clock.h"
#include <atomic>

namespace {
std::atomic<Clock::Source> g_source{nullptr};
}

CTime Clock::Now() {
    Source s = g_source.load();
    return s ? s() : CTime::GetCurrentTime();
}

void Clock::SetSource(Source source) { g_source.store(source); }
