// DibSurface: an off-screen device-independent bitmap (32 bits per pixel, or 8-bit grey with a
// palette i -> (i, i, i)) selected into its own memory drawing surface, rows bottom-up, cleared to
// black when made. Used for the teacher PC's screen image, strips and parts, and by the note tool.
// One thread at a time (whoever made it, or whoever it was handed to).
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

namespace tesmora {

class DibSurface {
public:
    DibSurface() = default;
    DibSurface(const DibSurface&) = delete;
    DibSurface& operator=(const DibSurface&) = delete;
    ~DibSurface() { Release(); }

    // Releases any previous bitmap and makes a new one; false (and nothing held) for a size below 1,
    // bits other than 32 or 8, an image too large to address, or when the system refuses.
    bool Create(int width, int height, int bitsPerPixel);
    void Release();

    int Width() const { return width_; }
    int Height() const { return height_; }
    int BitsPerPixel() const { return bitsPerPixel_; }
    uint32_t RowStride() const { return height_ > 0 ? imageSize_ / static_cast<uint32_t>(height_) : 0; }
    HDC Dc() const { return dc_; }
    HBITMAP Bitmap() const { return bitmap_; }
    uint8_t* Bits() const { return bits_; }

private:
    int width_ = 0;
    int height_ = 0;
    int bitsPerPixel_ = 0;
    uint32_t imageSize_ = 0;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    uint8_t* bits_ = nullptr;
    HGDIOBJ previousBitmap_ = nullptr;
    std::vector<uint8_t> headerBuffer_;  // header, and for 8 bits the grey palette
    BITMAPINFOHEADER* header_ = nullptr;
    BITMAPINFO* info_ = nullptr;
};

}  // namespace tesmora
