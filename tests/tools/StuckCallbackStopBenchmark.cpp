// Times the stop of a folder watcher (FolderWatcher::UnwatchAll, what a Watch task's stop runs)
// while a change callback of its client does not return: once with a callback that sleeps, once
// with a callback that writes LastEvent through the task file's guarded reader while another
// holder keeps the reader's named mutex. StuckCallbackStopBenchmark [MILLISECONDS] holds each
// callback that long (default 30000) and prints how long the stop took, what it reported left
// behind, and when the callback returned. Then the service's own stop (COrvService::TerminateTasks)
// over 1, 3 and 10 Watch tasks loaded from a task file, Task1's change callback held until the
// stop has ended: how long it took and what it logged as left behind.
#include "OrvService/DelayedNotifier.h"
#include "OrvService/FolderWatcher.h"
#include "OrvService/TaskExamination.h"
#include "common/AppData.h"
#include "common/IniFile.h"
#include "common/Log.h"
#include "support/NotificationThreadHold.h"
#include "support/TestSupport.h"
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

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

size_t CountOf(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

void MeasureServiceStop(int watchTasks) {
    testing_support::ScratchFolder folder;
    testing_support::SavedRegistryValue savedPath(testing_support::kProductSettingsKey, "ProgramPath");
    if (!testing_support::InstallStandInGenerator(folder.File("gen"))) {
        std::printf("%2d Watch task(s): the stand-in generator cannot be installed\n", watchTasks);
        return;
    }
    AppData::SetDataFolderForTesting(folder.File("data"));
    const IniFile ini(AppData::GetTasksIniPath());
    for (int n = 1; n <= watchTasks; ++n) {
        CString section, site;
        section.Format("Task%d", n);
        site.Format("site%d", n);
        CreateDirectoryA(folder.File(site), nullptr);
        testing_support::WriteFileBytes(folder.File(site + ".orv"), "folder=" + folder.File(site).str() + "\r\n");
        ini.WriteString("Watch", section, "Type");
        ini.WriteString(folder.File(site + ".orv"), section, "OrvPath");
    }
    ini.WriteInt(watchTasks, "General", "TasksCount");
    DWORD took = 0;
    std::string log;
    {
        COrvService service;
        int failures = 0;
        LoadTaskList(AppData::GetTasksIniPath(), service.GetTasks(), failures);
        // Held for the whole stop however long it takes, yet never for ever.
        testing_support::NotificationThreadHold hold(watchTasks * FolderWatcher::kAnswerLimitMs + 30000);
        testing_support::WriteFileBytes(folder.File("site1\\changed.txt"), "x");
        if (failures != 0 || !hold.WaitUntilHeld(10000)) {
            std::printf("%2d Watch task(s): %d failed to load, or no change arrived\n", watchTasks, failures);
            AppData::SetDataFolderForTesting("");
            return;
        }
        ScopedHandle notificationThread(OpenThread(SYNCHRONIZE, FALSE, DelayedThreadNotifier::GetThreadId()));
        const size_t logged = testing_support::ReadFileBytes(Log::GetCurrentLogFilePath()).size();
        const DWORD start = GetTickCount();
        service.TerminateTasks();
        took = GetTickCount() - start;
        log = testing_support::ReadFileBytes(Log::GetCurrentLogFilePath()).substr(logged);
        // The service lets go of its tasks once stopped, then the callback returns.
        service.GetTasks().clear();
        hold.LetGo();
        WaitForSingleObject(notificationThread.Get(), 10000);
    }
    AppData::SetDataFolderForTesting("");
    std::printf("%2d Watch task(s): stop %6lu ms (limit %lu ms), watchers reported left behind: %u, change "
                "notifications reported still being handled: %u\n",
                watchTasks, took, FolderWatcher::kAnswerLimitMs,
                static_cast<unsigned>(CountOf(log, "Unable to end the folder watcher of ")),
                static_cast<unsigned>(CountOf(log, "is still being handled")));
}

}  // namespace

int main(int argc, char** argv) {
    const DWORD holdMs = argc > 1 ? static_cast<DWORD>(std::strtoul(argv[1], nullptr, 10)) : 30000;
    std::printf("Each change callback is held %lu ms.\n", holdMs);
    Measure("A change callback that sleeps:", holdMs, false);
    Measure("A LastEvent write whose mutex is kept elsewhere:", holdMs, true);
    std::printf("The service's stop over Watch tasks, Task1's change callback held until the stop ends:\n");
    for (int watchTasks : {1, 3, 10}) MeasureServiceStop(watchTasks);
    return 0;
}
