// Sound upload as the teacher program receives it: type 11 blocks of 16-bit mono PCM at 8000 Hz,
// written to a WAV file per upload when an output folder is given, and told at the end of each upload
// with the rate the samples arrived at and their dominant frequency. One thread (the teacher
// session's).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/conversation.h"
#include "core/wav_writer.h"
#include "transport/packet.h"

namespace tesmora::classroom {

class SoundRecorder {
public:
    // Sound kept for the pitch check: the first this many samples from the first that is not zero.
    static constexpr size_t kAnalysedSamples = 4000;

    // An empty path records nothing (the blocks are still checked and counted).
    void Start(const std::string& path, Conversation& talk);
    // Ends the upload: logs "sound_received" when blocks came, and "file_saved" when a file was kept.
    void Stop(Conversation& talk);
    void OnBlock(const Packet& packet, Conversation& talk);
    uint64_t BytesReceived() const { return bytes_; }

private:
    void Analyse(const uint8_t* data, uint32_t length, double seconds);
    void Report(Conversation& talk);

    WavWriter wav_;
    std::string path_;
    uint64_t bytes_ = 0;
    bool running_ = false;
    // This upload: its blocks and samples, the samples kept for the pitch, and the arrival times of
    // the first and last blocks that held sound (the silence blocks the pad sends while nothing plays
    // come faster than real time and are left out of the rate).
    uint64_t runBlocks_ = 0;
    uint64_t runSamples_ = 0;
    std::vector<int16_t> analysed_;
    std::optional<double> firstSoundAt_;
    double lastSoundAt_ = 0;
    uint64_t samplesAfterFirstSound_ = 0;
};

}  // namespace tesmora::classroom
