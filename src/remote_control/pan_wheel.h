// A vertical pan on the touch screen scrolls the teacher PC: every stretch of more than 10 pixels
// since the last step becomes one wheel notch at the gesture's anchor. View thread only.
#pragma once

#include <cstdint>
#include <optional>

namespace tesmora {

inline constexpr int32_t kPanStepPixels = 10;
inline constexpr int16_t kPanWheelDelta = 60;

struct PanWheelStep {
    int32_t screenX, screenY;  // the anchor the wheel turns at, in screen coordinates
    int16_t delta;             // +60 panning down, -60 panning up
    bool operator==(const PanWheelStep&) const = default;
};

class PanToWheel {
public:
    // The gesture begins at this screen position.
    void Begin(int32_t screenX, int32_t screenY);
    // The finger is now at this screen position: one wheel step once it moved far enough vertically.
    std::optional<PanWheelStep> Pan(int32_t screenX, int32_t screenY);

private:
    int32_t anchorX_ = 0;
    int32_t anchorY_ = 0;
};

}  // namespace tesmora
