// Unit tests of the capture-format decisions: the 16-bit stereo rewrite of a float mix, and the
// formats the stream is started with, in order, when the rewrite, its closest match or both are
// refused (only what the block builder can read is ever tried).
#include "sound/capture_format.h"

#include <gtest/gtest.h>

using namespace tesmora;

namespace {

constexpr auto kPcm = WaveFields::Kind::kPcm;
constexpr auto kFloat = WaveFields::Kind::kFloat;

WaveFields Format(WaveFields::Kind kind, uint16_t channels, uint16_t bits, uint32_t mask) {
    const auto align = uint16_t(channels * bits / 8);
    return {kind, true, channels, 48000, bits, bits, align, align * 48000u, mask};
}

}  // namespace

TEST(CaptureFormat, AFloatMixOfAnyLayoutIsAskedForAsSixteenBitStereo) {
    for (uint16_t channels : {1, 2, 6}) {
        SCOPED_TRACE(channels);
        const WaveFields pcm = RewriteToPcm16(Format(kFloat, channels, 32, (1u << channels) - 1));
        EXPECT_EQ(pcm.kind, kPcm);
        EXPECT_EQ(pcm.channels, 2);
        EXPECT_EQ(pcm.bitsPerSample, 16);
        EXPECT_EQ(pcm.validBits, 16);
        EXPECT_EQ(pcm.blockAlign, 4);
        EXPECT_EQ(pcm.bytesPerSecond, 4u * 48000);
        EXPECT_EQ(pcm.channelMask, kStereoChannelMask);  // not the mix's own speakers
    }
}

TEST(CaptureFormat, TheMixAsItIsWhenTheRewriteAndItsClosestMatchAreRefused) {
    using Order = std::vector<CaptureFormat>;
    const WaveFields floatMix = Format(kFloat, 1, 32, 0x4);
    const WaveFields pcmMix = Format(kPcm, 2, 16, 0x3);
    const WaveFields wideMix = Format(kPcm, 2, 24, 0x3);  // 24-bit integers: nothing reads them
    const WaveFields rewrite = RewriteToPcm16(floatMix);
    const struct {
        const char* name;
        FormatSupport support;
        WaveFields mix, asked;
        std::optional<WaveFields> closest;
        Order order;
    } cases[] = {
        {"rewrite supported",
         FormatSupport::kSupported,
         floatMix,
         rewrite,
         {},
         {CaptureFormat::kAsked, CaptureFormat::kMix}},
        {"closest offered",
         FormatSupport::kClosestOffered,
         floatMix,
         rewrite,
         Format(kPcm, 1, 16, 0x4),
         {CaptureFormat::kClosest, CaptureFormat::kMix}},
        {"unreadable closest",
         FormatSupport::kClosestOffered,
         floatMix,
         rewrite,
         wideMix,
         {CaptureFormat::kMix}},
        {"rewrite refused", FormatSupport::kRefused, floatMix, rewrite, {}, {CaptureFormat::kMix}},
        {"16-bit mix as it is", FormatSupport::kSupported, pcmMix, pcmMix, {}, {CaptureFormat::kAsked}},
        {"16-bit mix refused", FormatSupport::kRefused, pcmMix, pcmMix, {}, {}},
        {"24-bit mix", FormatSupport::kSupported, wideMix, wideMix, {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CaptureFormatOrder(c.support, c.mix, c.asked, c.closest), c.order);
    }
}
