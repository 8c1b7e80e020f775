// Helpers for the manager's tests: the service state and the administrator check through their
// seams, a data folder of the test's own, and a visible window to hold pages.
#pragma once
#include "classlib/CWnd.h"
#include "support/TestSupport.h"

namespace testing_support {
// The manager sees this service state while the object lives (QueryServiceState answers it
// without asking the service control manager); kStateFails makes the query throw.
class ServiceStateScope {
public:
    static const int kStateFails = -1;
    explicit ServiceStateScope(int state);
    ~ServiceStateScope();
    ServiceStateScope(const ServiceStateScope&) = delete;
    ServiceStateScope& operator=(const ServiceStateScope&) = delete;
    void Set(int state);
    // How often the manager asked since the object was made.
    int Queries() const;
};

// Lists the account running the test as the one member of "Administrators" while it lives (Wine
// lists none at the level the manager asks for); with `member` false, LocalSystem alone.
class AdministratorScope {
public:
    explicit AdministratorScope(bool member = true);
    ~AdministratorScope();
    AdministratorScope(const AdministratorScope&) = delete;
    AdministratorScope& operator=(const AdministratorScope&) = delete;
};

// The manager's data folder (task file, Logs) in a scratch folder while the object lives.
class ManagerDataScope {
public:
    ManagerDataScope();
    ~ManagerDataScope();
    ManagerDataScope(const ManagerDataScope&) = delete;
    ManagerDataScope& operator=(const ManagerDataScope&) = delete;
    const CString& Folder() const { return folder_.Path(); }
    CString TasksIni() const { return folder_.File("tasks.ini"); }
    // Writes the task file; lines are separated by '\n' in the text and stored with CR LF.
    void WriteTasks(const char* text) const;
    // A monthly log file by its name ("2024-03.log"), and bytes added at its end
    // (the file made when missing; the folder is the manager's to make).
    CString LogFile(const char* name) const { return folder_.File("Logs\\") + name; }
    void AppendToLog(const char* name, const std::string& bytes) const;

private:
    ScratchFolder folder_;
};

// A visible top-level window for pages made with CDialog::Create; the common control classes
// are registered first.
class PageHost : public CWnd {
public:
    PageHost();
    ~PageHost() override;
};

// The first window with the control id among all the windows inside root (pages of pages too).
HWND FindControl(HWND root, int id);

// Posts a click of the dialog's button (BN_CLICKED of the id), as a user's click arrives.
void PostCommand(HWND dialog, int id);

// The texts of a list-view control's rows, the cells of a row joined by '|'; the list may be
// another process's (of the same pointer size).
std::vector<std::string> ListRows(HWND list);
}  // namespace testing_support
