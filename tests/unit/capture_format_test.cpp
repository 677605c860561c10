// Unit tests of the capture-format decisions: which formats the block builder can sample, the 16-bit
// stereo rewrite of a float mix, and the order of formats the stream is started with when the
// rewrite, its closest match or both are refused.
#include "sound/capture_format.h"

#include <gtest/gtest.h>

using namespace tesmora;

namespace {

WaveFields Format(WaveFields::Kind kind, uint16_t channels, uint16_t bits, uint32_t mask = 0) {
    WaveFields format;
    format.kind = kind;
    format.extensible = true;
    format.channels = channels;
    format.sampleRate = 48000;
    format.bitsPerSample = bits;
    format.validBits = bits;
    format.blockAlign = uint16_t(channels * bits / 8);
    format.bytesPerSecond = format.blockAlign * 48000u;
    format.channelMask = mask;
    return format;
}

constexpr auto kPcm = WaveFields::Kind::kPcm;
constexpr auto kFloat = WaveFields::Kind::kFloat;
constexpr auto kOther = WaveFields::Kind::kOther;

}  // namespace

TEST(CaptureFormat, OnlySixteenBitPcmAndThirtyTwoBitFloatAreSampled) {
    const struct {
        WaveFields format;
        bool sampled;
    } cases[] = {
        {Format(kPcm, 2, 16), true},    {Format(kFloat, 1, 32), true}, {Format(kFloat, 8, 32), true},
        {Format(kPcm, 2, 24), false},   {Format(kPcm, 2, 32), false},  {Format(kFloat, 2, 64), false},
        {Format(kOther, 2, 16), false}, {Format(kPcm, 0, 16), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << int(c.format.kind) << " " << c.format.channels << "x" << c.format.bitsPerSample);
        const auto mix = DescribeCaptureFormat(c.format);
        ASSERT_EQ(mix.has_value(), c.sampled);
        if (mix) {
            EXPECT_EQ(mix->channels, c.format.channels);
        }
    }
}

TEST(CaptureFormat, AFloatMixOfAnyLayoutIsAskedForAsSixteenBitStereo) {
    for (const WaveFields& mix :
         {Format(kFloat, 1, 32, 0x4), Format(kFloat, 2, 32, 0x3), Format(kFloat, 6, 32, 0x3F)}) {
        SCOPED_TRACE(mix.channels);
        const WaveFields pcm = RewriteToPcm16(mix);
        EXPECT_EQ(pcm.kind, kPcm);
        EXPECT_EQ(pcm.channels, 2);
        EXPECT_EQ(pcm.bitsPerSample, 16);
        EXPECT_EQ(pcm.validBits, 16);
        EXPECT_EQ(pcm.blockAlign, 4);
        EXPECT_EQ(pcm.bytesPerSecond, 4u * 48000);
        EXPECT_EQ(pcm.sampleRate, 48000u);
        EXPECT_EQ(pcm.channelMask, kStereoChannelMask);  // not the mix's speakers
    }
}

TEST(CaptureFormat, TheMixAsItIsWhenTheRewriteAndItsClosestMatchAreRefused) {
    using Order = std::vector<CaptureFormat>;
    const WaveFields floatMix = Format(kFloat, 1, 32, 0x4);
    const WaveFields pcmMix = Format(kPcm, 2, 16, 0x3);
    const WaveFields oddMix = Format(kPcm, 2, 24, 0x3);
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
         std::nullopt,
         {CaptureFormat::kAsked, CaptureFormat::kMix}},
        {"closest offered",
         FormatSupport::kClosestOffered,
         floatMix,
         rewrite,
         Format(kPcm, 1, 16),
         {CaptureFormat::kClosest, CaptureFormat::kMix}},
        {"closest the builder cannot read",
         FormatSupport::kClosestOffered,
         floatMix,
         rewrite,
         Format(kPcm, 2, 24),
         {CaptureFormat::kMix}},
        {"rewrite refused", FormatSupport::kRefused, floatMix, rewrite, std::nullopt, {CaptureFormat::kMix}},
        {"16-bit mix asked as it is",
         FormatSupport::kSupported,
         pcmMix,
         pcmMix,
         std::nullopt,
         {CaptureFormat::kAsked}},
        {"16-bit mix refused", FormatSupport::kRefused, pcmMix, pcmMix, std::nullopt, {}},
        {"24-bit mix", FormatSupport::kSupported, oddMix, oddMix, std::nullopt, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CaptureFormatOrder(c.support, c.mix, c.asked, c.closest), c.order);
    }
}
