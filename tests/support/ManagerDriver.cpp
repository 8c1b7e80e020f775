#include "support/ManagerDriver.h"
#include "support/ManagerTestSupport.h"
#include "classlib/HandleOwner.h"
#include <commctrl.h>
#include <tlhelp32.h>
#include <algorithm>
#include <map>

namespace testing_support {

namespace {
const int kPagesId = 1005;  // the main dialog's tab control

struct TopLevelSearch {
    DWORD process;
    const char* caption;
    HWND found;
};
BOOL CALLBACK MatchTopLevel(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<TopLevelSearch*>(param);
    DWORD process = 0;
    GetWindowThreadProcessId(hwnd, &process);
    if (process != search->process || !IsWindowVisible(hwnd) || !IsWindowEnabled(hwnd)) return TRUE;
    if (ManagerDriver::TextOf(hwnd) != search->caption) return TRUE;
    search->found = hwnd;
    return FALSE;
}

BOOL CALLBACK MatchVisibleChild(HWND hwnd, LPARAM param) {
    if (!IsWindowVisible(hwnd)) return TRUE;
    *reinterpret_cast<HWND*>(param) = hwnd;
    return FALSE;
}

// The running programs: the name of each process and the process that started it.
struct ProcessEntry {
    std::string name;
    DWORD parent;
};
std::map<DWORD, ProcessEntry> Processes() {
    std::map<DWORD, ProcessEntry> processes;
    ScopedHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32 entry;
    entry.dwSize = sizeof(entry);
    if (!snapshot || !Process32First(snapshot.Get(), &entry)) return processes;
    do processes[entry.th32ProcessID] = ProcessEntry{entry.szExeFile, entry.th32ParentProcessID};
    while (Process32Next(snapshot.Get(), &entry));
    return processes;
}

struct VisibleSearch {
    std::vector<DWORD> processes;
    std::vector<HWND> found;
};
BOOL CALLBACK CollectVisible(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<VisibleSearch*>(param);
    DWORD process = 0;
    GetWindowThreadProcessId(hwnd, &process);
    if (IsWindowVisible(hwnd) &&
        std::find(search->processes.begin(), search->processes.end(), process) != search->processes.end())
        search->found.push_back(hwnd);
    return TRUE;
}

// The window's text without asking the window: a manager busy in a command it runs must not
// stall the description of what it shows. Our own process's windows are asked, with a limit.
std::string StoredText(HWND window) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == GetCurrentProcessId()) return ManagerDriver::TextOf(window);
    char text[1024] = "";
    GetWindowTextA(window, text, sizeof(text));
    return text;
}

std::string OneLine(std::string text) {
    std::replace(text.begin(), text.end(), '\n', ' ');
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    return text;
}

BOOL CALLBACK CollectPushButtons(HWND hwnd, LPARAM param) {
    char cls[32] = "";
    GetClassNameA(hwnd, cls, sizeof(cls));
    const LONG type = GetWindowLongA(hwnd, GWL_STYLE) & BS_TYPEMASK;
    if (lstrcmpiA(cls, "Button") != 0 || !IsWindowVisible(hwnd) || (type != BS_PUSHBUTTON && type != BS_DEFPUSHBUTTON))
        return TRUE;
    std::string& buttons = *reinterpret_cast<std::string*>(param);
    std::string label = StoredText(hwnd);
    label.erase(std::remove(label.begin(), label.end(), '&'), label.end());
    buttons += (buttons.empty() ? "" : ", ") + label + (IsWindowEnabled(hwnd) ? "" : " (off)");
    return TRUE;
}
}  // namespace

std::vector<HWND> ManagerDriver::VisibleWindows() const {
    VisibleSearch search;
    search.processes.push_back(process_);
    for (const auto& entry : Processes())
        if (entry.second.parent == process_ && entry.first != process_) search.processes.push_back(entry.first);
    EnumWindows(CollectVisible, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string ManagerDriver::Describe(HWND window) {
    char cls[64] = "";
    GetClassNameA(window, cls, sizeof(cls));
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    const auto processes = Processes();
    const auto entry = processes.find(process);
    std::string line = "\"" + OneLine(StoredText(window)) + "\" (" + cls + " of " +
                       (entry != processes.end() ? entry->second.name : "process " + std::to_string(process)) + ")";
    if (!Answers(window)) line += ", not answering";
    if (!IsWindowEnabled(window)) line += ", disabled";
    HWND boxText = GetDlgItem(window, 0xFFFF);
    if (std::string(cls) == "#32770" && boxText) line += ", says \"" + OneLine(StoredText(boxText)) + "\"";
    std::string buttons;
    EnumChildWindows(window, CollectPushButtons, reinterpret_cast<LPARAM>(&buttons));
    if (!buttons.empty()) line += "; buttons: " + buttons;
    return line;
}

bool ManagerDriver::WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(50);
    }
    return true;
}

bool ManagerDriver::Answers(HWND window) {
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &ignored) != 0;
}

std::string ManagerDriver::TextOf(HWND window) {
    char text[4096] = "";
    DWORD_PTR copied = 0;
    if (!window || !SendMessageTimeoutA(window, WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text),
                                        SMTO_ABORTIFHUNG, 5000, &copied))
        return std::string();
    return std::string(text, static_cast<size_t>(copied));
}

HWND ManagerDriver::FindTopLevel(const char* caption) const {
    TopLevelSearch search{process_, caption, nullptr};
    EnumWindows(MatchTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND ManagerDriver::WaitForWindow(const char* caption, DWORD timeoutMs) const {
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindTopLevel(caption)) != nullptr; }, timeoutMs);
    return found;
}

bool ManagerDriver::Attach(DWORD processId, DWORD timeoutMs) {
    process_ = processId;
    main_ = WaitForWindow("Orvanti Service Manager", timeoutMs);
    return main_ && ShowPage(static_cast<int>(SendMessageA(GetDlgItem(main_, kPagesId), TCM_GETCURSEL, 0, 0)));
}

bool ManagerDriver::ShowPage(int index) {
    HWND tabs = GetDlgItem(main_, kPagesId);
    SendMessageA(tabs, TCM_SETCURFOCUS, static_cast<WPARAM>(index), 0);
    page_ = nullptr;
    return WaitUntil(
        [&] {
            EnumChildWindows(tabs, MatchVisibleChild, reinterpret_cast<LPARAM>(&page_));
            return page_ && SendMessageA(tabs, TCM_GETCURSEL, 0, 0) == index;
        },
        5000);
}

HWND ManagerDriver::Control(int id) const {
    HWND control = page_ ? GetDlgItem(page_, id) : nullptr;
    return control ? control : GetDlgItem(main_, id);
}

bool ManagerDriver::Click(int id) { return Press(page_ && GetDlgItem(page_, id) ? page_ : main_, id); }

bool ManagerDriver::Press(HWND window, int id) {
    HWND button = GetDlgItem(window, id);
    if (!button) button = FindControl(window, id);
    if (!button || !IsWindowEnabled(button)) return false;
    PostMessageA(GetParent(button), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    return true;
}

void ManagerDriver::SetText(int id, const char* text, HWND window) {
    HWND edit = window ? FindControl(window, id) : Control(id);
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000, &ignored);
}

std::vector<std::string> ManagerDriver::TaskRows() const { return ListRows(Control(1022)); }

void ManagerDriver::CloseAll() {
    for (int i = 0; i < 10; ++i) {
        HWND active = GetLastActivePopup(main_);
        if (!active || active == main_) break;
        PostMessageA(active, WM_COMMAND, IDCANCEL, 0);
        PostMessageA(active, WM_CLOSE, 0, 0);
        Sleep(200);
    }
    PostMessageA(main_, WM_COMMAND, IDCANCEL, 0);
}
}  // namespace testing_support
