// Which format the sound thread captures in. The teacher program plays 16-bit sound, so a float mix
// is first asked for as 16-bit stereo PCM at its own rate; the audio system may offer a closest match
// instead. Where both are refused (a mono or many-channel device may refuse a stereo rewrite), the
// mix is captured as it is: it is what the shared-mode stream runs in, so it is always accepted, and
// the block builder reads float as well as 16-bit samples. Pure decisions: any thread (the sound
// thread uses them).
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "sound/sound_block.h"

namespace tesmora {

// The wave-format fields that decide how a capture runs.
struct WaveFields {
    enum class Kind { kPcm, kFloat, kOther };
    Kind kind = Kind::kOther;  // the format tag, or the sub-format of an extensible format
    bool extensible = false;
    uint16_t channels = 0;
    uint32_t sampleRate = 0;
    uint16_t bitsPerSample = 0;
    uint16_t validBits = 0;  // extensible only
    uint16_t blockAlign = 0;
    uint32_t bytesPerSecond = 0;
    uint32_t channelMask = 0;  // extensible only
};

// Front left and front right: the speakers of the stereo rewrite.
inline constexpr uint32_t kStereoChannelMask = 0x3;

// How the block builder reads a format; nothing for a layout it cannot sample (24- or 32-bit
// integers, 64-bit floats, no channels), rather than read it as something else.
std::optional<MixFormat> DescribeCaptureFormat(const WaveFields& format);

// A float mix asked for as 16-bit stereo PCM at the mix's rate, with the channel mask of two
// speakers (the mix's own mask would name channels the rewrite no longer has).
WaveFields RewriteToPcm16(const WaveFields& mix);

// The answer to "does the shared mode support the format asked for?".
enum class FormatSupport { kSupported, kClosestOffered, kRefused };

enum class CaptureFormat { kAsked, kClosest, kMix };

// The formats to start the stream with, in order, until one starts: the one asked for when it is
// supported, the closest match when one is offered, then the mix as it is (unless that is what was
// asked). Formats the builder cannot sample are left out; an empty list ends the capture.
std::vector<CaptureFormat> CaptureFormatOrder(FormatSupport support, const WaveFields& mix,
                                              const WaveFields& asked,
                                              const std::optional<WaveFields>& closest);

}  // namespace tesmora
