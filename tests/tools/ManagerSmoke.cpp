// The 32-bit smoke run's look at the manager: ManagerSmoke MANAGER.exe starts the manager, waits
// for its main dialog, shows its three pages one after the other, closes it and waits for it to
// end, printing one line per step ("ok ..." or "FAILED ..."). Exit code: 0 when every step
// passed and the manager ended with exit code 0.
#include "support/ManagerDriver.h"
#include "support/ToolSupport.h"
#include <cstdio>
#include <string>

using testing_support::ManagerDriver;

namespace {
int g_failures = 0;

bool Step(bool ok, const std::string& what) {
    std::printf("%s %s\n", ok ? "ok" : "FAILED", what.c_str());
    std::fflush(stdout);
    if (!ok) ++g_failures;
    return ok;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 100;
    PROCESS_INFORMATION process = {};
    if (!Step(testing_support::StartProgram(argv[1], process), "the manager starts")) return 1;
    ManagerDriver manager;
    if (Step(manager.Attach(process.dwProcessId, 60000), "its main dialog \"Orvanti Service Manager\" opens")) {
        const char* const pages[] = {"Set-up", "Tasks", "Logs"};
        for (int i : {1, 2, 0}) Step(manager.ShowPage(i), std::string("the page \"") + pages[i] + "\" shows");
        manager.CloseAll();
    }
    DWORD code = 1;
    const bool ended = WaitForSingleObject(process.hProcess, 30000) == WAIT_OBJECT_0;
    if (!ended) TerminateProcess(process.hProcess, 1);
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    Step(ended && code == 0, "it closes with exit code " + std::to_string(code));
    return g_failures;
}
