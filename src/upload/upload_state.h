// The settings of one screen upload: the capture rectangle, the grid and the JPEG quality. Copied
// into the capture thread when it starts. Any thread.
#pragma once

#include <cstdint>

namespace tesmora {

struct UploadSettings {
    int32_t left = 0, top = 0, right = 0, bottom = 0;  // capture rectangle; all four edges belong to it
    int32_t width = 0, height = 0;                     // grid (and screen bitmap) size
    int32_t quality = 70;                              // JPEG quality, 0 to 100
};

}  // namespace tesmora
