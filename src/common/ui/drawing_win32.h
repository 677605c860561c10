// Small drawing helpers of the user interface: pictures and fonts from the resource module, and a
// bitmap drawn stretched with GDI+ (which must be started). UI thread of the drawing window.
#pragma once

#include <windows.h>

#include <string>

namespace tesmora {

// A bitmap resource of the resource module, as a device-dependent bitmap; null when missing.
HBITMAP LoadResourceBitmap(UINT id);
// The size of a bitmap in pixels; 0 x 0 for none.
SIZE BitmapSize(HBITMAP bitmap);

// Draws `bitmap` stretched to (x, y, width, height) with GDI+. The picture's edge pixels are repeated
// outwards while stretching, so its border does not fade into the surface. False when GDI+ refuses.
bool DrawBitmapStretched(HDC dc, HBITMAP bitmap, int x, int y, int width, int height);

// A font of the user interface: the face, a cell height in pixels, a weight (400 normal, 700 bold),
// the default character set.
HFONT CreateUiFont(const std::wstring& face, int height, int weight);

}  // namespace tesmora
