#include "controls/htmllabel/DrawManager.h"
#include "support/DibCanvas.h"
#include <gtest/gtest.h>

using testing_support::DibCanvas;
using testing_support::MakePicture;
using testing_support::MakeSquareIcon;

namespace {
const COLORREF kWhite = RGB(255, 255, 255), kBlack = 0, kRed = RGB(255, 0, 0), kBlue = RGB(0, 0, 255);
const DWORD kMagentaPixel = 0xFF00FF, kBluePixel = 0x0000FF;

// 4 x 4, magenta around a 2 x 2 blue square at (1, 1).
HBITMAP SquareOnMagenta() {
    return MakePicture(4, 4, [](int x, int y) { return x >= 1 && x < 3 && y >= 1 && y < 3 ? kBluePixel : kMagentaPixel; });
}

TEST(CDrawManager, ColourOperationsWorkOnPixelOrderAndCutTowardZero) {
    EXPECT_EQ(CDrawManager::GrayColor(0xFFFFFF), 0xFFFFFFu);
    EXPECT_EQ(CDrawManager::GrayColorRGB(RGB(255, 0, 0)), 0x4C4C4Cu);  // 0.299 x 255 = 76.2
    EXPECT_EQ(CDrawManager::InvertColor(0xFF123456), 0x00EDCBA9u);
    // 1.0 leaves a pixel as it is, so white shadow areas do not darken; so does lightening by 0.
    EXPECT_EQ(CDrawManager::DarkenColor(0x804020, 1.0), 0x804020u);
    EXPECT_EQ(CDrawManager::LightenColor(0x804020, 0.0), 0x804020u);
    EXPECT_EQ(CDrawManager::LightenColor(0xC01020, 1.0), 0xFF2040u);
}

TEST(CDrawManager, GradientsFillSixtyFourBandsAndSkipThoseWithoutWidth) {
    CDrawManager draw;
    DibCanvas canvas(128, 16);
    RECT wide = {0, 0, 128, 5};
    draw.DrawGradient(canvas.Dc(), wide, RGB(0, 0, 0), RGB(128, 64, 0), TRUE);
    for (int band = 0; band < 64; ++band) {
        COLORREF expected = RGB(128 * band / 64, 64 * band / 64, 0);
        ASSERT_EQ(canvas.Pixel(2 * band + 1, 4), expected) << band;
    }
    // Ten rows from 64 bands: bands 0 to 5 have no height, the first row is band 6.
    RECT narrow = {0, 5, 1, 15};
    draw.DrawGradient(canvas.Dc(), narrow, RGB(0, 0, 0), RGB(0, 0, 128), FALSE);
    EXPECT_EQ(canvas.Pixel(0, 5), RGB(0, 0, 12));
    EXPECT_EQ(canvas.Pixel(0, 14), RGB(0, 0, 126));

    struct Case { int effect, x; COLORREF expected; } halves[] = {
        {0, 40, kRed}, {-1, 40, kRed}, {99, 40, kRed}, {3, 0, kRed}, {3, 64, kBlue}, {3, 127, RGB(251, 0, 3)}, {5, 64, kWhite}};
    for (const Case& c : halves) {
        canvas.Fill(kBlack);
        RECT all = {0, 0, 128, 10};
        draw.FillEffect(canvas.Dc(), c.effect, all, kRed, kWhite, kBlue, 5, 0);
        EXPECT_EQ(canvas.Pixel(c.x, 3), c.expected) << "effect " << c.effect << " at " << c.x;
    }
}

TEST(CDrawManager, TexturesCoverTheirRectangleAtTinyAndHugeSizes) {
    CDrawManager draw;
    const COLORREF sentinel = RGB(1, 2, 3), paint = RGB(40, 80, 120);
    const SIZE sizes[] = {{0, 0}, {0, 7}, {-4, 3}, {1, 1}, {5, 1}, {1, 5}, {7, 2}, {40000, 1}, {1, 40000}};
    for (int effect = CDrawManager::kNoise; effect <= CDrawManager::kMetal; ++effect) {
        for (const SIZE& size : sizes) {
            for (BYTE granularity : {0, 255}) {
                DibCanvas canvas(std::max<int>(size.cx, 0) + 2, std::max<int>(size.cy, 0) + 2, sentinel);
                RECT rect = {1, 1, 1 + size.cx, 1 + size.cy};
                // One colour in every entry: every pixel of the texture shows it.
                draw.FillEffect(canvas.Dc(), effect, rect, paint, paint, paint, granularity, 30);
                int area = size.cx > 0 && size.cy > 0 ? size.cx * size.cy : 0;
                ASSERT_EQ(canvas.Count(paint), area) << "effect " << effect << ", " << size.cx << " x " << size.cy;
            }
        }
    }
}

TEST(CDrawManager, TilesRepeatFromTheCornerAndStopAtTheEdges) {
    CDrawManager draw;
    DibCanvas tile(3, 2);
    for (int i = 0; i < 6; ++i) SetPixel(tile.Dc(), i % 3, i / 3, RGB(i * 40, 0, 0));
    DibCanvas canvas(9, 7, kBlue);
    draw.TileBitmap(canvas.Dc(), 1, 1, 7, 5, tile.Dc(), 0, 0, 3, 2);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x) ASSERT_EQ(canvas.Pixel(1 + x, 1 + y), tile.Pixel(x % 3, y % 2)) << x << "," << y;
    draw.TileBitmap(canvas.Dc(), 0, 0, 9, 7, tile.Dc(), 0, 0, 0, 2);  // returns at once, drawing nothing
    EXPECT_EQ(canvas.Count(kBlue), 63 - 35);
}

TEST(CDrawManager, BitmapsShowThroughTheirMaskWithTheirEffects) {
    struct Case { UINT style; BOOL maskOn; DWORD maskPixel; COLORREF square, around; } cases[] = {
        {0, TRUE, kMagentaPixel, kBlue, kWhite},
        {0, FALSE, kMagentaPixel, kBlue, RGB(255, 0, 255)},
        {0, TRUE, kBluePixel, kWhite, RGB(255, 0, 255)},
        {CDrawManager::kGray, TRUE, kMagentaPixel, RGB(29, 29, 29), kWhite},
        {CDrawManager::kDarken, TRUE, kMagentaPixel, RGB(0, 0, 191), kWhite},
        {CDrawManager::kColorize, TRUE, kMagentaPixel, RGB(1, 2, 3), kWhite},
    };
    CDrawManager draw;
    ScopedBitmap picture(SquareOnMagenta());
    for (const Case& c : cases) {
        DibCanvas canvas(6, 6);
        draw.DrawBitmap(canvas.Dc(), 1, 1, 4, 4, picture.Get(), c.maskOn, CDrawManager::SwapRB(c.maskPixel), c.style,
                        FALSE, 0, 0, 0, 0, RGB(1, 2, 3));
        EXPECT_EQ(canvas.Pixel(2, 2), c.square) << "style " << c.style;
        EXPECT_EQ(canvas.Pixel(1, 4), c.around) << "style " << c.style;
        EXPECT_EQ(canvas.Pixel(5, 5), kWhite) << "nothing outside the picture";
    }
}

TEST(CDrawManager, PicturesWithAlphaAreBlendedNotMasked) {
    CDrawManager draw;
    ScopedBitmap picture(MakePicture(3, 1, [](int x, int) {
        const DWORD pixels[] = {0xFF0000FF, 0x800000FF, 0x00FF0000};
        return pixels[x];
    }));
    DibCanvas canvas(3, 1);
    draw.DrawBitmap(canvas.Dc(), 0, 0, 3, 1, picture.Get(), FALSE, 0, 0, FALSE, 0, 0, 0, 0, 0);
    EXPECT_TRUE(draw.AlphaFound());
    EXPECT_EQ(canvas.Pixel(0, 0), kBlue);
    EXPECT_NEAR(GetRValue(canvas.Pixel(1, 0)), 127, 1);
    EXPECT_NEAR(GetBValue(canvas.Pixel(1, 0)), 255, 1);
    EXPECT_EQ(canvas.Pixel(2, 0), kWhite) << "alpha 0 leaves the target, mask or not";
}

TEST(CDrawManager, IconMasksIgnoreTheTargetsTintAndStretchWithTheIcon) {
    ScopedIcon icon(MakeSquareIcon(8, 2, RGB(200, 0, 0)));
    ASSERT_TRUE(icon);
    struct Case { int size; UINT style; POINT inside; COLORREF color; } cases[] = {
        {8, 0, {4, 4}, RGB(200, 0, 0)}, {16, 0, {5, 5}, RGB(200, 0, 0)}, {8, CDrawManager::kColorize, {3, 6}, RGB(1, 2, 3)}};
    CDrawManager draw;
    for (const Case& c : cases) {
        const COLORREF green = RGB(0, 128, 0);
        DibCanvas canvas(18, 18, green);
        // Colours a monochrome mask would take on its way to this target.
        SetTextColor(canvas.Dc(), RGB(0, 255, 0));
        SetBkColor(canvas.Dc(), RGB(255, 0, 255));
        draw.DrawIcon(canvas.Dc(), 1, 1, c.size, c.size, icon.Get(), c.style, FALSE, 0, 0, 0, 0, RGB(1, 2, 3));
        EXPECT_EQ(canvas.Pixel(c.inside.x, c.inside.y), c.color) << c.size;
        EXPECT_EQ(canvas.Count(green), 18 * 18 - c.size * c.size / 4) << c.size;
        EXPECT_EQ(GetTextColor(canvas.Dc()), RGB(0, 255, 0));
        EXPECT_EQ(GetBkColor(canvas.Dc()), RGB(255, 0, 255));
    }
}

TEST(CDrawManager, StretchingAndDrawingIconsLeaksNoGdiObjects) {
    ScopedIcon icon(MakeSquareIcon(8, 2, kRed));
    CDrawManager draw;
    DibCanvas canvas(12, 12);
    testing_support::GdiHandleReserve reserve(1000);
    ASSERT_GT(reserve.Held(), 0u);
    for (int i = 0; i < 1200; ++i) {
        draw.DrawIcon(canvas.Dc(), 0, 0, 12, 12, icon.Get(), 0, FALSE, 0, 0, 0, 0, 0);
        ASSERT_EQ(canvas.Pixel(6, 6), kRed) << "drawing " << i;
    }
    ScopedIcon stretched(CDrawManager::StretchIcon(icon.Get(), 20, 10));
    SIZE size = CDrawManager::GetSizeOfIcon(stretched.Get());
    EXPECT_TRUE(size.cx == 20 && size.cy == 10) << size.cx << " x " << size.cy;
}

TEST(CDrawManager, ShadowsDarkenByThePictureAndSoftOnesNeedRoomForTheBlur) {
    CDrawManager draw;
    ScopedBitmap picture(MakePicture(4, 4, [](int, int) { return kBluePixel; }));
    DibCanvas hard(8, 8);
    draw.DrawBitmap(hard.Dc(), 1, 1, 4, 4, picture.Get(), FALSE, 0, CDrawManager::kShadow, TRUE, 2, 2, 0, 0, kBlack);
    EXPECT_EQ(hard.Count(kBlue), 16);
    EXPECT_EQ(hard.Count(kBlack), 12);
    DibCanvas moved(8, 8);  // room for a shadow only the hot style casts: the picture sits there
    draw.DrawBitmap(moved.Dc(), 1, 1, 4, 4, picture.Get(), FALSE, 0, 0, TRUE, 2, 2, 0, 0, kBlack);
    EXPECT_EQ(moved.Pixel(3, 3), kBlue);
    EXPECT_EQ(moved.Pixel(1, 1), kWhite);

    ScopedBitmap shadow(MakePicture(20, 20, [](int, int) { return 0u; }));
    DibCanvas six(30, 30), seven(30, 30);
    draw.DrawShadow(six.Dc(), 5, 5, 20, 20, shadow.Get(), TRUE, 6, 6);
    draw.DrawShadow(seven.Dc(), 5, 5, 20, 20, shadow.Get(), TRUE, 7, 7);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 30; ++x) ASSERT_EQ(six.Pixel(x, y), seven.Pixel(x, y)) << x << "," << y;
    EXPECT_EQ(seven.Pixel(15, 15), kBlack);
    EXPECT_NE(seven.Pixel(5, 5), kWhite) << "the edge is blurred";
    EXPECT_EQ(seven.Pixel(4, 4), kWhite);

    DibCanvas small(10, 10);
    draw.DrawShadow(small.Dc(), 0, 0, 5, 5, shadow.Get(), TRUE, 7, 7);
    draw.DrawBitmap(small.Dc(), 1, 1, 4, 4, picture.Get(), FALSE, 0, CDrawManager::kSoftShadow, TRUE, 2, 2, 7, 7, 0);
    EXPECT_EQ(small.Count(kWhite), 100 - 16);
}

TEST(CDrawManager, RectanglesAndLinesFollowTheirStyles) {
    CDrawManager draw;
    struct RectCase { int style, width, red, blue; } rects[] = {{1, 1, 12, 12}, {6, 1, 16, 16}, {0, 1, 0, 0}, {1, 0, 0, 0}};
    for (const RectCase& c : rects) {
        DibCanvas canvas(12, 12);
        RECT rect = {2, 2, 8, 8};
        draw.DrawRectangle(canvas.Dc(), rect, kRed, kBlue, c.style, c.width);
        EXPECT_EQ(canvas.Count(kRed), c.red) << "style " << c.style;
        EXPECT_EQ(canvas.Count(kBlue), c.blue) << "style " << c.style;
        if (c.red) {
            EXPECT_TRUE(canvas.Pixel(2, 8) == kRed && canvas.Pixel(8, 2) == kBlue) << "corner colours";
        }
    }
    struct LineCase { int x2, y2, style; POINT second; int count; } lines[] = {{9, 1, 6, {1, 3}, 16}, {1, 9, 6, {3, 1}, 16}, {9, 1, 1, {-1, -1}, 8}, {9, 1, 0, {-1, -1}, 0}};
    for (const LineCase& c : lines) {
        DibCanvas canvas(12, 12);
        draw.DrawLine(canvas.Dc(), 1, 1, c.x2, c.y2, kRed, c.style, 1);
        EXPECT_EQ(canvas.Count(kRed), c.count) << c.x2 << "," << c.y2 << " style " << c.style;
        if (c.second.x >= 0) {
            EXPECT_EQ(canvas.Pixel(c.second.x, c.second.y), kRed) << "the second line";
        }
    }
}

TEST(CDrawManager, ImageListCellsAreCountedAcrossThenDown) {
    CDrawManager draw;
    ScopedBitmap strip(MakePicture(4, 4, [](int x, int y) { return (x / 2 + 2 * (y / 2)) * 0x40u; }));
    struct Case { int index, cell; COLORREF color; } cases[] = {{3, 2, RGB(0, 0, 0xC0)}, {2, 2, RGB(0, 0, 0x80)}, {4, 2, kWhite}, {-1, 2, kWhite}, {0, 0, kWhite}};
    for (const Case& c : cases) {
        DibCanvas canvas(2, 2);
        draw.DrawImageList(canvas.Dc(), 0, 0, 2, 2, strip.Get(), c.index, c.cell, c.cell, FALSE, 0, 0, FALSE, 0, 0, 0,
                           0, 0);
        EXPECT_EQ(canvas.Pixel(1, 1), c.color) << c.index;
    }
}
}  // namespace
