// The teacher PC's answer to a student-pad switch as the remote-control receiver relays it to the
// panel (WM_TOUCH_STATE / WM_SHARE_STATE): the check state it asks for. Any thread.
#pragma once

#include <cstdint>
#include <optional>

namespace tesmora {

// Checked when lParam is 1; nothing when wParam is not the cross-thread check value (the message is
// ignored).
std::optional<bool> PadSwitchStateFromMessage(uintptr_t wParam, intptr_t lParam);

}  // namespace tesmora
