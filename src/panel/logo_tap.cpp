// The logo's tap rule (see logo_tap.h).
#include "panel/logo_tap.h"

namespace tesmora {

void LogoTap::Press(uint32_t tick) {
    pressTick_ = tick;
    pressed_ = true;
}

LogoTap::End LogoTap::Move(uint32_t tick, bool leftButtonHeld) {
    if (!pressed_ || leftButtonHeld) return End::kNone;  // not pressed, or still dragging
    return Finish(tick);
}

LogoTap::End LogoTap::Release(uint32_t tick) {
    if (!pressed_) return End::kNone;
    return Finish(tick);
}

LogoTap::End LogoTap::Finish(uint32_t tick) {
    // Unsigned difference: correct across the tick counter's wrap.
    End end = tick - pressTick_ < kLogoTapMilliseconds ? End::kTap : End::kDrag;
    pressed_ = false;
    return end;
}

}  // namespace tesmora
