// The drawer's links: the hot areas drawn links leave, the cursor and hover notifications, link
// clicks and the launch of a link target.
#include "controls/htmllabel/HtmlDrawer.h"
#include <shellapi.h>

namespace {
// The default value of a key under HKEY_CLASSES_ROOT; false when it cannot be read.
bool ReadClassDefault(const CString& key, CString& value) {
    ScopedRegKey opened;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, key, 0, KEY_QUERY_VALUE, opened.Receive()) != ERROR_SUCCESS) return false;
    char buffer[260] = "";
    LONG size = sizeof(buffer);
    if (RegQueryValueA(opened.Get(), nullptr, buffer, &size) != ERROR_SUCCESS) return false;
    buffer[sizeof(buffer) - 1] = '\0';
    value = buffer;
    return true;
}
}  // namespace

void CHtmlDrawer::SetHotAreaTarget(HWND window, UINT message, LPARAM lParam) {
    hotAreaTarget_ = window ? NotifyTarget{window, message, lParam} : NotifyTarget{nullptr, 0, 0};
}

void CHtmlDrawer::SetLinkMessageTarget(HWND window, UINT message, LPARAM lParam) {
    linkMessageTarget_ = window ? NotifyTarget{window, message, lParam} : NotifyTarget{nullptr, 0, 0};
}

int CHtmlDrawer::HotAreaAt(POINT point) const {
    for (size_t i = 0; i < hotAreas_.size(); ++i) {
        const HotArea& area = hotAreas_[i];
        if (point.x >= area.left && point.x <= area.right && point.y >= area.top && point.y <= area.bottom)
            return static_cast<int>(i);
    }
    return -1;
}

BOOL CHtmlDrawer::SetCursorAt(POINT point) {
    const int index = HotAreaAt(point);
    if (index < 0) {
        LeaveHotAreas();
        return FALSE;
    }
    // A copy: the notification may redraw, which rebuilds the list.
    const HotArea area = hotAreas_[index];
    if (area.linkNumber != hotLink_) {
        hotLink_ = area.linkNumber;
        NotifyHotAreaChanged(area.linkNumber);
    }
    if (area.target.IsEmpty() || !linkCursor_) return FALSE;
    SetCursor(linkCursor_.Get());
    return TRUE;
}

void CHtmlDrawer::LeaveHotAreas() {
    if (hotLink_ == kNoHotLink) return;
    hotLink_ = kNoHotLink;
    NotifyHotAreaChanged(kNoHotLink);
}

void CHtmlDrawer::ClickAt(POINT point) { OpenHotArea(HotAreaAt(point)); }

void CHtmlDrawer::OpenHotArea(int index) {
    if (index < 0 || index >= static_cast<int>(hotAreas_.size())) return;
    const HotArea area = hotAreas_[index];  // the receiver may redraw and rebuild the list
    if (area.target.IsEmpty()) return;
    if (area.linkKind == TextStyle::kHrefLink)
        OpenLink(area.target, SW_SHOW);
    else if (area.linkKind == TextStyle::kMessageLink)
        NotifyLinkMessage(area.target);
}

void CHtmlDrawer::NotifyHotAreaChanged(int linkNumber) {
    if (!hotAreaTarget_.window || !hotAreaTarget_.message) return;
    SendMessageA(hotAreaTarget_.window, hotAreaTarget_.message, static_cast<WPARAM>(static_cast<INT_PTR>(linkNumber)),
                 hotAreaTarget_.lParam);
}

void CHtmlDrawer::NotifyLinkMessage(const CString& target) {
    if (!linkMessageTarget_.window || !linkMessageTarget_.message) return;
    // The receiver gets text of its own call: the drawer's may change while it runs.
    const CString copy = target;
    SendMessageA(linkMessageTarget_.window, linkMessageTarget_.message, reinterpret_cast<WPARAM>(copy.GetString()),
                 linkMessageTarget_.lParam);
}

INT_PTR CHtmlDrawer::OpenLink(const CString& target, int showCommand) {
    SetLinkCursor(nullptr);
    const INT_PTR shell =
        reinterpret_cast<INT_PTR>(ShellExecuteA(nullptr, "open", target, nullptr, nullptr, showCommand));
    if (shell > 32) return shell;
    CString handler, registered;
    if (!ReadClassDefault(".htm", handler) || !ReadClassDefault(handler + "\\shell\\open\\command", registered))
        return shell;
    const CString command = HtmlHandlerCommand(registered, target);
    if (command.IsEmpty()) return shell;
    return static_cast<INT_PTR>(WinExec(command, static_cast<UINT>(showCommand)));
}

CString CHtmlDrawer::HtmlHandlerCommand(const CString& registered, const CString& target) {
    // The target goes in quotes as one argument; one holding a quote could end it and add others.
    if (target.IsEmpty() || target.Find('"') >= 0) return CString();
    CString command = registered;
    int at = command.Find("\"%1\"");
    if (at < 0) at = command.Find("%1");
    if (at >= 0) command = command.Left(at);
    command += " \"" + target + "\"";
    return command;
}
