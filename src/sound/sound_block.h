// The sound thread's portable core: turns what the loopback capture delivers, poll by poll, into
// blocks of 16-bit mono PCM at 8000 samples a second for type 11 packets, with blocks of silence
// while the pad plays nothing, sent no faster than time passes.
//
// Threads: a SoundBlockBuilder belongs to the sound thread alone. It calls its SoundBlockSink on that
// thread, from inside OnIdlePoll and OnCapturedPacket; the sink hands the block on (on Windows by the
// sent message WM_AUDIO_PACKET, which returns once the panel has written it) and must be done with
// the bytes when SendBlock returns, because the builder reuses them for the next block.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

#include "common/platform/clock.h"

namespace tesmora {

class Packet;

// What the teacher program plays: mono, 16-bit little-endian PCM at this rate.
inline constexpr uint32_t kSoundSampleRate = 8000;
// A block is sent once it holds this many bytes: half a second of sound. Every block is whole; a
// block of silence is this many zero bytes.
inline constexpr size_t kSoundBlockBytes = 8000;
// What one block lasts when played.
inline constexpr uint64_t kSoundBlockMilliseconds = 500;
// Polls without captured sound (about 1 ms each) after which the pad counts as quiet; a poll that
// sleeps longer (Windows' default timer runs at 15.6 ms) counts as quiet after this many milliseconds.
inline constexpr int kIdlePollLimit = 50;
inline constexpr uint64_t kIdleMilliseconds = 50;

// The capture packet's flags: a gap in the stream, and a packet whose samples are to be taken as
// silence. Any other bit ends the capture.
inline constexpr uint32_t kCaptureDiscontinuity = 1;
inline constexpr uint32_t kCaptureSilent = 2;

// How the mix format lays a sample out. Only these two are sampled.
enum class SampleEncoding { kPcm16, kFloat32 };

// The shared-mode mix format the capture runs in: interleaved frames of `channels` samples.
struct MixFormat {
    SampleEncoding encoding = SampleEncoding::kPcm16;
    uint32_t channels = 0;
    uint32_t sampleRate = 0;  // frames a second
    uint32_t blockAlign = 0;  // bytes per frame; 0: channels × sample size
};

// True when a packet with these flags may be sampled; false when they end the capture (the thread
// then ends with E_UNEXPECTED).
bool AreCaptureFlagsAccepted(uint32_t flags);

// The first channel's sample of a float frame as 16-bit PCM: × 32767, truncated toward zero, clipped
// to ±32767 (a loopback mix may run slightly past full scale), NaN as silence.
int16_t FloatToPcm16(float sample);

class SoundBlockSink {
public:
    virtual ~SoundBlockSink() = default;
    // A finished block, valid only during the call.
    virtual void SendBlock(std::span<const uint8_t> block) = 0;
};

// Milliseconds on a clock that never goes back; the builder paces silence by it.
using SoundClock = std::function<uint64_t()>;

class SoundBlockBuilder {
public:
    SoundBlockBuilder(const MixFormat& format, SoundBlockSink& sink,
                      SoundClock clock = MonotonicMilliseconds);
    SoundBlockBuilder(const SoundBlockBuilder&) = delete;
    SoundBlockBuilder& operator=(const SoundBlockBuilder&) = delete;

    // False for a format that cannot be sampled (no channels, no rate, a frame smaller than one
    // sample): the sound thread ends without capturing. An unusable builder ignores every packet.
    bool IsUsable() const { return usable_; }

    // A poll that found no captured packet. Once the pad is quiet (more than kIdlePollLimit such
    // polls in a row, or more than kIdleMilliseconds since the last packet) and everything sent so
    // far has had time to play, one whole block goes: the sound it holds (the end of a sentence is
    // not lost) padded with silence, or half a second of silence. The teacher's player is thus never
    // handed more sound than time has passed, whatever the poll's pace.
    void OnIdlePoll();

    // A poll that found a captured packet of `frames` frames in `data`. Resets the idle count, takes
    // the first channel of the frames due at 8000 samples a second (the phase carries from packet to
    // packet), and sends every block that fills. Frames past the end of `data` are not read. Returns
    // false, taking nothing, when the flags end the capture.
    bool OnCapturedPacket(std::span<const uint8_t> data, uint32_t frames, uint32_t flags);

    int IdleCount() const { return idleCount_; }
    uint64_t FrameCounter() const { return frameCounter_; }  // frames of every packet taken in
    size_t PendingBytes() const { return block_.size(); }

private:
    void Append(int16_t sample);
    // Sends the held block (whole) and moves the stream's end on by one block.
    void SendBlock();

    SoundBlockSink& sink_;
    SampleEncoding encoding_;
    uint32_t sampleRate_ = 0;
    size_t frameSize_ = 0;
    bool usable_ = false;
    // Sampling phase in 1/8000ths of a frame: a frame is taken when it reaches the mix rate, so at
    // 48,000 Hz exactly frames 0, 6, 12, ... are taken and at 44,100 Hz 8000 of every 44,100.
    uint64_t phase_ = 0;
    int idleCount_ = 0;
    uint64_t frameCounter_ = 0;
    SoundClock clock_;
    uint64_t lastPacketAt_ = 0;
    // When everything sent so far will have played, had the teacher started each block on arrival
    // or when the one before ended. Time the stream fell behind is not made up.
    uint64_t streamEnd_ = 0;
    std::vector<uint8_t> block_;
};

// Makes `packet` the type 11 packet of `block` (size and length both the block's); the packet
// borrows the bytes, which must outlive its Write.
void PrepareSoundPacket(Packet& packet, std::span<const uint8_t> block);
// The type 11 packet of a copy of `block`, for a sender that may keep it after the capture thread
// has moved on (the queue that carries it to the teacher while remote control hands back).
std::unique_ptr<Packet> MakeOwnedSoundPacket(std::span<const uint8_t> block);

}  // namespace tesmora
