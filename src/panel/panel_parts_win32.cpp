// The panel's side of its parts (see control_panel_win32.h): what it does for them as their
// PanelHost, and the window messages, buttons and timers it hands to each. UI thread only.
#include "panel/control_panel_win32.h"

#include "transport/packet.h"

namespace tesmora {

void ControlPanel::ShowAtTop() {
    ::ShowWindow(Handle(), SW_SHOWNA);
    ReassertTopmost();
}

void ControlPanel::SetButtonCheck(int buttonId, bool checked) {
    ::SendMessageW(Item(buttonId), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool ControlPanel::ButtonChecked(int buttonId) const {
    return ::SendMessageW(Item(buttonId), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void ControlPanel::EnableButton(int buttonId, bool enabled) {
    HWND button = Item(buttonId);
    ::EnableWindow(button, enabled ? TRUE : FALSE);
    ::InvalidateRect(button, nullptr, FALSE);
}

void ControlPanel::RepaintButton(int buttonId) {
    ::InvalidateRect(Item(buttonId), nullptr, FALSE);
}

bool ControlPanel::SendPacketToTeacher(std::unique_ptr<Packet> packet) {
    return remote_.SendPacket(std::move(packet));
}

// The connections' notifications belong to the teacher link, the capture's frames to the upload.
LRESULT ControlPanel::OnSocketConnect(WPARAM wParam, LPARAM lParam) {
    return link_.OnSocketConnect(wParam, lParam);
}

LRESULT ControlPanel::OnSocketReceive(WPARAM wParam, LPARAM lParam) {
    return link_.OnSocketReceive(wParam, lParam);
}

LRESULT ControlPanel::OnSocketClose(WPARAM wParam, LPARAM lParam) {
    return link_.OnSocketClose(wParam, lParam);
}

LRESULT ControlPanel::OnMonitorList(WPARAM wParam, LPARAM lParam) {
    return link_.OnMonitorList(wParam, lParam);
}

LRESULT ControlPanel::OnUploadFrame(WPARAM wParam, LPARAM lParam) {
    return upload_.OnUploadFrame(wParam, lParam);
}

void ControlPanel::OnUploadButton() {
    upload_.OnUploadButton();
}

// Remote control's buttons and messages belong to its controller.
void ControlPanel::OnRemoteButton() {
    remote_.OnRemoteButton();
}

void ControlPanel::OnKeyboardButton() {
    remote_.OnKeyboardButton();
}

void ControlPanel::OnMonitorButton() {
    remote_.OnMonitorButton();
}

LRESULT ControlPanel::OnRemoteSocketReturn(WPARAM wParam, LPARAM lParam) {
    return remote_.OnSocketReturn(wParam, lParam);
}

LRESULT ControlPanel::OnRemoteThreadEnded(WPARAM wParam, LPARAM lParam) {
    return remote_.OnThreadEnded(wParam, lParam);
}

LRESULT ControlPanel::OnRemoteTeacherAlive(WPARAM wParam, LPARAM lParam) {
    return remote_.OnTeacherAlive(wParam, lParam);
}

// The sound upload's blocks and button, and the student-pad switches, belong to their controls.
LRESULT ControlPanel::OnAudioPacket(WPARAM wParam, LPARAM lParam) {
    return sound_.OnAudioPacket(wParam, lParam);
}

LRESULT ControlPanel::OnSoundEnded(WPARAM wParam, LPARAM lParam) {
    return sound_.OnSoundEnded(wParam, lParam);
}

LRESULT ControlPanel::OnSoundDeviceChanged(WPARAM wParam, LPARAM lParam) {
    return sound_.OnDeviceChanged(wParam, lParam);
}

void ControlPanel::OnSoundButton() {
    sound_.OnSoundButton();
}

void ControlPanel::OnTouchButton() {
    padSwitches_.OnPress(PadSwitch::kTouch);
}

void ControlPanel::OnShareButton() {
    padSwitches_.OnPress(PadSwitch::kBroadcast);
}

LRESULT ControlPanel::OnTouchState(WPARAM wParam, LPARAM lParam) {
    return padSwitches_.OnStateMessage(PadSwitch::kTouch, wParam, lParam);
}

LRESULT ControlPanel::OnShareState(WPARAM wParam, LPARAM lParam) {
    return padSwitches_.OnStateMessage(PadSwitch::kBroadcast, wParam, lParam);
}

void ControlPanel::OnNoteButton() {
    note_.OnNoteButton(Handle());
}

}  // namespace tesmora
