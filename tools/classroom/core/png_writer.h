// Saves a PixelImage as a PNG file (8-bit RGB, no interlace), compressed with zlib. Any thread.
#pragma once

#include <string>

#include "core/pixel_image.h"

namespace tesmora::classroom {

bool WritePng(const PixelImage& picture, const std::string& path);

}  // namespace tesmora::classroom
