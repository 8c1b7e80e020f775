// A small device-independent bitmap in one memory block (header, colour table, bottom-up rows), in
// which the drawing toolkit generates its textures and from which it draws them.
#pragma once
#include "classlib/HandleOwner.h"
#include <memory>

class CPaletteDib {
public:
    CPaletteDib();
    virtual ~CPaletteDib();
    CPaletteDib(const CPaletteDib&) = delete;
    CPaletteDib& operator=(const CPaletteDib&) = delete;

    // Drops what was held and makes a new block; the colour table and pixels are left as the
    // allocation gives them. Null (and empty) for a width, height or depth of 0 or less, and for
    // a block beyond kMaxBlockSize.
    BYTE* Create(int width, int height, int bitsPerPixel);
    void Free();

    DWORD GetSize() const { return size_; }
    DWORD GetPaletteSize() const { return static_cast<DWORD>(numColors_) * sizeof(RGBQUAD); }
    // The first pixel row in memory (the bottom row of the picture); null when empty.
    BYTE* GetBits() const;
    int GetWidth() const { return header_.biWidth; }
    int GetHeight() const { return header_.biHeight; }
    int GetLineWidth() const { return lineWidth_; }
    int GetBitCount() const { return header_.biBitCount; }
    WORD GetNumColors() const { return numColors_; }

    void SetPaletteIndex(BYTE index, BYTE red, BYTE green, BYTE blue);
    // Moves every entry toward the colour by the percentage (cut to 0..100).
    void BlendPalette(COLORREF color, int percent);
    void SetGrayPalette();
    void Clear(BYTE value);
    // y counts from the top of the picture; points outside and depths without a colour table
    // are ignored. At 1 and 4 bits per pixel the index is packed into its bits, first pixel in
    // the high bits.
    void SetPixelIndex(int x, int y, BYTE index);
    BOOL Clone(const CPaletteDib& other);

    // Copies the pixels to (x, y) of the target; the section is made at the first draw from the
    // colour table of that moment.
    void Draw(HDC target, int x, int y);
    // Takes the picture's size from the device at (x, y) into the pixel rows.
    void CopyFromDevice(HDC source, int x, int y);
    // A bottom-up BMP file; FALSE when the file cannot be made or any write fails or comes short.
    BOOL WriteBMP(const char* fileName) const;

    // Larger blocks are refused: a texture never needs more than a large screen's worth.
    static const DWORD kMaxBlockSize = 256u * 1024u * 1024u;

private:
    bool MakeSection(HDC reference);
    RGBQUAD* Palette() const;

    std::unique_ptr<BYTE[]> block_;
    DWORD size_;
    BITMAPINFOHEADER header_;
    int lineWidth_;
    WORD numColors_;
    ScopedBitmap section_;
    ScopedDC dc_;
    void* sectionBits_;
};
