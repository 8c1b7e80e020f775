// Drawing surfaces and pictures for pixel tests: GDI's own integer drawing on DIB sections is
// exact, so a test can read back every pixel it expects.
#pragma once
#include "classlib/CString.h"
#include "classlib/HandleOwner.h"
#include <functional>
#include <vector>

namespace testing_support {
// A memory context drawing into a 32-bit top-down DIB section.
class DibCanvas {
public:
    DibCanvas(int width, int height, COLORREF fill = RGB(255, 255, 255));
    HDC Dc() const { return dc_.Get(); }
    // False when the system could not make the context or the section (then nothing is drawn).
    bool IsValid() const { return dc_.IsValid() && bits_ != nullptr; }
    // x and y from the top left; the alpha byte is left out.
    COLORREF Pixel(int x, int y) const;
    void Fill(COLORREF color);
    // Copies the whole bitmap to (x, y).
    void Put(HBITMAP bitmap, int x = 0, int y = 0);
    // How many pixels have the colour.
    int Count(COLORREF color) const;
    // The smallest rectangle holding every pixel of another colour; empty when there is none.
    RECT Bounds(COLORREF background) const;

private:
    ScopedBitmap bitmap_;
    ScopedDC dc_;
    DWORD* bits_;
    int width_;
    int height_;
};

// Holds all but `spare` of the GDI handles the process can still make, so that a loop losing a
// handle per pass runs out within `spare` passes instead of tens of thousands.
class GdiHandleReserve {
public:
    explicit GdiHandleReserve(int spare);
    ~GdiHandleReserve();
    GdiHandleReserve(const GdiHandleReserve&) = delete;
    GdiHandleReserve& operator=(const GdiHandleReserve&) = delete;
    size_t Held() const { return held_.size(); }

private:
    std::vector<HBITMAP> held_;
};

// A 32-bit DIB section whose pixels the function gives as 0xAARRGGBB (x, y from the top left).
HBITMAP MakePicture(int width, int height, const std::function<DWORD(int x, int y)>& pixel);
// Writes a picture file of one pixel (0xAARRGGBB) under the name in the temporary folder, for
// markup that names a picture file; gives its path, empty when it cannot be written.
CString WriteOnePixelFile(const char* name, DWORD pixel);
// A square colour icon of the size: the colour inside a transparent border of `border` pixels.
HICON MakeSquareIcon(int size, int border, COLORREF color);
}  // namespace testing_support
