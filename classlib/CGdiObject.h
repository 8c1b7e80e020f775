// GDI objects (fonts, pens, brushes, bitmaps, regions), each owning its handle; FromHandle gives
// a temporary object that does not own it.
#pragma once
#include "classlib/HandleOwner.h"
#include "classlib/Geometry.h"
#include "classlib/TempMap.h"

class CDC;

class CGdiObject {
public:
    CGdiObject() {}
    virtual ~CGdiObject() {}
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;

    HGDIOBJ GetSafeHandle() const { return object_.Get(); }
    operator HGDIOBJ() const { return object_.Get(); }
    // Takes ownership; FALSE when the object holds one already.
    BOOL Attach(HGDIOBJ object);
    HGDIOBJ Detach() { return object_.Release(); }
    BOOL DeleteObject();
    int GetObject(int size, void* buffer) const;
    BOOL CreateStockObject(int index);  // a stock object (deleting one is harmless)
    static CGdiObject* FromHandle(HGDIOBJ object);

    // Temporary objects (TempMap.h).
    static void AttachTemporary(CGdiObject* temporary, HGDIOBJ object) { temporary->Attach(object); }
    static void ForgetTemporary(CGdiObject* object) { object->Detach(); }

protected:
    ScopedGdiObject<HGDIOBJ> object_;
};

class CFont : public CGdiObject {
public:
    operator HFONT() const { return static_cast<HFONT>(GetSafeHandle()); }
    BOOL CreateFontIndirect(const LOGFONTA* font);
    BOOL CreateFont(int height, int width, int escapement, int orientation, int weight, BYTE italic, BYTE underline,
                    BYTE strikeOut, BYTE charSet, BYTE outPrecision, BYTE clipPrecision, BYTE quality,
                    BYTE pitchAndFamily, const char* faceName);
    // Size in tenths of a point for the DC (the screen when null).
    BOOL CreatePointFont(int pointSize, const char* faceName, CDC* dc = nullptr);
    int GetLogFont(LOGFONTA* font) const;
    static CFont* FromHandle(HFONT font) { return font ? TempMap<CFont, HGDIOBJ>::Get(font) : nullptr; }
};

class CPen : public CGdiObject {
public:
    CPen() {}
    CPen(int style, int width, COLORREF color) { CreatePen(style, width, color); }
    operator HPEN() const { return static_cast<HPEN>(GetSafeHandle()); }
    BOOL CreatePen(int style, int width, COLORREF color);
    static CPen* FromHandle(HPEN pen) { return pen ? TempMap<CPen, HGDIOBJ>::Get(pen) : nullptr; }
};

class CBrush : public CGdiObject {
public:
    CBrush() {}
    explicit CBrush(COLORREF color) { CreateSolidBrush(color); }
    operator HBRUSH() const { return static_cast<HBRUSH>(GetSafeHandle()); }
    BOOL CreateSolidBrush(COLORREF color);
    BOOL CreateHatchBrush(int index, COLORREF color);
    BOOL CreatePatternBrush(class CBitmap* bitmap);
    BOOL CreateSysColorBrush(int index);
    static CBrush* FromHandle(HBRUSH brush) { return brush ? TempMap<CBrush, HGDIOBJ>::Get(brush) : nullptr; }
};

class CBitmap : public CGdiObject {
public:
    operator HBITMAP() const { return static_cast<HBITMAP>(GetSafeHandle()); }
    BOOL LoadBitmap(UINT id);  // from the resource module
    BOOL CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits);
    BOOL CreateCompatibleBitmap(CDC* dc, int width, int height);
    int GetBitmap(BITMAP* info) const;
    static CBitmap* FromHandle(HBITMAP bitmap) { return bitmap ? TempMap<CBitmap, HGDIOBJ>::Get(bitmap) : nullptr; }
};

class CRgn : public CGdiObject {
public:
    operator HRGN() const { return static_cast<HRGN>(GetSafeHandle()); }
    BOOL CreateRectRgn(int left, int top, int right, int bottom);
    BOOL CreateRectRgnIndirect(const RECT* rect);
    BOOL CreateRoundRectRgn(int left, int top, int right, int bottom, int width, int height);
    BOOL CreateEllipticRgn(int left, int top, int right, int bottom);
    int CombineRgn(CRgn* a, CRgn* b, int mode);
    BOOL PtInRegion(int x, int y) const;
    int GetRgnBox(LPRECT rect) const;
    static CRgn* FromHandle(HRGN region) { return region ? TempMap<CRgn, HGDIOBJ>::Get(region) : nullptr; }
};
