// Works the manager's main dialog the way an administrator does, from another thread or from
// another process: switches its pages, clicks its buttons, reads its texts and task list, and
// answers its dialogs and message boxes. Every wait has a time limit.
#pragma once
#include <windows.h>
#include <functional>
#include <string>
#include <vector>

namespace testing_support {
class ManagerDriver {
public:
    // Waits for the main dialog "Orvanti Service Manager" of the process to be visible.
    bool Attach(DWORD processId, DWORD timeoutMs);
    HWND Main() const { return main_; }
    // Selects the tab as a user does (the pages hear of it); false when the page did not show.
    bool ShowPage(int index);
    // The page shown.
    HWND Page() const { return page_; }
    // A control of the page shown, else of the main dialog.
    HWND Control(int id) const;
    bool IsEnabled(int id) const { return IsWindowEnabled(Control(id)) != FALSE; }
    std::string Text(int id) const { return TextOf(Control(id)); }
    // Posts a click of the button of the page shown (or of the main dialog); false, and nothing
    // is clicked, when it is disabled.
    bool Click(int id);
    // The same for a button anywhere inside the window (a dialog's page included).
    static bool Press(HWND window, int id);
    // Gives an edit of the page shown, or of the window, its text.
    void SetText(int id, const char* text, HWND window = nullptr);
    std::vector<std::string> TaskRows() const;
    // A visible, enabled top-level window of the manager with the caption.
    HWND WaitForWindow(const char* caption, DWORD timeoutMs) const;
    // Closes whatever modal windows are open and then the main dialog.
    void CloseAll();
    // What an administrator sees of the manager: the visible top-level windows of its process
    // and of the programs it started (the service program shows its own failures), topmost first.
    std::vector<HWND> VisibleWindows() const;
    // A window in one line: caption, class and program, whether it answers and takes input, a
    // message box's text, and its push buttons, "(off)" after those that are disabled.
    static std::string Describe(HWND window);

    // Whether the window's thread takes messages (the manager's does not while it waits for a
    // command it runs), within a second.
    static bool Answers(HWND window);
    static std::string TextOf(HWND window);
    static bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs);

private:
    HWND FindTopLevel(const char* caption) const;
    DWORD process_ = 0;
    HWND main_ = nullptr;
    HWND page_ = nullptr;
};
}  // namespace testing_support
