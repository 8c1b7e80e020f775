// Measures the CPU time a running service spends: ServiceCpuTime SERVICE SECONDS prints the
// process id and the kernel and user time its process used over that many seconds, in
// milliseconds. Exit code: 0, or the Win32 error of the step that failed.
#include "common/NTScmService.h"
#include "classlib/HandleOwner.h"
#include <windows.h>
#include <cstdio>
#include <cstdlib>

namespace {
ULONGLONG Hundreds(const FILETIME& time) {
    return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

bool ReadTimes(HANDLE process, ULONGLONG& kernel, ULONGLONG& user) {
    FILETIME created, exited, kernelTime, userTime;
    if (!GetProcessTimes(process, &created, &exited, &kernelTime, &userTime)) return false;
    kernel = Hundreds(kernelTime);
    user = Hundreds(userTime);
    return true;
}

int Fail(const char* step) {
    DWORD error = GetLastError();
    std::printf("%s failed, error %lu\n", step, error);
    return error != 0 ? static_cast<int>(error) : 1;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::printf("usage: ServiceCpuTime SERVICE SECONDS\n");
        return ERROR_INVALID_PARAMETER;
    }
    const DWORD seconds = static_cast<DWORD>(std::strtoul(argv[2], nullptr, 10));

    CNTServiceControlManager manager;
    if (!manager.Open(nullptr, SC_MANAGER_CONNECT)) return Fail("OpenSCManager");
    CNTScmService service;
    if (!manager.OpenService(argv[1], SERVICE_QUERY_STATUS, service)) return Fail("OpenService");
    SERVICE_STATUS_PROCESS status = {};
    if (!service.QueryStatusEx(status)) return Fail("QueryServiceStatusEx");
    if (status.dwCurrentState != SERVICE_RUNNING || status.dwProcessId == 0) {
        std::printf("%s is not running (state %lu)\n", argv[1], status.dwCurrentState);
        return ERROR_SERVICE_NOT_ACTIVE;
    }

    ScopedHandle process(OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, status.dwProcessId));
    if (!process.IsValid()) return Fail("OpenProcess");
    ULONGLONG kernelBefore, userBefore, kernelAfter, userAfter;
    if (!ReadTimes(process.Get(), kernelBefore, userBefore)) return Fail("GetProcessTimes");
    Sleep(seconds * 1000);
    if (!ReadTimes(process.Get(), kernelAfter, userAfter)) return Fail("GetProcessTimes");

    std::printf("process %lu over %lu s: kernel %.1f ms, user %.1f ms (total since start: %.1f ms)\n",
                status.dwProcessId, seconds, (kernelAfter - kernelBefore) / 10000.0,
                (userAfter - userBefore) / 10000.0, (kernelAfter + userAfter) / 10000.0);
    return 0;
}
