// The portable half of screen upload: the pad's screen cut into the part grid, the parts that
// changed since they were last sent (compared straight from the grabbed screen, without a copy),
// the strip that packs them side by side (handed to the encoder band by band), and the image-frame
// body around the encoded strip. Capture thread only.
#pragma once

#include <cstdint>
#include <vector>

#include "transport/image_frame.h"

namespace tesmora {

// One screen part: its number in the grid, its rectangle (right and bottom exclusive) and whether
// it has been sent at least once. Its last-sent pixels live in the pipeline's last-sent screen.
struct ScreenPart {
    int32_t partNumber = 0;
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    bool sent = false;
};

// The frame buffer's size at start; a larger body grows it (a 3840x2160 first frame needs more).
inline constexpr size_t kInitialFrameBufferSize = 1000000;
// The widest strip one frame carries: baseline JPEG counts 16 bits of width and the codecs stop at
// 65,500 pixels. A change with more parts than fit goes out over several frames.
inline constexpr uint32_t kMaxStripWidth = 65500;

// A strip as its encoder reads it, a few rows at a time: pointers to 32-bit pixel rows (blue, green,
// red, unused byte), valid until the next call. `count` is at most kMaxStripBand.
class StripRows {
public:
    virtual ~StripRows() = default;
    virtual uint32_t Width() const = 0;
    virtual uint32_t Height() const = 0;
    virtual uint8_t** Rows(uint32_t first, uint32_t count) = 0;
};
inline constexpr uint32_t kMaxStripBand = 16;

// StripRows over pixels that are already packed (a test's or a benchmark's strip).
class PackedStripRows : public StripRows {
public:
    explicit PackedStripRows(const PixelView& strip) : strip_(strip) {}
    uint32_t Width() const override { return strip_.width; }
    uint32_t Height() const override { return strip_.height; }
    uint8_t** Rows(uint32_t first, uint32_t count) override;

private:
    PixelView strip_;
    uint8_t* rows_[kMaxStripBand] = {};
};

class UploadPipeline {
public:
    // A grid over a screen of this size (both at least 1). Every part starts unsent.
    UploadPipeline(uint32_t screenWidth, uint32_t screenHeight);
    UploadPipeline(const UploadPipeline&) = delete;
    UploadPipeline& operator=(const UploadPipeline&) = delete;

    const PartGrid& Grid() const { return grid_; }
    const std::vector<ScreenPart>& Parts() const { return parts_; }
    // Parts one frame carries at most, so that its strip stays within kMaxStripWidth.
    uint32_t MaxPartsPerFrame() const { return maxParts_; }

    // The numbers, in grid order, of the parts this frame sends: those whose pixels differ from what
    // was last sent or that were never sent, at most MaxPartsPerFrame() of them. When more changed,
    // the frame starts after the part the last full frame ended with, so that a screen that keeps
    // changing everywhere still brings every part within a few frames. `screen` must be at least the
    // grid's size.
    const std::vector<uint32_t>& FindChangedParts(const PixelView& screen);

    // The strip of the parts found last (N x part width by part height), read straight from the
    // screen band by band as the encoder asks for it: the whole strip is never written out. Valid
    // while `screen` and this pipeline are.
    StripRows& Strip(const PixelView& screen);
    // Records the parts found last as sent, with their pixels on `screen` (the screen they were
    // found and encoded from). Called once the strip is encoded: a strip that failed to encode
    // leaves its parts to be sent again.
    void CommitSent(const PixelView& screen);

    // Writes the image-frame body around the JPEG bytes into the frame buffer (grown as needed).
    const std::vector<uint8_t>& WriteBody(const uint8_t* jpeg, uint32_t jpegLength);
    const std::vector<uint8_t>& Body() const { return body_; }

private:
    // Changed parts that lie side by side in one grid row: side by side on the screen and in the
    // strip, so each of their pixel rows moves with one copy.
    struct Run {
        uint32_t left, top;  // screen position of the first part
        uint32_t stripX;     // strip column of the first part
        uint32_t width;      // pixels: part count x part width
    };
    // The strip's rows, assembled from the runs into a band buffer of kMaxStripBand rows (which
    // stays in the cache), or taken straight from the screen when the strip is one run.
    class Bands : public StripRows {
    public:
        uint32_t Width() const override { return width_; }
        uint32_t Height() const override { return height_; }
        uint8_t** Rows(uint32_t first, uint32_t count) override;

    private:
        friend class UploadPipeline;
        const std::vector<Run>* runs_ = nullptr;
        PixelView screen_;
        uint32_t width_ = 0, height_ = 0;
        std::vector<uint32_t> band_;
        uint8_t* rows_[kMaxStripBand] = {};
    };
    void SelectForFrame();
    void FindRuns();

    PartGrid grid_;
    uint32_t maxParts_ = 1;
    uint32_t nextPart_ = 0;  // where a frame that cannot take every changed part starts looking
    std::vector<ScreenPart> parts_;
    std::vector<uint32_t> lastSent_;  // the screen as last sent: grid-sized, top row first
    std::vector<uint32_t> changed_;
    std::vector<Run> runs_;            // of changed_
    std::vector<uint8_t> rowChanged_;  // per column of the grid row being compared
    Bands bands_;
    std::vector<uint8_t> body_;
};

// Flow control: a new frame may be made while fewer than four frames are ahead of the teacher's last
// acknowledgement: (frame counter - 4) < last acknowledged, as signed numbers.
bool MayMakeFrame(int32_t frameCounter, int32_t lastAcknowledged);

}  // namespace tesmora
