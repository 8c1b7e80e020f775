// Helpers of the programs in tests/tools: the sample windows' "--close-after MS" argument, the
// start of the program a tool drives, and for the benchmarks a millisecond clock, a message pump,
// and an allocation counter that a program switches on once with COUNT_ALLOCATIONS().
#pragma once
#include <windows.h>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

namespace testing_support {
// The milliseconds after "--close-after" on the command line; 0 (stay open) without it.
inline UINT CloseAfterArgument() {
    for (int i = 1; i + 1 < __argc; ++i)
        if (std::strcmp(__argv[i], "--close-after") == 0) return static_cast<UINT>(std::atoi(__argv[i + 1]));
    return 0;
}

// Starts the program at the path, without arguments; false when it cannot be started. Only the
// process handle is kept: the caller closes it.
inline bool StartProgram(const char* path, PROCESS_INFORMATION& process) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    std::string commandLine = std::string("\"") + path + "\"";
    if (!CreateProcessA(path, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return false;
    CloseHandle(process.hThread);
    process.hThread = nullptr;
    return true;
}

inline double NowMs() {
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return counter.QuadPart * 1000.0 / frequency.QuadPart;
}

// Runs what is queued (paints, timers) and returns.
inline void PumpMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

// The bytes held by live allocations, each with the heap's own 16 bytes per block, so the figure
// is what the program holds whatever the platform's counters report.
inline long long& LiveBytes() {
    static long long bytes = 0;
    return bytes;
}
// The most LiveBytes() reached since the caller last set it (to LiveBytes(), to measure from now).
inline long long& PeakBytes() {
    static long long bytes = 0;
    return bytes;
}
inline long long BlockBytes(size_t size) { return static_cast<long long>((size + 15) / 16 * 16 + 16); }
inline void* CountedAlloc(size_t size) {
    size_t* block = static_cast<size_t*>(std::malloc(size + 16));
    if (!block) throw std::bad_alloc();
    block[0] = size;
    LiveBytes() += BlockBytes(size);
    if (LiveBytes() > PeakBytes()) PeakBytes() = LiveBytes();
    return block + 2;
}
inline void CountedFree(void* p) {
    if (!p) return;
    size_t* block = static_cast<size_t*>(p) - 2;
    LiveBytes() -= BlockBytes(block[0]);
    std::free(block);
}
}  // namespace testing_support

// The program's operator new and delete, counted. Once, at file scope, in one source file.
#define COUNT_ALLOCATIONS()                                                                          \
    void* operator new(size_t size) { return testing_support::CountedAlloc(size); }                  \
    void operator delete(void* p) noexcept { testing_support::CountedFree(p); }                      \
    void operator delete(void* p, size_t) noexcept { testing_support::CountedFree(p); }
