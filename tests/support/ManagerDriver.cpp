#include "support/ManagerDriver.h"
#include "support/ManagerTestSupport.h"
#include <commctrl.h>

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
}  // namespace

bool ManagerDriver::WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(50);
    }
    return true;
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
