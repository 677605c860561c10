// The portable half of screen upload: the pad's screen cut into the part grid, the parts that
// changed since they were last sent (compared straight from the grabbed screen, without a copy),
// the strip that packs them side by side, and the image-frame body around the encoded strip.
// Capture thread only.
#pragma once

#include <cstdint>
#include <vector>

#include "transport/image_frame.h"

// One screen part: its number in the grid, its rectangle (right and bottom exclusive) and whether
// it has been sent at least once. Its last-sent pixels live in the pipeline's last-sent screen.
struct CBroadPartData {
    int32_t partNumber = 0;
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    bool sent = false;
};

// The frame buffer's size at start; a larger body grows it (a 3840x2160 first frame needs more).
inline constexpr size_t kInitialFrameBufferSize = 1000000;

class UploadPipeline {
public:
    // A grid over a screen of this size (both at least 1). Every part starts unsent.
    UploadPipeline(uint32_t screenWidth, uint32_t screenHeight);
    UploadPipeline(const UploadPipeline&) = delete;
    UploadPipeline& operator=(const UploadPipeline&) = delete;

    const PartGrid& Grid() const { return grid_; }
    const std::vector<CBroadPartData>& Parts() const { return parts_; }

    // The numbers, in grid order, of the parts whose pixels differ from what was last sent or that
    // were never sent. `screen` must be at least the grid's size.
    const std::vector<uint32_t>& FindChangedParts(const PixelView& screen);

    // Packs the changed parts found last into the strip (N x part width by part height, top row
    // first). The strip's buffer has room for every part from the start and never moves; the next
    // PackStrip overwrites it.
    PixelView PackStrip(const PixelView& screen);
    // Records the packed parts as sent, with the pixels the strip holds. Called once the strip is
    // encoded: a strip that failed to encode leaves its parts to be sent again.
    void CommitSent();

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
    void FindRuns();
    PixelView StripView();

    PartGrid grid_;
    std::vector<CBroadPartData> parts_;
    std::vector<uint32_t> lastSent_;  // the screen as last sent: grid-sized, top row first
    std::vector<uint32_t> changed_;
    std::vector<Run> runs_;            // of changed_
    std::vector<uint8_t> rowChanged_;  // per column of the grid row being compared
    std::vector<uint32_t> strip_;      // room for every part; the strip of N parts is its start
    std::vector<uint8_t> body_;
};

// Flow control: a new frame may be made while fewer than four frames are ahead of the teacher's last
// acknowledgement: (frame counter - 4) < last acknowledged, as signed numbers.
bool MayMakeFrame(int32_t frameCounter, int32_t lastAcknowledged);
