// Sound upload as the teacher program receives it: type 11 blocks of 16-bit mono PCM at 8000 Hz,
// written to a WAV file per upload when an output folder is given. One thread (the teacher
// session's).
#pragma once

#include <cstdint>
#include <string>

#include "core/conversation.h"
#include "core/wav_writer.h"
#include "transport/packet.h"

namespace tesmora::classroom {

class SoundRecorder {
public:
    // An empty path records nothing (the blocks are still checked and counted).
    void Start(const std::string& path, Conversation& talk);
    void Stop(Conversation& talk);
    void OnBlock(const CPacket& packet, Conversation& talk);
    uint64_t BytesReceived() const { return bytes_; }

private:
    WavWriter wav_;
    std::string path_;
    uint64_t bytes_ = 0;
};

}  // namespace tesmora::classroom
