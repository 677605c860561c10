// PadSwitchControl: the panel's two student-pad switches, the pads' touch (button 1006) and the
// teacher screen on every pad (button 1008). A press sends the teacher PC the state asked for, on the
// teacher socket or, while remote control holds that socket, through the control thread; older
// teachers never answer, so the panel toggles the button itself once the text went out, newer ones
// answer and their answer alone sets it. Each button then rests for a cool-down (a timer). UI thread only.
#pragma once

#include <windows.h>

#include <string_view>

#include "session/pad_switches.h"

namespace tesmora {

class PanelHost;

class PadSwitchControl {
public:
    // The panel's window timers of the two cool-downs (beside the upload's 20 and 21).
    static constexpr UINT_PTR kTouchCoolDownTimer = 26;
    static constexpr UINT_PTR kBroadcastCoolDownTimer = 27;

    explicit PadSwitchControl(PanelHost& panel);

    void OnPress(PadSwitch which);
    // WM_TOUCH_STATE / WM_SHARE_STATE: the teacher PC's answer, relayed by the remote-control
    // receiver. Returns 1.
    LRESULT OnStateMessage(PadSwitch which, WPARAM wParam, LPARAM lParam);
    // The panel's timer handler passes the cool-downs here; false for other timers.
    bool OnTimer(UINT_PTR timer);

private:
    PanelHost& panel_;
};

}  // namespace tesmora
