// StripEncoder on GDI+.
#include "gdiplus_jpeg_encoder_win32.h"

#include <gdiplus.h>

#include <cwchar>
#include <memory>

namespace {

bool FindJpegEncoder(CLSID& found) {
    UINT count = 0, bytes = 0;
    if (Gdiplus::GetImageEncodersSize(&count, &bytes) != Gdiplus::Ok || bytes == 0) return false;
    std::unique_ptr<uint8_t[]> buffer(new uint8_t[bytes]);
    auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.get());
    if (Gdiplus::GetImageEncoders(count, bytes, codecs) != Gdiplus::Ok) return false;
    for (UINT i = 0; i < count; ++i) {
        if (codecs[i].MimeType && std::wcscmp(codecs[i].MimeType, L"image/jpeg") == 0) {
            found = codecs[i].Clsid;
            return true;
        }
    }
    return false;
}

}  // namespace

GdiplusJpegEncoder::GdiplusJpegEncoder() {
    ready_ = FindJpegEncoder(encoder_) && CreateStreamOnHGlobal(nullptr, TRUE, &stream_) == S_OK;
}

GdiplusJpegEncoder::~GdiplusJpegEncoder() {
    if (stream_) stream_->Release();
}

bool GdiplusJpegEncoder::Encode(const PixelView& strip, int quality, std::vector<uint8_t>& jpeg) {
    if (!ready_ || strip.width == 0 || strip.height == 0) return false;
    Gdiplus::Bitmap bitmap(INT(strip.width), INT(strip.height), INT(strip.strideBytes), PixelFormat32bppRGB,
                           strip.topRow);
    ULONG qualityValue = ULONG(quality < 0 ? 0 : quality > 100 ? 100 : quality);
    Gdiplus::EncoderParameters parameters;
    parameters.Count = 1;
    parameters.Parameter[0].Guid = Gdiplus::EncoderQuality;
    parameters.Parameter[0].Type = Gdiplus::EncoderParameterValueTypeLong;
    parameters.Parameter[0].NumberOfValues = 1;
    parameters.Parameter[0].Value = &qualityValue;

    // Rewound, not emptied: the stream keeps the memory it grew to, and the write position after
    // the encode tells how many bytes this strip took.
    LARGE_INTEGER start{};
    if (stream_->Seek(start, STREAM_SEEK_SET, nullptr) != S_OK) return false;
    if (bitmap.Save(stream_, &encoder_, &parameters) != Gdiplus::Ok) return false;
    ULARGE_INTEGER end{};
    if (stream_->Seek(start, STREAM_SEEK_CUR, &end) != S_OK || end.QuadPart == 0 || end.QuadPart > 0x7FFFFFFF) {
        return false;
    }
    jpeg.resize(size_t(end.QuadPart));
    ULONG read = 0;
    if (stream_->Seek(start, STREAM_SEEK_SET, nullptr) != S_OK ||
        stream_->Read(jpeg.data(), ULONG(jpeg.size()), &read) != S_OK || read != jpeg.size()) {
        return false;
    }
    return true;
}
