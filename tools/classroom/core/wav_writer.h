// A WAV file written as sound arrives: 16-bit PCM, mono, 8000 Hz (what the pad uploads). The
// header is brought up to date after every block, so the file is complete whenever it is read.
// One thread (the teacher session's).
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace tesmora::classroom {

class WavWriter {
public:
    static constexpr uint32_t kSampleRate = 8000;

    WavWriter() = default;
    WavWriter(const WavWriter&) = delete;
    WavWriter& operator=(const WavWriter&) = delete;
    ~WavWriter();

    bool Open(const std::string& path);
    bool IsOpen() const { return file_ != nullptr; }
    // Appends whole samples (an odd last byte is dropped).
    bool Append(const uint8_t* samples, uint32_t length);
    void Close();
    uint32_t DataBytes() const { return dataBytes_; }

private:
    bool WriteHeader();

    std::FILE* file_ = nullptr;
    uint32_t dataBytes_ = 0;
};

}  // namespace tesmora::classroom
