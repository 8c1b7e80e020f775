// Gives a script the whole exit code of a Windows program (a Unix shell sees only the low eight
// bits of Wine's): ExitCodeOf PROGRAM [ARGUMENTS...] runs the rest of its own command line as
// given, with this program's standard handles, and once it has ended prints "exit code N" on a
// line of its own after the program's output, then exits with 0. It exits with 1 when the program
// cannot be started, or ran past the time limit (then it is ended), saying which.
#include <windows.h>
#include <cstdio>

namespace {

// A hung step must fail the script's run, not hold it up.
const DWORD kTimeLimitMs = 120000;

// Our own name ends at the first blank outside quotes; the rest is the program's command line.
const char* AfterOwnName(const char* commandLine) {
    const char* p = commandLine;
    bool quoted = false;
    for (; *p != '\0' && (quoted || (*p != ' ' && *p != '\t')); ++p)
        if (*p == '"') quoted = !quoted;
    while (*p == ' ' || *p == '\t') ++p;
    return p;
}

}  // namespace

int main() {
    const char* rest = AfterOwnName(GetCommandLineA());
    if (*rest == '\0') {
        std::fprintf(stderr, "usage: ExitCodeOf PROGRAM [ARGUMENTS...]\n");
        return 1;
    }
    char commandLine[32768];
    lstrcpynA(commandLine, rest, sizeof(commandLine));
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, commandLine, nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
        std::printf("cannot start %s: error %lu\n", commandLine, GetLastError());
        return 1;
    }
    CloseHandle(process.hThread);
    const bool ended = WaitForSingleObject(process.hProcess, kTimeLimitMs) == WAIT_OBJECT_0;
    if (!ended) {
        TerminateProcess(process.hProcess, WAIT_TIMEOUT);
        std::printf("timed out after %lu ms: %s\n", kTimeLimitMs, commandLine);
        CloseHandle(process.hProcess);
        return 1;
    }
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    std::printf("exit code %lu\n", code);
    return 0;
}
