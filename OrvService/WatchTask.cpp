#include "OrvService/WatchTask.h"
#include "OrvService/DelayedFolderChangeHandler.h"
#include "OrvService/StopSignal.h"
#include "classlib/CFile.h"
#include "common/AppData.h"
#include "common/Clock.h"
#include "common/DirUtils.h"
#include "common/Exception.h"
#include "common/Generator.h"
#include "common/IniFile.h"
#include "common/Log.h"
#include "common/ProcessRunner.h"

namespace {
const DWORD kWatchNotifyFilter = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME |
                                 FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_CREATION;
const LONGLONG kIgnoredWithinSeconds = 2;
// The task ignores the watch-started and watch-stopped notices, so none is posted to it. Above
// all its stop hands over no watch-stopped notice: a hand-over waits for the one notification
// thread that all Watch tasks share, and a change callback that does not return there would cost
// every Watch task's stop a limit of its own. Nor does a started notice still queued keep that
// thread after the last watch has stopped.
const DWORD kWatchFilterFlags = kFilterFileNameOnly | kFilterNoStarted | kFilterNoStopped;
// How long the service waits for the generator's folder query; the process is never ended.
const DWORD kQueryTimeLimit = 5 * 60 * 1000;
DWORD g_queryTimeLimit = kQueryTimeLimit;
const char* const kQueryGivenUp = "The folder query was given up: the service is stopping.";

// The list files of the queries given up while their generator ran on: it may still write its
// list there, which must never pass for the list of a later query.
CCriticalSection& GivenUpListsLock() {
    static CCriticalSection lock;
    return lock;
}
std::vector<CString> g_givenUpLists;
unsigned g_listNumber = 0;

bool IsGivenUpList(const CString& path) {
    for (const CString& given : g_givenUpLists)
        if (given.CompareNoCase(path) == 0) return true;
    return false;
}

void NoteGivenUpList(const CString& path) {
    CSingleLock lock(&GivenUpListsLock(), TRUE);
    if (!IsGivenUpList(path)) g_givenUpLists.push_back(path);
}

// "tmpFolders.txt" in the data folder, unless a query given up used it: then a name no query of
// this process had before.
CString NextListPath() {
    const CString folder = AppData::GetDataFolder();
    CString path = DirUtils::JoinPath(folder, "tmpFolders.txt");
    CSingleLock lock(&GivenUpListsLock(), TRUE);
    // What a given-up generator wrote meanwhile is nobody's list: it goes.
    for (const CString& given : g_givenUpLists) DeleteFileA(given);
    while (IsGivenUpList(path)) {
        CString name;
        name.Format("tmpFolders-%lu-%u.txt", static_cast<unsigned long>(GetCurrentProcessId()), ++g_listNumber);
        path = DirUtils::JoinPath(folder, name);
    }
    return path;
}
}  // namespace

WatchTask::WatchTask(const CString& tasksIniPath, const CString& section)
    : Task(tasksIniPath, section), quietPeriod_(10), watcher_(false, kWatchFilterFlags), callbackLeft_(0) {
    lastEvent_ = ParseIniTime(GetReader()->ReadString("LastEvent", ""));
}

boost::shared_ptr<WatchTask> WatchTask::Create(const CString& tasksIniPath, const CString& section) {
    boost::shared_ptr<WatchTask> task(new WatchTask(tasksIniPath, section), &WatchTask::Dispose);
    // Watching starts on a whole object, owned through its count: a load that fails frees it
    // only once no callback of a watch started before the failure runs any more.
    task->StartWatching();
    return task;
}

void WatchTask::Dispose(WatchTask* task) {
    try {
        task->StopWatching();
    } catch (...) {
        // Out of memory for the log line: the watches are stopped all the same.
    }
    static_cast<FolderChangeHandler*>(task)->Release();
}

CString WatchTask::GetDescription() {
    CString text;
    text.Format("%s, %s", static_cast<LPCSTR>(GetWatchTypeId()),
                static_cast<LPCSTR>(DirUtils::GetFileName(GetOrvPath())));
    return text;
}

void WatchTask::Stop() { StopWatching(); }

void WatchTask::StopWatching() {
    DWORD left = 0;
    bool callbackLeft = false;
    watcher_.UnwatchAll(&left, &callbackLeft);
    if (callbackLeft) InterlockedExchange(&callbackLeft_, 1);
    CString line;
    if (left) {
        line.Format("Unable to end the folder watcher of %s (error %lu): its thread is left waiting, and the "
                    "task stops all the same.",
                    static_cast<LPCSTR>(GetName()), static_cast<unsigned long>(left));
        Log::Write(line);
    }
    if (callbackLeft) {
        line.Format("A change notification of %s is still being handled: it is left to finish on its own, and the "
                    "task stops all the same.",
                    static_cast<LPCSTR>(GetName()));
        Log::Write(line);
    }
}

void WatchTask::StartWatching() {
    try {
        CStringArray folders;
        QueryFolders(GetOrvPath(), folders);
        if (folders.IsEmpty()) throw Exception("No folders to be watched.");
        for (int i = 0; i < folders.GetSize(); ++i) {
            const CString& folder = folders[i];
            if (watcher_.WatchDirectory(folder, kWatchNotifyFilter, static_cast<FolderChangeHandler*>(this), true,
                                        nullptr, nullptr) != 0) {
                CString message;
                message.Format("Unable to start watching folder: %s", static_cast<LPCSTR>(folder));
                throw Exception(message);
            }
            CString line;
            line.Format("Watching folder %s (%s).", static_cast<LPCSTR>(folder), static_cast<LPCSTR>(GetName()));
            Log::Write(line);
        }
    } catch (...) {
        Stop();
        throw;
    }
}

DWORD SetFolderQueryTimeLimitForTesting(DWORD milliseconds) {
    DWORD previous = g_queryTimeLimit;
    g_queryTimeLimit = milliseconds ? milliseconds : kQueryTimeLimit;
    return previous;
}

void RunFolderQuery(const CString& orvPath, const CString& listPath) {
    CString generator = Generator::GetExecutablePath();
    if (orvPath.IsEmpty() || generator.IsEmpty()) return;
    // No generator is started for a load the service is giving up.
    if (StopSignal::IsRaised()) throw Exception(kQueryGivenUp);
    DeleteFileA(listPath);
    CString commandLine;
    commandLine.Format("\"%s\" \"%s\" \"/f%s\"", static_cast<LPCSTR>(generator), static_cast<LPCSTR>(orvPath),
                       static_cast<LPCSTR>(listPath));
    // A generator that shows a dialog (the query has no /q) would otherwise hold the service in
    // its start for ever: not examining anything, and deaf to stop requests.
    DWORD code = 0;
    switch (ProcessRunner::RunAndWait(commandLine, g_queryTimeLimit, StopSignal::Get(), code)) {
    case ProcessRunner::TimedOut:
        NoteGivenUpList(listPath);
        throw Exception("The folder query did not finish in time.");
    case ProcessRunner::Stopped:
        NoteGivenUpList(listPath);
        throw Exception(kQueryGivenUp);
    case ProcessRunner::Ended: break;
    }
    if (code != 0) throw Exception("Unable to retrieve folders from Orv document.");
}

void WatchTask::QueryFolders(const CString& orvPath, CStringArray& folders) {
    const CString listPath = NextListPath();
    folders.RemoveAll();
    try {
        // A list left by an interrupted earlier query must never pass for this document's.
        DeleteFileA(listPath);
        RunFolderQuery(orvPath, listPath);
        CStdioFile file(listPath, CFile::modeRead | CFile::typeText);
        CString line;
        while (file.ReadString(line)) {
            line.Trim();
            if (!line.IsEmpty()) folders.Add(line);
        }
        file.Close();
        DeleteFileA(listPath);
    } catch (const CFileException& error) {
        DeleteFileA(listPath);
        char text[255] = "";
        error.GetErrorMessage(text, sizeof(text));
        throw Exception(text);
    } catch (const Exception&) {
        DeleteFileA(listPath);
        throw;
    } catch (...) {
        DeleteFileA(listPath);
        throw Exception("Unknown problem when retrieving folders from Orv document.");
    }
}

void WatchTask::OnFileAdded(const CString&) { OnChange(); }
void WatchTask::OnFileRemoved(const CString&) { OnChange(); }
void WatchTask::OnFileNameChanged(const CString&, const CString&) { OnChange(); }
void WatchTask::OnFileModified(const CString&) { OnChange(); }

void WatchTask::OnReadDirectoryChangesError(DWORD error, const CString& folder) {
    CSingleLock lock(&endedLock_, TRUE);
    endedWatches_.emplace_back(folder, error);
}

void WatchTask::LogEndedWatches() {
    std::vector<std::pair<CString, DWORD>> ended;
    {
        CSingleLock lock(&endedLock_, TRUE);
        ended.swap(endedWatches_);
    }
    for (const auto& watch : ended) {
        CString line;
        line.Format("Stopped watching folder %s (%s): error %d.", watch.first.GetString(), GetName().GetString(),
                    static_cast<int>(watch.second));
        Log::Write(line);
    }
}

CTime WatchTask::GetLastEvent() {
    CSingleLock lock(&lastEventLock_, TRUE);
    return lastEvent_;
}

bool WatchTask::OnChange() {
    CTime now = Clock::Now();
    {
        CSingleLock lock(&lastEventLock_, TRUE);
        // A negative difference means the clock was set back: that change is noted.
        LONGLONG seconds = (now - lastEvent_).GetTotalSeconds();
        if (seconds >= 0 && seconds <= kIgnoredWithinSeconds) return true;
        lastEvent_ = now;
    }
    // A callback that the stop left running writes nothing: the service has reported itself
    // stopped, and the task file is the manager's.
    if (InterlockedCompareExchange(&callbackLeft_, 0, 0)) return false;
    return GetReader()->WriteString(FormatIniTime(now), "LastEvent") != FALSE;
}

bool WatchTask::IsDue() {
    // The log is written on this thread only.
    LogEndedWatches();
    CTime lastEvent = GetLastEvent();
    if (lastEvent == CTime()) return false;
    if (GetLastRun() >= lastEvent) return false;
    return (Clock::Now() - lastEvent).GetTotalMinutes() > quietPeriod_;
}
