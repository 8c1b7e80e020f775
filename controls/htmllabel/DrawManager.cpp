#include "controls/htmllabel/DrawManager.h"
#include "controls/htmllabel/GdiScratch.h"
#include <algorithm>

namespace {
const COLORREF kWhite = RGB(255, 255, 255);

int Red(DWORD pixel) { return static_cast<int>((pixel >> 16) & 0xFF); }
int Green(DWORD pixel) { return static_cast<int>((pixel >> 8) & 0xFF); }
int Blue(DWORD pixel) { return static_cast<int>(pixel & 0xFF); }
DWORD Pixel(int red, int green, int blue) {
    return (static_cast<DWORD>(red) << 16) | (static_cast<DWORD>(green) << 8) | static_cast<DWORD>(blue);
}
int Channel(double value) { return value >= 255.0 ? 255 : (value <= 0.0 ? 0 : static_cast<int>(value)); }

// Fills the target bitmap's width x height from the source's area, stretched when the sizes
// differ; both are selected into contexts compatible with the reference (null: the screen).
bool CopyBitmap(HDC reference, HBITMAP target, int width, int height, HBITMAP source, int sourceX, int sourceY,
                int sourceWidth, int sourceHeight) {
    SelectedDC to(reference, target);
    SelectedDC from(reference, source);
    if (!to || !from) return false;
    if (sourceWidth == width && sourceHeight == height)
        BitBlt(to.Get(), 0, 0, width, height, from.Get(), sourceX, sourceY, SRCCOPY);
    else
        StretchBlt(to.Get(), 0, 0, width, height, from.Get(), sourceX, sourceY, sourceWidth, sourceHeight, SRCCOPY);
    return true;
}

// A copy of the bitmap, stretched to the size, in a new bitmap of the same planes and depth.
HBITMAP StretchedCopy(HBITMAP source, int sourceWidth, int sourceHeight, int width, int height) {
    BITMAP description = {};
    if (!source || !GetObjectA(source, sizeof(description), &description)) return nullptr;
    ScopedBitmap copy(CreateBitmap(width, height, description.bmPlanes, description.bmBitsPixel, nullptr));
    if (!copy || !CopyBitmap(nullptr, copy.Get(), width, height, source, 0, 0, sourceWidth, sourceHeight))
        return nullptr;
    return copy.Release();
}

// Copies an area of a device context into a section of its size.
bool CopyArea(DibSection32& section, HDC source, int x, int y, int width, int height) {
    if (!section.Make(width, height)) return false;
    SelectedDC to(source, section.Get());
    if (!to) return false;
    BitBlt(to.Get(), 0, 0, width, height, source, x, y, SRCCOPY);
    GdiFlush();
    return true;
}

void PutArea(HDC target, int x, int y, int width, int height, const DibSection32& section) {
    SelectedDC from(target, section.Get());
    if (from) BitBlt(target, x, y, width, height, from.Get(), 0, 0, SRCCOPY);
}
}  // namespace

CDrawManager::CDrawManager() : alphaFound_(false) {}

CDrawManager::~CDrawManager() {}

DWORD CDrawManager::GrayColor(DWORD pixel) {
    // The weights 0.299, 0.587 and 0.114 in thousandths, so that white stays white.
    DWORD grey = static_cast<DWORD>((299 * Red(pixel) + 587 * Green(pixel) + 114 * Blue(pixel)) / 1000) & 0xFF;
    return grey * 0x010101u;
}

COLORREF CDrawManager::GrayColorRGB(COLORREF color) { return GrayColor(SwapRB(color)); }

DWORD CDrawManager::InvertColor(DWORD pixel) { return ~pixel & 0x00FFFFFFu; }

DWORD CDrawManager::DarkenColor(DWORD pixel, double factor) {
    if (factor < 0.0 || factor >= 1.0) return pixel;
    return (pixel & 0xFF000000u) |
           Pixel(Channel(Red(pixel) * factor), Channel(Green(pixel) * factor), Channel(Blue(pixel) * factor));
}

DWORD CDrawManager::LightenColor(DWORD pixel, double factor) {
    if (factor <= 0.0 || factor > 1.0) return pixel;
    double grow = 1.0 + factor;
    return (pixel & 0xFF000000u) |
           Pixel(Channel(Red(pixel) * grow), Channel(Green(pixel) * grow), Channel(Blue(pixel) * grow));
}

DWORD CDrawManager::MixedColor(DWORD a, double aShare, DWORD b, double bShare) {
    return Pixel(Channel(Red(a) * aShare + Red(b) * bShare), Channel(Green(a) * aShare + Green(b) * bShare),
                 Channel(Blue(a) * aShare + Blue(b) * bShare));
}

SIZE CDrawManager::GetSizeOfIcon(HICON icon) {
    SIZE size = {0, 0};
    ICONINFO info = {};
    if (!icon || !GetIconInfo(icon, &info)) return size;
    ScopedBitmap color(info.hbmColor);
    ScopedBitmap mask(info.hbmMask);
    size.cx = static_cast<LONG>(info.xHotspot * 2);
    size.cy = static_cast<LONG>(info.yHotspot * 2);
    return size;
}

SIZE CDrawManager::GetSizeOfBitmap(HBITMAP bitmap) {
    SIZE size = {0, 0};
    BITMAP description = {};
    if (bitmap && GetObjectA(bitmap, sizeof(description), &description)) {
        size.cx = description.bmWidth;
        size.cy = description.bmHeight;
    }
    return size;
}

HBITMAP CDrawManager::CreateImageEffect(HBITMAP bitmap, int width, int height, UINT flags, BOOL maskOn,
                                        COLORREF maskColor, COLORREF color) {
    if (!bitmap) return nullptr;
    DibSection32 section;
    if (!section.Make(width, height) || !CopyBitmap(nullptr, section.Get(), width, height, bitmap, 0, 0, width, height))
        return nullptr;
    GdiFlush();
    const DWORD mask = SwapRB(maskColor) & 0x00FFFFFFu;
    const DWORD paint = SwapRB(color) & 0x00FFFFFFu;
    DWORD* pixels = section.Bits();
    for (size_t i = 0, n = section.PixelCount(); i < n; ++i) {
        DWORD alpha = pixels[i] & 0xFF000000u;
        if (alpha) alphaFound_ = true;
        DWORD rgb = pixels[i] & 0x00FFFFFFu;
        if (maskOn && rgb == mask) {
            rgb = 0;
        } else {
            if (flags & kGray) rgb = GrayColor(rgb);
            if (flags & kDarken) rgb = DarkenColor(rgb, 0.75);
            if (flags & kLighten) rgb = LightenColor(rgb, 0.25);
            if (flags & kColorize) rgb = paint;
        }
        if (flags & kInvert) rgb = InvertColor(rgb);
        pixels[i] = rgb | alpha;
    }
    return section.Release();
}

void CDrawManager::DrawBitmap(HDC dc, int x, int y, int width, int height, HBITMAP bitmap, BOOL maskOn,
                              COLORREF maskColor, UINT style, BOOL shadowRoom, int shadowDx, int shadowDy, int blurX,
                              int blurY, COLORREF shadowColor) {
    alphaFound_ = false;
    if (!dc || !bitmap || width <= 0 || height <= 0) return;
    SIZE own = GetSizeOfBitmap(bitmap);
    ScopedBitmap stretched(CreateCompatibleBitmap(dc, width, height));
    if (!stretched || !CopyBitmap(dc, stretched.Get(), width, height, bitmap, 0, 0, own.cx, own.cy)) return;
    // Black where the picture shows, white where the mask clears it.
    ScopedBitmap mask(CreateImageEffect(stretched.Get(), width, height, kColorize | kInvert, maskOn, maskColor, kWhite));
    ScopedBitmap image(CreateImageEffect(stretched.Get(), width, height, style, maskOn, maskColor, shadowColor));
    if (!mask || !image) return;
    ScopedBitmap shadow;
    if (shadowRoom && (style & (kShadow | kSoftShadow)))
        shadow.Reset(CreateImageEffect(stretched.Get(), width, height, kColorize | kInvert, maskOn, maskColor,
                                       InvertColor(shadowColor)));
    DrawPrepared(dc, x, y, width, height, image.Get(), mask.Get(), style, shadowRoom, shadowDx, shadowDy, blurX, blurY,
                 shadow.Get(), false);
}

void CDrawManager::DrawIcon(HDC dc, int x, int y, int width, int height, HICON icon, UINT style, BOOL shadowRoom,
                            int shadowDx, int shadowDy, int blurX, int blurY, COLORREF shadowColor) {
    alphaFound_ = false;
    if (!dc || !icon || width <= 0 || height <= 0) return;
    SIZE own = GetSizeOfIcon(icon);
    ScopedIcon sized(own.cx == width && own.cy == height ? CopyIcon(icon) : StretchIcon(icon, width, height));
    ICONINFO info = {};
    if (!sized || !GetIconInfo(sized.Get(), &info)) return;
    ScopedBitmap color(info.hbmColor);
    ScopedBitmap iconMask(info.hbmMask);
    // A monochrome icon carries no colour picture to draw from.
    if (!iconMask || !color) return;
    const bool oneColor = (style & kColorize) != 0;
    ScopedBitmap image(CreateImageEffect(oneColor ? iconMask.Get() : color.Get(), width, height, style, TRUE,
                                         oneColor ? kWhite : 0, shadowColor));
    if (!image) return;
    ScopedBitmap shadow;
    if (shadowRoom && (style & (kShadow | kSoftShadow)))
        shadow.Reset(CreateImageEffect(iconMask.Get(), width, height, kColorize | kInvert, TRUE, kWhite,
                                       InvertColor(shadowColor)));
    DrawPrepared(dc, x, y, width, height, image.Get(), iconMask.Get(), style, shadowRoom, shadowDx, shadowDy, blurX,
                 blurY, shadow.Get(), true);
}

void CDrawManager::DrawPrepared(HDC dc, int x, int y, int width, int height, HBITMAP picture, HBITMAP mask,
                                UINT style, BOOL shadowRoom, int shadowDx, int shadowDy, int blurX, int blurY,
                                HBITMAP shadow, bool monochromeMask) {
    int imageX = x, imageY = y;
    if (shadowRoom) {
        if (style & (kShadow | kSoftShadow)) {
            if (shadow) DrawShadow(dc, x + shadowDx, y + shadowDy, width, height, shadow, (style & kSoftShadow) != 0,
                                   blurX, blurY);
        } else {
            // The place kept for a shadow that only the hot style casts.
            imageX += shadowDx;
            imageY += shadowDy;
        }
    }
    SelectedDC pictureDC(dc, picture);
    if (!pictureDC) return;
    if (alphaFound_) {
        AlphaChannelBitBlt(dc, imageX, imageY, width, height, pictureDC.Get(), 0, 0);
        return;
    }
    SelectedDC maskDC(dc, mask);
    if (!maskDC) return;
    // A monochrome mask is coloured by the target's text and background colours on the way:
    // they must be black and white, whatever the target was set to.
    COLORREF oldText = 0, oldBack = 0;
    if (monochromeMask) {
        oldText = SetTextColor(dc, 0);
        oldBack = SetBkColor(dc, kWhite);
    }
    BitBlt(dc, imageX, imageY, width, height, maskDC.Get(), 0, 0, SRCAND);
    BitBlt(dc, imageX, imageY, width, height, pictureDC.Get(), 0, 0, SRCPAINT);
    if (monochromeMask) {
        SetTextColor(dc, oldText);
        SetBkColor(dc, oldBack);
    }
}

void CDrawManager::DrawImageList(HDC dc, int x, int y, int width, int height, HBITMAP strip, int index,
                                 int cellWidth, int cellHeight, BOOL maskOn, COLORREF maskColor, UINT style,
                                 BOOL shadowRoom, int shadowDx, int shadowDy, int blurX, int blurY,
                                 COLORREF shadowColor) {
    if (!dc || !strip || cellWidth <= 0 || cellHeight <= 0) return;
    SIZE size = GetSizeOfBitmap(strip);
    int across = size.cx / cellWidth;
    int down = size.cy / cellHeight;
    if (across <= 0 || down <= 0 || index < 0 || index >= across * down) return;
    ScopedBitmap cell(CreateCompatibleBitmap(dc, cellWidth, cellHeight));
    if (!cell || !CopyBitmap(dc, cell.Get(), cellWidth, cellHeight, strip, (index % across) * cellWidth,
                             (index / across) * cellHeight, cellWidth, cellHeight))
        return;
    DrawBitmap(dc, x, y, width, height, cell.Get(), maskOn, maskColor, style, shadowRoom, shadowDx, shadowDy, blurX,
               blurY, shadowColor);
}

HICON CDrawManager::StretchIcon(HICON icon, int width, int height) {
    ICONINFO info = {};
    if (!icon || width <= 0 || height <= 0 || !GetIconInfo(icon, &info)) return nullptr;
    ScopedBitmap color(info.hbmColor);
    ScopedBitmap mask(info.hbmMask);
    const int ownWidth = static_cast<int>(info.xHotspot * 2);
    const int ownHeight = static_cast<int>(info.yHotspot * 2);
    ScopedBitmap newColor, newMask;
    if (color) {
        newColor.Reset(StretchedCopy(color.Get(), ownWidth, ownHeight, width, height));
        newMask.Reset(StretchedCopy(mask.Get(), ownWidth, ownHeight, width, height));
    } else {
        // A monochrome icon's mask holds its AND and XOR halves one above the other.
        newMask.Reset(StretchedCopy(mask.Get(), ownWidth, GetSizeOfBitmap(mask.Get()).cy, width, height * 2));
    }
    if (!newMask || (color && !newColor)) return nullptr;
    ICONINFO made = {};
    made.fIcon = TRUE;
    made.hbmMask = newMask.Get();
    made.hbmColor = newColor.Get();
    // The icon takes copies: the stretched bitmaps go with their owners.
    return CreateIconIndirect(&made);
}

namespace {
// Gives put(index, factor) the darkening factor of every pixel of a width x height shadow, rows
// bottom-up. Soft: a box filter of blurX x blurY over the picture shrunk by the blur inside a
// white border, by running sums kept for one row of columns, so that what it allocates grows
// with the width alone. The sums are whole numbers, so a white neighbourhood gives exactly 1.
template <class Put>
bool ShadowFactors(HDC dc, int width, int height, HBITMAP shadow, BOOL soft, int blurX, int blurY, Put put) {
    if (!shadow || width <= 0 || height <= 0) return false;
    if (soft) {
        if (blurX < 1) blurX = 1;
        if (blurY < 1) blurY = 1;
        if (blurX % 2 == 0) ++blurX;
        if (blurY % 2 == 0) ++blurY;
        // The picture shrinks by the blur to leave room for the soft edge; nothing is left of a
        // picture no larger than the blur.
        if (width - blurX <= 0 || height - blurY <= 0) return false;
    }
    DibSection32 section;
    if (!section.Make(width, height)) return false;
    {
        SelectedDC to(dc, section.Get());
        SelectedDC from(dc, shadow);
        if (!to || !from) return false;
        if (soft) {
            PatBlt(to.Get(), 0, 0, width, height, WHITENESS);
            SIZE own = CDrawManager::GetSizeOfBitmap(shadow);
            StretchBlt(to.Get(), blurX / 2, blurY / 2, width - blurX, height - blurY, from.Get(), 0, 0, own.cx,
                       own.cy, SRCCOPY);
        } else {
            BitBlt(to.Get(), 0, 0, width, height, from.Get(), 0, 0, SRCCOPY);
        }
    }
    GdiFlush();
    const DWORD* pixels = section.Bits();
    if (!soft) {
        for (size_t i = 0, count = section.PixelCount(); i < count; ++i) put(i, Blue(pixels[i]) / 255.0);
        return true;
    }
    // The field is the picture with a border of white, blurX - 1 wider and blurY - 1 higher.
    auto field = [&](int fieldRow, int fieldColumn) -> unsigned long long {
        const int row = fieldRow - blurY / 2, column = fieldColumn - blurX / 2;
        if (row < 0 || row >= height || column < 0 || column >= width) return 255;
        return static_cast<unsigned long long>(Blue(pixels[static_cast<size_t>(row) * width + column]));
    };
    // The sums over blurX cells along one field row, for each column of the picture.
    std::vector<unsigned long long> rowSums(static_cast<size_t>(width));
    auto sumRow = [&](int fieldRow) {
        unsigned long long sum = 0;
        for (int i = 0; i < blurX; ++i) sum += field(fieldRow, i);
        rowSums[0] = sum;
        for (int column = 1; column < width; ++column) {
            sum += field(fieldRow, column + blurX - 1) - field(fieldRow, column - 1);
            rowSums[column] = sum;
        }
    };
    std::vector<unsigned long long> columnSums(static_cast<size_t>(width), 0);
    for (int i = 0; i < blurY; ++i) {
        sumRow(i);
        for (int column = 0; column < width; ++column) columnSums[column] += rowSums[column];
    }
    const double cells = static_cast<double>(blurX) * blurY * 255.0;
    for (int row = 0; row < height; ++row) {
        if (row > 0) {
            sumRow(row + blurY - 1);
            for (int column = 0; column < width; ++column) columnSums[column] += rowSums[column];
            sumRow(row - 1);
            for (int column = 0; column < width; ++column) columnSums[column] -= rowSums[column];
        }
        for (int column = 0; column < width; ++column)
            put(static_cast<size_t>(row) * width + column, static_cast<double>(columnSums[column]) / cells);
    }
    return true;
}
}  // namespace

bool CDrawManager::MakeShadowFactors(HDC dc, int width, int height, HBITMAP shadow, std::vector<double>& factors,
                                     BOOL soft, int blurX, int blurY) {
    factors.clear();
    if (!shadow || width <= 0 || height <= 0) return false;
    factors.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
    const bool made = ShadowFactors(dc, width, height, shadow, soft, blurX, blurY,
                                    [&](size_t i, double factor) { factors[i] = factor; });
    if (!made) factors.clear();
    return made;
}

void CDrawManager::DarkenByFactors(HDC dc, int x, int y, int width, int height, const std::vector<double>& factors) {
    if (!dc || width <= 0 || height <= 0 || factors.size() != static_cast<size_t>(width) * height) return;
    DibSection32 area;
    if (!CopyArea(area, dc, x, y, width, height)) return;
    DWORD* pixels = area.Bits();
    for (size_t i = 0; i < factors.size(); ++i) pixels[i] = DarkenColor(pixels[i], factors[i]);
    PutArea(dc, x, y, width, height, area);
}

void CDrawManager::DrawShadow(HDC dc, int x, int y, int width, int height, HBITMAP shadow, BOOL soft, int blurX,
                              int blurY) {
    // The factors darken a copy of the area as they come: no array of them is kept.
    if (!dc || !shadow || width <= 0 || height <= 0) return;
    DibSection32 area;
    if (!CopyArea(area, dc, x, y, width, height)) return;
    DWORD* pixels = area.Bits();
    if (ShadowFactors(dc, width, height, shadow, soft, blurX, blurY,
                      [pixels](size_t i, double factor) { pixels[i] = DarkenColor(pixels[i], factor); }))
        PutArea(dc, x, y, width, height, area);
}

void CDrawManager::AlphaBitBlt(HDC target, int x, int y, int width, int height, HDC source, int sourceX,
                               int sourceY, int percent) {
    if (!target || !source || width <= 0 || height <= 0) return;
    if (percent >= 100) {
        BitBlt(target, x, y, width, height, source, sourceX, sourceY, SRCCOPY);
        return;
    }
    DibSection32 from, to;
    if (!CopyArea(from, source, sourceX, sourceY, width, height) || !CopyArea(to, target, x, y, width, height)) return;
    const double share = percent / 100.0;
    const DWORD* sourcePixels = from.Bits();
    DWORD* targetPixels = to.Bits();
    for (size_t i = 0, n = to.PixelCount(); i < n; ++i)
        targetPixels[i] = MixedColor(sourcePixels[i], share, targetPixels[i], 1.0 - share);
    PutArea(target, x, y, width, height, to);
}

void CDrawManager::AlphaChannelBitBlt(HDC target, int x, int y, int width, int height, HDC source, int sourceX,
                                      int sourceY) {
    if (!target || !source || width <= 0 || height <= 0) return;
    DibSection32 from, to;
    if (!CopyArea(from, source, sourceX, sourceY, width, height) || !CopyArea(to, target, x, y, width, height)) return;
    const DWORD* sourcePixels = from.Bits();
    DWORD* targetPixels = to.Bits();
    for (size_t i = 0, n = to.PixelCount(); i < n; ++i) {
        double share = (sourcePixels[i] >> 24) / 255.0;
        targetPixels[i] = MixedColor(sourcePixels[i], share, targetPixels[i], 1.0 - share);
    }
    PutArea(target, x, y, width, height, to);
}
