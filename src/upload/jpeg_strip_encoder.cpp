// StripEncoder on libjpeg-turbo.
#include "jpeg_strip_encoder.h"

#include <jerror.h>
#include <jpeglib.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <vector>

namespace tesmora {

// libjpeg reports a fatal error by calling error_exit, which must not return: it jumps back to the
// setjmp of the call that started the work. The functions that hold that setjmp keep no C++
// objects alive across the libjpeg calls, so the jump skips no destructor.
struct JpegStripEncoder::Codec {
    jpeg_compress_struct compress{};
    jpeg_error_mgr errors{};
    jpeg_destination_mgr destination{};
    std::jmp_buf failed{};
    bool created = false;
    std::vector<uint8_t> output;  // grows to the largest strip and is kept
    size_t length = 0;            // bytes of the last strip
};

namespace {

using Codec = JpegStripEncoder::Codec;

constexpr size_t kFirstOutputSize = 1 << 20;  // a full 1080p strip at quality 70 takes about half
// Strip rows asked for per call: two (one row of chroma samples). The band of a full 1080p change is
// then 123 KB and stays in the cache beside the next band, which the pipeline prefetches meanwhile;
// bands of 4 and 16 rows (one row of JPEG blocks) measured the same or a little slower.
constexpr uint32_t kBandRows = 2;

Codec& CodecOf(j_common_ptr info) {
    return *static_cast<Codec*>(info->client_data);
}

[[noreturn]] void Fail(j_common_ptr info) {
    std::longjmp(CodecOf(info).failed, 1);
}
void Quiet(j_common_ptr) {}  // warnings and errors are told by the result, not on stderr

void StartOutput(j_compress_ptr info) {
    Codec& codec = CodecOf(reinterpret_cast<j_common_ptr>(info));
    info->dest->next_output_byte = codec.output.data();
    info->dest->free_in_buffer = codec.output.size();
}

boolean GrowOutput(j_compress_ptr info) {
    Codec& codec = CodecOf(reinterpret_cast<j_common_ptr>(info));
    const size_t used = codec.output.size();
    bool grown = true;
    try {
        codec.output.resize(used * 2);
    } catch (...) {
        grown = false;
    }
    if (!grown) ERREXIT(info, JERR_OUT_OF_MEMORY);  // after the catch: nothing of it is left to unwind
    info->dest->next_output_byte = codec.output.data() + used;
    info->dest->free_in_buffer = codec.output.size() - used;
    return TRUE;
}

void EndOutput(j_compress_ptr info) {
    Codec& codec = CodecOf(reinterpret_cast<j_common_ptr>(info));
    codec.length = codec.output.size() - info->dest->free_in_buffer;
}

bool Create(Codec& codec) {
    if (setjmp(codec.failed)) return false;
    jpeg_create_compress(&codec.compress);
    codec.created = true;
    return true;
}

bool Compress(Codec& codec, StripRows& strip, int quality) {
    jpeg_compress_struct* info = &codec.compress;
    if (setjmp(codec.failed)) {
        jpeg_abort_compress(info);
        return false;
    }
    info->image_width = strip.Width();
    info->image_height = strip.Height();
    info->input_components = 4;
    info->in_color_space = JCS_EXT_BGRX;  // the platform's 32-bit pixels as they lie in memory
    jpeg_set_defaults(info);              // baseline, YCbCr 4:2:0, standard tables
    jpeg_set_quality(info, quality, TRUE);
    info->dct_method = JDCT_IFAST;
    jpeg_start_compress(info, TRUE);
    while (info->next_scanline < info->image_height) {
        const uint32_t first = info->next_scanline;
        const uint32_t count = std::min(kBandRows, info->image_height - first);
        jpeg_write_scanlines(info, strip.Rows(first, count), count);
    }
    jpeg_finish_compress(info);
    return true;
}

}  // namespace

JpegStripEncoder::JpegStripEncoder() : codec_(std::make_unique<Codec>()) {
    Codec& codec = *codec_;
    codec.compress.err = jpeg_std_error(&codec.errors);
    codec.errors.error_exit = Fail;
    codec.errors.output_message = Quiet;
    codec.compress.client_data = &codec;
    if (!Create(codec)) {
        codec_.reset();
        return;
    }
    codec.destination.init_destination = StartOutput;
    codec.destination.empty_output_buffer = GrowOutput;
    codec.destination.term_destination = EndOutput;
    codec.compress.dest = &codec.destination;
    codec.output.resize(kFirstOutputSize);
}

JpegStripEncoder::~JpegStripEncoder() {
    if (codec_ && codec_->created) jpeg_destroy_compress(&codec_->compress);
}

std::span<const uint8_t> JpegStripEncoder::Encode(StripRows& strip, int quality) {
    if (!codec_ || strip.Width() == 0 || strip.Height() == 0) return {};
    if (strip.Width() > JPEG_MAX_DIMENSION || strip.Height() > JPEG_MAX_DIMENSION) return {};
    if (!Compress(*codec_, strip, std::clamp(quality, 0, 100))) return {};
    return {codec_->output.data(), codec_->length};
}

}  // namespace tesmora
