// The panel's screen upload (see upload_control_win32.h). UI thread only.
#include "panel/upload_control_win32.h"

#include <cstdio>

#include "common/platform/debug_print_win32.h"
#include "common/window_messages.h"
#include "panel/remocon_dlg_win32.h"
#include "panel/teacher_link_win32.h"
#include "resource.h"
#include "session/command_tag.h"
#include "transport/packet.h"
#include "upload/capture_thread_win32.h"

namespace tesmora {

namespace {

constexpr unsigned kUploadCoolDownMilliseconds = 2000;
constexpr unsigned kCaptureWaitMilliseconds = 10;

// A line for the debugger output with the tick count, so that a log shows how long a stop took.
void TraceUpload(const char* what) {
    char line[96];
    std::snprintf(line, sizeof line, "Remocon upload: %s tick=%lu\n", what, ::GetTickCount());
    DebugPrintUtf8(line);
}

}  // namespace

CUploadControl::CUploadControl(CRemoconDlg& panel, CTeacherLink& link) : panel_(panel), link_(link) {}

CUploadControl::~CUploadControl() {
    capture_.RequestStop();
    JoinServingSentMessages(capture_);
}

void CUploadControl::RefreshParameters(int width, int height) {
    parameters_ = FullScreenUploadParameters(width, height);
    link_.SendToTeacher(UploadParametersText(parameters_));
}

void CUploadControl::OnUploadButton() {
    if (panel_.RemoteControlRunning()) {
        link_.ShowMessage(link_.LoadString(IDS_UPLOAD_WHILE_RC) + u"\n" +
                          link_.LoadString(IDS_STOP_RC_FIRST));
        return;
    }
    if (uploading_) {
        Stop();
    } else {
        Start();
    }
    CoolDown(kUploadCoolDownMilliseconds);
}

void CUploadControl::Start() {
    RefreshParameters(link_.ScreenWidth(), link_.ScreenHeight());
    link_.SendToTeacher(std::u16string(kRC00009) + u"start");
    uploading_ = true;
    freshStart_ = true;
    LaunchCapture();
    if (!uploading_) return;  // the thread was refused
    TraceUpload("start");
    panel_.SetButtonCheck(IDC_BTN_UPLOAD, true);
    panel_.SetPanelMode(PanelMode::kUploading);
}

void CUploadControl::Stop() {
    link_.SendToTeacher(std::u16string(kRC00009) + u"stop");
    uploading_ = false;
    capture_.RequestStop();  // the capture thread ends within a cycle
    TraceUpload("stop");
    panel_.SetButtonCheck(IDC_BTN_UPLOAD, false);
    panel_.SetPanelMode(PanelMode::kConnected);
}

void CUploadControl::StopForClose() {
    uploading_ = false;
    launchWaiting_ = false;
    freshStart_ = false;
    capture_.RequestStop();
}

void CUploadControl::OnDisplayChange() {
    if (!uploading_) return;
    TraceUpload("restart");
    capture_.RequestStop();
    LaunchCapture();  // on the new grid, once the old thread has ended
}

void CUploadControl::LaunchCapture() {
    if (capture_.Running() && !capture_.Finished()) {
        // The old thread may be waiting for the panel to take a frame: the panel keeps handling
        // messages and a timer looks again.
        launchWaiting_ = true;
        ::SetTimer(panel_.Handle(), kCaptureWaitTimer, kCaptureWaitMilliseconds, nullptr);
        return;
    }
    launchWaiting_ = false;
    capture_.Join();
    // A new upload numbers its frames from 0 and takes acknowledgements of its own frames only; a
    // restart goes on where the old thread stopped. Both are reset here, on the panel's thread that
    // takes the acknowledgements, with no capture thread running.
    if (freshStart_) link_.Session().Upload().Begin();
    freshStart_ = false;
    if (!StartCaptureNow()) CaptureRefused();
}

bool CUploadControl::StartCaptureNow() {
    CaptureJob job;
    job.panel = panel_.Handle();
    job.settings = {parameters_.left,  parameters_.top,    parameters_.right,  parameters_.bottom,
                    parameters_.width, parameters_.height, parameters_.quality};
    job.frameCounter = &link_.Session().Upload().NextFrame();
    job.lastAcknowledged = &link_.Session().Upload().AcknowledgedValue();
    return StartCapture(capture_, std::move(job));
}

void CUploadControl::CaptureRefused() {
    // Without a capture thread nothing would ever be sent: the teacher PC and the button say so.
    uploading_ = false;
    link_.SendToTeacher(std::u16string(kRC00009) + u"stop");
    panel_.SetButtonCheck(IDC_BTN_UPLOAD, false);
    TraceUpload("capture thread refused");
}

bool CUploadControl::OnTimer(UINT_PTR timer) {
    if (timer == kCoolDownTimer) {
        ::KillTimer(panel_.Handle(), kCoolDownTimer);
        HWND button = panel_.Item(IDC_BTN_UPLOAD);
        ::EnableWindow(button, TRUE);
        ::InvalidateRect(button, nullptr, TRUE);
        return true;
    }
    if (timer == kCaptureWaitTimer) {
        if (capture_.Running() && !capture_.Finished()) return true;
        ::KillTimer(panel_.Handle(), kCaptureWaitTimer);
        // The user may have stopped the upload while the old thread ended.
        if (launchWaiting_ && uploading_) LaunchCapture();
        launchWaiting_ = false;
        return true;
    }
    return false;
}

LRESULT CUploadControl::OnUploadFrame(WPARAM wParam, LPARAM) {
    auto* packet = reinterpret_cast<CPacket*>(wParam);
    CTCPSocket& socket = link_.TeacherSocket();
    // A frame that was on its way when the upload stopped is dropped (the teacher was told "stop"),
    // and so is one of a capture that is being replaced (its grid is the old screen's).
    if (packet && socket.HasSocket() && uploading_ && !launchWaiting_) packet->Write(socket);
    return 1;
}

void CUploadControl::CoolDown(unsigned milliseconds) {
    ::EnableWindow(panel_.Item(IDC_BTN_UPLOAD), FALSE);
    ::SetTimer(panel_.Handle(), kCoolDownTimer, milliseconds, nullptr);
}

}  // namespace tesmora
