#include "classlib/CGdiObject.h"
#include "classlib/CDC.h"
#include "classlib/CWinApp.h"

BOOL CGdiObject::Attach(HGDIOBJ object) {
    if (!object || object_.IsValid()) return FALSE;
    object_.Reset(object);
    return TRUE;
}

BOOL CGdiObject::DeleteObject() {
    if (!object_.IsValid()) return FALSE;
    object_.Reset();
    return TRUE;
}

int CGdiObject::GetObject(int size, void* buffer) const {
    return object_.IsValid() ? ::GetObjectA(object_.Get(), size, buffer) : 0;
}

BOOL CGdiObject::CreateStockObject(int index) { return Attach(::GetStockObject(index)); }

CGdiObject* CGdiObject::FromHandle(HGDIOBJ object) {
    return object ? TempMap<CGdiObject, HGDIOBJ>::Get(object) : nullptr;
}

BOOL CFont::CreateFontIndirect(const LOGFONTA* font) { return font && Attach(::CreateFontIndirectA(font)); }

BOOL CFont::CreateFont(int height, int width, int escapement, int orientation, int weight, BYTE italic,
                       BYTE underline, BYTE strikeOut, BYTE charSet, BYTE outPrecision, BYTE clipPrecision,
                       BYTE quality, BYTE pitchAndFamily, const char* faceName) {
    return Attach(::CreateFontA(height, width, escapement, orientation, weight, italic, underline, strikeOut, charSet,
                                outPrecision, clipPrecision, quality, pitchAndFamily, faceName));
}

BOOL CFont::CreatePointFont(int pointSize, const char* faceName, CDC* dc) {
    HDC screen = dc ? dc->m_hDC : ::GetDC(nullptr);
    LOGFONTA font = {};
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfHeight = -MulDiv(pointSize, GetDeviceCaps(screen, LOGPIXELSY), 720);
    lstrcpynA(font.lfFaceName, faceName ? faceName : "", LF_FACESIZE);
    if (!dc) ::ReleaseDC(nullptr, screen);
    return CreateFontIndirect(&font);
}

int CFont::GetLogFont(LOGFONTA* font) const { return GetObject(sizeof(LOGFONTA), font); }

BOOL CPen::CreatePen(int style, int width, COLORREF color) { return Attach(::CreatePen(style, width, color)); }

BOOL CBrush::CreateSolidBrush(COLORREF color) { return Attach(::CreateSolidBrush(color)); }
BOOL CBrush::CreateHatchBrush(int index, COLORREF color) { return Attach(::CreateHatchBrush(index, color)); }
BOOL CBrush::CreatePatternBrush(CBitmap* bitmap) {
    return bitmap && Attach(::CreatePatternBrush(static_cast<HBITMAP>(bitmap->GetSafeHandle())));
}
BOOL CBrush::CreateSysColorBrush(int index) { return Attach(::GetSysColorBrush(index)); }

BOOL CBitmap::LoadBitmap(UINT id) { return Attach(::LoadBitmapA(AfxGetResourceHandle(), MAKEINTRESOURCEA(id))); }

BOOL CBitmap::CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits) {
    return Attach(::CreateBitmap(width, height, planes, bitsPerPixel, bits));
}

BOOL CBitmap::CreateCompatibleBitmap(CDC* dc, int width, int height) {
    return dc && Attach(::CreateCompatibleBitmap(dc->m_hDC, width, height));
}

int CBitmap::GetBitmap(BITMAP* info) const { return GetObject(sizeof(BITMAP), info); }

BOOL CRgn::CreateRectRgn(int left, int top, int right, int bottom) {
    return Attach(::CreateRectRgn(left, top, right, bottom));
}
BOOL CRgn::CreateRectRgnIndirect(const RECT* rect) { return rect && Attach(::CreateRectRgnIndirect(rect)); }
BOOL CRgn::CreateRoundRectRgn(int left, int top, int right, int bottom, int width, int height) {
    return Attach(::CreateRoundRectRgn(left, top, right, bottom, width, height));
}
BOOL CRgn::CreateEllipticRgn(int left, int top, int right, int bottom) {
    return Attach(::CreateEllipticRgn(left, top, right, bottom));
}
int CRgn::CombineRgn(CRgn* a, CRgn* b, int mode) {
    if (!GetSafeHandle() || !a) return ERROR;
    return ::CombineRgn(*this, *a, b ? static_cast<HRGN>(*b) : nullptr, mode);
}
BOOL CRgn::PtInRegion(int x, int y) const { return GetSafeHandle() && ::PtInRegion(*this, x, y); }
int CRgn::GetRgnBox(LPRECT rect) const { return GetSafeHandle() ? ::GetRgnBox(*this, rect) : ERROR; }
