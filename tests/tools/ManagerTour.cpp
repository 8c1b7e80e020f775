// The demonstration's tour of the manager: starts OrvServiceManager.exe and works it as an
// administrator does (a new task; Set-up: install and start; Tasks and Logs while the service
// runs; stop, answering its question; uninstall), printing each check. At each picture it prints
// "shot NAME CAPTION" and waits for the file NAME.done in the pictures folder, which the caller
// makes once it has saved the window with that caption. A failed check describes what is on the
// screen then (the service's state, the manager's visible windows) and asks for a picture of each
// window's place on the screen: "shot-area NAME LEFT TOP WIDTH HEIGHT", answered the same way.
//   ManagerTour MANAGER.exe PICTURES_FOLDER DOCUMENT.orv
// Exit code: the number of failed checks.
#include "OrvServiceManager/CServiceSetupDialog.h"
#include "OrvServiceManager/OrvServiceManagerRes.h"
#include "classlib/HandleOwner.h"
#include "common/Log.h"
#include "common/NTScmService.h"
#include "common/ServiceName.h"
#include "support/ManagerDriver.h"
#include "support/ToolSupport.h"
#include <cstdio>
#include <fstream>
#include <string>

using testing_support::ManagerDriver;

namespace {
int g_failures = 0;
std::string g_pictures;
const ManagerDriver* g_manager = nullptr;  // once the manager has started

void Say(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

void AwaitPicture(const std::string& name) {
    const std::string done = g_pictures + "\\" + name + ".done";
    ManagerDriver::WaitUntil([&] { return GetFileAttributesA(done.c_str()) != INVALID_FILE_ATTRIBUTES; }, 30000);
}

// The process the service last ran in, noted while it runs: the service control manager removes
// a deleted service only once that process has ended, and ends it itself only when its kill
// time-out (60 s here) has passed since the service stopped.
DWORD g_serviceProcess = 0;
const DWORD kServiceRemovalMs = 75000;

void NoteServiceProcess() {
    CNTServiceControlManager scm;
    CNTScmService service;
    SERVICE_STATUS_PROCESS status = {};
    if (scm.Open(nullptr, SC_MANAGER_CONNECT) && scm.OpenService(GetServiceName(), SERVICE_QUERY_STATUS, service) &&
        service.QueryStatusEx(status) && status.dwProcessId != 0)
        g_serviceProcess = status.dwProcessId;
}

bool ServiceProcessRuns() {
    const ScopedHandle process(g_serviceProcess ? OpenProcess(SYNCHRONIZE, FALSE, g_serviceProcess) : nullptr);
    return process && WaitForSingleObject(process.Get(), 0) == WAIT_TIMEOUT;
}

// The service as the service control manager has it, and whether its last process still runs.
std::string ServiceState() {
    CNTServiceControlManager scm;
    CNTScmService service;
    if (!scm.Open(nullptr, SC_MANAGER_CONNECT)) return "cannot be asked (error " + std::to_string(GetLastError()) + ")";
    std::string state;
    if (!scm.OpenService(GetServiceName(), SERVICE_QUERY_STATUS, service)) {
        const DWORD error = GetLastError();
        if (error == ERROR_SERVICE_DOES_NOT_EXIST) return "not installed";
        state = "cannot be opened (error " + std::to_string(error) + ")";
    } else {
        SERVICE_STATUS status = {};
        const char* const states[] = {"?", "stopped", "start pending", "stop pending", "running",
                                      "continue pending", "pause pending", "paused"};
        state = service.QueryStatus(status)
                    ? std::string("installed, ") + states[status.dwCurrentState <= 7 ? status.dwCurrentState : 0]
                    : "installed; its state cannot be read";
    }
    if (ServiceProcessRuns()) state += "; its process " + std::to_string(g_serviceProcess) + " still runs";
    return state;
}

// What was on the screen when a check failed: the service's state, each visible window of the
// manager in a line, and a picture of the place of each on the screen.
void ShowScreen() {
    Say("   the service: " + ServiceState());
    if (!g_manager) return;
    int shown = 0;
    for (HWND window : g_manager->VisibleWindows()) {
        Say("   window " + ManagerDriver::Describe(window));
        RECT r;
        if (!GetWindowRect(window, &r) || r.right <= r.left || r.bottom <= r.top) continue;
        const std::string name = "failed-" + std::to_string(g_failures) + "-" + std::to_string(++shown);
        Say("shot-area " + name + " " + std::to_string(r.left) + " " + std::to_string(r.top) + " " +
            std::to_string(r.right - r.left) + " " + std::to_string(r.bottom - r.top));
        AwaitPicture(name);
    }
    if (shown == 0) Say("   no window of the manager is visible");
}

bool Check(bool ok, const std::string& what) {
    Say((ok ? "ok: " : "FAILED: ") + what);
    if (!ok) {
        ++g_failures;
        ShowScreen();
    }
    return ok;
}

bool Soon(const std::function<bool()>& condition, DWORD ms, const std::string& what) {
    return Check(ManagerDriver::WaitUntil(condition, ms), what);
}

void Shot(const char* name, const char* caption) {
    Say(std::string("shot ") + name + " " + caption);
    AwaitPicture(name);
}

size_t LogLines() {
    std::ifstream in(Log::GetCurrentLogFilePath().GetString());
    size_t lines = 0;
    for (std::string line; std::getline(in, line);) ++lines;
    return lines;
}

void ShowRows(ManagerDriver& manager) {
    for (const std::string& row : manager.TaskRows()) Say("   | " + row);
}

const char kRunning[] = "<font color=red>You cannot modify tasks while the service is running.</font>";
}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) return 100;
    g_pictures = argv[2];
    PROCESS_INFORMATION process = {};
    if (!testing_support::StartProgram(argv[1], process)) return Check(false, "the manager starts"), 101;
    ManagerDriver manager;
    g_manager = &manager;
    if (!Check(manager.Attach(process.dwProcessId, 30000), "the main dialog \"Orvanti Service Manager\" opens"))
        return g_failures;

    Check(manager.IsEnabled(IDC_INSTALL) && !manager.IsEnabled(IDC_START) && !manager.IsEnabled(IDC_STOP),
          "Set-up: the service is not installed; only Install is enabled");
    Shot("1-setup", "Orvanti Service Manager");

    manager.ShowPage(1);
    Say("Tasks: the task file's tasks");
    ShowRows(manager);
    const size_t before = manager.TaskRows().size();
    Check(manager.Click(IDC_NEW_TASK), "Tasks: New");
    HWND type = manager.WaitForWindow("New Task", 5000);
    Shot("2-new-task", "New Task");
    ManagerDriver::Press(type, IDOK);
    HWND editor = manager.WaitForWindow("Task Properties", 5000);
    manager.SetText(IDC_DOCUMENT_PATH, argv[3], editor);
    manager.SetText(IDC_INTERVAL, "12", editor);
    Shot("3-task-properties", "Task Properties");
    ManagerDriver::Press(editor, IDC_TASK_OK);
    Soon([&] { return manager.TaskRows().size() == before + 1; }, 5000, "Tasks: the new Periodical task is listed");
    ShowRows(manager);
    Shot("4-tasks", "Orvanti Service Manager");

    manager.ShowPage(2);
    const size_t lines = LogLines();
    Say("Logs: the log file has " + std::to_string(lines) + " lines");
    Shot("5-logs", "Orvanti Service Manager");

    manager.ShowPage(0);
    Check(manager.Click(IDC_INSTALL), "Set-up: Install (LocalSystem account)");
    Soon([&] { return manager.IsEnabled(IDC_START) && manager.IsEnabled(IDC_UNINSTALL); }, 30000,
         "Set-up: installed; Start and Uninstall are enabled");
    Check(manager.Click(IDC_START), "Set-up: Start");
    Soon([&] { return manager.IsEnabled(IDC_STOP) && !manager.IsEnabled(IDC_START); }, 30000,
         "Set-up: running; only Stop is enabled");
    NoteServiceProcess();
    Shot("6-setup-running", "Orvanti Service Manager");

    manager.ShowPage(1);
    Soon([&] { return manager.Text(IDC_TASK_STATUS) == kRunning && !manager.IsEnabled(IDC_NEW_TASK); }, 5000,
         "Tasks: the status line turns red and New, Edit and Remove are disabled");
    Soon(
        [&] {
            for (const std::string& row : manager.TaskRows())
                if (row.find("Periodical|") != std::string::npos && row.find("Periodical||") == std::string::npos)
                    return true;
            return false;
        },
        15000, "Tasks: a Last Run the service wrote is shown");
    ShowRows(manager);
    Shot("7-tasks-running", "Orvanti Service Manager");

    manager.ShowPage(2);
    Soon([&] { return LogLines() > lines; }, 20000, "Logs: the service adds lines while the page follows");
    ManagerDriver::WaitUntil([] { return false; }, 6000);  // one refresh of the page
    Say("Logs: now " + std::to_string(LogLines()) + " lines");
    Shot("8-logs-later", "Orvanti Service Manager");

    manager.ShowPage(0);
    Check(manager.Click(IDC_STOP), "Set-up: Stop");
    HWND question = manager.WaitForWindow("Stopping Service", 10000);
    Check(question != nullptr, "the manager asks before stopping a service with running tasks");
    if (question) {
        Say("   \"" + ManagerDriver::TextOf(GetDlgItem(question, 0xFFFF)) + "\"");
        Shot("9-stop-question", "Stopping Service");
        PostMessageA(question, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED), 0);
    }
    Soon([&] { return manager.IsEnabled(IDC_START) && !manager.IsEnabled(IDC_STOP); }, 30000,
         "Set-up: stopped; Start and Uninstall are enabled");
    Shot("10-setup-stopped", "Orvanti Service Manager");
    Check(manager.Click(IDC_UNINSTALL), "Set-up: Uninstall");
    // The page runs the uninstall command and waits for it, and shows "not installed" at its first
    // refresh after the service control manager has removed the service, which may wait for the
    // service's process to end.
    Soon([&] { return ServiceState() == "not installed" && ManagerDriver::Answers(manager.Main()); },
         kServiceRemovalMs, "the uninstall command ends and the service control manager removes the service");
    Soon([&] { return manager.IsEnabled(IDC_INSTALL); }, CServiceSetupDialog::kTimerMs + 2000,
         "Set-up: uninstalled; Install is enabled again");

    manager.CloseAll();
    DWORD code = 1;
    Check(WaitForSingleObject(process.hProcess, 20000) == WAIT_OBJECT_0 && GetExitCodeProcess(process.hProcess, &code) &&
              code == 0,
          "the manager closes with exit code 0");
    CloseHandle(process.hProcess);
    return g_failures;
}
