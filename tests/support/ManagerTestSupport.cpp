#include "support/ManagerTestSupport.h"
#include "OrvServiceManager/AccountBinders.h"
#include "OrvServiceManager/AccountUtils.h"
#include "OrvServiceManager/ServiceControl.h"
#include "common/AppData.h"
#include "common/Exception.h"
#include <atomic>
#include <commctrl.h>

namespace testing_support {

namespace {
std::atomic<int> g_state{0};
std::atomic<int> g_queries{0};

int ScopedState() {
    ++g_queries;
    if (g_state == ServiceStateScope::kStateFails) throw Exception("Unable to retrieve service status.");
    return g_state;
}
}  // namespace

ServiceStateScope::ServiceStateScope(int state) {
    g_state = state;
    g_queries = 0;
    SetServiceStateSourceForTesting(&ScopedState);
}
ServiceStateScope::~ServiceStateScope() { SetServiceStateSourceForTesting(nullptr); }
void ServiceStateScope::Set(int state) { g_state = state; }
int ServiceStateScope::Queries() const { return g_queries; }

namespace {
ScopedHeapBlock g_administrator;

NET_API_STATUS WINAPI ListAdministrator(LPCWSTR, LPCWSTR, DWORD, LPBYTE* buffer, DWORD, LPDWORD read, LPDWORD total,
                                        PDWORD_PTR) {
    auto* entry = static_cast<LOCALGROUP_MEMBERS_INFO_0*>(HeapAlloc(GetProcessHeap(), 0, sizeof(LOCALGROUP_MEMBERS_INFO_0)));
    entry->lgrmi0_sid = g_administrator.Get();
    *buffer = reinterpret_cast<LPBYTE>(entry);
    *read = *total = 1;
    return NERR_Success;
}
NET_API_STATUS WINAPI FreeListing(LPVOID buffer) { return HeapFree(GetProcessHeap(), 0, buffer) ? NERR_Success : 1; }
}  // namespace

AdministratorScope::AdministratorScope(bool member) {
    PSID sid = nullptr;
    if (member ? GetAccountSid(nullptr, GetCurrentAccountName(), &sid) : GetAccountSid(nullptr, "SYSTEM", &sid))
        g_administrator.Reset(sid);
    NetApi32Binder::SetFunctionsForTesting(&ListAdministrator, &FreeListing);
}
AdministratorScope::~AdministratorScope() {
    NetApi32Binder::SetFunctionsForTesting(nullptr, nullptr);
    g_administrator.Reset();
}

ManagerDataScope::ManagerDataScope() { AppData::SetDataFolderForTesting(folder_.Path()); }
ManagerDataScope::~ManagerDataScope() { AppData::SetDataFolderForTesting(""); }

void ManagerDataScope::WriteTasks(const char* text) const {
    std::string bytes;
    for (const char* c = text; *c; ++c) bytes += *c == '\n' ? std::string("\r\n") : std::string(1, *c);
    WriteFileBytes(TasksIni(), bytes);
}

void ManagerDataScope::AppendToLog(const char* name, const std::string& bytes) const {
    const CString path = LogFile(name);
    WriteFileBytes(path, (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES ? "" : ReadFileBytes(path)) + bytes);
}

PageHost::PageHost() {
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES | ICC_DATE_CLASSES};
    InitCommonControlsEx(&controls);
    CreateEx(0, nullptr, "page host", WS_POPUP | WS_VISIBLE, 0, 0, 700, 500, nullptr, nullptr);
}
PageHost::~PageHost() { DestroyWindow(); }

namespace {
struct ControlSearch {
    int id;
    HWND found;
};
BOOL CALLBACK MatchControl(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<ControlSearch*>(param);
    if (GetDlgCtrlID(hwnd) != search->id) return TRUE;
    search->found = hwnd;
    return FALSE;
}
}  // namespace

HWND FindControl(HWND root, int id) {
    ControlSearch search{id, nullptr};
    EnumChildWindows(root, MatchControl, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void PostCommand(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

std::vector<std::string> ListRows(HWND list) {
    // The item and its text live in the list's process, which may be another one.
    std::vector<std::string> rows;
    DWORD process = 0;
    GetWindowThreadProcessId(list, &process);
    ScopedHandle target(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, process));
    const SIZE_T textSize = 512;
    char* remote = target ? static_cast<char*>(VirtualAllocEx(target.Get(), nullptr, sizeof(LVITEMA) + textSize,
                                                                MEM_COMMIT, PAGE_READWRITE))
                          : nullptr;
    if (!remote) return rows;
    const int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
    const int columns = header ? static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0)) : 1;
    for (int row = 0; row < count; ++row) {
        std::string text;
        for (int column = 0; column < columns; ++column) {
            LVITEMA item = {};
            item.iSubItem = column;
            item.pszText = remote + sizeof(LVITEMA);
            item.cchTextMax = static_cast<int>(textSize);
            char cell[textSize] = "";
            WriteProcessMemory(target.Get(), remote, &item, sizeof(item), nullptr);
            SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(remote));
            ReadProcessMemory(target.Get(), remote + sizeof(LVITEMA), cell, textSize - 1, nullptr);
            text += (column ? "|" : "") + std::string(cell);
        }
        rows.push_back(text);
    }
    VirtualFreeEx(target.Get(), remote, 0, MEM_RELEASE);
    return rows;
}
}  // namespace testing_support
