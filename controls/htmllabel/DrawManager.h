// Drawing toolkit of the HTML label: bitmaps and icons with colour effects, masks, alpha and
// shadows, gradient and texture fills, tiles, and styled lines and rectangles.
#pragma once
#include "controls/htmllabel/PaletteDib.h"
#include <vector>

// Pixels inside the 32-bit sections read 0xAARRGGBB; colours at the interface are COLORREF.
class CDrawManager {
public:
    enum ImageStyle {
        kGray = 0x0001,
        kDarken = 0x0002,
        kLighten = 0x0004,
        kColorize = 0x0008,
        kShadow = 0x0100,
        kSoftShadow = 0x0200,
        kInvert = 0x8000,
    };
    enum FillEffectKind {
        kTransparent = -1,
        kSolid = 0,
        kHGradient = 1,
        kVGradient,
        kHCGradient,
        kVCGradient,
        k3HGradient,
        k3VGradient,
        kNoise,
        kDiagShade,
        kHShade,
        kVShade,
        kHBump,
        kVBump,
        kSoftBump,
        kHardBump,
        kMetal,
    };
    enum LineStyle { kNone = 0, kSolidLine = 1, kDashed = 2, kDotted = 3, kDashDot = 4, kDashDotDot = 5, kDouble = 6 };

    CDrawManager();
    virtual ~CDrawManager();
    CDrawManager(const CDrawManager&) = delete;
    CDrawManager& operator=(const CDrawManager&) = delete;

    static DWORD GrayColor(DWORD pixel);
    static COLORREF GrayColorRGB(COLORREF color);
    static DWORD InvertColor(DWORD pixel);
    // 0 <= factor < 1 darkens, 0 < factor <= 1 lightens; other factors leave the pixel alone.
    static DWORD DarkenColor(DWORD pixel, double factor);
    static DWORD LightenColor(DWORD pixel, double factor);
    static DWORD MixedColor(DWORD a, double aShare, DWORD b, double bShare);
    // COLORREF 0x00BBGGRR to pixel order 0x00RRGGBB and back (the same swap).
    static DWORD SwapRB(DWORD value) { return (value & 0xFF00FF00u) | ((value >> 16) & 0xFF) | ((value & 0xFF) << 16); }

    static SIZE GetSizeOfIcon(HICON icon);
    static SIZE GetSizeOfBitmap(HBITMAP bitmap);

    // A new 32-bit section of the size holding the bitmap with the style's effects; null when
    // it cannot be made.
    HBITMAP CreateImageEffect(HBITMAP bitmap, int width, int height, UINT flags, BOOL maskOn, COLORREF maskColor,
                              COLORREF color);
    void DrawBitmap(HDC dc, int x, int y, int width, int height, HBITMAP bitmap, BOOL maskOn, COLORREF maskColor,
                    UINT style, BOOL shadowRoom, int shadowDx, int shadowDy, int blurX, int blurY,
                    COLORREF shadowColor);
    void DrawIcon(HDC dc, int x, int y, int width, int height, HICON icon, UINT style, BOOL shadowRoom, int shadowDx,
                  int shadowDy, int blurX, int blurY, COLORREF shadowColor);
    void DrawImageList(HDC dc, int x, int y, int width, int height, HBITMAP strip, int index, int cellWidth,
                       int cellHeight, BOOL maskOn, COLORREF maskColor, UINT style, BOOL shadowRoom, int shadowDx,
                       int shadowDy, int blurX, int blurY, COLORREF shadowColor);
    // A new icon of the size; the caller destroys it. Null when the icon cannot be read.
    static HICON StretchIcon(HICON icon, int width, int height);

    // Darkens the target by the shadow picture (white leaves it, the shadow colour darkens);
    // soft blurs its edge over blurX x blurY. A picture no larger than the blur casts nothing.
    void DrawShadow(HDC dc, int x, int y, int width, int height, HBITMAP shadow, BOOL soft, int blurX, int blurY);
    // The two halves of DrawShadow: the factors per pixel (rows bottom-up), then the darkening.
    bool MakeShadowFactors(HDC dc, int width, int height, HBITMAP shadow, std::vector<double>& factors, BOOL soft,
                           int blurX, int blurY);
    void DarkenByFactors(HDC dc, int x, int y, int width, int height, const std::vector<double>& factors);

    void AlphaBitBlt(HDC target, int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
                     int percent);
    // Blends each source pixel over the target by its own alpha byte.
    void AlphaChannelBitBlt(HDC target, int x, int y, int width, int height, HDC source, int sourceX, int sourceY);

    void FillEffect(HDC dc, int effect, const RECT& rect, COLORREF begin, COLORREF middle, COLORREF end,
                    BYTE granularity, BYTE coloring);
    // 64 bands from one colour to the other, across or down the rectangle.
    void DrawGradient(HDC dc, const RECT& rect, COLORREF from, COLORREF to, BOOL horizontal);
    // Nothing for a tile or area of 0 or less.
    void TileBitmap(HDC target, int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
                    int tileWidth, int tileHeight);
    void DrawRectangle(HDC dc, const RECT& rect, COLORREF topLeft, COLORREF bottomRight, int style, int penWidth);
    void DrawLine(HDC dc, int x1, int y1, int x2, int y2, COLORREF color, int style, int penWidth);

    // Set when the last image effect met a pixel with a non-zero alpha byte.
    bool AlphaFound() const { return alphaFound_; }

private:
    void DrawPrepared(HDC dc, int x, int y, int width, int height, HBITMAP picture, HBITMAP mask, UINT style,
                      BOOL shadowRoom, int shadowDx, int shadowDy, int blurX, int blurY, HBITMAP shadow,
                      bool monochromeMask);
    void FillTexture(HDC dc, int effect, const RECT& rect, COLORREF begin, COLORREF middle, COLORREF end,
                     BYTE granularity, BYTE coloring);

    CPaletteDib texture_;
    bool alphaFound_;
};
