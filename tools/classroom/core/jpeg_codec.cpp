// JPEG through libjpeg-turbo's TurboJPEG interface. One thread per object.
#include "core/jpeg_codec.h"

#include <turbojpeg.h>

#include <algorithm>
#include <climits>

namespace tesmora::classroom {

JpegDecoder::JpegDecoder() : handle_(tjInitDecompress()) {}
JpegDecoder::~JpegDecoder() {
    if (handle_) tjDestroy(handle_);
}

bool JpegDecoder::Decode(const uint8_t* data, size_t length, uint64_t maxPixels, PixelImage& out,
                         std::string& error) {
    if (!handle_) return error = "no JPEG decoder", false;
    if (length == 0 || length > ULONG_MAX) return error = "no JPEG data", false;
    int width = 0, height = 0, subsampling = 0, colorspace = 0;
    if (tjDecompressHeader3(handle_, data, static_cast<unsigned long>(length), &width, &height, &subsampling,
                            &colorspace) != 0) {
        return error = std::string("not a JPEG picture: ") + tjGetErrorStr2(handle_), false;
    }
    if (width <= 0 || height <= 0 ||
        uint64_t(width) * uint64_t(height) > std::min(maxPixels, kMaxPicturePixels)) {
        return error = "JPEG picture of " + std::to_string(width) + "x" + std::to_string(height) +
                       " is too large",
               false;
    }
    if (!out.Reset(uint32_t(width), uint32_t(height))) return error = "no memory for the picture", false;
    if (tjDecompress2(handle_, data, static_cast<unsigned long>(length), out.pixels.data(), width,
                      int(out.Stride()), height, TJPF_BGRX, TJFLAG_ACCURATEDCT) != 0 &&
        tjGetErrorCode(handle_) != TJERR_WARNING) {
        return error = std::string("JPEG data does not decode: ") + tjGetErrorStr2(handle_), false;
    }
    return true;
}

JpegEncoder::JpegEncoder() : handle_(tjInitCompress()) {}
JpegEncoder::~JpegEncoder() {
    if (handle_) tjDestroy(handle_);
}

bool JpegEncoder::Encode(const PixelImage& picture, int quality, std::vector<uint8_t>& out) {
    if (!handle_ || picture.Empty()) return false;
    unsigned char* jpeg = nullptr;
    unsigned long jpegSize = 0;
    const int rc = tjCompress2(handle_, picture.pixels.data(), int(picture.width), int(picture.Stride()),
                               int(picture.height), TJPF_BGRX, &jpeg, &jpegSize, TJSAMP_420,
                               std::clamp(quality, 1, 100), TJFLAG_ACCURATEDCT);
    if (rc == 0) out.assign(jpeg, jpeg + jpegSize);
    tjFree(jpeg);
    return rc == 0;
}

}  // namespace tesmora::classroom
