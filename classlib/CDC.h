// Device contexts: CDC (a memory DC it creates, or one attached), CPaintDC (BeginPaint/EndPaint),
// CClientDC and CWindowDC (GetDC/GetWindowDC of a window). The objects selected into a DC the
// class made or borrowed are put back before the DC goes.
#pragma once
#include "classlib/CGdiObject.h"
#include "classlib/CString.h"

class CWnd;

class CDC {
public:
    CDC() : m_hDC(nullptr) {}
    virtual ~CDC();
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    HDC m_hDC;  // the DC drawn on (owned or not)
    HDC GetSafeHdc() const { return m_hDC; }
    operator HDC() const { return m_hDC; }

    BOOL CreateCompatibleDC(CDC* dc);  // null: compatible with the screen
    BOOL DeleteDC();
    BOOL Attach(HDC dc);  // wraps a DC without owning it
    HDC Detach();
    static CDC* FromHandle(HDC dc);  // a temporary object
    static void AttachTemporary(CDC* temporary, HDC dc) { temporary->m_hDC = dc; }
    static void ForgetTemporary(CDC* temporary) { temporary->m_hDC = nullptr; }

    // Selection: each answers the object that was selected before (a temporary object).
    CGdiObject* SelectObject(CGdiObject* object);
    CFont* SelectObject(CFont* font);
    CPen* SelectObject(CPen* pen);
    CBrush* SelectObject(CBrush* brush);
    CBitmap* SelectObject(CBitmap* bitmap);
    HGDIOBJ SelectObject(HGDIOBJ object);
    CGdiObject* SelectStockObject(int index);
    int SelectClipRgn(CRgn* region);  // null removes the clip region
    int IntersectClipRect(int left, int top, int right, int bottom);
    int ExcludeClipRect(int left, int top, int right, int bottom);
    int GetClipBox(LPRECT rect) const;
    int SaveDC();
    BOOL RestoreDC(int saved);

    // Attributes.
    COLORREF SetTextColor(COLORREF color);
    COLORREF GetTextColor() const;
    COLORREF SetBkColor(COLORREF color);
    COLORREF GetBkColor() const;
    int SetBkMode(int mode);
    int GetBkMode() const;
    UINT SetTextAlign(UINT flags);
    int SetMapMode(int mode);
    int GetDeviceCaps(int index) const;
    void LPtoDP(LPPOINT points, int count = 1) const;
    void DPtoLP(LPPOINT points, int count = 1) const;
    void HIMETRICtoDP(LPSIZE size) const;
    int SetStretchBltMode(int mode);

    // Text.
    BOOL TextOut(int x, int y, const char* text, int count);
    BOOL TextOut(int x, int y, const CString& text) { return TextOut(x, y, text, text.GetLength()); }
    BOOL ExtTextOut(int x, int y, UINT options, const RECT* rect, const char* text, UINT count, const int* dx = nullptr);
    int DrawText(const char* text, int count, LPRECT rect, UINT format);
    int DrawText(const CString& text, LPRECT rect, UINT format) { return DrawText(text, text.GetLength(), rect, format); }
    CSize GetTextExtent(const char* text, int count) const;
    CSize GetTextExtent(const CString& text) const { return GetTextExtent(text, text.GetLength()); }
    BOOL GetTextMetrics(TEXTMETRICA* metrics) const;

    // Drawing.
    void FillRect(const RECT* rect, CBrush* brush);
    void FillSolidRect(const RECT* rect, COLORREF color);
    void FillSolidRect(int x, int y, int width, int height, COLORREF color);
    void FrameRect(const RECT* rect, CBrush* brush);
    BOOL FillRgn(CRgn* region, CBrush* brush);
    BOOL FrameRgn(CRgn* region, CBrush* brush, int width, int height);
    BOOL Rectangle(int left, int top, int right, int bottom);
    BOOL Rectangle(const RECT* rect) { return Rectangle(rect->left, rect->top, rect->right, rect->bottom); }
    BOOL RoundRect(int left, int top, int right, int bottom, int width, int height);
    BOOL Ellipse(int left, int top, int right, int bottom);
    CPoint MoveTo(int x, int y);
    BOOL LineTo(int x, int y);
    BOOL Polygon(const POINT* points, int count);
    BOOL Polyline(const POINT* points, int count);
    BOOL BitBlt(int x, int y, int width, int height, CDC* source, int sourceX, int sourceY, DWORD rop);
    BOOL StretchBlt(int x, int y, int width, int height, CDC* source, int sourceX, int sourceY, int sourceWidth,
                    int sourceHeight, DWORD rop);
    BOOL PatBlt(int x, int y, int width, int height, DWORD rop);
    BOOL DrawIcon(int x, int y, HICON icon);
    BOOL DrawEdge(LPRECT rect, UINT edge, UINT flags);
    void DrawFocusRect(const RECT* rect);
    COLORREF GetPixel(int x, int y) const;
    COLORREF SetPixel(int x, int y, COLORREF color);

protected:
    // Puts back the objects this object's selections replaced.
    void RestoreSelections();

private:
    static int SlotOf(HGDIOBJ object);
    HGDIOBJ originals_[4] = {};  // font, pen, brush, bitmap as first replaced
    ScopedDC owned_;             // a DC made by CreateCompatibleDC
};

class CPaintDC : public CDC {
public:
    explicit CPaintDC(CWnd* wnd);
    ~CPaintDC() override;
    PAINTSTRUCT m_ps;

private:
    ScopedPaint paint_;
};

class CClientDC : public CDC {
public:
    explicit CClientDC(CWnd* wnd);  // null: the screen
    ~CClientDC() override;

private:
    ScopedWindowDC dc_;
};

class CWindowDC : public CDC {
public:
    explicit CWindowDC(CWnd* wnd);
    ~CWindowDC() override;

private:
    ScopedWindowDC dc_;
};
