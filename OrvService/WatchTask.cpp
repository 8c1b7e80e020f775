#include "OrvService/WatchTask.h"
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
}  // namespace

WatchTask::WatchTask(const CString& tasksIniPath, const CString& section)
    : Task(tasksIniPath, section), quietPeriod_(10), watcher_(false, 8) {
    lastEvent_ = ParseIniTime(GetReader()->ReadString("LastEvent", ""));
    StartWatching();
}

WatchTask::~WatchTask() {
    // No callback may reach this object once it starts going away.
    watcher_.UnwatchAll();
}

CString WatchTask::GetDescription() {
    CString text;
    text.Format("%s, %s", static_cast<LPCSTR>(GetWatchTypeId()),
                static_cast<LPCSTR>(DirUtils::GetFileName(GetOrvPath())));
    return text;
}

void WatchTask::Stop() { watcher_.UnwatchAll(); }

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

void RunFolderQuery(const CString& orvPath, const CString& listPath) {
    CString generator = Generator::GetExecutablePath();
    if (orvPath.IsEmpty() || generator.IsEmpty()) return;
    DeleteFileA(listPath);
    CString commandLine;
    commandLine.Format("\"%s\" \"%s\" \"/f%s\"", static_cast<LPCSTR>(generator), static_cast<LPCSTR>(orvPath),
                       static_cast<LPCSTR>(listPath));
    if (ProcessRunner::RunAndWait(commandLine) != 0) throw Exception("Unable to retrieve folders from Orv document.");
}

void WatchTask::QueryFolders(const CString& orvPath, CStringArray& folders) {
    CString listPath = DirUtils::JoinPath(AppData::GetDataFolder(), "tmpFolders.txt");
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

CTime WatchTask::GetLastEvent() {
    CSingleLock lock(&lastEventLock_, TRUE);
    return lastEvent_;
}

void WatchTask::OnChange() {
    CTime now = Clock::Now();
    {
        CSingleLock lock(&lastEventLock_, TRUE);
        // A negative difference means the clock was set back: that change is noted.
        LONGLONG seconds = (now - lastEvent_).GetTotalSeconds();
        if (seconds >= 0 && seconds <= kIgnoredWithinSeconds) return;
        lastEvent_ = now;
    }
    GetReader()->WriteString(FormatIniTime(now), "LastEvent");
}

bool WatchTask::IsDue() {
    CTime lastEvent = GetLastEvent();
    if (lastEvent == CTime()) return false;
    if (GetLastRun() >= lastEvent) return false;
    return (Clock::Now() - lastEvent).GetTotalMinutes() > quietPeriod_;
}
