// WavWriter. One thread.
#include "core/wav_writer.h"

#include "common/bytes/byte_writer.h"

namespace tesmora::classroom {

WavWriter::~WavWriter() {
    Close();
}

bool WavWriter::Open(const std::string& path) {
    Close();
    file_ = std::fopen(path.c_str(), "wb");
    dataBytes_ = 0;
    return file_ && WriteHeader();
}

bool WavWriter::WriteHeader() {
    ByteWriter w(64);
    w.Bytes(reinterpret_cast<const uint8_t*>("RIFF"), 4);
    w.U32(36 + dataBytes_);
    w.Bytes(reinterpret_cast<const uint8_t*>("WAVEfmt "), 8);
    w.U32(16);  // format chunk size
    w.U16(1);   // PCM
    w.U16(1);   // mono
    w.U32(kSampleRate);
    w.U32(kSampleRate * 2);  // bytes per second
    w.U16(2);                // block alignment
    w.U16(16);               // bits per sample
    w.Bytes(reinterpret_cast<const uint8_t*>("data"), 4);
    w.U32(dataBytes_);
    if (std::fseek(file_, 0, SEEK_SET) != 0) return false;
    const bool ok = std::fwrite(w.Data(), 1, w.Size(), file_) == w.Size();
    std::fseek(file_, 0, SEEK_END);
    std::fflush(file_);
    return ok;
}

bool WavWriter::Append(const uint8_t* samples, uint32_t length) {
    if (!file_) return false;
    length &= ~1u;
    if (length > UINT32_MAX - 36 - dataBytes_) return false;  // a WAV file ends at 4 GiB
    if (std::fwrite(samples, 1, length, file_) != length) return false;
    dataBytes_ += length;
    return WriteHeader();
}

void WavWriter::Close() {
    if (file_) std::fclose(file_);
    file_ = nullptr;
}

}  // namespace tesmora::classroom
