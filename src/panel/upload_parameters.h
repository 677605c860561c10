// The screen-upload parameters the panel keeps for the capture thread, their refresh for the pad's
// current screen, and the "[RC00008]" text that tells the teacher PC about them. The panel writes
// them on the UI thread; the capture thread reads them.
#pragma once

#include <string>

namespace tesmora {

inline constexpr int kUploadImageQuality = 70;

struct UploadParameters {
    int left = 0, top = 0, right = 0, bottom = 0;  // capture rectangle, inclusive
    int width = 0, height = 0;
    int quality = kUploadImageQuality;
    bool windowMode = false;  // false: the whole screen
    bool centre = false;      // false: resized to the teacher's view, not centred
};

// The whole `width` x `height` screen at the upload quality.
UploadParameters FullScreenUploadParameters(int width, int height);

// "[RC00008]<width>,<height>,full|window,resize|center".
std::u16string UploadParametersText(const UploadParameters& parameters);

}  // namespace tesmora
