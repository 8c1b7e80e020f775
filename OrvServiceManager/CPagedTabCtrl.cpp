#include "OrvServiceManager/CPagedTabCtrl.h"
#include "classlib/CWinApp.h"

BEGIN_MESSAGE_MAP(CPagedTabCtrl, CTabCtrl)
    ON_WM_DESTROY()
    ON_WM_SETFOCUS()
    ON_WM_KILLFOCUS()
    ON_NOTIFY_REFLECT(TCN_SELCHANGING, OnSelChanging)
    ON_NOTIFY_REFLECT(TCN_SELCHANGE, OnSelChange)
END_MESSAGE_MAP()

CPagedTabCtrl::CPagedTabCtrl() { AfxEnableControlContainer(); }

CPagedTabCtrl::~CPagedTabCtrl() {
    // Normally emptied at WM_DESTROY; a control never created, or detached, still owns pages.
    for (INT_PTR i = m_pages.GetSize() - 1; i >= 0; --i)
        if (m_pages[i].deleteWithTab) delete m_pages[i].page;
}

int CPagedTabCtrl::AddPage(const char* title, int pageId, CTabPage* page) { return InsertPage(title, pageId, page, FALSE); }

int CPagedTabCtrl::AddPage(const char* title, int pageId, const char* templateName) {
    CTabPage* page = new CTabPage;
    if (!page->Create(templateName, this)) {
        page->DestroyWindow();
        delete page;
        return -1;
    }
    int index = InsertPage(title, pageId, page, TRUE);
    if (index < 0) {  // no tab took the page: nobody else would ever free it
        page->DestroyWindow();
        delete page;
    }
    return index;
}

int CPagedTabCtrl::AddPage(const char* title, int pageId, UINT templateId) {
    return AddPage(title, pageId, MAKEINTRESOURCEA(templateId));
}

int CPagedTabCtrl::InsertPage(const char* title, int pageId, CTabPage* page, BOOL deleteWithTab) {
    int index = static_cast<int>(InsertItem(TCIF_TEXT, GetItemCount(), title, 0, 0));
    if (index < 0) return -1;
    if (!page) {
        DeleteItem(index);
        return -1;
    }
    m_pages.Add(TabDelete{page, deleteWithTab});
    m_ids.Add(pageId);
    page->SetParent(this);
    // Tab and Shift+Tab of the dialog then walk through the page shown, entering it at its first
    // control forwards and at its last backwards. The tabs themselves, a mere tab stop, would
    // hand the focus to the control the page remembers and so skip the page's others.
    ModifyStyleEx(0, WS_EX_CONTROLPARENT);
    CRect client;
    GetClientRect(&client);
    if (client.Width() > 0 && client.Height() > 0) ResizePage(index, client.Width(), client.Height());
    HWND focus = nullptr;
    if (!OnPageInit(index, pageId))
        focus = ::GetFocus();
    else if (!(focus = EntryOf(page)))
        focus = ::GetTopWindow(page->m_hWnd);
    m_focus.Add(focus);
    if (index == 0) page->ShowWindow(SW_SHOW);
    return index;
}

void CPagedTabCtrl::DestroyPage(int index) {
    TabDelete record = m_pages[index];
    if (!record.page) return;
    record.page->DestroyWindow();
    if (record.deleteWithTab) delete record.page;
}

BOOL CPagedTabCtrl::RemovePage(int index) {
    if (!InRange(index)) return FALSE;
    OnPageDestroyed(index, m_ids[index]);
    int count = GetItemCount();
    if (count > 1 && index == GetCurSel()) ActivatePage(index + 1 < count ? index + 1 : count - 2);
    DeleteItem(index);
    DestroyPage(index);
    m_pages.RemoveAt(index);
    m_focus.RemoveAt(index);
    m_ids.RemoveAt(index);
    InvalidateRect(nullptr, TRUE);
    return TRUE;
}

int CPagedTabCtrl::GetPageCount() const { return GetItemCount(); }

BOOL CPagedTabCtrl::GetPageTitle(int index, CString& title) const {
    title.Empty();
    if (!InRange(index)) return FALSE;
    char buffer[1024] = "";
    TCITEMA item = {};
    item.mask = TCIF_TEXT;
    item.pszText = buffer;
    item.cchTextMax = sizeof(buffer);
    if (!GetItem(index, &item)) return FALSE;
    title = item.pszText;  // the control may answer with its own buffer
    return TRUE;
}

BOOL CPagedTabCtrl::SetPageTitle(int index, const char* title) {
    if (!InRange(index)) return FALSE;
    TCITEMA item = {};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<char*>(title ? title : "");
    if (!SetItem(index, &item)) return FALSE;
    InvalidateRect(nullptr, TRUE);
    return TRUE;
}

int CPagedTabCtrl::GetPageId(int index) const { return InRange(index) ? m_ids[index] : -1; }

int CPagedTabCtrl::SetPageId(int index, int pageId) {
    if (!InRange(index)) return -1;
    int previous = m_ids[index];
    m_ids[index] = pageId;
    return previous;
}

BOOL CPagedTabCtrl::ActivatePage(int index) {
    if (!InRange(index)) return FALSE;
    int current = GetCurSel();
    if (index == current) return TRUE;
    if (InRange(current) && m_pages[current].page) {
        RememberFocus(current);
        m_pages[current].page->ShowWindow(SW_HIDE);
    }
    SetCurSel(index);
    if (CTabPage* page = m_pages[index].page) {
        FocusRemembered(index);
        CRect client;
        GetClientRect(&client);
        ResizePage(index, client.Width(), client.Height());
        page->ShowWindow(SW_SHOW);
    }
    return TRUE;
}

int CPagedTabCtrl::GetActivePage() const { return GetCurSel(); }

CTabPage* CPagedTabCtrl::GetPage(int index) const { return InRange(index) ? m_pages[index].page : nullptr; }

int CPagedTabCtrl::GetPageIndex(int pageId) const {
    for (int i = 0; i < m_ids.GetSize(); ++i)
        if (m_ids[i] == pageId) return i;
    return -1;
}

void CPagedTabCtrl::ResizePage(int index, int width, int height) {
    CTabPage* page = GetPage(index);
    if (!page) return;
    CRect tab;
    GetItemRect(index, &tab);
    DWORD style = GetStyle();
    int rows = GetRowCount();
    int x, y, pageWidth, pageHeight;
    if (style & TCS_VERTICAL) {
        int tabs = tab.Width() * rows;
        x = (style & TCS_RIGHT) ? 4 : tabs + 4;
        y = 4;
        pageWidth = width - tabs - 8;
        pageHeight = height - 8;
    } else {
        int tabs = tab.Height() * rows;
        x = 4;
        y = (style & TCS_BOTTOM) ? 4 : tabs + 4;
        pageWidth = width - 8;
        pageHeight = height - tabs - 8;
    }
    page->SetWindowPos(nullptr, x, y, pageWidth, pageHeight, SWP_NOZORDER);
}

namespace {
// Whether the control can show the focus: a visible, enabled tab stop (its page may be hidden).
bool CanTakeFocus(HWND control) {
    const LONG style = GetWindowLongA(control, GWL_STYLE);
    return (style & WS_VISIBLE) && (style & WS_TABSTOP) && !(style & WS_DISABLED);
}
}  // namespace

HWND CPagedTabCtrl::EntryOf(CTabPage* page) {
    if (!page || !page->m_hWnd) return nullptr;
    CWnd* entry = page->GetEntryControl();
    if (entry && entry->m_hWnd && CanTakeFocus(entry->m_hWnd)) return entry->m_hWnd;
    for (HWND child = ::GetTopWindow(page->m_hWnd); child; child = ::GetWindow(child, GW_HWNDNEXT))
        if (CanTakeFocus(child)) return child;
    return nullptr;
}

void CPagedTabCtrl::FocusRemembered(int index) {
    HWND focus = m_focus[index];
    // A remembered control that went, or that the page disabled or hid since, would leave the
    // focus nowhere: the page's entry control has it instead.
    if (!focus || !::IsWindow(focus) || !CanTakeFocus(focus)) {
        if (HWND entry = EntryOf(m_pages[index].page)) focus = entry;
    }
    if (focus && ::IsWindow(focus)) ::SetFocus(focus);
}

void CPagedTabCtrl::RememberFocus(int index) {
    // Only a window of the page: a page turned from outside it (Ctrl+Tab from Close) keeps
    // what it had.
    HWND focus = ::GetFocus();
    CTabPage* page = m_pages[index].page;
    if (focus && page && ::IsChild(page->m_hWnd, focus)) m_focus[index] = focus;
}

BOOL CPagedTabCtrl::OnPageInit(int, int) { return TRUE; }
void CPagedTabCtrl::OnPageActivated(int, int) {}
void CPagedTabCtrl::OnPageDeactivated(int, int) {}
void CPagedTabCtrl::OnPageDestroyed(int, int) {}

void CPagedTabCtrl::OnSelChanging(NMHDR*, LRESULT* result) {
    int current = GetCurSel();
    if (InRange(current)) {
        OnPageDeactivated(current, m_ids[current]);
        if (CTabPage* page = m_pages[current].page) {
            RememberFocus(current);
            page->ShowWindow(SW_HIDE);
        }
    }
    *result = 0;
}

void CPagedTabCtrl::OnSelChange(NMHDR*, LRESULT* result) {
    int current = GetCurSel();
    if (InRange(current)) {
        if (CTabPage* page = m_pages[current].page) {
            FocusRemembered(current);
            CRect client;
            GetClientRect(&client);
            ResizePage(current, client.Width(), client.Height());
            page->ShowWindow(SW_SHOW);
            page->OnPageShown();
        }
        OnPageActivated(current, m_ids[current]);
    }
    *result = 0;
}

void CPagedTabCtrl::OnSetFocus(CWnd* oldWnd) {
    CTabCtrl::OnSetFocus(oldWnd);
    int current = GetCurSel();
    if (InRange(current)) FocusRemembered(current);
}

void CPagedTabCtrl::OnKillFocus(CWnd* newWnd) {
    CTabCtrl::OnKillFocus(newWnd);
    int current = GetCurSel();
    if (InRange(current)) RememberFocus(current);
}

void CPagedTabCtrl::OnDestroy() {
    for (int i = static_cast<int>(m_pages.GetSize()) - 1; i >= 0; --i) {
        OnPageDestroyed(i, m_ids[i]);
        DestroyPage(i);
    }
    m_pages.RemoveAll();
    m_focus.RemoveAll();
    m_ids.RemoveAll();
    CTabCtrl::OnDestroy();
}

BOOL CPagedTabCtrl::OnCommand(WPARAM wParam, LPARAM lParam) {
    CWnd* parent = GetParent();
    return parent ? static_cast<BOOL>(parent->SendMessage(WM_COMMAND, wParam, lParam)) : FALSE;
}

BOOL CPagedTabCtrl::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    CWnd* parent = GetParent();
    if (!parent) return FALSE;
    *result = parent->SendMessage(WM_NOTIFY, wParam, lParam);
    return TRUE;
}

BOOL CPagedTabCtrl::OnCmdMsg(UINT id, int code, void* extra, void* handlerInfo) {
    CWnd* parent = GetParent();
    if (code == CN_EVENT) return parent ? parent->OnCmdMsg(id, code, extra, handlerInfo) : FALSE;
    return CTabCtrl::OnCmdMsg(id, code, extra, handlerInfo);
}
