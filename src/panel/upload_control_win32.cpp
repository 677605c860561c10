// The panel's screen upload (see upload_control_win32.h). UI thread only.
#include "panel/upload_control_win32.h"

#include "common/platform/debug_print_win32.h"
#include "common/window_messages.h"
#include "panel/panel_host.h"
#include "resource.h"
#include "session/command_tag.h"
#include "session/teacher_session.h"
#include "transport/packet.h"
#include "transport/frame_socket_win32.h"
#include "upload/capture_thread_win32.h"

namespace tesmora {

namespace {

constexpr unsigned kUploadCoolDownMilliseconds = 2000;
constexpr unsigned kCaptureWaitMilliseconds = 10;

// The tick count in the line lets a log show how long a stop took.
void TraceUpload(const char* what) {
    TraceStep("upload", what);
}

}  // namespace

UploadControl::UploadControl(PanelHost& panel) : panel_(panel) {}

UploadControl::~UploadControl() {
    capture_.RequestStop();
    JoinServingSentMessages(capture_);
}

void UploadControl::RefreshParameters(int width, int height) {
    parameters_ = FullScreenUploadParameters(width, height);
    panel_.SendOnPanelConnection(UploadParametersText(parameters_));
}

void UploadControl::OnUploadButton() {
    if (panel_.RemoteControlRunning()) {
        panel_.ShowMessage(panel_.LoadString(IDS_UPLOAD_WHILE_RC) + u"\n" +
                           panel_.LoadString(IDS_STOP_RC_FIRST));
        return;
    }
    if (uploading_) {
        Stop();
    } else {
        Start();
    }
    CoolDown(kUploadCoolDownMilliseconds);
}

void UploadControl::Start() {
    RefreshParameters(::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN));
    panel_.SendOnPanelConnection(std::u16string(kTagUploadSwitch) + u"start");
    uploading_ = true;
    freshStart_ = true;
    LaunchCapture();
    if (!uploading_) return;  // the thread was refused
    TraceUpload("start");
    panel_.SetButtonCheck(IDC_BTN_UPLOAD, true);
    panel_.SetPanelMode(PanelMode::kUploading);
}

void UploadControl::Stop() {
    panel_.SendOnPanelConnection(std::u16string(kTagUploadSwitch) + u"stop");
    uploading_ = false;
    capture_.RequestStop();  // the capture thread ends within a cycle
    TraceUpload("stop");
    panel_.SetButtonCheck(IDC_BTN_UPLOAD, false);
    panel_.SetPanelMode(PanelMode::kConnected);
}

void UploadControl::StopForClose() {
    uploading_ = false;
    launchWaiting_ = false;
    freshStart_ = false;
    capture_.RequestStop();
}

void UploadControl::OnDisplayChange() {
    if (!uploading_) return;
    TraceUpload("restart");
    capture_.RequestStop();
    LaunchCapture();  // on the new grid, once the old thread has ended
}

void UploadControl::LaunchCapture() {
    if (capture_.Running() && !capture_.Finished()) {
        // The old thread may be waiting for the panel to take a frame: the panel keeps handling
        // messages and a timer looks again.
        launchWaiting_ = true;
        ::SetTimer(panel_.Window(), kCaptureWaitTimer, kCaptureWaitMilliseconds, nullptr);
        return;
    }
    launchWaiting_ = false;
    capture_.Join();
    // A new upload numbers its frames from 0 and takes acknowledgements of its own frames only; a
    // restart goes on where the old thread stopped. Both are reset here, on the panel's thread that
    // takes the acknowledgements, with no capture thread running.
    if (freshStart_) panel_.Session().Upload().Begin();
    freshStart_ = false;
    if (!StartCaptureNow()) CaptureRefused();
}

bool UploadControl::StartCaptureNow() {
    CaptureJob job;
    job.panel = panel_.Window();
    job.settings = {parameters_.left,  parameters_.top,    parameters_.right,  parameters_.bottom,
                    parameters_.width, parameters_.height, parameters_.quality};
    job.frameCounter = &panel_.Session().Upload().NextFrame();
    job.lastAcknowledged = &panel_.Session().Upload().AcknowledgedValue();
    return StartCapture(capture_, std::move(job));
}

void UploadControl::CaptureRefused() {
    // Without a capture thread nothing would ever be sent: the teacher PC and the button say so.
    uploading_ = false;
    panel_.SendOnPanelConnection(std::u16string(kTagUploadSwitch) + u"stop");
    panel_.SetButtonCheck(IDC_BTN_UPLOAD, false);
    TraceUpload("capture thread refused");
}

bool UploadControl::OnTimer(UINT_PTR timer) {
    if (timer == kCoolDownTimer) {
        ::KillTimer(panel_.Window(), kCoolDownTimer);
        panel_.EnableButton(IDC_BTN_UPLOAD, true);
        return true;
    }
    if (timer == kCaptureWaitTimer) {
        if (capture_.Running() && !capture_.Finished()) return true;
        ::KillTimer(panel_.Window(), kCaptureWaitTimer);
        // The user may have stopped the upload while the old thread ended.
        if (launchWaiting_ && uploading_) LaunchCapture();
        launchWaiting_ = false;
        return true;
    }
    return false;
}

LRESULT UploadControl::OnUploadFrame(WPARAM wParam, LPARAM) {
    auto* packet = reinterpret_cast<Packet*>(wParam);
    FrameSocket& socket = panel_.TeacherSocket();
    // A frame that was on its way when the upload stopped is dropped (the teacher was told "stop"),
    // and so is one of a capture that is being replaced (its grid is the old screen's).
    if (packet && socket.HasSocket() && uploading_ && !launchWaiting_) packet->Write(socket);
    return 1;
}

void UploadControl::CoolDown(unsigned milliseconds) {
    panel_.EnableButton(IDC_BTN_UPLOAD, false);
    ::SetTimer(panel_.Window(), kCoolDownTimer, milliseconds, nullptr);
}

}  // namespace tesmora
