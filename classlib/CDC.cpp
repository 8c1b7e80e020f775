#include "classlib/CDC.h"
#include "classlib/CWnd.h"

CDC::~CDC() { RestoreSelections(); }

BOOL CDC::CreateCompatibleDC(CDC* dc) {
    if (m_hDC) return FALSE;
    owned_.Reset(::CreateCompatibleDC(dc ? dc->m_hDC : nullptr));
    m_hDC = owned_.Get();
    return m_hDC != nullptr;
}

BOOL CDC::DeleteDC() {
    if (!owned_.IsValid()) return FALSE;
    RestoreSelections();
    owned_.Reset();
    m_hDC = nullptr;
    return TRUE;
}

BOOL CDC::Attach(HDC dc) {
    if (!dc || m_hDC) return FALSE;
    m_hDC = dc;
    return TRUE;
}

HDC CDC::Detach() {
    HDC dc = m_hDC;
    for (auto& original : originals_) original = nullptr;
    if (owned_.Get() == dc) owned_.Release();
    m_hDC = nullptr;
    return dc;
}

CDC* CDC::FromHandle(HDC dc) { return dc ? TempMap<CDC, HDC>::Get(dc) : nullptr; }

int CDC::SlotOf(HGDIOBJ object) {
    switch (GetObjectType(object)) {
    case OBJ_FONT: return 0;
    case OBJ_PEN:
    case OBJ_EXTPEN: return 1;
    case OBJ_BRUSH: return 2;
    case OBJ_BITMAP: return 3;
    default: return -1;
    }
}

HGDIOBJ CDC::SelectObject(HGDIOBJ object) {
    if (!m_hDC || !object) return nullptr;
    HGDIOBJ previous = ::SelectObject(m_hDC, object);
    int slot = SlotOf(object);
    if (previous && slot >= 0 && !originals_[slot]) originals_[slot] = previous;
    return previous;
}

void CDC::RestoreSelections() {
    if (!m_hDC) return;
    for (auto& original : originals_) {
        if (original) ::SelectObject(m_hDC, original);
        original = nullptr;
    }
}

CGdiObject* CDC::SelectObject(CGdiObject* object) {
    return object ? CGdiObject::FromHandle(SelectObject(object->GetSafeHandle())) : nullptr;
}
CFont* CDC::SelectObject(CFont* font) {
    return font ? CFont::FromHandle(static_cast<HFONT>(SelectObject(font->GetSafeHandle()))) : nullptr;
}
CPen* CDC::SelectObject(CPen* pen) {
    return pen ? CPen::FromHandle(static_cast<HPEN>(SelectObject(pen->GetSafeHandle()))) : nullptr;
}
CBrush* CDC::SelectObject(CBrush* brush) {
    return brush ? CBrush::FromHandle(static_cast<HBRUSH>(SelectObject(brush->GetSafeHandle()))) : nullptr;
}
CBitmap* CDC::SelectObject(CBitmap* bitmap) {
    return bitmap ? CBitmap::FromHandle(static_cast<HBITMAP>(SelectObject(bitmap->GetSafeHandle()))) : nullptr;
}
CGdiObject* CDC::SelectStockObject(int index) { return CGdiObject::FromHandle(SelectObject(GetStockObject(index))); }

int CDC::SelectClipRgn(CRgn* region) {
    return m_hDC ? ::SelectClipRgn(m_hDC, region ? static_cast<HRGN>(*region) : nullptr) : ERROR;
}
int CDC::IntersectClipRect(int l, int t, int r, int b) { return m_hDC ? ::IntersectClipRect(m_hDC, l, t, r, b) : ERROR; }
int CDC::ExcludeClipRect(int l, int t, int r, int b) { return m_hDC ? ::ExcludeClipRect(m_hDC, l, t, r, b) : ERROR; }
int CDC::GetClipBox(LPRECT rect) const { return m_hDC ? ::GetClipBox(m_hDC, rect) : ERROR; }
int CDC::SaveDC() { return m_hDC ? ::SaveDC(m_hDC) : 0; }
BOOL CDC::RestoreDC(int saved) { return m_hDC && ::RestoreDC(m_hDC, saved); }

COLORREF CDC::SetTextColor(COLORREF color) { return m_hDC ? ::SetTextColor(m_hDC, color) : CLR_INVALID; }
COLORREF CDC::GetTextColor() const { return m_hDC ? ::GetTextColor(m_hDC) : CLR_INVALID; }
COLORREF CDC::SetBkColor(COLORREF color) { return m_hDC ? ::SetBkColor(m_hDC, color) : CLR_INVALID; }
COLORREF CDC::GetBkColor() const { return m_hDC ? ::GetBkColor(m_hDC) : CLR_INVALID; }
int CDC::SetBkMode(int mode) { return m_hDC ? ::SetBkMode(m_hDC, mode) : 0; }
int CDC::GetBkMode() const { return m_hDC ? ::GetBkMode(m_hDC) : 0; }
UINT CDC::SetTextAlign(UINT flags) { return m_hDC ? ::SetTextAlign(m_hDC, flags) : GDI_ERROR; }
int CDC::SetMapMode(int mode) { return m_hDC ? ::SetMapMode(m_hDC, mode) : 0; }
int CDC::GetDeviceCaps(int index) const { return m_hDC ? ::GetDeviceCaps(m_hDC, index) : 0; }
void CDC::LPtoDP(LPPOINT points, int count) const {
    if (m_hDC) ::LPtoDP(m_hDC, points, count);
}
void CDC::DPtoLP(LPPOINT points, int count) const {
    if (m_hDC) ::DPtoLP(m_hDC, points, count);
}
void CDC::HIMETRICtoDP(LPSIZE size) const {
    if (!m_hDC || !size) return;
    // HIMETRIC is hundredths of a millimetre: 2540 to the inch.
    size->cx = MulDiv(size->cx, GetDeviceCaps(LOGPIXELSX), 2540);
    size->cy = MulDiv(size->cy, GetDeviceCaps(LOGPIXELSY), 2540);
}
int CDC::SetStretchBltMode(int mode) { return m_hDC ? ::SetStretchBltMode(m_hDC, mode) : 0; }

BOOL CDC::TextOut(int x, int y, const char* text, int count) {
    return m_hDC && text && ::TextOutA(m_hDC, x, y, text, count);
}

BOOL CDC::ExtTextOut(int x, int y, UINT options, const RECT* rect, const char* text, UINT count, const int* dx) {
    return m_hDC && ::ExtTextOutA(m_hDC, x, y, options, rect, text, count, dx);
}

int CDC::DrawText(const char* text, int count, LPRECT rect, UINT format) {
    return m_hDC && text ? ::DrawTextA(m_hDC, text, count, rect, format) : 0;
}

CSize CDC::GetTextExtent(const char* text, int count) const {
    SIZE size = {0, 0};
    if (m_hDC && text) ::GetTextExtentPoint32A(m_hDC, text, count, &size);
    return CSize(size);
}

BOOL CDC::GetTextMetrics(TEXTMETRICA* metrics) const { return m_hDC && ::GetTextMetricsA(m_hDC, metrics); }

void CDC::FillRect(const RECT* rect, CBrush* brush) {
    if (m_hDC && brush) ::FillRect(m_hDC, rect, *brush);
}

void CDC::FillSolidRect(const RECT* rect, COLORREF color) {
    if (!m_hDC) return;
    COLORREF old = ::SetBkColor(m_hDC, color);
    ::ExtTextOutA(m_hDC, 0, 0, ETO_OPAQUE, rect, nullptr, 0, nullptr);
    ::SetBkColor(m_hDC, old);
}

void CDC::FillSolidRect(int x, int y, int width, int height, COLORREF color) {
    RECT rect = {x, y, x + width, y + height};
    FillSolidRect(&rect, color);
}

void CDC::FrameRect(const RECT* rect, CBrush* brush) {
    if (m_hDC && brush) ::FrameRect(m_hDC, rect, *brush);
}

BOOL CDC::FillRgn(CRgn* region, CBrush* brush) { return m_hDC && region && brush && ::FillRgn(m_hDC, *region, *brush); }

BOOL CDC::FrameRgn(CRgn* region, CBrush* brush, int width, int height) {
    return m_hDC && region && brush && ::FrameRgn(m_hDC, *region, *brush, width, height);
}

BOOL CDC::Rectangle(int l, int t, int r, int b) { return m_hDC && ::Rectangle(m_hDC, l, t, r, b); }
BOOL CDC::RoundRect(int l, int t, int r, int b, int w, int h) { return m_hDC && ::RoundRect(m_hDC, l, t, r, b, w, h); }
BOOL CDC::Ellipse(int l, int t, int r, int b) { return m_hDC && ::Ellipse(m_hDC, l, t, r, b); }

CPoint CDC::MoveTo(int x, int y) {
    POINT old = {0, 0};
    if (m_hDC) ::MoveToEx(m_hDC, x, y, &old);
    return CPoint(old);
}

BOOL CDC::LineTo(int x, int y) { return m_hDC && ::LineTo(m_hDC, x, y); }
BOOL CDC::Polygon(const POINT* points, int count) { return m_hDC && ::Polygon(m_hDC, points, count); }
BOOL CDC::Polyline(const POINT* points, int count) { return m_hDC && ::Polyline(m_hDC, points, count); }

BOOL CDC::BitBlt(int x, int y, int width, int height, CDC* source, int sourceX, int sourceY, DWORD rop) {
    return m_hDC && ::BitBlt(m_hDC, x, y, width, height, source ? source->m_hDC : nullptr, sourceX, sourceY, rop);
}

BOOL CDC::StretchBlt(int x, int y, int width, int height, CDC* source, int sourceX, int sourceY, int sourceWidth,
                     int sourceHeight, DWORD rop) {
    return m_hDC && ::StretchBlt(m_hDC, x, y, width, height, source ? source->m_hDC : nullptr, sourceX, sourceY,
                                 sourceWidth, sourceHeight, rop);
}

BOOL CDC::PatBlt(int x, int y, int width, int height, DWORD rop) { return m_hDC && ::PatBlt(m_hDC, x, y, width, height, rop); }
BOOL CDC::DrawIcon(int x, int y, HICON icon) { return m_hDC && ::DrawIcon(m_hDC, x, y, icon); }
BOOL CDC::DrawEdge(LPRECT rect, UINT edge, UINT flags) { return m_hDC && ::DrawEdge(m_hDC, rect, edge, flags); }
void CDC::DrawFocusRect(const RECT* rect) {
    if (m_hDC) ::DrawFocusRect(m_hDC, rect);
}
COLORREF CDC::GetPixel(int x, int y) const { return m_hDC ? ::GetPixel(m_hDC, x, y) : CLR_INVALID; }
COLORREF CDC::SetPixel(int x, int y, COLORREF color) { return m_hDC ? ::SetPixel(m_hDC, x, y, color) : CLR_INVALID; }

CPaintDC::CPaintDC(CWnd* wnd) : m_ps() {
    HWND hwnd = wnd ? wnd->m_hWnd : nullptr;
    if (!hwnd) return;
    handle_traits::PaintHandle session = {hwnd, PAINTSTRUCT{}};
    if (!BeginPaint(hwnd, &session.paint)) return;
    m_ps = session.paint;
    paint_.Reset(session);
    m_hDC = m_ps.hdc;
}

CPaintDC::~CPaintDC() { RestoreSelections(); }

CClientDC::CClientDC(CWnd* wnd) {
    HWND hwnd = wnd ? wnd->m_hWnd : nullptr;
    dc_.Reset(handle_traits::WindowDcHandle{hwnd, ::GetDC(hwnd)});
    m_hDC = dc_.Get().dc;
}

CClientDC::~CClientDC() { RestoreSelections(); }

CWindowDC::CWindowDC(CWnd* wnd) {
    HWND hwnd = wnd ? wnd->m_hWnd : nullptr;
    dc_.Reset(handle_traits::WindowDcHandle{hwnd, ::GetWindowDC(hwnd)});
    m_hDC = dc_.Get().dc;
}

CWindowDC::~CWindowDC() { RestoreSelections(); }
