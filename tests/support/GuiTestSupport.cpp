#include "support/GuiTestSupport.h"
#include "classlib/CWinApp.h"
#include "classlib/CWnd.h"
#include <cstdio>
#include <map>
#include <memory>

namespace testing_support {

DialogTemplate::DialogTemplate(DWORD style, int cx, int cy, const char* caption) {
    style |= DS_SETFONT;
    words_ = {LOWORD(style), HIWORD(style), 0, 0, 0, 0, 0, static_cast<WORD>(cx), static_cast<WORD>(cy), 0, 0};
    Text(caption);
    words_.push_back(8);
    Text("MS Shell Dlg");
}

void DialogTemplate::Text(const char* text) {
    wchar_t wide[512] = L"";
    int n = MultiByteToWideChar(CP_ACP, 0, text ? text : "", -1, wide, 512);
    for (int i = 0; i < (n > 0 ? n : 1); ++i) words_.push_back(static_cast<WORD>(wide[i]));
}

void DialogTemplate::Align() {
    if (words_.size() % 2) words_.push_back(0);  // items start on a DWORD boundary
}

DialogTemplate& DialogTemplate::Add(const char* windowClass, const char* text, WORD id, DWORD style, int x, int y,
                                    int cx, int cy) {
    Align();
    style |= WS_CHILD | WS_VISIBLE;
    const WORD item[] = {LOWORD(style), HIWORD(style), 0, 0, static_cast<WORD>(x), static_cast<WORD>(y),
                         static_cast<WORD>(cx), static_cast<WORD>(cy), id};
    words_.insert(words_.end(), item, item + 9);
    Text(windowClass);
    Text(text);
    words_.push_back(0);  // no creation data
    ++words_[4];          // the template's item count (cdit)
    return *this;
}

RecordingWindow::RecordingWindow() : hwnd_(nullptr) {
    static const char* const kClass = "OrvTestRecordingWindow";
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = &RecordingWindow::Procedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kClass;
    RegisterClassA(&windowClass);  // fails harmlessly once the class exists
    hwnd_ = CreateWindowExA(0, kClass, "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, windowClass.hInstance, nullptr);
    SetWindowLongPtrA(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

RecordingWindow::~RecordingWindow() {
    if (hwnd_) DestroyWindow(hwnd_);
}

LRESULT CALLBACK RecordingWindow::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<RecordingWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!self || message < WM_APP) return DefWindowProcA(hwnd, message, wParam, lParam);
    const Message received = {message, wParam, lParam};
    self->messages_.push_back(received);
    // No exception may leave a window procedure: a failed expectation in the hook is enough.
    try {
        if (self->onMessage) self->onMessage(received);
    } catch (...) {
    }
    return 0;
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeoutMs) return false;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (!CWnd::WalkPreTranslateTree(nullptr, &msg)) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
        }
        AfxDeleteTempMaps();
        if (!done()) MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

void PumpFor(DWORD ms) {
    DWORD start = GetTickCount();
    PumpUntil([&] { return GetTickCount() - start >= ms; }, ms + 1000);
}

namespace {
struct Walk {
    std::string text;
    int depth;
};
void Describe(HWND hwnd, Walk& walk);
BOOL CALLBACK DescribeChild(HWND hwnd, LPARAM param) {
    Describe(hwnd, *reinterpret_cast<Walk*>(param));
    return TRUE;
}
void Describe(HWND hwnd, Walk& walk) {
    char cls[128] = "", text[128] = "";
    GetClassNameA(hwnd, cls, sizeof(cls));
    GetWindowTextA(hwnd, text, sizeof(text));
    char line[400];
    snprintf(line, sizeof(line), "%*s%p %s \"%s\"%s\n", walk.depth * 2, "", static_cast<void*>(hwnd), cls, text,
             IsWindowVisible(hwnd) ? " visible" : "");
    walk.text += line;
}
BOOL CALLBACK DescribeTop(HWND hwnd, LPARAM param) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != GetCurrentProcessId()) return TRUE;
    Walk& walk = *reinterpret_cast<Walk*>(param);
    walk.depth = 0;
    Describe(hwnd, walk);
    walk.depth = 1;
    EnumChildWindows(hwnd, DescribeChild, param);
    return TRUE;
}

DWORD WINAPI WatchdogThread(void* param) {
    auto* args = static_cast<std::pair<HANDLE, DWORD>*>(param);
    HANDLE stop = args->first;
    DWORD seconds = args->second;
    delete args;
    if (WaitForSingleObject(stop, seconds * 1000) == WAIT_OBJECT_0) return 0;
    std::fprintf(stderr, "watchdog: the test program still runs after %lu s; its windows:\n%s",
                 static_cast<unsigned long>(seconds), DescribeOpenWindows().c_str());
    std::fflush(stderr);
    ExitProcess(3);
}
}  // namespace

std::string DescribeOpenWindows() {
    Walk walk{std::string(), 0};
    EnumWindows(DescribeTop, reinterpret_cast<LPARAM>(&walk));
    return walk.text.empty() ? std::string("(none)\n") : walk.text;
}

Watchdog::Watchdog(DWORD seconds) : stop_(CreateEventA(nullptr, TRUE, FALSE, nullptr)), thread_(nullptr) {
    thread_ = CreateThread(nullptr, 0, WatchdogThread, new std::pair<HANDLE, DWORD>(stop_, seconds), 0, nullptr);
}

Watchdog::~Watchdog() {
    SetEvent(stop_);
    if (thread_) {
        WaitForSingleObject(thread_, INFINITE);
        CloseHandle(thread_);
    }
    CloseHandle(stop_);
}

namespace {
MessageBoxRecorder* g_recorder = nullptr;
}

MessageBoxRecorder::MessageBoxRecorder() : previous_(nullptr) {
    g_recorder = this;
    previous_ = reinterpret_cast<void*>(AfxSetMessageBoxFunction(&MessageBoxRecorder::Show));
}

MessageBoxRecorder::~MessageBoxRecorder() {
    AfxSetMessageBoxFunction(reinterpret_cast<AfxMessageBoxFunction>(previous_));
    g_recorder = nullptr;
}

int MessageBoxRecorder::Show(HWND owner, const char* text, const char* caption, UINT type) {
    MessageBoxRecorder* self = g_recorder;
    if (!self) return IDCANCEL;
    {
        std::lock_guard<std::mutex> hold(self->lock_);
        self->boxes_.push_back(Box{owner, text, caption, type});
    }
    if (self->whileShown) self->whileShown();
    std::lock_guard<std::mutex> hold(self->lock_);
    if (self->answers_.empty()) return IDOK;
    int answer = self->answers_.front();
    self->answers_.erase(self->answers_.begin());
    return answer;
}

namespace {
std::map<UINT_PTR, ModalAnswerer*>& Answerers() {
    static std::map<UINT_PTR, ModalAnswerer*> answerers;
    return answerers;
}
struct Search {
    const CString* caption;
    HWND found;
};
BOOL CALLBACK FindModal(HWND hwnd, LPARAM param) {
    Search& search = *reinterpret_cast<Search*>(param);
    if (!IsWindowVisible(hwnd) || !IsWindowEnabled(hwnd)) return TRUE;
    char text[256] = "";
    GetWindowTextA(hwnd, text, sizeof(text));
    if (!search.caption->IsEmpty() && *search.caption != text) return TRUE;
    search.found = hwnd;
    return FALSE;
}
}  // namespace

ModalAnswerer::ModalAnswerer(const char* caption, std::function<bool(HWND)> action)
    : caption_(caption), action_(std::move(action)), timer_(SetTimer(nullptr, 0, 20, &ModalAnswerer::Tick)) {
    Answerers()[timer_] = this;
}

ModalAnswerer::ModalAnswerer(const char* caption, int commandId)
    : ModalAnswerer(caption, [commandId](HWND hwnd) {
          PostMessageA(hwnd, WM_COMMAND, MAKEWPARAM(commandId, BN_CLICKED),
                       reinterpret_cast<LPARAM>(GetDlgItem(hwnd, commandId)));
          return true;
      }) {}

ModalAnswerer::~ModalAnswerer() {
    KillTimer(nullptr, timer_);
    Answerers().erase(timer_);
}

void CALLBACK ModalAnswerer::Tick(HWND, UINT, UINT_PTR id, DWORD) {
    // A timer procedure is a system entry: nothing may escape it.
    try {
        auto it = Answerers().find(id);
        if (it == Answerers().end()) return;
        ModalAnswerer* self = it->second;
        if (self->answered_) return;  // one window per answerer
        Search search{&self->caption_, nullptr};
        EnumThreadWindows(GetCurrentThreadId(), FindModal, reinterpret_cast<LPARAM>(&search));
        if (search.found && self->action_(search.found)) ++self->answered_;
    } catch (...) {
    }
}

namespace {
// The innermost watch: the one its hook counts for.
ActivationWatch* g_watch = nullptr;
}  // namespace

ActivationWatch::ActivationWatch()
    : outer_(g_watch), hook_(SetWindowsHookExA(WH_CALLWNDPROC, CountDeactivations, nullptr, GetCurrentThreadId())) {
    g_watch = this;
}

ActivationWatch::~ActivationWatch() {
    if (hook_) UnhookWindowsHookEx(hook_);
    g_watch = outer_;
}

LRESULT CALLBACK ActivationWatch::CountDeactivations(int code, WPARAM wParam, LPARAM lParam) {
    const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && g_watch && sent->message == WM_ACTIVATE && LOWORD(sent->wParam) == WA_INACTIVE)
        ++g_watch->lost_;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

namespace {

// Holds Shift and Ctrl as the flags say, in the thread's key state that the dialog manager and
// the controls ask (a posted key changes no key state).
void HoldModifiers(UINT flags) {
    BYTE state[256];
    GetKeyboardState(state);
    const struct {
        UINT flag;
        int keys[3];
    } modifiers[] = {{kShift, {VK_SHIFT, VK_LSHIFT, 0}}, {kCtrl, {VK_CONTROL, VK_LCONTROL, 0}}};
    for (const auto& modifier : modifiers)
        for (int i = 0; modifier.keys[i]; ++i) state[modifier.keys[i]] = (flags & modifier.flag) ? 0x80 : 0;
    SetKeyboardState(state);
}

void PressKey(UINT key) {
    HoldModifiers(key);
    const UINT virtualKey = key & 0xFFFF;
    HWND focus = GetFocus();
    // One stroke of the key's scan code; going up also says it was down and is released.
    const DWORD down = (MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC) << 16) | 1;
    PostMessageA(focus, WM_KEYDOWN, virtualKey, static_cast<LPARAM>(down));
    // The system asks for help as it takes F1 from the keyboard: WM_KEYF1, which the window's
    // default processing turns into WM_HELP.
    const UINT keyF1 = 0x004D;
    if (virtualKey == VK_F1) PostMessageA(focus, keyF1, 0, 0);
    PostMessageA(focus, WM_KEYUP, virtualKey, static_cast<LPARAM>(down | 0xC0000000u));
}
}  // namespace

std::function<bool(HWND)> PressKeys(std::function<void(HWND)> start, std::vector<UINT> keys,
                                    std::function<void(HWND)> afterKey, std::function<void(HWND)> end,
                                    bool& disturbed) {
    // Each step posts the next key, then a message to a window of its own that comes after the
    // key's messages and takes the next step: the whole run takes a few milliseconds, which
    // leaves other programs little time to disturb it.
    struct Run {
        RecordingWindow chain;
        std::function<void(HWND)> start, afterKey, end;
        std::vector<UINT> keys;
        bool* disturbed;
        HWND dialog = nullptr;
        size_t next = 0;
        bool done = false;
        std::unique_ptr<ActivationWatch> watch;
        // The foreground window is another program's: the focus is not this thread's to check.
        void NoteForeground() {
            HWND foreground = GetForegroundWindow();
            if (!foreground || GetWindowThreadProcessId(foreground, nullptr) != GetCurrentThreadId())
                *disturbed = true;
        }
        void Begin(HWND window) {
            dialog = window;
            watch.reset(new ActivationWatch);
            NoteForeground();
            start(dialog);
            PostMessageA(chain.Get(), WM_APP, 0, 0);
        }
        void Step() {
            if (done) return;
            if (!IsWindow(dialog)) {  // a key closed it
                HoldModifiers(0);
                done = true;
                return;
            }
            if (watch->Disturbed()) *disturbed = true;
            NoteForeground();
            HoldModifiers(0);
            if (next > 0) afterKey(dialog);
            if (next == keys.size()) {
                end(dialog);
                done = true;
                return;
            }
            PressKey(keys[next++]);
            PostMessageA(chain.Get(), WM_APP, 0, 0);
        }
    };
    auto run = std::make_shared<Run>();
    run->start = std::move(start);
    run->afterKey = std::move(afterKey);
    run->end = std::move(end);
    run->keys = std::move(keys);
    run->disturbed = &disturbed;
    run->chain.onMessage = [step = run.get()](const RecordingWindow::Message&) { step->Step(); };
    return [run](HWND dialog) {
        if (!run->dialog) run->Begin(dialog);
        return run->done;
    };
}

void RepeatWhileDisturbed(const std::function<void(bool& disturbed)>& run) {
    bool disturbed = true;
    for (int attempt = 0; attempt < 5 && disturbed; ++attempt) {
        if (attempt > 0) fprintf(stderr, "another program took the focus away: run again\n");
        disturbed = false;
        run(disturbed);
    }
}

void TypeText(const char* text) {
    HWND focus = GetFocus();
    for (const char* c = text; *c; ++c) PostMessageA(focus, WM_CHAR, static_cast<unsigned char>(*c), 1);
}
}  // namespace testing_support
