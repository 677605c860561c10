// Strip decoding and placement on libjpeg-turbo.
#include "strip_decoder.h"

#include <jerror.h>
#include <jpeglib.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>

namespace tesmora {

namespace {

// A strip row placed on the screen: parts that are neighbours in one grid row are neighbours in the
// strip too, so each of their pixel rows moves with one copy.
struct Run {
    uint32_t stripX;  // first strip column
    uint32_t left;    // screen column of the first part
    uint32_t top;     // screen row of the parts' first row
    uint32_t width;   // pixels
};

constexpr uint32_t kBandRows = 16;
// What one frame may make the codec allocate beyond its row buffers. A baseline strip, which is what
// teachers send, needs none of it; a progressive or multi-scan picture keeps every coefficient until
// its last scan, at most 6 bytes a pixel (three full-size components), so 8 bytes a pixel of the
// strip's parts covers any such picture of the strip. One that would need more is no strip of these
// parts and does not decode: a malformed frame declaring a huge progressive picture made the codec
// take and clear up to the ceiling each time (tens of milliseconds and megabytes on a tablet).
constexpr long kMinCodecMemory = 1L << 20;
constexpr long kMaxCodecMemory = 64L << 20;

long CodecMemoryFor(size_t partCount, const PartGrid& grid) {
    const uint64_t wanted = uint64_t(partCount) * grid.partWidth * grid.partHeight * 8;
    return long(std::clamp<uint64_t>(wanted, kMinCodecMemory, kMaxCodecMemory));
}

}  // namespace

// A fatal libjpeg error jumps back to the setjmp of the function that started the work; those
// functions keep no C++ objects alive across libjpeg calls, so the jump skips no destructor.
struct StripDecoder::Codec {
    jpeg_decompress_struct decompress{};
    jpeg_error_mgr errors{};
    std::jmp_buf failed{};
    bool created = false;
    std::vector<Run> runs;
    std::vector<uint32_t> band;  // decoded strip rows when they cannot go straight to the screen
    uint8_t* rows[kBandRows] = {};
};

namespace {

using Codec = StripDecoder::Codec;

Codec& CodecOf(j_common_ptr info) {
    return *static_cast<Codec*>(info->client_data);
}
[[noreturn]] void Fail(j_common_ptr info) {
    std::longjmp(CodecOf(info).failed, 1);
}
void Quiet(j_common_ptr) {}

bool Create(Codec& codec) {
    if (setjmp(codec.failed)) return false;
    jpeg_create_decompress(&codec.decompress);
    codec.created = true;
    return true;
}

void FindRuns(const std::vector<uint32_t>& parts, const PartGrid& grid, std::vector<Run>& runs) {
    runs.clear();
    for (size_t i = 0; i < parts.size(); ++i) {
        const uint32_t part = parts[i];
        if (i > 0 && part == parts[i - 1] + 1 && part % grid.columns != 0) {
            runs.back().width += grid.partWidth;
        } else {
            runs.push_back(
                Run{uint32_t(i) * grid.partWidth, grid.PartX(part), grid.PartY(part), grid.partWidth});
        }
    }
}

void PaintBlack(const std::vector<Run>& runs, uint32_t firstRow, uint32_t endRow, const PixelView& screen) {
    for (const Run& run : runs) {
        for (uint32_t y = firstRow; y < endRow; ++y)
            std::memset(screen.Row(run.top + y) + run.left, 0, size_t(run.width) * 4);
    }
}

// The parts a list names, each once and in grid order; the list's numbers lie inside the grid.
std::vector<uint32_t> DistinctParts(const std::vector<uint32_t>& parts, const PartGrid& grid) {
    std::vector<bool> named(grid.PartCount(), false);
    for (uint32_t part : parts) named[part] = true;
    std::vector<uint32_t> distinct;
    for (uint32_t part = 0; part < grid.PartCount(); ++part) {
        if (named[part]) distinct.push_back(part);
    }
    return distinct;
}

// Copies decoded strip rows [first, first + count) to the runs, clipped to the decoded width; columns
// the picture does not reach are black.
void PlaceRows(const Codec& codec, uint32_t first, uint32_t count, uint32_t decodedWidth,
               const PixelView& screen) {
    for (uint32_t j = 0; j < count; ++j) {
        const uint32_t* from = reinterpret_cast<const uint32_t*>(codec.rows[j]);
        for (const Run& run : codec.runs) {
            uint32_t* to = screen.Row(run.top + first + j) + run.left;
            const uint32_t decoded =
                run.stripX >= decodedWidth ? 0 : std::min(run.width, decodedWidth - run.stripX);
            std::memcpy(to, from + run.stripX, size_t(decoded) * 4);
            std::memset(to + decoded, 0, size_t(run.width - decoded) * 4);
        }
    }
}

// Decodes the strip and places its first rows (up to the part height); false when it does not decode.
bool Decode(Codec& codec, const uint8_t* jpeg, size_t length, size_t partCount, const PartGrid& grid,
            const PixelView& screen) {
    jpeg_decompress_struct* info = &codec.decompress;
    if (setjmp(codec.failed)) {
        jpeg_abort_decompress(info);
        return false;
    }
    jpeg_mem_src(info, jpeg, static_cast<unsigned long>(length));
    jpeg_read_header(info, TRUE);
    info->out_color_space = JCS_EXT_BGRX;  // the screen image's 32-bit pixels; the fourth byte is 255
    info->mem->max_memory_to_use = CodecMemoryFor(partCount, grid);
    jpeg_start_decompress(info);
    const uint32_t decodedWidth = info->output_width;
    const uint32_t rows = std::min<uint32_t>(info->output_height, grid.partHeight);
    // One run that the picture covers exactly: its rows are rows of the screen image.
    const bool straight = codec.runs.size() == 1 && decodedWidth == codec.runs[0].width;
    if (!straight && codec.band.size() < size_t(decodedWidth) * kBandRows) {
        bool grown = true;
        try {
            codec.band.resize(size_t(decodedWidth) * kBandRows);
        } catch (...) {
            grown = false;
        }
        if (!grown) ERREXIT(info, JERR_OUT_OF_MEMORY);  // after the catch: nothing of it is left to unwind
    }
    while (info->output_scanline < rows) {
        const uint32_t first = info->output_scanline;
        const uint32_t wanted = std::min(kBandRows, rows - first);
        for (uint32_t j = 0; j < wanted; ++j) {
            codec.rows[j] = straight
                                ? reinterpret_cast<uint8_t*>(screen.Row(codec.runs[0].top + first + j) +
                                                             codec.runs[0].left)
                                : reinterpret_cast<uint8_t*>(codec.band.data() + size_t(j) * decodedWidth);
        }
        const uint32_t got = jpeg_read_scanlines(info, codec.rows, wanted);
        if (!straight) PlaceRows(codec, first, got, decodedWidth, screen);
    }
    // A picture lower than the parts leaves their lower rows black; one higher is not read further.
    PaintBlack(codec.runs, rows, grid.partHeight, screen);
    jpeg_abort_decompress(info);
    return true;
}

}  // namespace

StripDecoder::StripDecoder() : codec_(std::make_unique<Codec>()) {
    Codec& codec = *codec_;
    codec.decompress.err = jpeg_std_error(&codec.errors);
    codec.errors.error_exit = Fail;
    codec.errors.output_message = Quiet;
    codec.decompress.client_data = &codec;
    if (!Create(codec)) codec_.reset();
}

StripDecoder::~StripDecoder() {
    if (codec_ && codec_->created) jpeg_destroy_decompress(&codec_->decompress);
}

PlaceOutcome StripDecoder::DecodeAndPlace(const uint8_t* jpeg, size_t length,
                                          const std::vector<uint32_t>& parts, const PartGrid& grid,
                                          const PixelView& screen) {
    if (grid.IsEmpty() || screen.width < grid.columns * grid.partWidth ||
        screen.height < grid.rows * grid.partHeight) {
        return PlaceOutcome::kNotPlaced;
    }
    for (uint32_t part : parts) {
        if (part >= grid.PartCount()) return PlaceOutcome::kNotPlaced;
    }
    if (parts.empty()) return PlaceOutcome::kPlaced;
    if (!codec_) return PlaceOutcome::kUndecodable;
    if (parts.size() > grid.PartCount()) {
        // No strip holds more parts than the screen has: a teacher changes each part once a frame.
        // Every entry, repeats included, would cost a part's copy under the image lock (millions
        // of entries kept the receiver busy for an hour), so such a frame is not decoded at all;
        // what it names is painted black once, as for any frame that does not decode.
        FindRuns(DistinctParts(parts, grid), grid, codec_->runs);
        PaintBlack(codec_->runs, 0, grid.partHeight, screen);
        return PlaceOutcome::kUndecodable;
    }
    FindRuns(parts, grid, codec_->runs);
    if (length == 0 || length > 0x7FFFFFFF || !Decode(*codec_, jpeg, length, parts.size(), grid, screen)) {
        PaintBlack(codec_->runs, 0, grid.partHeight, screen);
        return PlaceOutcome::kUndecodable;
    }
    return PlaceOutcome::kPlaced;
}

}  // namespace tesmora
