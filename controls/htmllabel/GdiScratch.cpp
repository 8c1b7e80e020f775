#include "controls/htmllabel/GdiScratch.h"

bool DibSection32::Make(int width, int height) {
    bitmap_.Reset();
    bits_ = nullptr;
    if (width <= 0 || height <= 0) return false;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    // biSizeImage stays 0: for BI_RGB the platform works the size out itself.
    void* bits = nullptr;
    bitmap_.Reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap_ || !bits) {
        bitmap_.Reset();
        return false;
    }
    bits_ = static_cast<DWORD*>(bits);
    width_ = width;
    height_ = height;
    return true;
}

SelectedDC::SelectedDC(HDC reference, HGDIOBJ object) {
    CDC borrowed;  // wraps the reference for the call only; a null one stays the screen
    borrowed.Attach(reference);
    if (dc_.CreateCompatibleDC(&borrowed) && object) selected_ = dc_.SelectObject(object) != nullptr;
}
