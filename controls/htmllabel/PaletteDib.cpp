#include "controls/htmllabel/PaletteDib.h"
#include "controls/htmllabel/GdiScratch.h"
#include <cstring>
#include <new>

namespace {
WORD ColorsForDepth(int bitsPerPixel) {
    switch (bitsPerPixel) {
    case 1: return 2;
    case 4: return 16;
    case 8: return 256;
    default: return 0;
    }
}

void PutLittleEndian(BYTE* at, DWORD value, int bytes) {
    for (int i = 0; i < bytes; ++i) at[i] = static_cast<BYTE>(value >> (8 * i));
}
}  // namespace

CPaletteDib::CPaletteDib() : size_(0), lineWidth_(0), numColors_(0), sectionBits_(nullptr) {
    std::memset(&header_, 0, sizeof(header_));
}

CPaletteDib::~CPaletteDib() { Free(); }

BYTE* CPaletteDib::Create(int width, int height, int bitsPerPixel) {
    Free();
    if (width <= 0 || height <= 0 || bitsPerPixel <= 0 || bitsPerPixel > 32) return nullptr;
    // In 64 bits: a large width times a large height must not wrap into a small block.
    long long line = ((static_cast<long long>(width) * bitsPerPixel + 31) >> 5) << 2;
    WORD colors = ColorsForDepth(bitsPerPixel);
    long long total = static_cast<long long>(sizeof(BITMAPINFOHEADER)) + line * height + colors * 4LL;
    if (total > kMaxBlockSize) return nullptr;
    block_.reset(new (std::nothrow) BYTE[static_cast<size_t>(total)]);
    if (!block_) return nullptr;

    size_ = static_cast<DWORD>(total);
    lineWidth_ = static_cast<int>(line);
    numColors_ = colors;
    header_.biSize = sizeof(BITMAPINFOHEADER);
    header_.biWidth = width;
    header_.biHeight = height;
    header_.biPlanes = 1;
    header_.biBitCount = static_cast<WORD>(bitsPerPixel);
    header_.biCompression = BI_RGB;
    header_.biSizeImage = static_cast<DWORD>(line * height);
    std::memcpy(block_.get(), &header_, sizeof(header_));
    return block_.get();
}

void CPaletteDib::Free() {
    dc_.Reset();
    section_.Reset();
    sectionBits_ = nullptr;
    block_.reset();
    size_ = 0;
    lineWidth_ = 0;
    numColors_ = 0;
    std::memset(&header_, 0, sizeof(header_));
}

RGBQUAD* CPaletteDib::Palette() const {
    if (!block_ || numColors_ == 0) return nullptr;
    return reinterpret_cast<RGBQUAD*>(block_.get() + reinterpret_cast<const BITMAPINFOHEADER*>(block_.get())->biSize);
}

BYTE* CPaletteDib::GetBits() const {
    if (!block_) return nullptr;
    return block_.get() + reinterpret_cast<const BITMAPINFOHEADER*>(block_.get())->biSize + GetPaletteSize();
}

void CPaletteDib::SetPaletteIndex(BYTE index, BYTE red, BYTE green, BYTE blue) {
    RGBQUAD* palette = Palette();
    if (!palette || index >= numColors_) return;
    palette[index].rgbBlue = blue;
    palette[index].rgbGreen = green;
    palette[index].rgbRed = red;
    palette[index].rgbReserved = 0;
}

void CPaletteDib::BlendPalette(COLORREF color, int percent) {
    RGBQUAD* palette = Palette();
    if (!palette) return;
    if (percent > 100) percent = 100;
    if (percent < 0) percent = 0;
    const int keep = 100 - percent;
    for (int i = 0; i < numColors_; ++i) {
        palette[i].rgbBlue = static_cast<BYTE>((palette[i].rgbBlue * keep + GetBValue(color) * percent) / 100);
        palette[i].rgbGreen = static_cast<BYTE>((palette[i].rgbGreen * keep + GetGValue(color) * percent) / 100);
        palette[i].rgbRed = static_cast<BYTE>((palette[i].rgbRed * keep + GetRValue(color) * percent) / 100);
    }
}

void CPaletteDib::SetGrayPalette() {
    RGBQUAD* palette = Palette();
    if (!palette) return;
    for (int i = 0; i < numColors_; ++i) {
        BYTE grey = static_cast<BYTE>(i == numColors_ - 1 ? 255 : i);
        palette[i].rgbBlue = palette[i].rgbGreen = palette[i].rgbRed = grey;
        palette[i].rgbReserved = 0;
    }
}

void CPaletteDib::Clear(BYTE value) {
    if (BYTE* bits = GetBits()) std::memset(bits, value, header_.biSizeImage);
}

void CPaletteDib::SetPixelIndex(int x, int y, BYTE index) {
    BYTE* bits = GetBits();
    if (!bits || numColors_ == 0) return;
    if (x < 0 || y < 0 || x >= header_.biWidth || y >= header_.biHeight) return;
    BYTE* row = bits + static_cast<size_t>(header_.biHeight - y - 1) * lineWidth_;
    switch (header_.biBitCount) {
    case 8:
        row[x] = index;
        break;
    case 4: {
        BYTE& cell = row[x >> 1];
        int shift = (x & 1) ? 0 : 4;
        cell = static_cast<BYTE>((cell & ~(0x0F << shift)) | ((index & 0x0F) << shift));
        break;
    }
    case 1: {
        BYTE& cell = row[x >> 3];
        BYTE bit = static_cast<BYTE>(0x80 >> (x & 7));
        cell = static_cast<BYTE>((index & 1) ? (cell | bit) : (cell & ~bit));
        break;
    }
    }
}

BOOL CPaletteDib::Clone(const CPaletteDib& other) {
    if (&other == this) return block_ != nullptr;
    if (!other.block_ || !Create(other.GetWidth(), other.GetHeight(), other.GetBitCount())) return FALSE;
    std::memcpy(block_.get(), other.block_.get(), size_);
    return TRUE;
}

bool CPaletteDib::MakeSection(HDC reference) {
    if (section_) return true;
    if (!block_) return false;
    void* bits = nullptr;
    section_.Reset(CreateDIBSection(reference, reinterpret_cast<const BITMAPINFO*>(block_.get()), DIB_RGB_COLORS,
                                    &bits, nullptr, 0));
    if (section_ && !bits) section_.Reset();
    sectionBits_ = section_ ? bits : nullptr;
    return section_.IsValid();
}

void CPaletteDib::Draw(HDC target, int x, int y) {
    if (!target || !MakeSection(target)) return;
    if (!dc_) {
        dc_.Reset(CreateCompatibleDC(target));
        if (!dc_) return;
        SelectObject(dc_.Get(), section_.Get());
    }
    GdiFlush();
    std::memcpy(sectionBits_, GetBits(), header_.biSizeImage);
    BitBlt(target, x, y, header_.biWidth, header_.biHeight, dc_.Get(), 0, 0, SRCCOPY);
}

void CPaletteDib::CopyFromDevice(HDC source, int x, int y) {
    if (!source || !MakeSection(source)) return;
    if (dc_) {
        // The section is selected into the kept context already and can be selected nowhere else.
        BitBlt(dc_.Get(), 0, 0, header_.biWidth, header_.biHeight, source, x, y, SRCCOPY);
    } else {
        SelectedDC temporary(source, section_.Get());
        if (!temporary.Get()) return;
        BitBlt(temporary.Get(), 0, 0, header_.biWidth, header_.biHeight, source, x, y, SRCCOPY);
    }
    // The rows are the picture: without this the next Draw would overwrite what was taken.
    GdiFlush();
    std::memcpy(GetBits(), sectionBits_, header_.biSizeImage);
}

BOOL CPaletteDib::WriteBMP(const char* fileName) const {
    if (!fileName || !*fileName || !block_) return FALSE;
    ScopedHandle file(CreateFileA(fileName, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return FALSE;
    BYTE fileHeader[14] = {'B', 'M'};
    PutLittleEndian(fileHeader + 2, size_ + sizeof(fileHeader), 4);
    PutLittleEndian(fileHeader + 10, sizeof(BITMAPINFOHEADER) + GetPaletteSize() + sizeof(fileHeader), 4);
    DWORD written = 0;
    if (!WriteFile(file.Get(), fileHeader, sizeof(fileHeader), &written, nullptr) || written != sizeof(fileHeader))
        return FALSE;
    if (!WriteFile(file.Get(), block_.get(), size_, &written, nullptr) || written != size_) return FALSE;
    return TRUE;
}
