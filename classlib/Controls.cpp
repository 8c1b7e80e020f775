#include "classlib/Controls.h"
#include "classlib/CImageList.h"

IMPLEMENT_DYNAMIC(CButton, CWnd)
IMPLEMENT_DYNAMIC(CStatic, CWnd)
IMPLEMENT_DYNAMIC(CEdit, CWnd)
IMPLEMENT_DYNAMIC(CComboBox, CWnd)
IMPLEMENT_DYNAMIC(CScrollBar, CWnd)
IMPLEMENT_DYNAMIC(CListCtrl, CWnd)
IMPLEMENT_DYNAMIC(CTabCtrl, CWnd)
IMPLEMENT_DYNAMIC(CDateTimeCtrl, CWnd)

// ---- CButton, CStatic, CEdit -----------------------------------------------------------------

BOOL CButton::Create(const char* text, DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    return CWnd::Create("BUTTON", text, style, rect, parent, id);
}
int CButton::GetCheck() const { return static_cast<int>(SendMessage(BM_GETCHECK)); }
void CButton::SetCheck(int check) { SendMessage(BM_SETCHECK, static_cast<WPARAM>(check)); }
UINT CButton::GetState() const { return static_cast<UINT>(SendMessage(BM_GETSTATE)); }
void CButton::SetButtonStyle(UINT style, BOOL redraw) { SendMessage(BM_SETSTYLE, style, redraw); }
void CButton::Click() { SendMessage(BM_CLICK); }

BOOL CStatic::Create(const char* text, DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    return CWnd::Create("STATIC", text, style, rect, parent, id);
}
HICON CStatic::SetIcon(HICON icon) {
    return reinterpret_cast<HICON>(SendMessage(STM_SETICON, reinterpret_cast<WPARAM>(icon)));
}
HICON CStatic::GetIcon() const { return reinterpret_cast<HICON>(SendMessage(STM_GETICON)); }
HBITMAP CStatic::SetBitmap(HBITMAP bitmap) {
    return reinterpret_cast<HBITMAP>(SendMessage(STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap)));
}

BOOL CEdit::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    return CWnd::Create("EDIT", nullptr, style, rect, parent, id);
}
void CEdit::SetSel(int start, int end, BOOL noScroll) {
    SendMessage(EM_SETSEL, static_cast<WPARAM>(start), end);
    if (!noScroll) SendMessage(EM_SCROLLCARET);
}
void CEdit::GetSel(int& start, int& end) const {
    DWORD s = 0, e = 0;
    start = end = 0;
    if (!m_hWnd) return;
    SendMessage(EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
    start = static_cast<int>(s);
    end = static_cast<int>(e);
}
void CEdit::ReplaceSel(const char* text, BOOL canUndo) {
    SendMessage(EM_REPLACESEL, canUndo, reinterpret_cast<LPARAM>(text ? text : ""));
}
BOOL CEdit::SetReadOnly(BOOL readOnly) { return static_cast<BOOL>(SendMessage(EM_SETREADONLY, readOnly)); }
void CEdit::LimitText(int maxChars) { SendMessage(EM_LIMITTEXT, static_cast<WPARAM>(maxChars)); }
int CEdit::GetLineCount() const { return static_cast<int>(SendMessage(EM_GETLINECOUNT)); }

// ---- CComboBox, CScrollBar -------------------------------------------------------------------

BOOL CComboBox::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    return CWnd::Create("COMBOBOX", nullptr, style, rect, parent, id);
}
namespace {
LPARAM TextParam(const char* text) { return reinterpret_cast<LPARAM>(text ? text : ""); }
}  // namespace
int CComboBox::AddString(const char* text) { return m_hWnd ? static_cast<int>(SendMessage(CB_ADDSTRING, 0, TextParam(text))) : CB_ERR; }
int CComboBox::InsertString(int index, const char* text) {
    return m_hWnd ? static_cast<int>(SendMessage(CB_INSERTSTRING, static_cast<WPARAM>(index), TextParam(text))) : CB_ERR;
}
int CComboBox::DeleteString(int index) { return m_hWnd ? static_cast<int>(SendMessage(CB_DELETESTRING, static_cast<WPARAM>(index))) : CB_ERR; }
void CComboBox::ResetContent() { SendMessage(CB_RESETCONTENT); }
int CComboBox::GetCount() const { return m_hWnd ? static_cast<int>(SendMessage(CB_GETCOUNT)) : CB_ERR; }
int CComboBox::GetCurSel() const { return m_hWnd ? static_cast<int>(SendMessage(CB_GETCURSEL)) : CB_ERR; }
int CComboBox::SetCurSel(int index) { return m_hWnd ? static_cast<int>(SendMessage(CB_SETCURSEL, static_cast<WPARAM>(index))) : CB_ERR; }
int CComboBox::GetLBTextLen(int index) const {
    return m_hWnd ? static_cast<int>(SendMessage(CB_GETLBTEXTLEN, static_cast<WPARAM>(index))) : CB_ERR;
}
void CComboBox::GetLBText(int index, CString& text) const {
    text.Empty();
    int length = GetLBTextLen(index);
    if (length < 0) return;
    SendMessage(CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.GetBuffer(length + 1)));
    text.ReleaseBuffer();
}
int CComboBox::FindStringExact(int startAfter, const char* text) const {
    return m_hWnd ? static_cast<int>(SendMessage(CB_FINDSTRINGEXACT, static_cast<WPARAM>(startAfter), TextParam(text))) : CB_ERR;
}
int CComboBox::SelectString(int startAfter, const char* text) {
    return m_hWnd ? static_cast<int>(SendMessage(CB_SELECTSTRING, static_cast<WPARAM>(startAfter), TextParam(text))) : CB_ERR;
}
int CComboBox::SetItemData(int index, DWORD_PTR data) {
    return m_hWnd ? static_cast<int>(SendMessage(CB_SETITEMDATA, static_cast<WPARAM>(index), static_cast<LPARAM>(data))) : CB_ERR;
}
DWORD_PTR CComboBox::GetItemData(int index) const {
    return static_cast<DWORD_PTR>(SendMessage(CB_GETITEMDATA, static_cast<WPARAM>(index)));
}

BOOL CScrollBar::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    return CWnd::Create("SCROLLBAR", nullptr, style, rect, parent, id);
}
BOOL CScrollBar::SetScrollInfo(LPSCROLLINFO info, BOOL redraw) { return CWnd::SetScrollInfo(SB_CTL, info, redraw); }
BOOL CScrollBar::GetScrollInfo(LPSCROLLINFO info, UINT mask) const { return CWnd::GetScrollInfo(SB_CTL, info, mask); }
BOOL CScrollBar::EnableScrollBar(UINT arrows) { return CWnd::EnableScrollBar(SB_CTL, arrows); }

// ---- CListCtrl -------------------------------------------------------------------------------

BOOL CListCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    return CWnd::Create(WC_LISTVIEWA, nullptr, style, rect, parent, id);
}
DWORD CListCtrl::GetExtendedStyle() const { return static_cast<DWORD>(SendMessage(LVM_GETEXTENDEDLISTVIEWSTYLE)); }
DWORD CListCtrl::SetExtendedStyle(DWORD style) {
    return static_cast<DWORD>(SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, static_cast<LPARAM>(style)));
}
int CListCtrl::InsertColumn(int column, const char* heading, int format, int width, int subItem) {
    if (!m_hWnd) return -1;
    LVCOLUMNA col = {};
    col.mask = LVCF_FMT | LVCF_TEXT;
    col.fmt = format;
    col.pszText = const_cast<char*>(heading ? heading : "");
    if (width >= 0) {
        col.mask |= LVCF_WIDTH;
        col.cx = width;
    }
    if (subItem >= 0) {
        col.mask |= LVCF_SUBITEM;
        col.iSubItem = subItem;
    }
    return static_cast<int>(SendMessage(LVM_INSERTCOLUMNA, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&col)));
}
BOOL CListCtrl::DeleteColumn(int column) { return static_cast<BOOL>(SendMessage(LVM_DELETECOLUMN, static_cast<WPARAM>(column))); }
int CListCtrl::GetColumnWidth(int column) const { return static_cast<int>(SendMessage(LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column))); }
BOOL CListCtrl::SetColumnWidth(int column, int width) {
    return static_cast<BOOL>(SendMessage(LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), MAKELPARAM(width, 0)));
}
int CListCtrl::InsertItem(int index, const char* text) {
    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.iItem = index;
    item.pszText = const_cast<char*>(text ? text : "");
    return InsertItem(&item);
}
int CListCtrl::InsertItem(const LVITEMA* item) {
    return m_hWnd && item ? static_cast<int>(SendMessage(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(item))) : -1;
}
BOOL CListCtrl::SetItemText(int index, int subItem, const char* text) {
    LVITEMA item = {};
    item.iSubItem = subItem;
    item.pszText = const_cast<char*>(text ? text : "");
    return static_cast<BOOL>(SendMessage(LVM_SETITEMTEXTA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)));
}
CString CListCtrl::GetItemText(int index, int subItem) const {
    CString text;
    if (!m_hWnd) return text;
    // The control copies at most the buffer; grow until the text fits.
    for (int size = 256; size <= 65536; size *= 4) {
        LVITEMA item = {};
        item.iSubItem = subItem;
        item.cchTextMax = size;
        item.pszText = text.GetBuffer(size);
        int copied = static_cast<int>(SendMessage(LVM_GETITEMTEXTA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)));
        text.ReleaseBuffer();
        if (copied < size - 1) break;
    }
    return text;
}
BOOL CListCtrl::DeleteItem(int index) { return static_cast<BOOL>(SendMessage(LVM_DELETEITEM, static_cast<WPARAM>(index))); }
BOOL CListCtrl::DeleteAllItems() { return static_cast<BOOL>(SendMessage(LVM_DELETEALLITEMS)); }
int CListCtrl::GetItemCount() const { return static_cast<int>(SendMessage(LVM_GETITEMCOUNT)); }
UINT CListCtrl::GetSelectedCount() const { return static_cast<UINT>(SendMessage(LVM_GETSELECTEDCOUNT)); }
int CListCtrl::GetNextItem(int start, int flags) const {
    return m_hWnd ? static_cast<int>(SendMessage(LVM_GETNEXTITEM, static_cast<WPARAM>(start), MAKELPARAM(flags, 0))) : -1;
}
POSITION CListCtrl::GetFirstSelectedItemPosition() const {
    // A position is the row index + 1, so that row 0 is not the end.
    int first = GetNextItem(-1, LVNI_SELECTED);
    return first < 0 ? nullptr : reinterpret_cast<POSITION>(static_cast<INT_PTR>(first) + 1);
}
int CListCtrl::GetNextSelectedItem(POSITION& position) const {
    int index = static_cast<int>(reinterpret_cast<INT_PTR>(position) - 1);
    int next = GetNextItem(index, LVNI_SELECTED);
    position = next < 0 ? nullptr : reinterpret_cast<POSITION>(static_cast<INT_PTR>(next) + 1);
    return index;
}
BOOL CListCtrl::SetItemState(int index, UINT state, UINT mask) {
    LVITEMA item = {};
    item.state = state;
    item.stateMask = mask;
    return static_cast<BOOL>(SendMessage(LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)));
}
UINT CListCtrl::GetItemState(int index, UINT mask) const {
    return static_cast<UINT>(SendMessage(LVM_GETITEMSTATE, static_cast<WPARAM>(index), static_cast<LPARAM>(mask)));
}
BOOL CListCtrl::SetItemData(int index, DWORD_PTR data) {
    LVITEMA item = {};
    item.mask = LVIF_PARAM;
    item.iItem = index;
    item.lParam = static_cast<LPARAM>(data);
    return static_cast<BOOL>(SendMessage(LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item)));
}
DWORD_PTR CListCtrl::GetItemData(int index) const {
    LVITEMA item = {};
    item.mask = LVIF_PARAM;
    item.iItem = index;
    if (!SendMessage(LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) return 0;
    return static_cast<DWORD_PTR>(item.lParam);
}
BOOL CListCtrl::EnsureVisible(int index, BOOL partialOk) {
    return static_cast<BOOL>(SendMessage(LVM_ENSUREVISIBLE, static_cast<WPARAM>(index), partialOk));
}
HIMAGELIST CListCtrl::SetImageList(CImageList* images, int kind) {
    return reinterpret_cast<HIMAGELIST>(SendMessage(LVM_SETIMAGELIST, static_cast<WPARAM>(kind),
                                                    reinterpret_cast<LPARAM>(images ? images->GetSafeHandle() : nullptr)));
}

// ---- CTabCtrl --------------------------------------------------------------------------------

BOOL CTabCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    return CWnd::Create(WC_TABCONTROLA, nullptr, style, rect, parent, id);
}
LONG CTabCtrl::InsertItem(int index, const char* text) { return InsertItem(TCIF_TEXT, index, text, 0, 0); }
LONG CTabCtrl::InsertItem(int index, TCITEMA* item) {
    return m_hWnd && item ? static_cast<LONG>(SendMessage(TCM_INSERTITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(item))) : -1;
}
LONG CTabCtrl::InsertItem(UINT mask, int index, const char* text, int image, LPARAM lParam) {
    TCITEMA item = {};
    item.mask = mask;
    item.pszText = const_cast<char*>(text ? text : "");
    item.iImage = image;
    item.lParam = lParam;
    return InsertItem(index, &item);
}
BOOL CTabCtrl::DeleteItem(int index) { return static_cast<BOOL>(SendMessage(TCM_DELETEITEM, static_cast<WPARAM>(index))); }
BOOL CTabCtrl::DeleteAllItems() { return static_cast<BOOL>(SendMessage(TCM_DELETEALLITEMS)); }
BOOL CTabCtrl::GetItem(int index, TCITEMA* item) const {
    return m_hWnd && item && SendMessage(TCM_GETITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(item));
}
BOOL CTabCtrl::SetItem(int index, TCITEMA* item) {
    return m_hWnd && item && SendMessage(TCM_SETITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(item));
}
int CTabCtrl::GetItemCount() const { return static_cast<int>(SendMessage(TCM_GETITEMCOUNT)); }
int CTabCtrl::GetCurSel() const { return m_hWnd ? static_cast<int>(SendMessage(TCM_GETCURSEL)) : -1; }
int CTabCtrl::SetCurSel(int index) { return m_hWnd ? static_cast<int>(SendMessage(TCM_SETCURSEL, static_cast<WPARAM>(index))) : -1; }
int CTabCtrl::GetCurFocus() const { return m_hWnd ? static_cast<int>(SendMessage(TCM_GETCURFOCUS)) : -1; }
void CTabCtrl::SetCurFocus(int index) { SendMessage(TCM_SETCURFOCUS, static_cast<WPARAM>(index)); }
BOOL CTabCtrl::GetItemRect(int index, LPRECT rect) const {
    SetRectEmpty(rect);
    return m_hWnd && SendMessage(TCM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(rect));
}
int CTabCtrl::GetRowCount() const { return static_cast<int>(SendMessage(TCM_GETROWCOUNT)); }
void CTabCtrl::AdjustRect(BOOL larger, LPRECT rect) { SendMessage(TCM_ADJUSTRECT, larger, reinterpret_cast<LPARAM>(rect)); }
int CTabCtrl::HitTest(TCHITTESTINFO* info) const {
    return m_hWnd ? static_cast<int>(SendMessage(TCM_HITTEST, 0, reinterpret_cast<LPARAM>(info))) : -1;
}
HIMAGELIST CTabCtrl::SetImageList(CImageList* images) {
    return reinterpret_cast<HIMAGELIST>(
        SendMessage(TCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images ? images->GetSafeHandle() : nullptr)));
}

// ---- CDateTimeCtrl ---------------------------------------------------------------------------

BOOL CDateTimeCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    return CWnd::Create(DATETIMEPICK_CLASSA, nullptr, style, rect, parent, id);
}
BOOL CDateTimeCtrl::SetTime(const SYSTEMTIME* time) {
    return static_cast<BOOL>(SendMessage(DTM_SETSYSTEMTIME, time ? GDT_VALID : GDT_NONE, reinterpret_cast<LPARAM>(time)));
}
BOOL CDateTimeCtrl::SetTime(const CTime& time) {
    struct tm local = {};
    if (!time.GetLocalTm(&local)) return FALSE;
    SYSTEMTIME st = {};
    st.wYear = static_cast<WORD>(local.tm_year + 1900);
    st.wMonth = static_cast<WORD>(local.tm_mon + 1);
    st.wDay = static_cast<WORD>(local.tm_mday);
    st.wDayOfWeek = static_cast<WORD>(local.tm_wday);
    st.wHour = static_cast<WORD>(local.tm_hour);
    st.wMinute = static_cast<WORD>(local.tm_min);
    st.wSecond = static_cast<WORD>(local.tm_sec);
    return SetTime(&st);
}
DWORD CDateTimeCtrl::GetTime(SYSTEMTIME& time) const {
    time = SYSTEMTIME{};
    return m_hWnd ? static_cast<DWORD>(SendMessage(DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&time))) : GDT_ERROR;
}
DWORD CDateTimeCtrl::GetTime(CTime& time) const {
    SYSTEMTIME st;
    DWORD result = GetTime(st);
    time = result == GDT_VALID ? CTime(st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond) : CTime();
    return result;
}
BOOL CDateTimeCtrl::SetFormat(const char* format) {
    return static_cast<BOOL>(SendMessage(DTM_SETFORMATA, 0, reinterpret_cast<LPARAM>(format)));
}
