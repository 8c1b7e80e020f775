#include "support/DibCanvas.h"
#include <algorithm>
#include <cstdio>

namespace testing_support {
namespace {
HBITMAP MakeSection(int width, int height, DWORD** bits) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* memory = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &memory, nullptr, 0);
    *bits = static_cast<DWORD*>(memory);
    return bitmap;
}

DWORD ToPixel(COLORREF color) { return (GetRValue(color) << 16) | (GetGValue(color) << 8) | GetBValue(color); }
}  // namespace

DibCanvas::DibCanvas(int width, int height, COLORREF fill)
    : dc_(CreateCompatibleDC(nullptr)), bits_(nullptr), width_(width), height_(height) {
    bitmap_.Reset(MakeSection(width, height, &bits_));
    if (!bitmap_.IsValid()) bits_ = nullptr;
    if (!IsValid()) return;
    SelectObject(dc_.Get(), bitmap_.Get());
    Fill(fill);
}

COLORREF DibCanvas::Pixel(int x, int y) const {
    GdiFlush();
    DWORD p = bits_[static_cast<size_t>(y) * width_ + x];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

void DibCanvas::Fill(COLORREF color) {
    GdiFlush();
    for (size_t i = 0, n = static_cast<size_t>(width_) * height_; i < n; ++i) bits_[i] = ToPixel(color);
}

void DibCanvas::Put(HBITMAP bitmap, int x, int y) {
    BITMAP description = {};
    GetObjectA(bitmap, sizeof(description), &description);
    ScopedDC source(CreateCompatibleDC(nullptr));
    HGDIOBJ old = SelectObject(source.Get(), bitmap);
    BitBlt(dc_.Get(), x, y, description.bmWidth, description.bmHeight, source.Get(), 0, 0, SRCCOPY);
    SelectObject(source.Get(), old);
}

int DibCanvas::Count(COLORREF color) const {
    GdiFlush();
    const DWORD wanted = ToPixel(color);
    int count = 0;
    for (size_t i = 0, n = static_cast<size_t>(width_) * height_; i < n; ++i)
        if ((bits_[i] & 0x00FFFFFFu) == wanted) ++count;
    return count;
}

RECT DibCanvas::Bounds(COLORREF background) const {
    GdiFlush();
    const DWORD other = ToPixel(background);
    RECT bounds = {width_, height_, 0, 0};
    for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x) {
            if ((bits_[static_cast<size_t>(y) * width_ + x] & 0x00FFFFFFu) == other) continue;
            bounds.left = std::min<LONG>(bounds.left, x);
            bounds.top = std::min<LONG>(bounds.top, y);
            bounds.right = std::max<LONG>(bounds.right, x + 1);
            bounds.bottom = std::max<LONG>(bounds.bottom, y + 1);
        }
    }
    if (bounds.right == 0) bounds = RECT{0, 0, 0, 0};
    return bounds;
}

GdiHandleReserve::GdiHandleReserve(int spare) {
    while (HBITMAP bitmap = CreateBitmap(1, 1, 1, 1, nullptr)) held_.push_back(bitmap);
    for (int i = 0; i < spare && !held_.empty(); ++i) {
        DeleteObject(held_.back());
        held_.pop_back();
    }
}

GdiHandleReserve::~GdiHandleReserve() {
    for (HBITMAP bitmap : held_) DeleteObject(bitmap);
}

HBITMAP MakePicture(int width, int height, const std::function<DWORD(int x, int y)>& pixel) {
    DWORD* bits = nullptr;
    HBITMAP bitmap = MakeSection(width, height, &bits);
    if (!bitmap) return nullptr;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) bits[static_cast<size_t>(y) * width + x] = pixel(x, y);
    return bitmap;
}

HICON MakeSquareIcon(int size, int border, COLORREF color) {
    auto inside = [=](int x, int y) { return x >= border && y >= border && x < size - border && y < size - border; };
    ScopedBitmap colorBitmap(MakePicture(size, size, [&](int x, int y) { return inside(x, y) ? ToPixel(color) : 0; }));
    // The mask: 1 (transparent) outside the square, in rows of whole 16-bit words.
    int stride = (size + 15) / 16 * 2;
    std::vector<BYTE> maskBits(static_cast<size_t>(stride) * size, 0);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            if (!inside(x, y)) maskBits[static_cast<size_t>(y) * stride + x / 8] |= static_cast<BYTE>(0x80 >> (x % 8));
    ScopedBitmap mask(CreateBitmap(size, size, 1, 1, maskBits.data()));
    ICONINFO info = {};
    info.fIcon = TRUE;
    info.hbmColor = colorBitmap.Get();
    info.hbmMask = mask.Get();
    return CreateIconIndirect(&info);
}
CString WriteOnePixelFile(const char* name, DWORD pixel) {
    char folder[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, folder);
    const CString path = CString(folder) + name;
    BITMAPINFOHEADER info = {sizeof(BITMAPINFOHEADER), 1, 1, 1, 32, BI_RGB, sizeof(pixel), 0, 0, 0, 0};
    BITMAPFILEHEADER header = {};
    header.bfType = 0x4D42;  // "BM"
    header.bfOffBits = sizeof(header) + sizeof(info);
    header.bfSize = header.bfOffBits + sizeof(pixel);
    FILE* out = std::fopen(path, "wb");
    if (!out) return CString();
    const bool written = std::fwrite(&header, sizeof(header), 1, out) == 1 && std::fwrite(&info, sizeof(info), 1, out) == 1 &&
                         std::fwrite(&pixel, sizeof(pixel), 1, out) == 1;
    return std::fclose(out) == 0 && written ? path : CString();
}
}  // namespace testing_support
