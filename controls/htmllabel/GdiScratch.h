// Short-lived GDI helpers of the drawing toolkit: a 32-bit section with its pixels, and a memory
// context with one object selected that is put back when the context goes.
#pragma once
#include "classlib/CDC.h"
#include "classlib/HandleOwner.h"

// A bottom-up 32-bit DIB section; pixels read 0xAARRGGBB, row 0 is the bottom row.
class DibSection32 {
public:
    bool Make(int width, int height);
    HBITMAP Get() const { return bitmap_.Get(); }
    HBITMAP Release() { bits_ = nullptr; return bitmap_.Release(); }
    DWORD* Bits() const { return bits_; }
    size_t PixelCount() const { return static_cast<size_t>(width_) * static_cast<size_t>(height_); }

private:
    ScopedBitmap bitmap_;
    DWORD* bits_ = nullptr;
    int width_ = 0;
    int height_ = 0;
};

// The context is a CDC of its own making: it puts the object's predecessor back and goes with it.
class SelectedDC {
public:
    // A memory context compatible with the reference (the screen for null) holding the object.
    SelectedDC(HDC reference, HGDIOBJ object);
    HDC Get() const { return dc_.GetSafeHdc(); }
    explicit operator bool() const { return selected_; }

private:
    CDC dc_;
    bool selected_ = false;
};
