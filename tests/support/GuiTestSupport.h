// Helpers for tests with windows: in-memory dialog templates, a message pump with a deadline, a
// watchdog for stuck test programs, and answerers for message boxes and modal dialogs, so that
// no test waits on a window nobody closes.
#pragma once
#include "classlib/CString.h"
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace testing_support {
// A dialog template built in memory ("MS Shell Dlg" 8 pt). Controls name their window class.
class DialogTemplate {
public:
    DialogTemplate(DWORD style, int cx, int cy, const char* caption = "");
    DialogTemplate& Add(const char* windowClass, const char* text, WORD id, DWORD style, int x, int y, int cx, int cy);
    const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

private:
    void Text(const char* text);
    void Align();
    std::vector<WORD> words_;
};

// Dispatches this thread's messages until done() answers true or the time is up; answers done().
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 5000);
// Dispatches this thread's messages for the given time.
void PumpFor(DWORD ms);

// Ends the test program (exit code 3) when it still runs after the time, printing its open
// windows (class, text, visibility) to stderr first. One per test program is enough.
class Watchdog {
public:
    explicit Watchdog(DWORD seconds);
    ~Watchdog();
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

private:
    HANDLE stop_;
    HANDLE thread_;
};
// The windows of this process, one line each, indented by depth.
std::string DescribeOpenWindows();

// A hidden window that records every message from WM_APP on that it is sent, and can act on
// each while it is being sent (onMessage runs before the window answers 0).
class RecordingWindow {
public:
    struct Message {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };
    RecordingWindow();
    ~RecordingWindow();
    RecordingWindow(const RecordingWindow&) = delete;
    RecordingWindow& operator=(const RecordingWindow&) = delete;
    HWND Get() const { return hwnd_; }
    const std::vector<Message>& Messages() const { return messages_; }
    void Clear() { messages_.clear(); }
    std::function<void(const Message&)> onMessage;

private:
    static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    HWND hwnd_;
    std::vector<Message> messages_;
};

// Takes the place of the application's message-box function while it lives: records each box
// and answers it with the next queued answer (IDOK when none is queued). Answers may be queued
// from another thread.
class MessageBoxRecorder {
public:
    struct Box {
        HWND owner;
        CString text;
        CString caption;
        UINT type;
    };
    MessageBoxRecorder();
    ~MessageBoxRecorder();
    MessageBoxRecorder(const MessageBoxRecorder&) = delete;
    MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;
    void Answer(int answer) {
        std::lock_guard<std::mutex> hold(lock_);
        answers_.push_back(answer);
    }
    const std::vector<Box>& Boxes() const { return boxes_; }
    // A copy, for a thread other than the one that shows the boxes.
    std::vector<Box> Snapshot() const {
        std::lock_guard<std::mutex> hold(lock_);
        return boxes_;
    }
    // Runs while a box is "shown" (before it is answered), for tests of what happens under one.
    std::function<void()> whileShown;

private:
    static int Show(HWND owner, const char* text, const char* caption, UINT type);
    std::vector<Box> boxes_;
    std::vector<int> answers_;
    mutable std::mutex lock_;
    void* previous_;
};

// Acts on the next modal window of this thread (a dialog of ours or a system message box) once
// it is shown and enabled: every 20 ms, from this thread's timer, until action answers true
// once.
// Caption "" matches any window other than `except`.
class ModalAnswerer {
public:
    ModalAnswerer(const char* caption, std::function<bool(HWND)> action);
    // The common action: the command of the button id (IDOK, IDCANCEL, IDYES, ...).
    ModalAnswerer(const char* caption, int commandId);
    ~ModalAnswerer();
    ModalAnswerer(const ModalAnswerer&) = delete;
    ModalAnswerer& operator=(const ModalAnswerer&) = delete;
    int Answered() const { return answered_; }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD);
    CString caption_;
    std::function<bool(HWND)> action_;
    UINT_PTR timer_;
    int answered_ = 0;
};

// Notes whether a window of this thread lost the activation while the object lives. Test
// programs run side by side: a window of another one taking the activation takes this thread's
// focus with it, and a check of the focus made meanwhile says nothing.
class ActivationWatch {
public:
    ActivationWatch();
    ~ActivationWatch();
    ActivationWatch(const ActivationWatch&) = delete;
    ActivationWatch& operator=(const ActivationWatch&) = delete;
    bool Disturbed() const { return lost_ > 0; }

private:
    static LRESULT CALLBACK CountDeactivations(int code, WPARAM wParam, LPARAM lParam);
    int lost_ = 0;
    ActivationWatch* outer_;
    HHOOK hook_;
};

// Keys for PressKeys held together with Shift or Ctrl: kCtrl | VK_TAB is Ctrl+Tab.
const UINT kShift = 0x10000;
const UINT kCtrl = 0x20000;

// An action for ModalAnswerer that works a dialog with the keyboard: `start`, then each key
// pressed in turn, with the Shift and Ctrl of its flags held (posted down and up to the window
// with the focus, as the keyboard delivers it, for the thread's message loop to walk, translate
// and dispatch) with `afterKey` called once it has been handled, then `end`, after which it
// answers. Test programs run side by side: when a window of another one was in the foreground
// or took the activation, and with it the focus, away from the dialog while the keys ran,
// `disturbed` is set (the run says nothing; RepeatWhileDisturbed runs it again).
std::function<bool(HWND)> PressKeys(std::function<void(HWND)> start, std::vector<UINT> keys,
                                    std::function<void(HWND)> afterKey, std::function<void(HWND)> end,
                                    bool& disturbed);
// Runs `run` until it ends undisturbed, five times at most.
void RepeatWhileDisturbed(const std::function<void(bool& disturbed)>& run);
// Types the text into the window with the focus: one WM_CHAR per character.
void TypeText(const char* text);
}  // namespace testing_support
