// The user-interface scale factor of the remote: one process-wide value s, chosen once when the panel
// starts, by which every window multiplies its design sizes, positions and font heights
// (Scaled(v) = floor(v * s)). Written once on the UI thread before other threads start; read by any
// thread.
#pragma once

#include <string>

namespace tesmora {

// The factors a window can be used at: below half size text is unreadable and buttons too small
// to tap; above four times the panel no longer fits a screen. The screen's own factors (1, 1.4, 2)
// lie within.
inline constexpr float kMinScaleFactor = 0.5f;
inline constexpr float kMaxScaleFactor = 4.0f;

// Any thread.
float ScaleFactor();
// UI thread, at panel start-up. Values that are not a usable factor (not finite, outside
// kMinScaleFactor..kMaxScaleFactor) leave the factor unchanged and answer false.
bool SetScaleFactor(float factor);

// floor(v * s) with s the process-wide factor. Any thread.
int Scaled(int designPixels);
// floor(v * factor), the product rounded to single precision first, as a 32-bit float multiply gives:
// 65 * 1.4f is 91, not the 90 that a wider intermediate would floor to.
int ScaledBy(int designPixels, float factor);

// The factor for a primary screen of the given size: 2 above 3000 pixels in either direction, 1.4
// above 2000, else 1.
float ScaleFactorForScreen(int width, int height);

// The factor that the configuration's "scalefactor" text asks for: its leading decimal number, when
// that is a usable factor (see SetScaleFactor). 0 when the text is empty, has no number, or the number
// is outside the usable range: the caller then keeps the screen's factor.
float ParseScaleFactorOverride(const std::u16string& text);

}  // namespace tesmora
