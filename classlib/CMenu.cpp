#include "classlib/CMenu.h"
#include "classlib/CWinApp.h"
#include "classlib/CWnd.h"
#include "classlib/TempMap.h"

BOOL CMenu::Attach(HMENU menu) {
    if (!menu || menu_.IsValid()) return FALSE;
    menu_.Reset(menu);
    return TRUE;
}

BOOL CMenu::DestroyMenu() {
    if (!menu_.IsValid()) return FALSE;
    menu_.Reset();
    return TRUE;
}

CMenu* CMenu::FromHandle(HMENU menu) { return menu ? TempMap<CMenu, HMENU>::Get(menu) : nullptr; }

BOOL CMenu::CreateMenu() { return Attach(::CreateMenu()); }
BOOL CMenu::CreatePopupMenu() { return Attach(::CreatePopupMenu()); }
BOOL CMenu::LoadMenu(UINT id) { return Attach(::LoadMenuA(AfxGetResourceHandle(), MAKEINTRESOURCEA(id))); }

BOOL CMenu::AppendMenu(UINT flags, UINT_PTR id, const char* text) {
    return menu_.IsValid() && ::AppendMenuA(menu_.Get(), flags, id, text);
}

BOOL CMenu::InsertMenu(UINT position, UINT flags, UINT_PTR id, const char* text) {
    return menu_.IsValid() && ::InsertMenuA(menu_.Get(), position, flags, id, text);
}

BOOL CMenu::DeleteMenu(UINT position, UINT flags) { return menu_.IsValid() && ::DeleteMenu(menu_.Get(), position, flags); }
BOOL CMenu::RemoveMenu(UINT position, UINT flags) { return menu_.IsValid() && ::RemoveMenu(menu_.Get(), position, flags); }

UINT CMenu::EnableMenuItem(UINT item, UINT enable) {
    return menu_.IsValid() ? ::EnableMenuItem(menu_.Get(), item, enable) : static_cast<UINT>(-1);
}

UINT CMenu::CheckMenuItem(UINT item, UINT check) {
    return menu_.IsValid() ? ::CheckMenuItem(menu_.Get(), item, check) : static_cast<UINT>(-1);
}

int CMenu::GetMenuItemCount() const { return menu_.IsValid() ? ::GetMenuItemCount(menu_.Get()) : -1; }

UINT CMenu::GetMenuItemID(int position) const {
    return menu_.IsValid() ? ::GetMenuItemID(menu_.Get(), position) : static_cast<UINT>(-1);
}

UINT CMenu::GetMenuState(UINT item, UINT flags) const {
    return menu_.IsValid() ? ::GetMenuState(menu_.Get(), item, flags) : static_cast<UINT>(-1);
}

int CMenu::GetMenuString(UINT item, CString& text, UINT flags) const {
    text.Empty();
    if (!menu_.IsValid()) return 0;
    int length = ::GetMenuStringA(menu_.Get(), item, nullptr, 0, flags);
    if (length <= 0) return 0;
    ::GetMenuStringA(menu_.Get(), item, text.GetBuffer(length + 1), length + 1, flags);
    text.ReleaseBuffer();
    return text.GetLength();
}

CMenu* CMenu::GetSubMenu(int position) const {
    return menu_.IsValid() ? FromHandle(::GetSubMenu(menu_.Get(), position)) : nullptr;
}

BOOL CMenu::TrackPopupMenu(UINT flags, int x, int y, CWnd* owner, const RECT* rect) {
    return menu_.IsValid() && owner && ::TrackPopupMenu(menu_.Get(), flags, x, y, 0, owner->m_hWnd, rect);
}
