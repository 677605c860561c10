// The panel's student-pad switches (see pad_switch_control_win32.h). UI thread only.
#include "panel/pad_switch_control_win32.h"

#include <string>

#include "common/platform/debug_print_win32.h"
#include "common/text/utf8.h"
#include "panel/pad_switch_answer.h"
#include "panel/panel_host.h"
#include "resource.h"
#include "session/teacher_session.h"

namespace tesmora {

namespace {

int ButtonOf(PadSwitch which) {
    return which == PadSwitch::kTouch ? IDC_BTN_TOUCH : IDC_BTN_SHARE;
}

UINT_PTR CoolDownTimerOf(PadSwitch which) {
    return which == PadSwitch::kTouch ? PadSwitchControl::kTouchCoolDownTimer
                                      : PadSwitchControl::kBroadcastCoolDownTimer;
}

void TraceSwitch(const std::u16string& text, const char* route) {
    TraceStep("switch", ToUtf8(text) + " " + route);
}

}  // namespace

PadSwitchControl::PadSwitchControl(PanelHost& panel) : panel_(panel) {}

void PadSwitchControl::OnPress(PadSwitch which) {
    const int button = ButtonOf(which);
    const bool checked = panel_.ButtonChecked(button);
    const PadSwitchPress press =
        DecidePadSwitchPress(which, checked, panel_.Session().RemoteHost().teacherVersion);
    // While remote control runs the connection is lent to its control thread, which sends it.
    const bool lent = panel_.RemoteControlRunning();
    const bool sent = panel_.SendToTeacher(press.text);
    if (auto check = PadSwitchCheckAfterSend(press, sent)) panel_.SetButtonCheck(button, *check);
    TraceSwitch(press.text, !sent ? "skipped" : lent ? "control-thread" : "teacher-socket");
    // The teacher PC switches every pad of the class: a pause keeps a quick second press from
    // flooding it.
    panel_.EnableButton(button, false);
    ::SetTimer(panel_.Window(), CoolDownTimerOf(which), kPadSwitchCoolDownMs, nullptr);
}

LRESULT PadSwitchControl::OnStateMessage(PadSwitch which, WPARAM wParam, LPARAM lParam) {
    if (auto checked = PadSwitchStateFromMessage(wParam, lParam))
        panel_.SetButtonCheck(ButtonOf(which), *checked);
    return 1;
}

bool PadSwitchControl::OnTimer(UINT_PTR timer) {
    for (PadSwitch which : {PadSwitch::kTouch, PadSwitch::kBroadcast}) {
        if (timer != CoolDownTimerOf(which)) continue;
        ::KillTimer(panel_.Window(), timer);
        panel_.EnableButton(ButtonOf(which), true);
        return true;
    }
    return false;
}

}  // namespace tesmora
