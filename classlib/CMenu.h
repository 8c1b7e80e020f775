// A menu: owns the menus it creates or loads; FromHandle (system menus) gives a temporary that
// does not.
#pragma once
#include "classlib/HandleOwner.h"
#include "classlib/CString.h"

class CWnd;

class CMenu {
public:
    CMenu() {}
    virtual ~CMenu() {}
    CMenu(const CMenu&) = delete;
    CMenu& operator=(const CMenu&) = delete;

    HMENU GetSafeHmenu() const { return menu_.Get(); }
    operator HMENU() const { return menu_.Get(); }
    BOOL Attach(HMENU menu);  // takes ownership
    HMENU Detach() { return menu_.Release(); }
    BOOL DestroyMenu();
    static CMenu* FromHandle(HMENU menu);
    static void AttachTemporary(CMenu* temporary, HMENU menu) { temporary->menu_.Reset(menu); }
    static void ForgetTemporary(CMenu* temporary) { temporary->menu_.Release(); }

    BOOL CreateMenu();
    BOOL CreatePopupMenu();
    BOOL LoadMenu(UINT id);
    BOOL AppendMenu(UINT flags, UINT_PTR id = 0, const char* text = nullptr);
    BOOL InsertMenu(UINT position, UINT flags, UINT_PTR id = 0, const char* text = nullptr);
    BOOL DeleteMenu(UINT position, UINT flags);
    BOOL RemoveMenu(UINT position, UINT flags);
    UINT EnableMenuItem(UINT item, UINT enable);
    UINT CheckMenuItem(UINT item, UINT check);
    int GetMenuItemCount() const;
    UINT GetMenuItemID(int position) const;
    UINT GetMenuState(UINT item, UINT flags) const;
    int GetMenuString(UINT item, CString& text, UINT flags) const;
    CMenu* GetSubMenu(int position) const;  // a temporary object
    // Answers the chosen command with TPM_RETURNCMD, else whether it succeeded.
    BOOL TrackPopupMenu(UINT flags, int x, int y, CWnd* owner, const RECT* rect = nullptr);

private:
    ScopedMenu menu_;
};
