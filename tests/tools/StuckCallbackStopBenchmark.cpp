// Times the stop of a folder watcher (FolderWatcher::UnwatchAll, what a Watch task's stop runs)
// while a change callback of its client does not return: once with a callback that sleeps, once
// with a callback that writes LastEvent through the task file's guarded reader while another
// holder keeps the reader's named mutex. StuckCallbackStopBenchmark [MILLISECONDS] holds each
// callback that long (default 30000) and prints how long the stop took, what it reported left
// behind, and when the callback returned.
#include "OrvService/FolderWatcher.h"
#include "common/IniFile.h"
#include "support/TestSupport.h"
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

// Owned through its reference count, as the Watch task is; its first change holds the callback.
class StuckClient : public FolderChangeHandler {
public:
    StuckClient(DWORD holdMs, const CString& iniPath) : holdMs_(holdMs), iniPath_(iniPath) {}
    void OnFileAdded(const CString&) override {
        if (InterlockedExchange(&held_, 1)) return;
        SetEvent(entered.Get());
        if (iniPath_.IsEmpty())
            Sleep(holdMs_);
        else
            SafeIniReader(iniPath_, "Task1").WriteString("2024:3:7;9:5", "LastEvent");
        SetEvent(returned.Get());
    }
    ScopedHandle entered{CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    ScopedHandle returned{CreateEventA(nullptr, TRUE, FALSE, nullptr)};

private:
    DWORD holdMs_;
    CString iniPath_;
    volatile LONG held_ = 0;
};

void Measure(const char* what, DWORD holdMs, bool throughMutex) {
    testing_support::ScratchFolder folder;
    std::unique_ptr<testing_support::NamedMutexKeeper> keeper;
    if (throughMutex) keeper.reset(new testing_support::NamedMutexKeeper("Brellix.OrvService.SafeIniReader", holdMs));
    StuckClient* client = new StuckClient(holdMs, throughMutex ? folder.File("tasks.ini") : CString());
    DWORD start = 0, took = 0, left = 0;
    {
        FolderWatcher watcher;
        if (watcher.WatchDirectory(folder.Path(), FILE_NOTIFY_CHANGE_FILE_NAME, client, false) != 0) {
            std::printf("%s the folder cannot be watched (error %lu)\n", what, GetLastError());
            client->Release();
            return;
        }
        testing_support::WriteFileBytes(folder.File("changed.txt"), "x");
        if (WaitForSingleObject(client->entered.Get(), 10000) != WAIT_OBJECT_0) {
            std::printf("%s no change arrived\n", what);
            client->Release();
            return;
        }
        start = GetTickCount();
        watcher.UnwatchAll(&left);
        took = GetTickCount() - start;
    }
    const bool running = WaitForSingleObject(client->returned.Get(), 0) == WAIT_TIMEOUT;
    WaitForSingleObject(client->returned.Get(), holdMs + 10000);
    const DWORD returnedAfter = GetTickCount() - start;
    // Its owner lets go, as the service does with its tasks after the stop.
    client->Release();
    std::printf("%-50s stop %6lu ms (limit %lu ms), left behind: error %lu, callback %s at the stop's end, "
                "returned %lu ms after the stop began\n",
                what, took, FolderWatcher::kAnswerLimitMs, left, running ? "still running" : "done", returnedAfter);
}

}  // namespace

int main(int argc, char** argv) {
    const DWORD holdMs = argc > 1 ? static_cast<DWORD>(std::strtoul(argv[1], nullptr, 10)) : 30000;
    std::printf("Each change callback is held %lu ms.\n", holdMs);
    Measure("A change callback that sleeps:", holdMs, false);
    Measure("A LastEvent write whose mutex is kept elsewhere:", holdMs, true);
    return 0;
}
