#include "common/ProcessRunner.h"
#include "common/Exception.h"
#include "classlib/HandleOwner.h"
#include <cstring>
#include <vector>

bool ProcessRunner::Start(const char* commandLine, HANDLE& process) {
    // CreateProcessA may write into the command line: give it a copy of its own.
    const char* text = commandLine ? commandLine : "";
    std::vector<char> line(text, text + std::strlen(text) + 1);
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof(startup));
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION info;
    ZeroMemory(&info, sizeof(info));
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return false;
    CloseHandle(info.hThread);
    process = info.hProcess;
    return true;
}

bool ProcessRunner::IsValidHandle(HANDLE handle) { return handle != INVALID_HANDLE_VALUE; }

bool ProcessRunner::QueryExitCode(HANDLE process, DWORD& code) {
    code = static_cast<DWORD>(-1);
    if (!GetExitCodeProcess(process, &code)) {
        code = static_cast<DWORD>(-1);
        return true;
    }
    if (code != STILL_ACTIVE) return true;
    // 259 is also a code a process can really end with: only the handle knows which it is.
    if (WaitForSingleObject(process, 0) != WAIT_OBJECT_0) return false;
    // The process has ended: read its code again, since the first reading may have been taken
    // before the end was complete.
    DWORD final = static_cast<DWORD>(-1);
    if (GetExitCodeProcess(process, &final)) code = final;
    return true;
}

bool ProcessRunner::IsFinished(HANDLE process) {
    DWORD code = 0;
    return QueryExitCode(process, code);
}

DWORD ProcessRunner::RunAndWait(const char* commandLine) {
    DWORD code = 0;
    RunAndWait(commandLine, INFINITE, nullptr, code);
    return code;
}

ProcessRunner::WaitOutcome ProcessRunner::RunAndWait(const char* commandLine, DWORD timeLimit, HANDLE stopEvent,
                                                     DWORD& exitCode) {
    HANDLE started = INVALID_HANDLE_VALUE;
    if (!Start(commandLine, started)) throw Exception("Unable to run application.");
    ScopedHandle process(started);
    const DWORD begin = GetTickCount();
    DWORD code = 0;
    while (!QueryExitCode(process.Get(), code)) {
        if (timeLimit != INFINITE && GetTickCount() - begin >= timeLimit) return TimedOut;
        // The poll's pause is the wait for the stop event.
        if (!stopEvent)
            Sleep(20);
        else if (WaitForSingleObject(stopEvent, 20) == WAIT_OBJECT_0)
            return Stopped;
    }
    exitCode = code;
    return Ended;
}
