// The panel's student-pad switches (see pad_switch_control_win32.h). UI thread only.
#include "panel/pad_switch_control_win32.h"

#include <cstdio>
#include <string>

#include "common/platform/debug_print_win32.h"
#include "common/text/utf8.h"
#include "panel/remocon_dlg_win32.h"
#include "panel/teacher_link_win32.h"
#include "resource.h"

namespace tesmora {

namespace {

int ButtonOf(PadSwitch which) {
    return which == PadSwitch::kTouch ? IDC_BTN_TOUCH : IDC_BTN_SHARE;
}

UINT_PTR CoolDownTimerOf(PadSwitch which) {
    return which == PadSwitch::kTouch ? CPadSwitchControl::kTouchCoolDownTimer
                                      : CPadSwitchControl::kBroadcastCoolDownTimer;
}

void TraceSwitch(const std::u16string& text, const char* route) {
    char line[128];
    std::snprintf(line, sizeof line, "Remocon switch: %s %s tick=%lu\n", ToUtf8(text).c_str(), route,
                  ::GetTickCount());
    DebugPrintUtf8(line);
}

}  // namespace

CPadSwitchControl::CPadSwitchControl(CRemoconDlg& panel, CTeacherLink& link) : panel_(panel), link_(link) {}

void CPadSwitchControl::OnPress(PadSwitch which) {
    const int button = ButtonOf(which);
    const bool checked = ::SendMessageW(panel_.Item(button), BM_GETCHECK, 0, 0) == BST_CHECKED;
    const PadSwitchPress press =
        DecidePadSwitchPress(which, checked, link_.Session().RemoteHost().teacherVersion);
    // While remote control runs the connection is lent to its control thread, which sends it.
    const bool lent = panel_.RemoteControlRunning();
    const bool sent = panel_.RemoteControl().SendText(press.text);
    if (auto check = PadSwitchCheckAfterSend(press, sent)) panel_.SetButtonCheck(button, *check);
    TraceSwitch(press.text, !sent ? "skipped" : lent ? "control-thread" : "teacher-socket");
    // The teacher PC switches every pad of the class: a pause keeps a quick second press from
    // flooding it.
    ::EnableWindow(panel_.Item(button), FALSE);
    ::SetTimer(panel_.Handle(), CoolDownTimerOf(which), kPadSwitchCoolDownMs, nullptr);
}

LRESULT CPadSwitchControl::OnStateMessage(PadSwitch which, WPARAM wParam, LPARAM lParam) {
    if (auto checked = PadSwitchStateFromMessage(wParam, lParam))
        panel_.SetButtonCheck(ButtonOf(which), *checked);
    return 1;
}

bool CPadSwitchControl::OnTimer(UINT_PTR timer) {
    for (PadSwitch which : {PadSwitch::kTouch, PadSwitch::kBroadcast}) {
        if (timer != CoolDownTimerOf(which)) continue;
        ::KillTimer(panel_.Handle(), timer);
        HWND button = panel_.Item(ButtonOf(which));
        ::EnableWindow(button, TRUE);
        ::InvalidateRect(button, nullptr, TRUE);
        return true;
    }
    return false;
}

}  // namespace tesmora
