// LogoTap: tells a tap on the collapsed panel (the logo) from a drag of it. A press shorter than
// 200 ms restores the panel; a longer one only moved the logo. The end of a press is seen either as
// the button's release or as a mouse move that finds the button no longer held (the system's move
// loop swallows the release). UI thread only.
#pragma once

#include <cstdint>

namespace tesmora {

inline constexpr uint32_t kLogoTapMilliseconds = 200;

class LogoTap {
public:
    enum class End { kNone, kTap, kDrag };

    // Non-client left-button press on the logo, at the millisecond tick `tick`.
    void Press(uint32_t tick);
    // Non-client mouse move; ends the press when the button is no longer held.
    End Move(uint32_t tick, bool leftButtonHeld);
    // Non-client left-button release.
    End Release(uint32_t tick);

    bool Pressed() const { return pressed_; }

private:
    End Finish(uint32_t tick);

    uint32_t pressTick_ = 0;
    bool pressed_ = false;
};

}  // namespace tesmora
