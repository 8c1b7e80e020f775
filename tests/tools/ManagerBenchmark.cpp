// Times the manager: ManagerBenchmark MANAGER.exe [SECONDS] writes a task file of 100 tasks and
// two months of service log (200,000 lines) into the data folder, starts the manager and prints
// the time until its main dialog is visible, a Tasks refresh with the task file unchanged, a Logs
// refresh with 50 new lines, and the CPU time the manager spends idle on its three timers over
// SECONDS (default 60) with the Tasks page shown. Exit code: 0, or 1 when a step failed.
#include "common/AppData.h"
#include "common/Clock.h"
#include "common/DirUtils.h"
#include "common/Log.h"
#include "support/ManagerDriver.h"
#include "support/ToolSupport.h"
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

using testing_support::ManagerDriver;
using testing_support::NowMs;

namespace {
double CpuMs(HANDLE process) {
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return -1;
    auto ms = [](const FILETIME& t) { return ((static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e4; };
    return ms(kernel) + ms(user);
}

void WriteLog(const CString& path, int year, int month, int lines) {
    std::ofstream out(path.GetString(), std::ios::binary);
    for (int i = 0; i < lines; ++i) {
        const CTime time(year, month, 1 + i * 28 / lines, (i / 60) % 24, i % 60, 0);
        out << time.Format("%Y %b %d, %H:%M").str() << "  Task" << 1 + i % 100
            << (i % 3 ? " finished successfully." : " started.") << "\r\n";
    }
}

void WriteTasks(const CString& path) {
    std::ofstream out(path.GetString(), std::ios::binary);
    out << "[General]\r\nTasksCount=100\r\n";
    for (int n = 1; n <= 100; ++n)
        out << "[Task" << n << "]\r\nType=Periodical\r\nInterval=24\r\nPriority=/s2\r\nOrvPath=C:\\\\Sites\\\\site" << n
            << ".orv\r\nLastRun=2024:3:1;10:" << n % 60 << "\r\n";
}

// The median time of a timer tick of the page, sent as the timer would.
double TickMs(HWND page, UINT_PTR timer, const std::function<void()>& before, int repeats) {
    std::vector<double> times;
    for (int i = 0; i < repeats; ++i) {
        if (before) before();
        const double start = NowMs();
        SendMessageA(page, WM_TIMER, timer, 0);
        times.push_back(NowMs() - start);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}
}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 1;
    const DWORD seconds = argc > 2 ? static_cast<DWORD>(std::strtoul(argv[2], nullptr, 10)) : 60;
    const CTime now = Clock::Now();
    int year = now.GetYear(), month = now.GetMonth();
    const CString current = Log::GetCurrentLogFilePath();
    Log::GetPreviousMonth(year, month);
    WriteLog(DirUtils::JoinPath(AppData::GetLogsFolder(), Log::GetLogFileName(year, month)), year, month, 100000);
    WriteLog(current, now.GetYear(), now.GetMonth(), 100000);
    WriteTasks(AppData::GetTasksIniPath());

    PROCESS_INFORMATION process = {};
    const double started = NowMs();
    if (!testing_support::StartProgram(argv[1], process)) return 1;
    ManagerDriver manager;
    if (!manager.Attach(process.dwProcessId, 60000)) return 1;
    std::printf("start-up to the visible main dialog (100 tasks, 200,000 log lines): %.0f ms\n", NowMs() - started);

    manager.ShowPage(1);
    std::printf("a Tasks refresh, task file unchanged (median of 20): %.2f ms\n",
                TickMs(manager.Page(), 13, nullptr, 20));
    manager.ShowPage(2);
    int next = 0;
    const double logs = TickMs(
        manager.Page(), 11,
        [&] {
            std::ofstream out(current.GetString(), std::ios::binary | std::ios::app);
            for (int i = 0; i < 50; ++i) out << "2024 Mar 10, 12:00  Task" << ++next << " started.\r\n";
        },
        10);
    std::printf("a Logs refresh with 50 new lines (median of 10): %.2f ms\n", logs);

    manager.ShowPage(1);
    std::printf("idle from now for %lu s\n", static_cast<unsigned long>(seconds));
    std::fflush(stdout);
    const double cpuBefore = CpuMs(process.hProcess);
    Sleep(seconds * 1000);
    std::printf("CPU time idle on the three timers, Tasks page shown, over %lu s: %.0f ms\n",
                static_cast<unsigned long>(seconds), CpuMs(process.hProcess) - cpuBefore);
    std::fflush(stdout);

    manager.CloseAll();
    WaitForSingleObject(process.hProcess, 20000);
    CloseHandle(process.hProcess);
    return 0;
}
