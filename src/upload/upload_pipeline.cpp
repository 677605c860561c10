// The portable half of screen upload.
#include "upload_pipeline.h"

#include <cstring>

UploadPipeline::UploadPipeline(uint32_t screenWidth, uint32_t screenHeight)
    : grid_(PartGrid::ForScreen(screenWidth, screenHeight)) {
    parts_.resize(grid_.PartCount());
    for (uint32_t k = 0; k < grid_.PartCount(); ++k) {
        CBroadPartData& part = parts_[k];
        part.partNumber = int32_t(k);
        part.left = int32_t(grid_.PartX(k));
        part.top = int32_t(grid_.PartY(k));
        part.right = part.left + int32_t(grid_.partWidth);
        part.bottom = part.top + int32_t(grid_.partHeight);
    }
    lastSent_.assign(size_t(grid_.columns) * grid_.partWidth * grid_.rows * grid_.partHeight, 0);
    // The first frame sends every part, so the strip reaches this size at once. Sizing it here
    // keeps a later, larger strip from zero-filling its new pixels just before they are packed.
    strip_.assign(lastSent_.size(), 0);
    runs_.reserve(grid_.PartCount());
    body_.reserve(kInitialFrameBufferSize);
}

const std::vector<uint32_t>& UploadPipeline::FindChangedParts(const PixelView& screen) {
    changed_.clear();
    runs_.clear();
    if (screen.width < grid_.columns * grid_.partWidth || screen.height < grid_.rows * grid_.partHeight) {
        return changed_;
    }
    // Whole screen rows are compared first: on a screen that stands still this costs one memcmp of
    // the frame. Only a row that differs is looked at part by part.
    const size_t stride = size_t(grid_.columns) * grid_.partWidth;
    const size_t partRowBytes = size_t(grid_.partWidth) * 4;
    for (uint32_t gridRow = 0; gridRow < grid_.rows; ++gridRow) {
        rowChanged_.assign(grid_.columns, 0);
        uint32_t marked = 0;
        for (uint32_t column = 0; column < grid_.columns; ++column) {
            if (!parts_[size_t(gridRow) * grid_.columns + column].sent) {
                rowChanged_[column] = 1;
                ++marked;
            }
        }
        const uint32_t firstY = gridRow * grid_.partHeight;
        for (uint32_t y = firstY; y < firstY + grid_.partHeight && marked < grid_.columns; ++y) {
            const uint32_t* now = screen.Row(y);
            const uint32_t* before = lastSent_.data() + size_t(y) * stride;
            if (std::memcmp(now, before, stride * 4) == 0) continue;
            for (uint32_t column = 0; column < grid_.columns; ++column) {
                const size_t offset = size_t(column) * grid_.partWidth;
                if (!rowChanged_[column] && std::memcmp(now + offset, before + offset, partRowBytes) != 0) {
                    rowChanged_[column] = 1;
                    ++marked;
                }
            }
        }
        for (uint32_t column = 0; column < grid_.columns; ++column) {
            if (rowChanged_[column]) changed_.push_back(gridRow * grid_.columns + column);
        }
    }
    FindRuns();
    return changed_;
}

void UploadPipeline::FindRuns() {
    runs_.clear();
    for (size_t i = 0; i < changed_.size(); ++i) {
        const uint32_t part = changed_[i];
        const bool continues = i > 0 && part == changed_[i - 1] + 1 && part % grid_.columns != 0;
        if (continues) {
            runs_.back().width += grid_.partWidth;
        } else {
            runs_.push_back(
                Run{grid_.PartX(part), grid_.PartY(part), uint32_t(i) * grid_.partWidth, grid_.partWidth});
        }
    }
}

PixelView UploadPipeline::PackStrip(const PixelView& screen) {
    PixelView strip = StripView();
    // Strip row by strip row, one copy per run: a whole 1920 x 1080 change is 8 copies of 7680
    // bytes per row, written front to back, instead of 128 of 480 bytes scattered down the strip.
    for (uint32_t row = 0; row < grid_.partHeight; ++row) {
        uint32_t* to = strip.Row(row);
        for (const Run& run : runs_) {
            std::memcpy(to + run.stripX, screen.Row(run.top + row) + run.left, size_t(run.width) * 4);
        }
    }
    return strip;
}

void UploadPipeline::CommitSent() {
    PixelView strip = StripView();
    const size_t stride = size_t(grid_.columns) * grid_.partWidth;
    for (uint32_t row = 0; row < grid_.partHeight; ++row) {
        const uint32_t* from = strip.Row(row);
        for (const Run& run : runs_) {
            std::memcpy(lastSent_.data() + (size_t(run.top) + row) * stride + run.left, from + run.stripX,
                        size_t(run.width) * 4);
        }
    }
    for (uint32_t part : changed_) parts_[part].sent = true;
}

PixelView UploadPipeline::StripView() {
    const uint32_t stripWidth = uint32_t(changed_.size()) * grid_.partWidth;
    return PixelView{reinterpret_cast<uint8_t*>(strip_.data()), std::ptrdiff_t(stripWidth) * 4, stripWidth,
                     grid_.partHeight};
}

const std::vector<uint8_t>& UploadPipeline::WriteBody(const uint8_t* jpeg, uint32_t jpegLength) {
    WriteImageFrameBody(changed_, jpeg, jpegLength, body_);
    return body_;
}

bool MayMakeFrame(int32_t frameCounter, int32_t lastAcknowledged) {
    return int64_t(frameCounter) - 4 < int64_t(lastAcknowledged);
}
