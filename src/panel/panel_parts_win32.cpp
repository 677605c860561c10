// The panel's side of its parts (see remocon_dlg_win32.h): what it does for them as their
// PanelHost, and the window messages, buttons and timers it hands to each. UI thread only.
#include "panel/remocon_dlg_win32.h"

#include "transport/packet.h"

namespace tesmora {

void CRemoconDlg::ShowAtTop() {
    ::ShowWindow(Handle(), SW_SHOWNA);
    ReassertTopmost();
}

void CRemoconDlg::SetButtonCheck(int buttonId, bool checked) {
    ::SendMessageW(Item(buttonId), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool CRemoconDlg::ButtonChecked(int buttonId) const {
    return ::SendMessageW(Item(buttonId), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void CRemoconDlg::EnableButton(int buttonId, bool enabled) {
    HWND button = Item(buttonId);
    ::EnableWindow(button, enabled ? TRUE : FALSE);
    ::InvalidateRect(button, nullptr, FALSE);
}

void CRemoconDlg::RepaintButton(int buttonId) {
    ::InvalidateRect(Item(buttonId), nullptr, FALSE);
}

bool CRemoconDlg::SendPacketToTeacher(std::unique_ptr<CPacket> packet) {
    return remote_.SendPacket(std::move(packet));
}

// The connections' notifications belong to the teacher link, the capture's frames to the upload.
LRESULT CRemoconDlg::OnSocketConnect(WPARAM wParam, LPARAM lParam) {
    return link_.OnSocketConnect(wParam, lParam);
}

LRESULT CRemoconDlg::OnSocketReceive(WPARAM wParam, LPARAM lParam) {
    return link_.OnSocketReceive(wParam, lParam);
}

LRESULT CRemoconDlg::OnSocketClose(WPARAM wParam, LPARAM lParam) {
    return link_.OnSocketClose(wParam, lParam);
}

LRESULT CRemoconDlg::OnMonitorList(WPARAM wParam, LPARAM lParam) {
    return link_.OnMonitorList(wParam, lParam);
}

LRESULT CRemoconDlg::OnUploadFrame(WPARAM wParam, LPARAM lParam) {
    return upload_.OnUploadFrame(wParam, lParam);
}

void CRemoconDlg::OnUploadButton() {
    upload_.OnUploadButton();
}

// Remote control's buttons and messages belong to its controller.
void CRemoconDlg::OnRemoteButton() {
    remote_.OnRemoteButton();
}

void CRemoconDlg::OnKeyboardButton() {
    remote_.OnKeyboardButton();
}

void CRemoconDlg::OnMonitorButton() {
    remote_.OnMonitorButton();
}

LRESULT CRemoconDlg::OnRemoteSocketReturn(WPARAM wParam, LPARAM lParam) {
    return remote_.OnSocketReturn(wParam, lParam);
}

LRESULT CRemoconDlg::OnRemoteThreadEnded(WPARAM wParam, LPARAM lParam) {
    return remote_.OnThreadEnded(wParam, lParam);
}

LRESULT CRemoconDlg::OnRemoteTeacherAlive(WPARAM wParam, LPARAM lParam) {
    return remote_.OnTeacherAlive(wParam, lParam);
}

// The sound upload's blocks and button, and the student-pad switches, belong to their controls.
LRESULT CRemoconDlg::OnAudioPacket(WPARAM wParam, LPARAM lParam) {
    return sound_.OnAudioPacket(wParam, lParam);
}

LRESULT CRemoconDlg::OnSoundEnded(WPARAM wParam, LPARAM lParam) {
    return sound_.OnSoundEnded(wParam, lParam);
}

LRESULT CRemoconDlg::OnSoundDeviceChanged(WPARAM wParam, LPARAM lParam) {
    return sound_.OnDeviceChanged(wParam, lParam);
}

void CRemoconDlg::OnSoundButton() {
    sound_.OnSoundButton();
}

void CRemoconDlg::OnTouchButton() {
    padSwitches_.OnPress(PadSwitch::kTouch);
}

void CRemoconDlg::OnShareButton() {
    padSwitches_.OnPress(PadSwitch::kBroadcast);
}

LRESULT CRemoconDlg::OnTouchState(WPARAM wParam, LPARAM lParam) {
    return padSwitches_.OnStateMessage(PadSwitch::kTouch, wParam, lParam);
}

LRESULT CRemoconDlg::OnShareState(WPARAM wParam, LPARAM lParam) {
    return padSwitches_.OnStateMessage(PadSwitch::kBroadcast, wParam, lParam);
}

void CRemoconDlg::OnNoteButton() {
    note_.OnNoteButton(Handle());
}

}  // namespace tesmora
