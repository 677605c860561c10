// A vertical pan becomes wheel notches on the teacher PC. View thread only.
#include "remote_control/pan_wheel.h"

#include <cstdlib>

namespace tesmora {

void PanToWheel::Begin(int32_t screenX, int32_t screenY) {
    anchorX_ = screenX;
    anchorY_ = screenY;
}

std::optional<PanWheelStep> PanToWheel::Pan(int32_t screenX, int32_t screenY) {
    const int64_t dy = int64_t{screenY} - anchorY_;
    if (std::llabs(dy) <= kPanStepPixels) return std::nullopt;
    const PanWheelStep step{anchorX_, anchorY_,
                            dy > 0 ? kPanWheelDelta : static_cast<int16_t>(-kPanWheelDelta)};
    // The next step is measured from here; only a downward step carries the anchor sideways too.
    if (dy > 0) anchorX_ = screenX;
    anchorY_ = screenY;
    return step;
}

}  // namespace tesmora
