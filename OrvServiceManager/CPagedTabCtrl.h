// A tab control whose tabs each show a modeless dialog page, sized into the tab control's page
// area, remembering which window had the focus on each page; its dialog's Tab and Shift+Tab walk
// through the page shown.
#pragma once
#include "OrvServiceManager/CTabPage.h"
#include "classlib/Collections.h"
#include "classlib/Controls.h"

class CPagedTabCtrl : public CTabCtrl {
public:
    struct TabDelete {
        CTabPage* page;  // may be null
        BOOL deleteWithTab;  // the tab control owns the page
    };

    CPagedTabCtrl();
    ~CPagedTabCtrl() override;

    // A page made by the caller, who keeps it. The index of the new tab, -1 on failure.
    int AddPage(const char* title, int pageId, CTabPage* page);
    // A new page from the dialog template, owned (and deleted) by the tab control.
    int AddPage(const char* title, int pageId, const char* templateName);
    int AddPage(const char* title, int pageId, UINT templateId);
    // Appends a tab for the page; the first page added is shown at once.
    int InsertPage(const char* title, int pageId, CTabPage* page, BOOL deleteWithTab);
    BOOL RemovePage(int index);
    int GetPageCount() const;
    BOOL GetPageTitle(int index, CString& title) const;
    BOOL SetPageTitle(int index, const char* title);
    int GetPageId(int index) const;
    int SetPageId(int index, int pageId);  // the previous id, -1 when out of range
    BOOL ActivatePage(int index);          // calls no activation hooks
    int GetActivePage() const;
    CTabPage* GetPage(int index) const;
    int GetPageIndex(int pageId) const;
    // Places the page in the page area of a tab control of the given client size.
    void ResizePage(int index, int width, int height);

    // TRUE: the page's entry control (CTabPage::GetEntryControl; else its first visible, enabled
    // tab stop; else its first child) gets the focus when the page is first shown.
    virtual BOOL OnPageInit(int index, int pageId);
    virtual void OnPageActivated(int index, int pageId);
    virtual void OnPageDeactivated(int index, int pageId);
    virtual void OnPageDestroyed(int index, int pageId);

protected:
    // Commands and notifications of the pages' controls go on to the window holding the tab.
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    BOOL OnCmdMsg(UINT id, int code, void* extra, void* handlerInfo) override;
    void OnDestroy();
    void OnSetFocus(CWnd* oldWnd);
    void OnKillFocus(CWnd* newWnd);
    void OnSelChanging(NMHDR* header, LRESULT* result);
    void OnSelChange(NMHDR* header, LRESULT* result);
    DECLARE_MESSAGE_MAP()

private:
    // Within the tabs and the arrays alike (they disagree only after a foreign TCM_ call).
    bool InRange(int index) const { return index >= 0 && index < m_pages.GetSize() && index < GetItemCount(); }
    // The page's entry control when it can take the focus, else its first visible, enabled tab
    // stop; null when it has none.
    static HWND EntryOf(CTabPage* page);
    void FocusRemembered(int index);
    void RememberFocus(int index);
    void DestroyPage(int index);
    CArray<TabDelete, const TabDelete&> m_pages;
    CArray<HWND, HWND> m_focus;
    CArray<int, int> m_ids;
};
