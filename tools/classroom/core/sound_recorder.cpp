// SoundRecorder. One thread.
#include "core/sound_recorder.h"

namespace tesmora::classroom {

void SoundRecorder::Start(const std::string& path, Conversation& talk) {
    Stop(talk);
    path_ = path;
    if (!path.empty() && !wav_.Open(path)) talk.Warning("cannot write " + path);
}

void SoundRecorder::Stop(Conversation& talk) {
    if (!wav_.IsOpen()) return;
    const uint32_t bytes = wav_.DataBytes();
    wav_.Close();
    talk.Log(talk.Make("file_saved")
                 .Str("kind", "sound")
                 .Str("path", path_)
                 .Int("bytes", bytes)
                 .Say("** sound saved: " + path_ + " (" + std::to_string(bytes / 2) + " samples)"));
}

void SoundRecorder::OnBlock(const CPacket& packet, Conversation& talk) {
    if (packet.Size() != packet.DataLength()) {
        talk.BadInput("sound block: size field " + std::to_string(packet.Size()) +
                      " differs from the data length " + std::to_string(packet.DataLength()));
        return;
    }
    if (packet.DataLength() % 2 != 0) talk.Warning("sound block of an odd number of bytes");
    bytes_ += packet.DataLength();
    talk.Log(talk.Make("sound_block")
                 .Int("bytes", packet.DataLength())
                 .Say("<- sound block: " + std::to_string(packet.DataLength()) + " bytes"));
    if (wav_.IsOpen() && !wav_.Append(packet.Data(), packet.DataLength()))
        talk.Warning("cannot write " + path_);
}

}  // namespace tesmora::classroom
