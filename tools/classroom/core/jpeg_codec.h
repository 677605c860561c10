// Baseline JPEG to and from PixelImage, through libjpeg-turbo. Each object keeps its codec handle
// and is used by one thread (a session's).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/pixel_image.h"

namespace tesmora::classroom {

class JpegDecoder {
public:
    JpegDecoder();
    JpegDecoder(const JpegDecoder&) = delete;
    JpegDecoder& operator=(const JpegDecoder&) = delete;
    ~JpegDecoder();

    // False with a reason when the bytes are not a JPEG picture or it is larger than `maxPixels`
    // (checked before anything is allocated for it).
    bool Decode(const uint8_t* data, size_t length, uint64_t maxPixels, PixelImage& out, std::string& error);

private:
    void* handle_;
};

class JpegEncoder {
public:
    JpegEncoder();
    JpegEncoder(const JpegEncoder&) = delete;
    JpegEncoder& operator=(const JpegEncoder&) = delete;
    ~JpegEncoder();

    // 4:2:0 baseline JPEG at the given quality (0..100).
    bool Encode(const PixelImage& picture, int quality, std::vector<uint8_t>& out);

private:
    void* handle_;
};

}  // namespace tesmora::classroom
