// Times one examination of the tasks (COrvService::ManageTasks) for 10, 100 and 1,000 Periodical
// tasks that are not due, each set in a task file of its own in a scratch data folder.
// ExaminationBenchmark [REPEATS] prints the load time and the shortest, median and longest of
// REPEATS examinations (default 20) per size.
#include "OrvService/OrvService.h"
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

// Written in one go: the private-profile writes would take longer than what is measured.
void WriteTaskFile(const std::string& path, int count) {
    const std::string lastRun(FormatIniTime(Clock::Now()));
    std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
    out << "[General]\r\nTasksCount=" << count << "\r\n";
    for (int n = 1; n <= count; ++n) {
        out << "[Task" << n << "]\r\nType=Periodical\r\nInterval=24\r\nPriority=/s2\r\n"
            << "OrvPath=C:\\\\Sites\\\\site" << n << ".orv\r\nLastRun=" << lastRun << "\r\n";
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
    return 0;
}
