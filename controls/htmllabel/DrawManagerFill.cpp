// The fills (gradients and generated textures), tiles and styled lines of the drawing toolkit.
#include "controls/htmllabel/DrawManager.h"
#include "classlib/CDC.h"
#include "controls/htmllabel/GdiScratch.h"
#include <algorithm>
#include <climits>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {
int PenStyleFor(int style) {
    switch (style) {
    case CDrawManager::kDashed: return PS_DASH;
    case CDrawManager::kDotted: return PS_DOT;
    case CDrawManager::kDashDot: return PS_DASHDOT;
    case CDrawManager::kDashDotDot: return PS_DASHDOTDOT;
    default: return PS_SOLID;
    }
}

// The most pixels of texture generated at once (one byte each).
const long long kMaxTexturePixels = 1 << 22;
// Tiles smaller than this are repeated into a block of about this side before tiling.
const int kTileBlockSide = 64;

int Mix(int a, int weightA, int b, int weightB, int divisor) { return (a * weightA + b * weightB) / divisor; }

// The cube divided by 16384 as two truncating divisions by 128.
long long CubeBy16384(long long v) { return v * v * v / 128 / 128; }
}  // namespace

void CDrawManager::DrawGradient(HDC dc, const RECT& rect, COLORREF from, COLORREF to, BOOL horizontal) {
    const int start = horizontal ? rect.left : rect.top;
    const long long length = horizontal ? rect.right - rect.left : rect.bottom - rect.top;
    for (int i = 0; i < 64; ++i) {
        const int bandStart = start + static_cast<int>((i * length) >> 6);
        const int bandEnd = start + static_cast<int>(((i + 1) * length) >> 6);
        if (bandEnd <= bandStart) continue;
        COLORREF color = RGB(Mix(GetRValue(from), 64 - i, GetRValue(to), i, 64),
                             Mix(GetGValue(from), 64 - i, GetGValue(to), i, 64),
                             Mix(GetBValue(from), 64 - i, GetBValue(to), i, 64));
        RECT band = rect;
        if (horizontal) {
            band.left = bandStart;
            band.right = bandEnd;
        } else {
            band.top = bandStart;
            band.bottom = bandEnd;
        }
        ScopedBrush brush(CreateSolidBrush(color));
        if (brush) FillRect(dc, &band, brush.Get());
    }
}

void CDrawManager::FillEffect(HDC dc, int effect, const RECT& rect, COLORREF begin, COLORREF middle, COLORREF end,
                              BYTE granularity, BYTE coloring) {
    switch (effect) {
    case kHGradient: DrawGradient(dc, rect, begin, end, TRUE); return;
    case kVGradient: DrawGradient(dc, rect, begin, end, FALSE); return;
    case kHCGradient:
    case kVCGradient:
    case k3HGradient:
    case k3VGradient: {
        // Two halves: there and back again, or begin to middle to end.
        const BOOL horizontal = effect == kHCGradient || effect == k3HGradient;
        const bool mirrored = effect == kHCGradient || effect == kVCGradient;
        RECT first = rect, second = rect;
        if (horizontal)
            first.right = second.left = rect.left + (rect.right - rect.left) / 2;
        else
            first.bottom = second.top = rect.top + (rect.bottom - rect.top) / 2;
        DrawGradient(dc, first, begin, mirrored ? end : middle, horizontal);
        DrawGradient(dc, second, mirrored ? end : middle, mirrored ? begin : end, horizontal);
        return;
    }
    default:
        if (effect >= kNoise && effect <= kMetal) {
            FillTexture(dc, effect, rect, begin, middle, end, granularity, coloring);
        } else {
            ScopedBrush brush(CreateSolidBrush(begin));
            if (brush) FillRect(dc, &rect, brush.Get());
        }
    }
}

void CDrawManager::FillTexture(HDC dc, int effect, const RECT& rect, COLORREF begin, COLORREF middle, COLORREF end,
                               BYTE granularity, BYTE coloring) {
    const long long W = static_cast<long long>(rect.right) - rect.left;
    const long long H = static_cast<long long>(rect.bottom) - rect.top;
    if (W <= 0 || H <= 0 || W > INT_MAX || H > INT_MAX) return;
    // Only the part the clip box shows is generated, in bands of bounded size; every pixel is
    // still computed from its place in the whole rectangle. Rows count from the bottom row.
    RECT shown = rect;
    RECT clip = {};
    if (GetClipBox(dc, &clip) == NULLREGION || !IntersectRect(&shown, &rect, &clip)) return;
    const long long shownWidth = static_cast<long long>(shown.right) - shown.left;
    const long long firstColumn = static_cast<long long>(shown.left) - rect.left;
    const long long firstRow = static_cast<long long>(rect.bottom) - shown.bottom;
    const long long endRow = static_cast<long long>(rect.bottom) - shown.top;
    const long long bandRows = std::max<long long>(1, kMaxTexturePixels / shownWidth);

    const int h = granularity;
    const int l = h ? 2 * h : 1;
    const int o = 32767 / l;
    const int t = 255 - 2 * h;
    const int u = t / 2;
    auto noise = [o]() { return std::rand() / o; };
    auto store = [](long long value) { return static_cast<BYTE>(value & 0xFF); };
    auto bump = [h](long long a, long long b) {
        long long d = a * 255 / b - 127;
        d = (128 - h) * CubeBy16384(d);
        return d / 128 + 128;
    };
    // The metal strokes, drawn into every band: x from the left, y from the top of the whole.
    struct Stroke {
        long long x, y, length;
        BYTE index;
    };
    std::vector<Stroke> strokes;
    if (effect == kMetal) {
        const long long stepX = std::max<long long>(32767 / W, 1);
        const long long stepY = std::max<long long>(32767 / H, 1);
        const long long stepLength = std::max<long long>(32767 / std::min(W, H), 1);
        for (int stroke = 0; stroke < 200; ++stroke) {
            const long long x = std::rand() / stepX;
            const long long y = std::rand() / stepY;
            const long long length = (std::rand() / stepLength) / 2;
            strokes.push_back(Stroke{x, y, length, static_cast<BYTE>(std::rand() / 819)});
        }
    }

    for (long long bandFirst = firstRow; bandFirst < endRow; bandFirst += bandRows) {
        const long long bandEnd = std::min(endRow, bandFirst + bandRows);
        if (!texture_.Create(static_cast<int>(shownWidth), static_cast<int>(bandEnd - bandFirst), 8)) return;
        for (int i = 0; i <= 128; ++i)
            texture_.SetPaletteIndex(static_cast<BYTE>(i), Mix(GetRValue(end), 128 - i, GetRValue(middle), i, 128),
                                     Mix(GetGValue(end), 128 - i, GetGValue(middle), i, 128),
                                     Mix(GetBValue(end), 128 - i, GetBValue(middle), i, 128));
        for (int i = 1; i <= 128; ++i)
            texture_.SetPaletteIndex(static_cast<BYTE>(i + 127),
                                     Mix(GetRValue(middle), 128 - i, GetRValue(begin), i, 128),
                                     Mix(GetGValue(middle), 128 - i, GetGValue(begin), i, 128),
                                     Mix(GetBValue(middle), 128 - i, GetBValue(begin), i, 128));
        texture_.BlendPalette(begin, coloring);
        BYTE* bits = texture_.GetBits();
        const int line = texture_.GetLineWidth();
        // The pixel at row r and column c of the whole rectangle, inside this band.
        auto at = [&](long long r, long long c) -> BYTE& { return bits[(r - bandFirst) * line + (c - firstColumn)]; };
        auto inBand = [&](long long r, long long c) {
            return r >= bandFirst && r < bandEnd && c >= firstColumn && c < firstColumn + shownWidth;
        };
        const long long lastColumn = firstColumn + shownWidth;

        for (long long r = bandFirst; r < bandEnd && effect != kMetal; ++r) {
            for (long long c = firstColumn; c < lastColumn; ++c) {
                long long value = 0;
                switch (effect) {
                case kNoise: value = noise() - h + 128; break;
                case kDiagShade: value = h + u * r / H + u * (W - c) / W + noise() - h; break;
                case kHShade: value = h + t * r / H + noise() - h; break;
                case kVShade: value = h + (W - c) * t / W + noise() - h; break;
                case kHBump: value = bump(r, H) + noise() - h; break;
                case kVBump: value = bump(W - c, W) + noise() - h; break;
                case kSoftBump: {
                    long long v = r * 255 / H - 127;
                    long long w = (W - c) * 255 / W - 127;
                    long long s = (128 - h) * (CubeBy16384(v) + CubeBy16384(w));
                    long long a = std::max<long long>(s / 128 + 128, h);
                    if (a > 255 - h) a = 255 - h;
                    value = a + noise() - h;
                    break;
                }
                case kHardBump: {
                    long long v = r * 255 / H - 127;
                    value = (128 - 2 * h) * CubeBy16384(v) / 128 + 128 + noise() - h;
                    break;
                }
                }
                at(r, c) = store(value);
            }
        }

        if (effect == kHardBump) {
            // The rounded edges; both divisors stay at least 1 for narrow or flat rectangles.
            const long long k = std::max<long long>(std::min<long long>(W / 6, 16), 1);
            const long long quarterSquare = std::max<long long>(H * H / 4, 1);
            for (long long r = bandFirst; r < bandEnd; ++r) {
                const long long e = W / 2 + (r - H / 2) * (r - H / 2) * k / quarterSquare - k;
                for (long long c = firstColumn; c < lastColumn; ++c) {
                    if (c - W / 2 > e) at(r, c) = store(h + (W - c) * 128 / k);
                    if (c + e - W / 2 < 0) at(r, c) = store(255 - h - c * 128 / k);
                    at(r, c) = store(at(r, c) + noise() - h);
                }
            }
        }

        if (effect == kMetal) {
            texture_.Clear(0);
            auto paint = [&](long long x, long long yFromTop, BYTE index) {
                const long long r = H - 1 - yFromTop;
                if (inBand(r, x)) at(r, x) = index;
            };
            for (const Stroke& stroke : strokes) {
                const long long x = stroke.x, y = stroke.y;
                for (long long k = 0; k < stroke.length; ++k) {
                    if (x - k > 0 && y + k < H) paint(x - k, y + k, stroke.index);
                    // (The mirrored column is tested here too: it must not wrap on its way to an int.)
                    if (x + k < W && y - k > 0 && W - x + k < W) paint(W - x + k, y - k, stroke.index);
                }
            }
            const long long t2 = (255 - 2 * h - 40) / 2;
            for (long long r = bandFirst; r < bandEnd; ++r)
                for (long long c = firstColumn; c < lastColumn; ++c)
                    at(r, c) = store(at(r, c) + t2 * r / H + t2 * (W - c) / W + noise());
        }

        texture_.Draw(dc, shown.left, static_cast<int>(rect.bottom - bandEnd));
    }
}

void CDrawManager::TileBitmap(HDC target, int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
                              int tileWidth, int tileHeight) {
    if (!target || !source || tileWidth <= 0 || tileHeight <= 0 || width <= 0 || height <= 0) return;
    // Only the part of the area that the target's clip box shows is drawn, tile-aligned.
    RECT shown = {x, y, static_cast<LONG>(std::min<long long>(static_cast<long long>(x) + width, INT_MAX)),
                  static_cast<LONG>(std::min<long long>(static_cast<long long>(y) + height, INT_MAX))};
    RECT clip = {};
    if (GetClipBox(target, &clip) == NULLREGION || !IntersectRect(&shown, &shown, &clip)) return;
    // Small tiles are first repeated into a block, so that a tile of one pixel does not take one
    // copy per pixel.
    HDC tileDC = source;
    int blockWidth = tileWidth, blockHeight = tileHeight;
    ScopedBitmap block;
    std::unique_ptr<SelectedDC> blockDC;
    if (tileWidth < kTileBlockSide || tileHeight < kTileBlockSide) {
        blockWidth = tileWidth * std::max(1, kTileBlockSide / tileWidth);
        blockHeight = tileHeight * std::max(1, kTileBlockSide / tileHeight);
        block.Reset(CreateCompatibleBitmap(target, blockWidth, blockHeight));
        if (block) blockDC.reset(new SelectedDC(target, block.Get()));
        if (blockDC && *blockDC) {
            HDC dc = blockDC->Get();
            // A monochrome tile takes its colours from the context it is copied into.
            SetTextColor(dc, GetTextColor(target));
            SetBkColor(dc, GetBkColor(target));
            BitBlt(dc, 0, 0, tileWidth, tileHeight, source, sourceX, sourceY, SRCCOPY);
            for (int done = tileWidth; done < blockWidth; done *= 2)
                BitBlt(dc, done, 0, std::min(done, blockWidth - done), tileHeight, dc, 0, 0, SRCCOPY);
            for (int done = tileHeight; done < blockHeight; done *= 2)
                BitBlt(dc, 0, done, blockWidth, std::min(done, blockHeight - done), dc, 0, 0, SRCCOPY);
            tileDC = dc;
            sourceX = sourceY = 0;
        } else {
            blockWidth = tileWidth;
            blockHeight = tileHeight;
        }
    }
    const long long firstLeft = (shown.left - static_cast<long long>(x)) / blockWidth * blockWidth;
    const long long firstTop = (shown.top - static_cast<long long>(y)) / blockHeight * blockHeight;
    for (long long top = firstTop; top < height && y + top < shown.bottom; top += blockHeight) {
        for (long long left = firstLeft; left < width && x + left < shown.right; left += blockWidth) {
            BitBlt(target, x + static_cast<int>(left), y + static_cast<int>(top),
                   static_cast<int>(std::min<long long>(blockWidth, width - left)),
                   static_cast<int>(std::min<long long>(blockHeight, height - top)), tileDC, sourceX, sourceY, SRCCOPY);
        }
    }
}

void CDrawManager::DrawRectangle(HDC dc, const RECT& rect, COLORREF topLeft, COLORREF bottomRight, int style,
                                 int penWidth) {
    if (!dc || style == kNone || penWidth <= 0) return;
    ScopedPen lightPen(CreatePen(PenStyleFor(style), penWidth, topLeft));
    ScopedPen darkPen;
    if (bottomRight != topLeft) darkPen.Reset(CreatePen(PenStyleFor(style), penWidth, bottomRight));
    if (!lightPen || (bottomRight != topLeft && !darkPen)) return;
    // The caller's pen comes back when the wrapper goes.
    CDC pens;
    pens.Attach(dc);
    const int b = penWidth / 2;
    auto frame = [&](int inset) {
        const int left = rect.left + b + inset, top = rect.top + b + inset;
        const int right = rect.right - b - inset, bottom = rect.bottom - b - inset;
        pens.SelectObject(lightPen.Get());
        MoveToEx(dc, left, bottom, nullptr);
        LineTo(dc, left, top);
        LineTo(dc, right, top);
        pens.SelectObject(darkPen ? darkPen.Get() : lightPen.Get());
        MoveToEx(dc, right, top, nullptr);
        LineTo(dc, right, bottom);
        LineTo(dc, left, bottom);
    };
    frame(0);
    if (style == kDouble) frame(2 * penWidth);
}

void CDrawManager::DrawLine(HDC dc, int x1, int y1, int x2, int y2, COLORREF color, int style, int penWidth) {
    if (!dc || style == kNone || penWidth <= 0) return;
    ScopedPen pen(CreatePen(PenStyleFor(style), penWidth, color));
    if (!pen) return;
    CDC pens;  // puts the caller's pen back when it goes
    pens.Attach(dc);
    pens.SelectObject(pen.Get());
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);
    if (style == kDouble) {
        const int down = x1 != x2 ? 2 * penWidth : 0;
        const int right = y1 != y2 ? 2 * penWidth : 0;
        MoveToEx(dc, x1 + right, y1 + down, nullptr);
        LineTo(dc, x2 + right, y2 + down);
    }
}
