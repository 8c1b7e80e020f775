#include "controls/htmllabel/PaletteDib.h"
#include "support/DibCanvas.h"
#include "support/TestSupport.h"
#include <gtest/gtest.h>
#include <cstring>
#include <vector>

using testing_support::DibCanvas;

namespace {
TEST(CPaletteDib, RowsAreWholeWordsAndBadSizesAreRefused) {
    struct Case {
        int width, height, depth, lineWidth, colors;
    } cases[] = {{3, 2, 8, 4, 256}, {33, 1, 1, 8, 2}, {9, 3, 4, 8, 16}, {5, 2, 24, 16, 0}, {1, 1, 32, 4, 0}};
    CPaletteDib dib;
    for (const Case& c : cases) {
        BYTE* block = dib.Create(c.width, c.height, c.depth);
        ASSERT_NE(block, nullptr) << c.width << "x" << c.depth;
        EXPECT_EQ(dib.GetLineWidth(), c.lineWidth);
        EXPECT_EQ(dib.GetSize(), 40u + c.height * c.lineWidth + c.colors * 4u);
        EXPECT_EQ(dib.GetBits(), block + 40 + c.colors * 4);
    }
    // 70000 x 70000 at 32 bits wraps a 32-bit block size round to a small number.
    const int refused[][3] = {{0, 5, 8}, {5, -3, 8}, {5, 5, 0}, {70000, 70000, 32}, {1, 70000000, 32}};
    for (const auto& r : refused) {
        EXPECT_EQ(dib.Create(r[0], r[1], r[2]), nullptr) << r[0] << " x " << r[1];
        EXPECT_EQ(dib.GetSize(), 0u);
        dib.SetPixelIndex(0, 0, 1);  // does nothing on an empty image
    }
}

TEST(CPaletteDib, PixelIndicesLandInTheirRowsFromTheTopAtEveryDepth) {
    // Width 33: the last pixel of a 1-bit row is in the row's fifth byte, of a 4-bit row in its
    // seventeenth. Pixels go to (0, bottom), (32, bottom) and (1, top); everything else stays 0.
    struct Byte { int row, offset, value; };  // row in memory: 0 is the bottom of the picture
    struct Case { int depth; BYTE index; Byte set[3]; } cases[] = {
        {1, 1, {{0, 0, 0x80}, {0, 4, 0x80}, {2, 0, 0x40}}},
        {4, 0xB, {{0, 0, 0xB0}, {0, 16, 0xB0}, {2, 0, 0x0B}}},
        {8, 7, {{0, 0, 7}, {0, 32, 7}, {2, 1, 7}}},
    };
    for (const Case& c : cases) {
        CPaletteDib dib;
        ASSERT_NE(dib.Create(33, 3, c.depth), nullptr);
        dib.Clear(0);
        dib.SetPixelIndex(0, 2, c.index);
        dib.SetPixelIndex(32, 2, c.index);
        dib.SetPixelIndex(1, 0, c.index);
        dib.SetPixelIndex(33, 2, c.index);  // outside: ignored
        dib.SetPixelIndex(0, 3, c.index);
        std::vector<BYTE> expected(3 * dib.GetLineWidth(), 0);
        for (const Byte& b : c.set) expected[b.row * dib.GetLineWidth() + b.offset] = static_cast<BYTE>(b.value);
        EXPECT_EQ(std::vector<BYTE>(dib.GetBits(), dib.GetBits() + expected.size()), expected) << "depth " << c.depth;
    }
    CPaletteDib deep;  // no colour table: no pixel indices
    deep.Create(2, 2, 24);
    deep.Clear(0);
    deep.SetPixelIndex(0, 0, 9);
    EXPECT_EQ(deep.GetBits()[8], 0);
}

TEST(CPaletteDib, BlendPaletteCutsAtOneHundredPercent) {
    CPaletteDib dib;
    dib.Create(1, 1, 4);
    for (int i = 0; i < 16; ++i) dib.SetPaletteIndex(static_cast<BYTE>(i), static_cast<BYTE>(i * 16), 0, 200);
    const RGBQUAD* palette = reinterpret_cast<const RGBQUAD*>(dib.GetBits() - 64);
    dib.BlendPalette(RGB(10, 20, 30), 50);
    EXPECT_EQ(palette[3].rgbRed, (48 + 10) / 2);
    dib.BlendPalette(RGB(10, 20, 30), 150);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(RGB(palette[i].rgbRed, palette[i].rgbGreen, palette[i].rgbBlue), RGB(10, 20, 30));
}

TEST(CPaletteDib, DrawsAndTakesBackThePictureTheRightWayUp) {
    CPaletteDib dib;
    dib.Create(3, 2, 8);
    std::memset(dib.GetBits() - 1024, 0, 1024);  // unused entries black, not what the heap left
    dib.SetPaletteIndex(0, 255, 255, 255);
    dib.SetPaletteIndex(1, 255, 0, 0);
    dib.SetPaletteIndex(2, 0, 0, 255);
    dib.Clear(0);
    dib.SetPixelIndex(2, 0, 1);
    dib.SetPixelIndex(0, 1, 2);
    DibCanvas canvas(6, 4, RGB(0, 255, 0));
    dib.Draw(canvas.Dc(), 1, 1);
    EXPECT_EQ(canvas.Pixel(3, 1), RGB(255, 0, 0));
    EXPECT_EQ(canvas.Pixel(1, 2), RGB(0, 0, 255));
    EXPECT_EQ(canvas.Pixel(2, 1), RGB(255, 255, 255));
    EXPECT_EQ(canvas.Count(RGB(0, 255, 0)), 24 - 6);

    // Taken back from the device, the indices follow the picture.
    canvas.Fill(RGB(255, 255, 255));
    SetPixel(canvas.Dc(), 0, 0, RGB(255, 0, 0));
    dib.CopyFromDevice(canvas.Dc(), 0, 0);
    EXPECT_EQ(dib.GetBits()[dib.GetLineWidth()], 1) << "top left";
    EXPECT_EQ(dib.GetBits()[0], 0) << "bottom left";
}

TEST(CPaletteDib, WritesABitmapFileThatLoadsAndReportsAFileItCannotMake) {
    testing_support::ScratchFolder folder;
    CPaletteDib dib;
    dib.Create(2, 2, 8);
    std::memset(dib.GetBits() - 1024, 0, 1024);
    dib.SetPaletteIndex(1, 0, 128, 255);
    dib.Clear(0);
    dib.SetPixelIndex(1, 0, 1);
    CString path = folder.File("two.bmp");
    ASSERT_TRUE(dib.WriteBMP(path));
    std::string bytes = testing_support::ReadFileBytes(path);
    ASSERT_EQ(bytes.size(), 1086u);
    DWORD fileSize = 0, offset = 0;
    std::memcpy(&fileSize, &bytes[2], 4);
    std::memcpy(&offset, &bytes[10], 4);
    EXPECT_EQ(bytes.substr(0, 2) + std::to_string(fileSize) + " " + std::to_string(offset), "BM1086 1078");

    ScopedBitmap loaded(static_cast<HBITMAP>(LoadImageA(nullptr, path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE)));
    ASSERT_TRUE(loaded);
    DibCanvas canvas(2, 2);
    canvas.Put(loaded.Get());
    EXPECT_EQ(canvas.Pixel(1, 0), RGB(0, 128, 255));
    EXPECT_EQ(canvas.Pixel(1, 1), RGB(0, 0, 0));

    EXPECT_FALSE(dib.WriteBMP(folder.File("missing\\two.bmp")));
    EXPECT_FALSE(CPaletteDib().WriteBMP(folder.File("empty.bmp")));
}
}  // namespace
