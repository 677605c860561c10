// The capture-format decisions (see capture_format.h). Any thread.
#include "sound/capture_format.h"

namespace tesmora {

std::optional<MixFormat> DescribeCaptureFormat(const WaveFields& format) {
    MixFormat mix;
    if (format.kind == WaveFields::Kind::kPcm && format.bitsPerSample == 16) {
        mix.encoding = SampleEncoding::kPcm16;
    } else if (format.kind == WaveFields::Kind::kFloat && format.bitsPerSample == 32) {
        mix.encoding = SampleEncoding::kFloat32;
    } else {
        return std::nullopt;
    }
    if (format.channels == 0 || format.sampleRate == 0) return std::nullopt;
    mix.channels = format.channels;
    mix.sampleRate = format.sampleRate;
    mix.blockAlign = format.blockAlign;
    return mix;
}

WaveFields RewriteToPcm16(const WaveFields& mix) {
    WaveFields pcm = mix;
    pcm.kind = WaveFields::Kind::kPcm;
    pcm.bitsPerSample = 16;
    pcm.validBits = 16;
    pcm.channels = 2;
    pcm.blockAlign = 2 * 16 / 8;
    pcm.bytesPerSecond = pcm.blockAlign * mix.sampleRate;
    if (pcm.extensible) pcm.channelMask = kStereoChannelMask;
    return pcm;
}

namespace {

bool SameFormat(const WaveFields& a, const WaveFields& b) {
    return a.kind == b.kind && a.channels == b.channels && a.sampleRate == b.sampleRate &&
           a.bitsPerSample == b.bitsPerSample && a.blockAlign == b.blockAlign;
}

}  // namespace

std::vector<CaptureFormat> CaptureFormatOrder(FormatSupport support, const WaveFields& mix,
                                              const WaveFields& asked,
                                              const std::optional<WaveFields>& closest) {
    std::vector<CaptureFormat> order;
    if (support == FormatSupport::kSupported && DescribeCaptureFormat(asked))
        order.push_back(CaptureFormat::kAsked);
    if (support == FormatSupport::kClosestOffered && closest && DescribeCaptureFormat(*closest))
        order.push_back(CaptureFormat::kClosest);
    if (!SameFormat(mix, asked) && DescribeCaptureFormat(mix)) order.push_back(CaptureFormat::kMix);
    return order;
}

}  // namespace tesmora
