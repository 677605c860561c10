// The two teacher-side switches the panel forwards: the student pads' touch and the teacher screen on
// every student pad. Decides, for a press, the text to send and whether the switch's button follows
// it at once or waits for the teacher PC's answer. Any thread; the panel calls it on the
// user-interface thread.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tesmora {

enum class PadSwitch {
    kTouch,      // tag [RC00013]; the teacher PC answers with [RH00003]
    kBroadcast,  // tag [RC00012]; the teacher PC answers with [RH00004]
};

// Pause of a switch's button after a press, so the teacher PC is not flooded.
inline constexpr unsigned kPadSwitchCoolDownMs = 5000;

struct PadSwitchPress {
    std::u16string text;           // "[RC00013]on" / "[RC00013]off" (tag [RC00012] for the screen)
    std::optional<bool> newCheck;  // set: the switch's button is checked or unchecked now
};

// A press on the switch's button, given its check state and the teacher's version text. The text
// asks for the opposite of the check state. Teachers up to 2.0.1.1027 do not answer, so the button
// follows the press; newer ones answer, and the answer alone sets the button.
PadSwitchPress DecidePadSwitchPress(PadSwitch which, bool isChecked, std::u16string_view teacherVersion);

// The check state the button takes once the press's text was handed to the connection (`sent`) or
// skipped for want of one: an older teacher's button follows the text only when it went out, so that
// the pad never shows a state the teacher PC was not asked for; nothing when the button stays.
std::optional<bool> PadSwitchCheckAfterSend(const PadSwitchPress& press, bool sent);

}  // namespace tesmora
