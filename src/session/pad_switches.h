// The two teacher-side switches the panel forwards: the student pads' touch (button 1006) and the
// teacher screen on every student pad (button 1008). Decides, for a press, the text to send and
// whether the panel toggles the button itself, and reads the teacher PC's answer. Any thread; the
// panel calls it on the user-interface thread.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tesmora {

enum class PadSwitch {
    kTouch,      // button 1006, tag [RC00013]; the answer arrives as WM_TOUCH_STATE
    kBroadcast,  // button 1008, tag [RC00012]; the answer arrives as WM_SHARE_STATE
};

// Pause of a switch's button after a press, so the teacher PC is not flooded.
inline constexpr unsigned kPadSwitchCoolDownMs = 5000;

struct PadSwitchPress {
    std::u16string text;           // "[RC00013]on" / "[RC00013]off" (tag [RC00012] for 1008)
    std::optional<bool> newCheck;  // set: the panel checks or unchecks the button now
};

// A press on the switch's button, given its check state and the teacher's version text. The text
// asks for the opposite of the check state. Teachers up to 2.0.1.1027 do not answer, so the panel
// toggles the button itself; newer ones answer, and the answer alone sets the button.
PadSwitchPress DecidePadSwitchPress(PadSwitch which, bool isChecked, std::u16string_view teacherVersion);

// The check state the button takes once the press's text was handed to the connection (`sent`) or
// skipped for want of one: an older teacher's button follows the text only when it went out, so that
// the pad never shows a state the teacher PC was not asked for; nothing when the button stays.
std::optional<bool> PadSwitchCheckAfterSend(const PadSwitchPress& press, bool sent);

// The check state a WM_TOUCH_STATE / WM_SHARE_STATE asks for: checked when lParam is 1; nothing
// when wParam is not the cross-thread check value (the message is ignored).
std::optional<bool> PadSwitchStateFromMessage(uintptr_t wParam, intptr_t lParam);

}  // namespace tesmora
