// The panel's screen upload: the upload button's start and stop, the frames the capture thread hands
// over for the teacher socket, and the capture's restart when the screen's resolution changes (see
// remocon_dlg_win32.h). UI thread only.
#include <cstdio>

#include "common/platform/pump_wait_win32.h"
#include "common/ui/scale.h"
#include "common/window_messages.h"
#include "panel/remocon_dlg_win32.h"
#include "resource.h"
#include "session/command_tag.h"
#include "transport/packet.h"
#include "upload/capture_thread_win32.h"
#include "upload/upload_state.h"

namespace {

constexpr unsigned kUploadCoolDownMilliseconds = 2000;
constexpr unsigned kPumpPassMilliseconds = 5;
// Where the upload button stands while uploading and after, in design pixels.
constexpr int kUploadButtonX = 5, kUploadButtonY = 32;

// A line for the debugger output with the tick count, so that a log shows how long a stop took.
void TraceUpload(const char* what) {
    char line[96];
    std::snprintf(line, sizeof line, "Remocon upload: %s tick=%lu\n", what, ::GetTickCount());
    ::OutputDebugStringA(line);
}

}  // namespace

void CRemoconDlg::OnUploadButton() {
    // A press while the capture restarts would start a second thread beside the ending one.
    if (captureRestarting_) return;
    if (RemoteControlRunning()) {
        ShowMessage(LoadString(IDS_UPLOAD_WHILE_RC) + u"\n" + LoadString(IDS_STOP_RC_FIRST));
        return;
    }
    if (ScreenUpload().uploadFlag.load() == 0) {
        StartScreenUpload();
    } else {
        StopScreenUpload();
    }
    CoolDown(IDC_BTN_UPLOAD, kUploadCoolDownMilliseconds);
}

void CRemoconDlg::StartScreenUpload() {
    UploadState& state = ScreenUpload();
    RefreshUploadParameters(ScreenWidth(), ScreenHeight());
    session_.SetAcknowledgedFrames(0);
    SendText(Connection::kTeacher, std::u16string(kRC00009) + u"start");
    state.uploadFlag.store(1);
    state.frameCounter.store(0);
    if (!StartCapture()) {
        // Without a capture thread nothing would ever be sent: the teacher PC and the button say so.
        state.uploadFlag.store(0);
        SendText(Connection::kTeacher, std::u16string(kRC00009) + u"stop");
        TraceUpload("capture thread refused");
        return;
    }
    TraceUpload("start");
    SetButtonCheck(IDC_BTN_UPLOAD, true);
    ShowButton(IDC_BTN_REMOTE, false);
    MoveButton(IDC_BTN_UPLOAD, kUploadButtonX, kUploadButtonY);
    ShowButton(IDC_BTN_NOTE, false);
    ShowButton(IDC_BTN_SOUND, false);
}

void CRemoconDlg::StopScreenUpload() {
    SendText(Connection::kTeacher, std::u16string(kRC00009) + u"stop");
    ScreenUpload().uploadFlag.store(0);  // the capture thread ends by itself within a cycle
    TraceUpload("stop");
    SetButtonCheck(IDC_BTN_UPLOAD, false);
    MoveButton(IDC_BTN_UPLOAD, kUploadButtonX, kUploadButtonY);
    ShowButton(IDC_BTN_REMOTE, false);
    ShowButton(IDC_BTN_NOTE, false);
    ShowButton(IDC_BTN_SOUND, false);
}

bool CRemoconDlg::StartCapture() {
    UploadState& state = ScreenUpload();
    // Written only while no capture thread runs: the new thread reads them once at its start.
    state.settings.left = upload_.left;
    state.settings.top = upload_.top;
    state.settings.right = upload_.right;
    state.settings.bottom = upload_.bottom;
    state.settings.width = upload_.width;
    state.settings.height = upload_.height;
    state.settings.quality = upload_.quality;
    return StartCaptureThread({Handle(), &state, &session_.AcknowledgedFramesValue()});
}

void CRemoconDlg::RestartCaptureAfterDisplayChange() {
    UploadState& state = ScreenUpload();
    if (state.uploadFlag.load() == 0) return;
    state.uploadFlag.store(0);
    TraceUpload("restart");
    // The old thread may be waiting for the panel to take a frame: the wait keeps the panel reacting.
    captureRestarting_ = true;
    while (state.runningCaptures.load() > 0) PumpWait(kPumpPassMilliseconds, 0);
    captureRestarting_ = false;
    // The user may have stopped the upload, or closed the panel, while the old thread ended.
    if (!::IsWindow(Handle()) || ::SendMessageW(Item(IDC_BTN_UPLOAD), BM_GETCHECK, 0, 0) != BST_CHECKED) return;
    state.uploadFlag.store(1);
    if (!StartCapture()) {
        state.uploadFlag.store(0);
        SendText(Connection::kTeacher, std::u16string(kRC00009) + u"stop");
        SetButtonCheck(IDC_BTN_UPLOAD, false);
        TraceUpload("capture thread refused");
    }
}

void CRemoconDlg::WaitForCapturesToEnd(unsigned limitMilliseconds) {
    DWORD start = ::GetTickCount();
    while (ScreenUpload().runningCaptures.load() > 0 && ::GetTickCount() - start < limitMilliseconds) {
        PumpWait(kPumpPassMilliseconds, 0);
    }
}

LRESULT CRemoconDlg::OnUploadFrame(WPARAM wParam, LPARAM) {
    auto* packet = reinterpret_cast<CPacket*>(wParam);
    // A frame that was on its way when the upload stopped is dropped: the teacher was told "stop".
    if (packet && teacherSocket_.HasSocket() && ScreenUpload().uploadFlag.load() != 0) {
        packet->Write(teacherSocket_);
    }
    return 1;
}

void CRemoconDlg::CoolDown(int buttonId, unsigned milliseconds) {
    HWND button = Item(buttonId);
    ::EnableWindow(button, FALSE);
    PumpWait(milliseconds, 0);
    if (!::IsWindow(button)) return;
    ::EnableWindow(button, TRUE);
    ::InvalidateRect(button, nullptr, TRUE);
    ::UpdateWindow(button);
}

void CRemoconDlg::ShowButton(int buttonId, bool shown) {
    ::ShowWindow(Item(buttonId), shown ? SW_SHOWNA : SW_HIDE);
}

void CRemoconDlg::MoveButton(int buttonId, int x, int y) {
    ::SetWindowPos(Item(buttonId), nullptr, Scaled(x), Scaled(y), 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
