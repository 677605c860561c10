// The DIB surface (see dib_surface_win32.h).
#include "common/ui/dib_surface_win32.h"

#include <cstring>

namespace tesmora {

bool DibSurface::Create(int width, int height, int bitsPerPixel) {
    Release();
    if (width < 1 || height < 1 || (bitsPerPixel != 32 && bitsPerPixel != 8)) return false;
    uint64_t stride = ((static_cast<uint64_t>(width) * static_cast<uint64_t>(bitsPerPixel) + 31) / 32) * 4;
    uint64_t size = stride * static_cast<uint64_t>(height);
    if (size > 0x7FFFFFFF) return false;

    size_t palette = bitsPerPixel == 8 ? 256 * sizeof(RGBQUAD) : 0;
    headerBuffer_.assign(sizeof(BITMAPINFOHEADER) + palette, 0);
    header_ = reinterpret_cast<BITMAPINFOHEADER*>(headerBuffer_.data());
    info_ = reinterpret_cast<BITMAPINFO*>(headerBuffer_.data());
    header_->biSize = sizeof(BITMAPINFOHEADER);
    header_->biWidth = width;
    header_->biHeight = height;  // positive: rows run bottom-up
    header_->biPlanes = 1;
    header_->biBitCount = static_cast<WORD>(bitsPerPixel);
    header_->biCompression = BI_RGB;
    header_->biSizeImage = static_cast<DWORD>(size);
    if (bitsPerPixel == 8) {
        header_->biClrUsed = 256;
        auto* colours = reinterpret_cast<RGBQUAD*>(headerBuffer_.data() + sizeof(BITMAPINFOHEADER));
        for (int i = 0; i < 256; ++i) {
            colours[i] = RGBQUAD{static_cast<BYTE>(i), static_cast<BYTE>(i), static_cast<BYTE>(i), 0};
        }
    }

    HDC screen = ::GetDC(nullptr);
    dc_ = ::CreateCompatibleDC(screen);
    ::ReleaseDC(nullptr, screen);
    void* bits = nullptr;
    bitmap_ = dc_ ? ::CreateDIBSection(dc_, info_, DIB_RGB_COLORS, &bits, nullptr, 0) : nullptr;
    if (!bitmap_ || !bits) {
        Release();
        return false;
    }
    bits_ = static_cast<uint8_t*>(bits);
    previousBitmap_ = ::SelectObject(dc_, bitmap_);
    width_ = width;
    height_ = height;
    bitsPerPixel_ = bitsPerPixel;
    imageSize_ = static_cast<uint32_t>(size);
    std::memset(bits_, 0, imageSize_);
    return true;
}

void DibSurface::Release() {
    if (dc_ && previousBitmap_) ::SelectObject(dc_, previousBitmap_);
    if (bitmap_) ::DeleteObject(bitmap_);
    if (dc_) ::DeleteDC(dc_);
    dc_ = nullptr;
    bitmap_ = nullptr;
    bits_ = nullptr;
    previousBitmap_ = nullptr;
    headerBuffer_.clear();
    header_ = nullptr;
    info_ = nullptr;
    width_ = height_ = bitsPerPixel_ = 0;
    imageSize_ = 0;
}

}  // namespace tesmora
