// Base of the service's tasks: one task section of the task file, its document and priority,
// its last run, and the generator process of a run under way.
#pragma once
#include "classlib/CString.h"
#include "classlib/CTime.h"
#include "classlib/HandleOwner.h"
#include "common/IniFile.h"

// The one rule for a document path that both programs keep: the service when it loads a task,
// the manager before it stores one. Gives why the path is refused (blanks at both ends do not
// count), or the empty text when the service will take it.
CString OrvPathProblem(const CString& path);

class Task {
public:
    // Reads the priority, then the document path; either failure throws Exception.
    Task(const CString& tasksIniPath, const CString& section);
    // A generator process handle the task still holds is closed with it.
    virtual ~Task();
    Task(const Task&) = delete;
    Task& operator=(const Task&) = delete;

    // Whether the generator should be started for this task now.
    virtual bool IsDue() = 0;
    // One line naming the kind, its schedule and the document's file name.
    virtual CString GetDescription() = 0;
    // Stops whatever the task runs in the background.
    virtual void Stop() {}

    // INVALID_HANDLE_VALUE while no run is under way. Setting hands the handle to the task and
    // closes the one it held before.
    HANDLE GetProcessHandle() const { return process_.Get(); }
    void SetProcessHandle(HANDLE handle) { process_.Reset(handle); }

    const CString& GetOrvPath() const { return orvPath_; }
    const CString& GetPriority() const { return priority_; }
    CString GetName();
    // The zero time when the task never ran; kept to the minute.
    CTime GetLastRun();
    // FALSE when the task file did not store it. Whether the last write failed is kept, so a
    // failure that lasts is reported once.
    BOOL SetLastRun(const CTime& time);
    bool IsLastRunStoreFailing() const { return lastRunStoreFailing_; }
    IniReaderPtr GetReader() const;

private:
    void ReadPriority();
    void ReadOrvPath();

    IniReaderPtr reader_;
    CString orvPath_;
    CString priority_;
    ScopedHandle process_;
    bool lastRunStoreFailing_;
};
