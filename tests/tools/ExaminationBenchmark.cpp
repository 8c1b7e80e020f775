// Times one examination of the tasks (COrvService::ManageTasks) for 10, 100 and 1,000 Periodical
// tasks that are not due, each set in a task file of its own in a scratch data folder.
// ExaminationBenchmark [REPEATS] prints the load time and the shortest, median and longest of
// REPEATS examinations (default 20) per size. Then the load, in the service and in the manager,
// of a task file whose only sections are Task1 and Task2000000, or Task1 and Task2147483647,
// with TasksCount reaching the second.
#include "OrvService/OrvService.h"
#include "OrvServiceManager/TaskFile.h"
#include "common/AppData.h"
#include "common/Clock.h"
#include "common/IniFile.h"
#include <windows.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

class Stopwatch {
public:
    Stopwatch() {
        QueryPerformanceFrequency(&frequency_);
        QueryPerformanceCounter(&start_);
    }
    double Milliseconds() const {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        return (now.QuadPart - start_.QuadPart) * 1000.0 / frequency_.QuadPart;
    }

private:
    LARGE_INTEGER frequency_;
    LARGE_INTEGER start_;
};

std::string NewScratchFolder() {
    char temp[MAX_PATH] = "";
    GetTempPathA(sizeof(temp), temp);
    std::string base(temp);
    if (!base.empty() && base.back() != '\\') base += '\\';
    for (int n = 0;; ++n) {
        std::string path = base + "orvbench-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(n);
        if (CreateDirectoryA(path.c_str(), nullptr)) return path;
    }
}

void RemoveTree(const std::string& folder) {
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::string name = entry.cFileName;
            if (name == "." || name == "..") continue;
            std::string path = folder + "\\" + name;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path);
            else
                DeleteFileA(path.c_str());
        } while (FindNextFileA(find, &entry));
        FindClose(find);
    }
    RemoveDirectoryA(folder.c_str());
}

// Written in one go: the private-profile writes would take longer than what is measured. The
// sections are numbered 1 to count, or given.
void WriteTaskFile(const std::string& path, int count, std::vector<int> numbers = {}) {
    const std::string lastRun(FormatIniTime(Clock::Now()));
    std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
    out << "[General]\r\nTasksCount=" << count << "\r\n";
    if (numbers.empty())
        for (int n = 1; n <= count; ++n) numbers.push_back(n);
    for (int n : numbers) {
        out << "[Task" << n << "]\r\nType=Periodical\r\nInterval=24\r\nPriority=/s2\r\n"
            << "OrvPath=C:\\\\Sites\\\\site" << n << ".orv\r\nLastRun=" << lastRun << "\r\n";
    }
}

// Loads a task file whose two sections lie far apart, as the service starts and as the
// manager's Tasks page reloads it.
void TimeFarApartSections() {
    std::printf("\n%-28s %12s %12s\n", "sections", "service ms", "manager ms");
    for (int high : {2000000, 2147483647}) {
        const std::string folder = NewScratchFolder();
        AppData::SetDataFolderForTesting(folder.c_str());
        WriteTaskFile(std::string(AppData::GetTasksIniPath()), high, {1, high});
        Stopwatch service;
        COrvService().LoadTasks();
        const double serviceMs = service.Milliseconds();
        Stopwatch manager;
        EditableTaskList tasks;
        LoadTasks(AppData::GetTasksIniPath(), tasks);
        std::printf("Task1 and Task%-14d %12.1f %12.1f\n", high, serviceMs, manager.Milliseconds());
        AppData::SetDataFolderForTesting("");
        RemoveTree(folder);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const int repeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    std::printf("%8s %12s %14s %14s %14s\n", "tasks", "load ms", "examine min", "median", "max");
    for (int count : {10, 100, 1000}) {
        const std::string folder = NewScratchFolder();
        AppData::SetDataFolderForTesting(folder.c_str());
        WriteTaskFile(std::string(AppData::GetTasksIniPath()), count);
        double loadMs = 0;
        std::vector<double> times;
        {
            COrvService service;
            Stopwatch load;
            service.LoadTasks();
            loadMs = load.Milliseconds();
            if (service.GetTasks().size() != static_cast<size_t>(count)) {
                std::printf("only %u of %d tasks loaded\n", static_cast<unsigned>(service.GetTasks().size()), count);
                return 1;
            }
            service.ManageTasks();  // warms the file cache as the service's first pass does
            for (int i = 0; i < repeats; ++i) {
                Stopwatch examination;
                service.ManageTasks();
                times.push_back(examination.Milliseconds());
            }
        }
        std::sort(times.begin(), times.end());
        std::printf("%8d %12.1f %14.2f %14.2f %14.2f\n", count, loadMs, times.front(), times[times.size() / 2],
                    times.back());
        AppData::SetDataFolderForTesting("");
        RemoveTree(folder);
    }
    TimeFarApartSections();
    return 0;
}
