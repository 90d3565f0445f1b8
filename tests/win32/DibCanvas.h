#pragma once
// A 32-bit top-down DIB selected into a memory DC, for tests that draw with GDI and read the pixels
// back (0x00RRGGBB, row by row from the top).
#include <windows.h>

#include <cstdint>

class DibCanvas {
  public:
    DibCanvas() : dc_(CreateCompatibleDC(nullptr)) {}
    ~DibCanvas() {
        Resize(0, 0);
        if (dc_) DeleteDC(dc_);
    }
    DibCanvas(const DibCanvas&) = delete;
    DibCanvas& operator=(const DibCanvas&) = delete;

    // A new bitmap of `width` x `height` pixels in place of the old one (none for a width of 0);
    // false when it could not be made.
    bool Resize(int width, int height) {
        if (bitmap_) {
            SelectObject(dc_, old_);
            DeleteObject(bitmap_);
            bitmap_ = nullptr;
        }
        width_ = height_ = 0;
        if (width == 0) return true;
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof bi.bmiHeader;
        bi.bmiHeader.biWidth = width;
        bi.bmiHeader.biHeight = -height;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        bitmap_ = CreateDIBSection(dc_, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
        if (!bitmap_) return false;
        old_ = SelectObject(dc_, bitmap_);
        width_ = width;
        height_ = height;
        return true;
    }

  protected:
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    std::uint32_t* bits_ = nullptr;
    int width_ = 0;
    int height_ = 0;
};
