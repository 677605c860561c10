// The portable half of screen upload.
#include "upload_pipeline.h"

#include <algorithm>
#include <cstring>

namespace tesmora {

uint8_t** PackedStripRows::Rows(uint32_t first, uint32_t count) {
    for (uint32_t j = 0; j < count && j < kMaxStripBand; ++j) {
        rows_[j] = reinterpret_cast<uint8_t*>(strip_.Row(first + j));
    }
    return rows_;
}

UploadPipeline::UploadPipeline(uint32_t screenWidth, uint32_t screenHeight)
    : grid_(PartGrid::ForScreen(screenWidth, screenHeight)) {
    parts_.resize(grid_.PartCount());
    for (uint32_t k = 0; k < grid_.PartCount(); ++k) {
        ScreenPart& part = parts_[k];
        part.partNumber = int32_t(k);
        part.left = int32_t(grid_.PartX(k));
        part.top = int32_t(grid_.PartY(k));
        part.right = part.left + int32_t(grid_.partWidth);
        part.bottom = part.top + int32_t(grid_.partHeight);
    }
    maxParts_ = std::max<uint32_t>(1, kMaxStripWidth / std::max<uint32_t>(1, grid_.partWidth));
    lastSent_.assign(size_t(grid_.columns) * grid_.partWidth * grid_.rows * grid_.partHeight, 0);
    changed_.reserve(grid_.PartCount());
    runs_.reserve(grid_.PartCount());
    // The first frame sends as many parts as a frame can hold, so the band reaches its widest at
    // once; sizing it here keeps the encoder's calls for rows free of allocation.
    bands_.band_.assign(size_t(std::min(grid_.PartCount(), maxParts_)) * grid_.partWidth * kMaxStripBand, 0);
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
    SelectForFrame();
    FindRuns();
    return changed_;
}

void UploadPipeline::SelectForFrame() {
    const size_t count = changed_.size();
    if (count <= maxParts_) return;
    // Take maxParts_ changed parts in grid order, going round from nextPart_; list them in grid order.
    const auto first = std::lower_bound(changed_.begin(), changed_.end(), nextPart_);
    const size_t start = size_t(first - changed_.begin()) % count;
    if (start + maxParts_ <= count) {
        nextPart_ = changed_[start + maxParts_ - 1] + 1;
        changed_.erase(changed_.begin() + std::ptrdiff_t(start + maxParts_), changed_.end());
        changed_.erase(changed_.begin(), changed_.begin() + std::ptrdiff_t(start));
    } else {
        const size_t wrapped = start + maxParts_ - count;  // taken from the front of the grid
        nextPart_ = changed_[wrapped - 1] + 1;
        changed_.erase(changed_.begin() + std::ptrdiff_t(wrapped), changed_.begin() + std::ptrdiff_t(start));
    }
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

StripRows& UploadPipeline::Strip(const PixelView& screen) {
    bands_.runs_ = &runs_;
    bands_.screen_ = screen;
    bands_.width_ = uint32_t(changed_.size()) * grid_.partWidth;
    bands_.height_ = grid_.partHeight;
    const size_t bandPixels = size_t(bands_.width_) * kMaxStripBand;
    if (bands_.band_.size() < bandPixels) bands_.band_.resize(bandPixels);
    return bands_;
}

uint8_t** UploadPipeline::Bands::Rows(uint32_t first, uint32_t count) {
    count = std::min(count, kMaxStripBand);
    if (runs_->size() == 1) {
        // One run is one piece of each screen row: the encoder reads the screen itself.
        const Run& run = runs_->front();
        for (uint32_t j = 0; j < count; ++j) {
            rows_[j] = reinterpret_cast<uint8_t*>(screen_.Row(run.top + first + j) + run.left);
        }
        return rows_;
    }
    // Strip row by strip row, one copy per run: a whole 1920 x 1080 change is 8 copies of 7680
    // bytes per row, into a band that the encoder reads back from the cache at once.
    for (uint32_t j = 0; j < count; ++j) {
        uint32_t* to = band_.data() + size_t(j) * width_;
        for (const Run& run : *runs_) {
            std::memcpy(to + run.stripX, screen_.Row(run.top + first + j) + run.left, size_t(run.width) * 4);
        }
        rows_[j] = reinterpret_cast<uint8_t*>(to);
    }
    // The next band's screen rows are asked into the cache now, while the encoder works on this
    // band: otherwise each copy waits for memory, which the encoder's own reading would have hidden.
    const uint32_t next = std::min(first + 2 * count, height_);
    for (uint32_t y = first + count; y < next; ++y) {
        for (const Run& run : *runs_) {
            const auto* from = reinterpret_cast<const char*>(screen_.Row(run.top + y) + run.left);
            for (size_t offset = 0; offset < size_t(run.width) * 4; offset += 64) {
                __builtin_prefetch(from + offset);
            }
        }
    }
    return rows_;
}

void UploadPipeline::CommitSent(const PixelView& screen) {
    const size_t stride = size_t(grid_.columns) * grid_.partWidth;
    for (uint32_t row = 0; row < grid_.partHeight; ++row) {
        for (const Run& run : runs_) {
            std::memcpy(lastSent_.data() + (size_t(run.top) + row) * stride + run.left,
                        screen.Row(run.top + row) + run.left, size_t(run.width) * 4);
        }
    }
    for (uint32_t part : changed_) parts_[part].sent = true;
}

const std::vector<uint8_t>& UploadPipeline::WriteBody(const uint8_t* jpeg, uint32_t jpegLength) {
    WriteImageFrameBody(changed_, jpeg, jpegLength, body_);
    return body_;
}

bool MayMakeFrame(int32_t frameCounter, int32_t lastAcknowledged) {
    return int64_t(frameCounter) - 4 < int64_t(lastAcknowledged);
}

}  // namespace tesmora
