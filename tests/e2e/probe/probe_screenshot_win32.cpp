// Screenshots of the UI probe (see probe_screenshot_win32.h).
#include "probe_screenshot_win32.h"

// GDI+ needs the COM declarations that the lean Windows headers leave out, so they come first.
// clang-format off
#include <objidl.h>
#include <gdiplus.h>
// clang-format on

#include <cstdio>
#include <vector>

#include "probe_windows_win32.h"

namespace {

bool EndsWith(const std::wstring& text, const wchar_t* suffix) {
    size_t length = wcslen(suffix);
    return text.size() >= length && _wcsicmp(text.c_str() + text.size() - length, suffix) == 0;
}

// The screen's pixels in `area` as a 32-bit top-down section (null on failure).
HBITMAP CaptureScreen(const RECT& area, void*& bits) {
    int width = area.right - area.left;
    int height = area.bottom - area.top;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    HDC screen = ::GetDC(nullptr);
    HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC memory = ::CreateCompatibleDC(screen);
    bool copied = false;
    if (bitmap && memory) {
        HGDIOBJ previous = ::SelectObject(memory, bitmap);
        copied =
            ::BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY | CAPTUREBLT) != 0;
        ::SelectObject(memory, previous);
    }
    if (memory) ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    if (!copied && bitmap) {
        ::DeleteObject(bitmap);
        bitmap = nullptr;
    }
    return bitmap;
}

// A 24-bit bottom-up BMP, the form every viewer reads.
bool SaveBmp(const std::wstring& path, const void* bits, int width, int height) {
    int stride = (width * 3 + 3) & ~3;
    std::vector<unsigned char> pixels(static_cast<size_t>(stride) * height);
    const auto* source = static_cast<const unsigned char*>(bits);
    for (int y = 0; y < height; ++y) {
        const unsigned char* row = source + static_cast<size_t>(y) * width * 4;
        unsigned char* target = pixels.data() + static_cast<size_t>(height - 1 - y) * stride;
        for (int x = 0; x < width; ++x) {
            target[x * 3 + 0] = row[x * 4 + 0];
            target[x * 3 + 1] = row[x * 4 + 1];
            target[x * 3 + 2] = row[x * 4 + 2];
        }
    }
    BITMAPINFOHEADER header{};
    header.biSize = sizeof(header);
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    header.biSizeImage = static_cast<DWORD>(pixels.size());
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(header);
    file.bfSize = file.bfOffBits + header.biSizeImage;
    FILE* out = _wfopen(path.c_str(), L"wb");
    if (!out) return false;
    bool written = std::fwrite(&file, sizeof(file), 1, out) == 1 &&
                   std::fwrite(&header, sizeof(header), 1, out) == 1 &&
                   std::fwrite(pixels.data(), 1, pixels.size(), out) == pixels.size();
    return std::fclose(out) == 0 && written;
}

bool PngEncoder(CLSID& clsid) {
    UINT count = 0, size = 0;
    if (Gdiplus::GetImageEncodersSize(&count, &size) != Gdiplus::Ok || size == 0) return false;
    std::vector<unsigned char> buffer(size);
    auto* encoders = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    if (Gdiplus::GetImageEncoders(count, size, encoders) != Gdiplus::Ok) return false;
    for (UINT i = 0; i < count; ++i) {
        if (wcscmp(encoders[i].MimeType, L"image/png") == 0) {
            clsid = encoders[i].Clsid;
            return true;
        }
    }
    return false;
}

bool SavePng(const std::wstring& path, void* bits, int width, int height) {
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) return false;
    bool saved = false;
    {
        CLSID png;
        // The section's rows are top-down BGRX; the screen has no alpha, so it is saved as opaque.
        Gdiplus::Bitmap image(width, height, width * 4, PixelFormat32bppRGB, static_cast<BYTE*>(bits));
        saved = PngEncoder(png) && image.Save(path.c_str(), &png, nullptr) == Gdiplus::Ok;
    }
    Gdiplus::GdiplusShutdown(token);
    return saved;
}

}  // namespace

int RunScreenshot(const ProbeOptions& options) {
    if (options.arguments.size() != 1) return Fail(L"screenshot wants one file (.png or .bmp)");
    const std::wstring& path = options.arguments[0];
    bool png = EndsWith(path, L".png");
    if (!png && !EndsWith(path, L".bmp")) return Fail(L"screenshot: the file must end in .png or .bmp");

    RECT screen{::GetSystemMetrics(SM_XVIRTUALSCREEN), ::GetSystemMetrics(SM_YVIRTUALSCREEN), 0, 0};
    screen.right = screen.left + ::GetSystemMetrics(SM_CXVIRTUALSCREEN);
    screen.bottom = screen.top + ::GetSystemMetrics(SM_CYVIRTUALSCREEN);
    RECT area = screen;
    if (options.HasWindowSelection()) {
        std::wstring error;
        HWND target = SelectTarget(options, error);
        if (!target) return Fail(L"screenshot: " + error);
        RECT window{};
        ::GetWindowRect(target, &window);
        if (!::IntersectRect(&area, &window, &screen))
            return Fail(L"screenshot: the window is off the screen");
    }
    int width = area.right - area.left;
    int height = area.bottom - area.top;
    void* bits = nullptr;
    HBITMAP bitmap = CaptureScreen(area, bits);
    if (!bitmap) return Fail(L"screenshot: the screen could not be read");
    bool saved = png ? SavePng(path, bits, width, height) : SaveBmp(path, bits, width, height);
    ::DeleteObject(bitmap);
    if (!saved) return Fail(L"screenshot: could not write " + path);
    PrintRecord({{L"file", path}, {L"rect", RectText(area)}});
    return 0;
}
