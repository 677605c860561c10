// The pad switch's relayed answer (see pad_switch_answer.h).
#include "panel/pad_switch_answer.h"

#include "common/window_messages.h"

namespace tesmora {

std::optional<bool> PadSwitchStateFromMessage(uintptr_t wParam, intptr_t lParam) {
    if (wParam != kCrossThreadCheck) return std::nullopt;
    return lParam == 1;
}

}  // namespace tesmora
