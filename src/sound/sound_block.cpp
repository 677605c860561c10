// The sound block builder. Sound thread only.
#include "sound/sound_block.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "transport/packet.h"

namespace tesmora {

namespace {

size_t SampleSize(SampleEncoding encoding) {
    return encoding == SampleEncoding::kPcm16 ? 2 : 4;
}

}  // namespace

bool AreCaptureFlagsAccepted(uint32_t flags) {
    return flags == 0 || flags == kCaptureDiscontinuity || (flags & kCaptureSilent) != 0;
}

int16_t FloatToPcm16(float sample) {
    if (std::isnan(sample)) return 0;
    const float scaled = std::clamp(sample * 32767.0f, -32767.0f, 32767.0f);
    return static_cast<int16_t>(scaled);  // truncates toward zero
}

SoundBlockBuilder::SoundBlockBuilder(const MixFormat& format, SoundBlockSink& sink, SoundClock clock)
    : sink_(sink), encoding_(format.encoding), sampleRate_(format.sampleRate), clock_(std::move(clock)) {
    const size_t sampleSize = SampleSize(format.encoding);
    frameSize_ = format.blockAlign != 0 ? format.blockAlign : size_t{format.channels} * sampleSize;
    usable_ = format.channels > 0 && format.sampleRate > 0 && frameSize_ >= sampleSize;
    phase_ = sampleRate_;  // the first frame is taken
    block_.reserve(kSoundBlockBytes);
    lastPacketAt_ = clock_();
    streamEnd_ = lastPacketAt_;
}

void SoundBlockBuilder::OnIdlePoll() {
    const uint64_t now = clock_();
    if (idleCount_ <= kIdlePollLimit) ++idleCount_;
    const bool quiet = idleCount_ > kIdlePollLimit || now - lastPacketAt_ > kIdleMilliseconds;
    if (!quiet || now < streamEnd_) return;
    idleCount_ = 0;
    lastPacketAt_ = now;  // the next quiet stretch is counted from here
    SendBlock();
}

bool SoundBlockBuilder::OnCapturedPacket(std::span<const uint8_t> data, uint32_t frames, uint32_t flags) {
    idleCount_ = 0;
    lastPacketAt_ = clock_();
    if (!AreCaptureFlagsAccepted(flags)) return false;
    frameCounter_ += frames;
    if (!usable_) return true;
    const bool silent = (flags & kCaptureSilent) != 0;
    // A silent packet's bytes are undefined: it counts as frames of silence, whatever `data` holds.
    const uint64_t available = silent ? frames : data.size() / frameSize_;
    const uint64_t count = std::min<uint64_t>(frames, available);
    for (uint64_t frame = 0; frame < count; ++frame) {
        if (phase_ >= sampleRate_) {
            phase_ -= sampleRate_;
            int16_t sample = 0;
            if (!silent) {
                const uint8_t* at = data.data() + frame * frameSize_;
                if (encoding_ == SampleEncoding::kPcm16) {
                    sample = static_cast<int16_t>(static_cast<uint16_t>(at[0] | (at[1] << 8)));
                } else {
                    float value;
                    std::memcpy(&value, at, sizeof value);
                    sample = FloatToPcm16(value);
                }
            }
            Append(sample);
        }
        // Below 8000 Hz every frame is taken; the bound keeps the phase from growing without end.
        phase_ = std::min<uint64_t>(phase_ + kSoundSampleRate, uint64_t{sampleRate_} + kSoundSampleRate);
    }
    return true;
}

void SoundBlockBuilder::Append(int16_t sample) {
    const auto bits = static_cast<uint16_t>(sample);
    block_.push_back(static_cast<uint8_t>(bits & 0xFF));
    block_.push_back(static_cast<uint8_t>(bits >> 8));
    if (block_.size() >= kSoundBlockBytes) SendBlock();
}

void SoundBlockBuilder::SendBlock() {
    // A short block would make the teacher's player start and stop: the rest is silence.
    if (block_.size() < kSoundBlockBytes) block_.resize(kSoundBlockBytes, 0);
    sink_.SendBlock(block_);
    block_.clear();
    streamEnd_ = std::max(streamEnd_, clock_()) + kSoundBlockMilliseconds;
}

void PrepareSoundPacket(Packet& packet, std::span<const uint8_t> block) {
    packet.SetType(kPacketSound);
    packet.SetData(block.data(), static_cast<uint32_t>(block.size()));
    packet.SetSize(static_cast<uint32_t>(block.size()));
}

namespace {

// A sound packet that owns the bytes it lends itself.
class OwnedSoundPacket : public Packet {
public:
    explicit OwnedSoundPacket(std::span<const uint8_t> block) : bytes_(block.begin(), block.end()) {
        PrepareSoundPacket(*this, bytes_);
    }

private:
    std::vector<uint8_t> bytes_;
};

}  // namespace

std::unique_ptr<Packet> MakeOwnedSoundPacket(std::span<const uint8_t> block) {
    return std::make_unique<OwnedSoundPacket>(block);
}

}  // namespace tesmora
