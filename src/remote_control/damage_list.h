// The parts of the teacher's picture that changed since the view last looked: the receiver adds the
// rectangles of each frame's parts, the view takes them and scales only those again. More than a
// frame's worth of rectangles (or a new picture) counts as everything. Not locked itself: it lives in
// the remote-host record beside the screen image, under the image lock.
#pragma once

#include <cstddef>
#include <vector>

#include "remote_control/area_scaler.h"

namespace tesmora {

class DamageList {
public:
    // Beyond this many rectangles the view repaints everything: cheaper than one at a time.
    static constexpr size_t kMaxRects = 256;

    void Add(const PixelRect& rect) {
        if (all_ || rect.Empty()) return;
        if (rects_.size() >= kMaxRects) {
            AddAll();
            return;
        }
        rects_.push_back(rect);
    }
    void AddAll() {
        all_ = true;
        rects_.clear();
    }
    // What changed, and forgets it: everything (true), or the rectangles in `rects`.
    bool Take(std::vector<PixelRect>& rects) {
        const bool all = all_;
        rects.swap(rects_);
        rects_.clear();
        all_ = false;
        return all;
    }

private:
    bool all_ = true;  // a view that has painted nothing yet paints everything
    std::vector<PixelRect> rects_;
};

}  // namespace tesmora
