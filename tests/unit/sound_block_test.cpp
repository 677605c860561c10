// Unit tests of the sound block builder: the sampling rate over real mix rates, which frames are
// taken, silence at the pace of time in whole blocks (with the sound before it kept), the capture
// flags, and formats or packets that must not crash it.
#include "sound/sound_block.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <numbers>
#include <vector>

#include "transport/frame.h"
#include "transport/packet.h"

using namespace tesmora;

namespace {

using Bytes = std::vector<uint8_t>;

struct RecordingSink : SoundBlockSink {
    std::vector<Bytes> blocks;
    void SendBlock(std::span<const uint8_t> block) override {
        blocks.emplace_back(block.begin(), block.end());
    }

    std::vector<int16_t> Samples() const {
        std::vector<int16_t> samples;
        for (const Bytes& block : blocks)
            for (size_t i = 0; i + 1 < block.size(); i += 2)
                samples.push_back(int16_t(uint16_t(block[i] | (block[i + 1] << 8))));
        return samples;
    }
};

// Interleaved frames whose first channel is `first(frame)` (full scale ±1) and whose other channels
// hold a loud value that must never be taken.
template <typename First>
Bytes MakeFrames(const MixFormat& format, uint64_t startFrame, uint32_t frames, First first) {
    const size_t sampleSize = format.encoding == SampleEncoding::kPcm16 ? 2 : 4;
    Bytes bytes(size_t(frames) * format.channels * sampleSize);
    for (uint32_t f = 0; f < frames; ++f) {
        for (uint32_t c = 0; c < format.channels; ++c) {
            const double value = c == 0 ? first(startFrame + f) : 0.9;
            uint8_t* at = bytes.data() + (size_t(f) * format.channels + c) * sampleSize;
            if (format.encoding == SampleEncoding::kPcm16) {
                const auto pcm = uint16_t(int16_t(std::lround(value * 32767)));
                at[0] = uint8_t(pcm & 0xFF);
                at[1] = uint8_t(pcm >> 8);
            } else {
                const float f32 = float(value);
                std::memcpy(at, &f32, 4);
            }
        }
    }
    return bytes;
}

// Feeds `seconds` of a tone in packets of 10 ms, as a shared-mode loopback delivers them.
void FeedTone(SoundBlockBuilder& builder, const MixFormat& format, double hz, int seconds) {
    const uint32_t perPacket = format.sampleRate / 100;
    const auto tone = [&](uint64_t i) {
        return 0.5 * std::sin(2 * std::numbers::pi * hz * i / format.sampleRate);
    };
    const uint64_t total = uint64_t(format.sampleRate) * seconds;
    for (uint64_t frame = 0; frame < total;) {
        const auto frames = uint32_t(std::min<uint64_t>(perPacket, total - frame));
        const Bytes bytes = MakeFrames(format, frame, frames, tone);
        ASSERT_TRUE(builder.OnCapturedPacket(bytes, frames, 0));
        frame += frames;
    }
}

size_t SignChanges(const std::vector<int16_t>& samples) {
    size_t changes = 0;
    for (size_t i = 1; i < samples.size(); ++i)
        if ((samples[i - 1] < 0) != (samples[i] < 0)) ++changes;
    return changes;
}

}  // namespace

TEST(SoundBlock, EveryMixRateGivesEightThousandSamplesASecondInFullBlocks) {
    const MixFormat formats[] = {
        {SampleEncoding::kFloat32, 2, 48000, 0}, {SampleEncoding::kFloat32, 2, 44100, 0},
        {SampleEncoding::kPcm16, 2, 48000, 0},   {SampleEncoding::kPcm16, 2, 44100, 0},
        {SampleEncoding::kPcm16, 1, 22050, 0},   {SampleEncoding::kFloat32, 6, 96000, 0},
    };
    constexpr int kSeconds = 3;
    for (const MixFormat& format : formats) {
        SCOPED_TRACE(format.sampleRate);
        RecordingSink sink;
        SoundBlockBuilder builder(format, sink);
        ASSERT_TRUE(builder.IsUsable());
        FeedTone(builder, format, 440, kSeconds);
        const size_t samples = sink.Samples().size() + builder.PendingBytes() / 2;
        EXPECT_NEAR(double(samples), kSoundSampleRate * kSeconds, kSeconds);
        EXPECT_EQ(builder.FrameCounter(), uint64_t(format.sampleRate) * kSeconds);
        ASSERT_EQ(sink.blocks.size(), kSeconds * 2u);
        for (const Bytes& block : sink.blocks) EXPECT_EQ(block.size(), kSoundBlockBytes);
        // The pitch the teacher hears: a 440 Hz tone changes sign 880 times a second at any mix rate.
        EXPECT_NEAR(double(SignChanges(sink.Samples())), 880.0 * kSeconds, 4.0 * kSeconds);
    }
}

TEST(SoundBlock, At48000TakesExactlyEverySixthFrameOfTheFirstChannelAcrossPackets) {
    const MixFormat format{SampleEncoding::kPcm16, 2, 48000, 0};
    RecordingSink sink;
    SoundBlockBuilder builder(format, sink);
    // Ragged packet sizes: the phase must carry from one packet to the next.
    const auto index = [](uint64_t frame) { return double(frame % 30000) / 32767; };
    uint64_t frame = 0;
    for (uint32_t frames : {7u, 1u, 1000u, 5u, 11u, 480u, 23000u, 1u}) {
        const Bytes bytes = MakeFrames(format, frame, frames, index);
        ASSERT_TRUE(builder.OnCapturedPacket(bytes, frames, kCaptureDiscontinuity));
        frame += frames;
    }
    ASSERT_EQ(sink.blocks.size(), 1u);
    const std::vector<int16_t> samples = sink.Samples();
    for (size_t i = 0; i < samples.size(); ++i) ASSERT_EQ(samples[i], int16_t((6 * i) % 30000)) << i;
    EXPECT_EQ(samples.size() + builder.PendingBytes() / 2, (frame + 5) / 6);
}

TEST(SoundBlock, FloatSamplesScaleTruncateAndClip) {
    const struct {
        float in;
        int16_t out;
    } cases[] = {
        {0.0f, 0},
        {0.5f, 16383},
        {-0.5f, -16383},
        {1.0f, 32767},
        {-1.0f, -32767},
        {1.5f, 32767},
        {-3.0f, -32767},
        {0.00001f, 0},
        {-0.00001f, 0},
        {std::numeric_limits<float>::infinity(), 32767},
        {std::numeric_limits<float>::quiet_NaN(), 0},
    };
    for (const auto& c : cases) EXPECT_EQ(FloatToPcm16(c.in), c.out) << c.in;
}

// A clock the test moves by hand.
struct FakeClock {
    uint64_t now = 1000;
    SoundClock Function() {
        return [this] { return now; };
    }
};

TEST(SoundBlock, AQuietPadSendsTheHeldSoundPaddedToAWholeBlock) {
    const MixFormat format{SampleEncoding::kFloat32, 2, 48000, 0};
    RecordingSink sink;
    FakeClock clock;
    SoundBlockBuilder builder(format, sink, clock.Function());
    const auto loud = [](uint64_t) { return 0.25; };
    const Bytes sound = MakeFrames(format, 0, 1000, loud);  // 167 samples: the end of a sentence

    ASSERT_TRUE(builder.OnCapturedPacket(sound, 1000, 0));
    for (int i = 0; i < 30; ++i) builder.OnIdlePoll();
    ASSERT_TRUE(builder.OnCapturedPacket(sound, 1000, 0));  // a packet starts the count again
    EXPECT_EQ(builder.IdleCount(), 0);
    for (int i = 0; i < kIdlePollLimit; ++i) builder.OnIdlePoll();
    EXPECT_TRUE(sink.blocks.empty()) << "50 idle polls are not yet silence";

    builder.OnIdlePoll();
    ASSERT_EQ(sink.blocks.size(), 1u);
    ASSERT_EQ(sink.blocks[0].size(), kSoundBlockBytes);
    EXPECT_EQ(int16_t(sink.blocks[0][0] | (sink.blocks[0][1] << 8)), 8191);
    EXPECT_EQ(int16_t(sink.blocks[0][666] | (sink.blocks[0][667] << 8)), 8191);  // sample 333 of 334
    EXPECT_EQ(Bytes(sink.blocks[0].begin() + 668, sink.blocks[0].end()), Bytes(kSoundBlockBytes - 668, 0));
    EXPECT_EQ(builder.IdleCount(), 0);
    EXPECT_EQ(builder.PendingBytes(), 0u);

    // With nothing held, a further quiet stretch sends half a second of silence, once that block
    // has had time to play.
    for (int i = 0; i <= 3 * kIdlePollLimit; ++i) builder.OnIdlePoll();
    EXPECT_EQ(sink.blocks.size(), 1u) << "the clock has not moved: no more silence";
    clock.now += kSoundBlockMilliseconds;
    builder.OnIdlePoll();
    ASSERT_EQ(sink.blocks.size(), 2u);
    EXPECT_EQ(sink.blocks[1], Bytes(kSoundBlockBytes, 0));
}

// Silence goes out at the pace of time, whatever pace the sound thread polls at, and a thread held
// up for a while does not make up the lost time in a burst.
TEST(SoundBlock, SilenceKeepsThePaceOfTime) {
    const struct {
        const char* name;
        uint64_t pollMs;  // one sleep of the idle loop
        uint64_t stallAtMs, stallMs;
        size_t blocks;  // in 10 s
    } cases[] = {
        {"1 ms polls (Wine, high resolution)", 1, 0, 0, 20},
        {"15.6 ms polls (Windows' default timer)", 16, 0, 0, 20},
        {"polls that never sleep", 0, 0, 0, 20},
        {"a 4 s stall in the middle", 1, 3000, 4000, 12},
    };
    const MixFormat format{SampleEncoding::kPcm16, 2, 48000, 0};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingSink sink;
        FakeClock clock;
        const uint64_t start = clock.now;
        SoundBlockBuilder builder(format, sink, clock.Function());
        std::vector<uint64_t> sentAt;
        for (uint64_t polls = 0; clock.now - start < 10000; ++polls) {
            if (c.stallMs > 0 && clock.now - start == c.stallAtMs) clock.now += c.stallMs;
            const size_t before = sink.blocks.size();
            builder.OnIdlePoll();
            if (sink.blocks.size() != before) sentAt.push_back(clock.now - start);
            // Polls that do not sleep still see the clock move now and then.
            if (c.pollMs > 0 || polls % 100 == 99) clock.now += std::max<uint64_t>(c.pollMs, 1);
        }
        EXPECT_NEAR(double(sink.blocks.size()), double(c.blocks), 1.0);
        for (const Bytes& block : sink.blocks) EXPECT_EQ(block, Bytes(kSoundBlockBytes, 0));
        // Never more sound handed over than time has passed, beyond the block just sent.
        for (size_t i = 0; i < sentAt.size(); ++i)
            EXPECT_LE(i * kSoundBlockMilliseconds, sentAt[i] + kIdleMilliseconds) << i;
    }
}

TEST(SoundBlock, TheEndOfSoundFollowsTheBlockBeforeItWithoutAGap) {
    // Sound played for 1.3 s arrives in 10 ms packets at the pace it is played: two full blocks at
    // 0.5 s and 1.0 s; the rest (0.3 s) goes padded when the previous block has played, at 1.5 s.
    const MixFormat format{SampleEncoding::kPcm16, 1, 8000, 0};
    RecordingSink sink;
    FakeClock clock;
    const uint64_t start = clock.now;
    SoundBlockBuilder builder(format, sink, clock.Function());
    const Bytes packet = MakeFrames(format, 0, 80, [](uint64_t) { return 0.5; });
    std::vector<uint64_t> sentAt;
    auto note = [&](size_t before) {
        if (sink.blocks.size() != before) sentAt.push_back(clock.now - start);
    };
    for (int i = 0; i < 130; ++i) {
        clock.now += 10;
        const size_t before = sink.blocks.size();
        ASSERT_TRUE(builder.OnCapturedPacket(packet, 80, 0));
        note(before);
    }
    while (clock.now - start < 2200) {
        ++clock.now;
        const size_t before = sink.blocks.size();
        builder.OnIdlePoll();
        note(before);
    }
    ASSERT_EQ(sentAt.size(), 4u);
    EXPECT_EQ(sentAt[0], 500u);
    EXPECT_EQ(sentAt[1], 1000u);
    EXPECT_EQ(sentAt[2], 1500u);
    EXPECT_EQ(sentAt[3], 2000u);
    const std::vector<int16_t> samples = sink.Samples();
    ASSERT_EQ(samples.size(), 4 * kSoundBlockBytes / 2);
    EXPECT_EQ(std::count(samples.begin(), samples.end(), int16_t(16384)), 10400);
}

TEST(SoundBlock, CaptureFlagsEitherPassOrEndTheCapture) {
    const struct {
        uint32_t flags;
        bool accepted;
    } cases[] = {{0, true}, {1, true}, {2, true}, {3, true}, {6, true}, {4, false}, {5, false}, {8, false}};
    const MixFormat format{SampleEncoding::kPcm16, 1, 8000, 0};
    const Bytes loud = MakeFrames(format, 0, 10, [](uint64_t) { return 0.5; });
    for (const auto& c : cases) {
        SCOPED_TRACE(c.flags);
        EXPECT_EQ(AreCaptureFlagsAccepted(c.flags), c.accepted);
        RecordingSink sink;
        SoundBlockBuilder builder(format, sink);
        EXPECT_EQ(builder.OnCapturedPacket(loud, 10, c.flags), c.accepted);
        EXPECT_EQ(builder.PendingBytes(), c.accepted ? 20u : 0u);
    }
}

TEST(SoundBlock, SilentPacketsAreTakenAsZeroWhateverTheyHold) {
    const MixFormat format{SampleEncoding::kPcm16, 1, 8000, 0};
    RecordingSink sink;
    SoundBlockBuilder builder(format, sink);
    const Bytes loud = MakeFrames(format, 0, 2000, [](uint64_t) { return 0.5; });
    ASSERT_TRUE(builder.OnCapturedPacket(loud, 2000, kCaptureSilent));
    ASSERT_TRUE(builder.OnCapturedPacket({}, 2000, kCaptureSilent));  // no buffer at all
    ASSERT_EQ(sink.blocks.size(), 1u);
    EXPECT_EQ(sink.blocks[0], Bytes(kSoundBlockBytes, 0));
}

TEST(SoundBlock, OddFormatsAndPacketsAreHandledWithoutReadingAstray) {
    const struct {
        MixFormat format;
        bool usable;
        uint32_t frames;
        size_t dataBytes;
        size_t samples;
    } cases[] = {
        {{SampleEncoding::kFloat32, 0, 48000, 0}, false, 100, 800, 0},        // no channels
        {{SampleEncoding::kPcm16, 2, 0, 0}, false, 100, 400, 0},              // no rate
        {{SampleEncoding::kFloat32, 2, 48000, 2}, false, 100, 800, 0},        // frame smaller than a sample
        {{SampleEncoding::kPcm16, 2, 48000, 0}, true, 100, 0, 0},             // frames but no bytes
        {{SampleEncoding::kPcm16, 2, 48000, 0}, true, 600, 6 * 4 + 3, 1},     // bytes for 6 frames only
        {{SampleEncoding::kPcm16, 2, 4000000000u, 0}, true, 100, 400, 1},     // huge rate: the first frame
        {{SampleEncoding::kPcm16, 1, 4000, 0}, true, 100, 200, 100},          // below 8000: every frame
        {{SampleEncoding::kPcm16, 2, 48000, 8}, true, 12, 96, 2},             // padded frames
        {{SampleEncoding::kFloat32, 0xFFFFFFFFu, 48000, 0}, true, 1, 16, 0},  // frame larger than the bytes
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.format.channels << " ch " << c.format.sampleRate << " Hz");
        RecordingSink sink;
        SoundBlockBuilder builder(c.format, sink);
        EXPECT_EQ(builder.IsUsable(), c.usable);
        const Bytes data(c.dataBytes, 0x11);
        EXPECT_TRUE(builder.OnCapturedPacket(data, c.frames, 0));
        EXPECT_EQ(builder.PendingBytes(), 2 * c.samples);
        EXPECT_EQ(builder.FrameCounter(), c.frames);
        for (int i = 0; i <= kIdlePollLimit; ++i) builder.OnIdlePoll();  // silence is sent all the same
        ASSERT_EQ(sink.blocks.size(), 1u);
        EXPECT_EQ(sink.blocks[0].size(), kSoundBlockBytes);
    }
}

TEST(SoundBlock, BlockTravelsAsATypeElevenPacket) {
    const Bytes block = {1, 2, 3, 4, 0xFE, 0xFF};
    Packet packet;
    PrepareSoundPacket(packet, block);
    const Bytes frame = packet.BuildFrame(0);
    // mark, L, type 11, size, m, the samples.
    ASSERT_EQ(frame.size(), 4 + 4 + 1 + 4 + 4 + block.size());
    EXPECT_EQ(frame[8], kPacketSound);
    uint8_t* delivered = AllocateFrameBlock(uint32_t(frame.size() - 4));
    std::copy(frame.begin() + 4, frame.end(), delivered);
    Packet read;
    ASSERT_TRUE(read.Read(delivered));
    EXPECT_EQ(read.Size(), block.size());
    EXPECT_EQ(Bytes(read.Data(), read.Data() + read.DataLength()), block);
}
