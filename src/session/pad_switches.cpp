// The student-pad switches' decisions. Any thread.
#include "session/pad_switches.h"

#include "session/command_tag.h"
#include "session/version_gate.h"

namespace tesmora {

PadSwitchPress DecidePadSwitchPress(PadSwitch which, bool isChecked, std::u16string_view teacherVersion) {
    PadSwitchPress press;
    press.text = which == PadSwitch::kTouch ? kTagStudentTouchSwitch : kTagBroadcastSwitch;
    press.text += isChecked ? u"off" : u"on";
    if (!IsTeacherNewer(teacherVersion)) press.newCheck = !isChecked;
    return press;
}

std::optional<bool> PadSwitchCheckAfterSend(const PadSwitchPress& press, bool sent) {
    return sent ? press.newCheck : std::nullopt;
}

}  // namespace tesmora
