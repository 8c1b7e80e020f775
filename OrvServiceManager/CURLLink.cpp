#include "OrvServiceManager/CURLLink.h"
#include "OrvServiceManager/TabWidgetsRes.h"
#include "classlib/CDC.h"
#include "classlib/CWinApp.h"
#include <shellapi.h>

BEGIN_MESSAGE_MAP(CURLLink, CStatic)
    ON_WM_SETCURSOR()
    ON_WM_NCHITTEST()
    ON_WM_CTLCOLOR_REFLECT()
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

BOOL CURLLink::Open() {
    CString target;
    GetWindowText(target);
    CWnd* parent = GetParent();
    HINSTANCE result = ShellExecuteA(parent ? parent->m_hWnd : nullptr, "open", target, nullptr, nullptr, SW_SHOW);
    return reinterpret_cast<INT_PTR>(result) > 32;
}
