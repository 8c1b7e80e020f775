// The standard and common controls the dialogs use, each a thin CWnd over its class's messages.
// Bind one to a dialog's control with DDX_Control (or SubclassDlgItem), or Create it.
#pragma once
#include "classlib/CWnd.h"
#include "classlib/CTime.h"

class CImageList;
struct PositionTag;
typedef PositionTag* POSITION;

class CButton : public CWnd {
    DECLARE_DYNAMIC(CButton)
public:
    BOOL Create(const char* text, DWORD style, const RECT& rect, CWnd* parent, UINT id);
    int GetCheck() const;
    void SetCheck(int check);
    UINT GetState() const;
    void SetButtonStyle(UINT style, BOOL redraw = TRUE);
    void Click();
};

class CStatic : public CWnd {
    DECLARE_DYNAMIC(CStatic)
public:
    BOOL Create(const char* text, DWORD style, const RECT& rect, CWnd* parent, UINT id = 0xFFFF);
    HICON SetIcon(HICON icon);
    HICON GetIcon() const;
    HBITMAP SetBitmap(HBITMAP bitmap);
};

class CEdit : public CWnd {
    DECLARE_DYNAMIC(CEdit)
public:
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
    void SetSel(int start, int end, BOOL noScroll = FALSE);
    void GetSel(int& start, int& end) const;
    void ReplaceSel(const char* text, BOOL canUndo = FALSE);
    BOOL SetReadOnly(BOOL readOnly = TRUE);
    void LimitText(int maxChars = 0);
    int GetLineCount() const;
};

class CComboBox : public CWnd {
    DECLARE_DYNAMIC(CComboBox)
public:
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
    int AddString(const char* text);
    int InsertString(int index, const char* text);
    int DeleteString(int index);
    void ResetContent();
    int GetCount() const;
    int GetCurSel() const;
    int SetCurSel(int index);
    int GetLBTextLen(int index) const;
    void GetLBText(int index, CString& text) const;
    int FindStringExact(int startAfter, const char* text) const;
    int SelectString(int startAfter, const char* text);
    int SetItemData(int index, DWORD_PTR data);
    DWORD_PTR GetItemData(int index) const;
};

class CScrollBar : public CWnd {
    DECLARE_DYNAMIC(CScrollBar)
public:
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
    BOOL SetScrollInfo(LPSCROLLINFO info, BOOL redraw = TRUE);
    BOOL GetScrollInfo(LPSCROLLINFO info, UINT mask = SIF_ALL) const;
    BOOL EnableScrollBar(UINT arrows = ESB_ENABLE_BOTH);
};

class CListCtrl : public CWnd {
    DECLARE_DYNAMIC(CListCtrl)
public:
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
    DWORD GetExtendedStyle() const;
    DWORD SetExtendedStyle(DWORD style);  // answers the previous one
    int InsertColumn(int column, const char* heading, int format = LVCFMT_LEFT, int width = -1, int subItem = -1);
    BOOL DeleteColumn(int column);
    int GetColumnWidth(int column) const;
    BOOL SetColumnWidth(int column, int width);
    int InsertItem(int index, const char* text);
    int InsertItem(const LVITEMA* item);
    BOOL SetItemText(int index, int subItem, const char* text);
    CString GetItemText(int index, int subItem) const;
    BOOL DeleteItem(int index);
    BOOL DeleteAllItems();
    int GetItemCount() const;
    UINT GetSelectedCount() const;
    int GetNextItem(int start, int flags) const;
    // Walks the selected rows: the position of the first, then GetNextSelectedItem gives each
    // row's index and moves on (null at the end).
    POSITION GetFirstSelectedItemPosition() const;
    int GetNextSelectedItem(POSITION& position) const;
    BOOL SetItemState(int index, UINT state, UINT mask);
    UINT GetItemState(int index, UINT mask) const;
    BOOL SetItemData(int index, DWORD_PTR data);
    DWORD_PTR GetItemData(int index) const;
    BOOL EnsureVisible(int index, BOOL partialOk);
    HIMAGELIST SetImageList(CImageList* images, int kind);
};

class CTabCtrl : public CWnd {
    DECLARE_DYNAMIC(CTabCtrl)
public:
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
    // Answers the new tab's index, -1 on failure.
    LONG InsertItem(int index, const char* text);
    LONG InsertItem(int index, TCITEMA* item);
    LONG InsertItem(UINT mask, int index, const char* text, int image, LPARAM lParam);
    BOOL DeleteItem(int index);
    BOOL DeleteAllItems();
    BOOL GetItem(int index, TCITEMA* item) const;
    BOOL SetItem(int index, TCITEMA* item);
    int GetItemCount() const;
    int GetCurSel() const;
    int SetCurSel(int index);  // sends no notification
    int GetCurFocus() const;
    void SetCurFocus(int index);  // sends TCN_SELCHANGING and TCN_SELCHANGE
    BOOL GetItemRect(int index, LPRECT rect) const;
    int GetRowCount() const;
    void AdjustRect(BOOL larger, LPRECT rect);
    int HitTest(TCHITTESTINFO* info) const;
    HIMAGELIST SetImageList(CImageList* images);
};

class CDateTimeCtrl : public CWnd {
    DECLARE_DYNAMIC(CDateTimeCtrl)
public:
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
    BOOL SetTime(const SYSTEMTIME* time);  // null: no time (with DTS_SHOWNONE)
    BOOL SetTime(const CTime& time);       // local time
    DWORD GetTime(SYSTEMTIME& time) const; // GDT_VALID, GDT_NONE or GDT_ERROR
    DWORD GetTime(CTime& time) const;
    BOOL SetFormat(const char* format);
};
