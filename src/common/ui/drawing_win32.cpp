// Drawing helpers (see drawing_win32.h).
#include "common/ui/drawing_win32.h"

#include <objidl.h>
#include <gdiplus.h>

#include <memory>

#include "common/ui/resource_module_win32.h"

namespace tesmora {

HBITMAP LoadResourceBitmap(UINT id) {
    return static_cast<HBITMAP>(::LoadImageW(ResourceModule(), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, 0));
}

SIZE BitmapSize(HBITMAP bitmap) {
    BITMAP info{};
    if (!bitmap || !::GetObjectW(bitmap, sizeof(info), &info)) return SIZE{0, 0};
    return SIZE{info.bmWidth, info.bmHeight};
}

bool DrawBitmapStretched(HDC dc, HBITMAP bitmap, int x, int y, int width, int height) {
    if (!dc || !bitmap || width <= 0 || height <= 0) return false;
    std::unique_ptr<Gdiplus::Bitmap> picture(Gdiplus::Bitmap::FromHBITMAP(bitmap, nullptr));
    if (!picture || picture->GetLastStatus() != Gdiplus::Ok) return false;
    Gdiplus::Graphics graphics(dc);
    if (graphics.GetLastStatus() != Gdiplus::Ok) return false;
    Gdiplus::ImageAttributes attributes;
    attributes.SetWrapMode(Gdiplus::WrapModeTileFlipXY);
    Gdiplus::Rect target(x, y, width, height);
    auto status = graphics.DrawImage(picture.get(), target, 0, 0, static_cast<INT>(picture->GetWidth()),
                                     static_cast<INT>(picture->GetHeight()), Gdiplus::UnitPixel, &attributes);
    return status == Gdiplus::Ok;
}

HFONT CreateUiFont(const std::wstring& face, int height, int weight) {
    LOGFONTW font{};
    font.lfHeight = height;
    font.lfWeight = weight;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfOutPrecision = OUT_DEFAULT_PRECIS;
    font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    font.lfQuality = DEFAULT_QUALITY;
    font.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    lstrcpynW(font.lfFaceName, face.c_str(), LF_FACESIZE);
    return ::CreateFontIndirectW(&font);
}

}  // namespace tesmora
