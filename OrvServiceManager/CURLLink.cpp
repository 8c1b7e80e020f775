#include "OrvServiceManager/CURLLink.h"
#include "OrvServiceManager/TabWidgetsRes.h"
#include "classlib/CDC.h"
#include "classlib/CWinApp.h"
#include <shellapi.h>
#include <algorithm>

BEGIN_MESSAGE_MAP(CURLLink, CStatic)
    ON_WM_SETCURSOR()
    ON_WM_NCHITTEST()
    ON_WM_CTLCOLOR_REFLECT()
    ON_WM_GETDLGCODE()
    ON_WM_KEYDOWN()
    ON_WM_PAINT()
    ON_WM_SETFOCUS()
    ON_WM_KILLFOCUS()
END_MESSAGE_MAP()

CURLLink::CURLLink() : m_bUnderlineFont(FALSE) {
    // LoadCursor would hand out the module's shared cursor, which must never be destroyed.
    m_cursor.Reset(static_cast<HCURSOR>(
        LoadImageA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDC_LINK_HAND), IMAGE_CURSOR, 0, 0, LR_DEFAULTSIZE)));
}

HCURSOR CURLLink::GetLinkCursor() const {
    return m_cursor ? m_cursor.Get() : LoadCursorA(nullptr, MAKEINTRESOURCEA(32649));  // the system's hand
}

HBRUSH CURLLink::CtlColor(CDC* dc, UINT) {
    if (!m_bUnderlineFont) {
        // A control without a font of its own draws with the default GUI font.
        CFont* font = GetFont();
        HGDIOBJ current = font ? font->GetSafeHandle() : GetStockObject(DEFAULT_GUI_FONT);
        LOGFONTA logFont = {};
        if (current && GetObjectA(current, sizeof(logFont), &logFont)) {
            logFont.lfUnderline = TRUE;
            if (m_underlineFont.CreateFontIndirect(&logFont)) {
                m_bUnderlineFont = TRUE;
                SetFont(&m_underlineFont, TRUE);
            }
        }
    }
    dc->SetTextColor(kLinkColor);
    dc->SetBkMode(TRANSPARENT);
    return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
}

BOOL CURLLink::OnSetCursor(CWnd*, UINT, UINT) {
    ::SetCursor(GetLinkCursor());
    return TRUE;
}

LRESULT CURLLink::OnNcHitTest(CPoint point) {
    LRESULT hit = CStatic::OnNcHitTest(point);
    return hit == HTTRANSPARENT ? HTCLIENT : hit;
}

UINT CURLLink::OnGetDlgCode() {
    // Enter would otherwise be the dialog's own (its default button, or OK, which closes it).
    const MSG* key = reinterpret_cast<const MSG*>(GetCurrentMessage()->lParam);
    const bool enter = key && key->message == WM_KEYDOWN && key->wParam == VK_RETURN;
    return CStatic::OnGetDlgCode() | (enter ? DLGC_WANTMESSAGE : 0);
}

void CURLLink::OnKeyDown(UINT key, UINT repeat, UINT flags) {
    // A key held down clicks once.
    if ((key == VK_SPACE || key == VK_RETURN) && !(flags & KF_REPEAT)) {
        if (CWnd* parent = GetParent())
            parent->SendMessage(WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(), STN_CLICKED), reinterpret_cast<LPARAM>(m_hWnd));
        return;
    }
    CStatic::OnKeyDown(key, repeat, flags);
}

void CURLLink::OnPaint() {
    Default();
    if (::GetFocus() != m_hWnd) return;
    CString text;
    GetWindowText(text);
    CPen dots(PS_DOT, 1, kLinkColor);  // before the DC, which puts the old pen back when it goes
    CClientDC dc(this);
    CRect frame;
    GetClientRect(&frame);
    CFont* font = GetFont();
    if (font) dc.SelectObject(font);
    // Round the text as the static lays it out, within the control.
    CRect textRect = frame;
    dc.DrawText(text, &textRect, DT_CALCRECT | DT_SINGLELINE);
    frame.right = std::min(frame.right, textRect.right + 1);
    dc.SelectObject(&dots);
    dc.SelectStockObject(NULL_BRUSH);
    dc.SetBkMode(TRANSPARENT);
    dc.Rectangle(&frame);
}

void CURLLink::OnSetFocus(CWnd* oldWnd) {
    CStatic::OnSetFocus(oldWnd);
    RedrawWithParent();
}

void CURLLink::OnKillFocus(CWnd* newWnd) {
    CStatic::OnKillFocus(newWnd);
    RedrawWithParent();
}

void CURLLink::RedrawWithParent() {
    CWnd* parent = GetParent();
    if (!parent) {
        Invalidate();
        return;
    }
    CRect area;
    GetWindowRect(&area);
    parent->ScreenToClient(&area);
    parent->RedrawWindow(&area, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

BOOL CURLLink::Open() {
    CString target;
    GetWindowText(target);
    CWnd* parent = GetParent();
    HINSTANCE result = ShellExecuteA(parent ? parent->m_hWnd : nullptr, "open", target, nullptr, nullptr, SW_SHOW);
    return reinterpret_cast<INT_PTR>(result) > 32;
}
