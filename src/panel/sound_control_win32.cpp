// The panel's sound upload (see sound_control_win32.h). UI thread only.
#include "panel/sound_control_win32.h"

#include <cstdio>
#include <string>

#include "panel/remocon_dlg_win32.h"
#include "panel/teacher_link_win32.h"
#include "resource.h"
#include "session/command_tag.h"
#include "sound/sound_capture_win32.h"
#include "transport/packet.h"
#include "upload/capture_thread_win32.h"

namespace tesmora {

namespace {

void TraceSoundControl(const char* what, HRESULT error) {
    char line[128];
    std::snprintf(line, sizeof line, "Remocon sound upload: %s error=0x%08lX tick=%lu\n", what,
                  static_cast<unsigned long>(error), ::GetTickCount());
    ::OutputDebugStringA(line);
}

}  // namespace

CSoundControl::CSoundControl(CRemoconDlg& panel, CTeacherLink& link) : panel_(panel), link_(link) {}

CSoundControl::~CSoundControl() {
    running_.store(0);
    sound_.RequestStop();
    JoinServingSentMessages(sound_);
}

void CSoundControl::OnSoundButton() {
    if (Running()) {
        Stop();
    } else {
        Start();
    }
    Repaint();
}

void CSoundControl::Stop() {
    running_.store(0);
    link_.SendToTeacher(std::u16string(kRC00011) + u"stop");
    sound_.RequestStop();  // the thread ends within a poll; a new start or the panel's end joins it
    panel_.SetButtonCheck(IDC_BTN_SOUND, false);
    TraceSoundControl("stop", S_OK);
}

void CSoundControl::Start() {
    // A thread of the previous upload ends within a poll once asked; it may be handing the panel a
    // block right now, so the panel serves that while it waits.
    if (sound_.Running()) JoinServingSentMessages(sound_);
    running_.store(1);
    link_.SendToTeacher(std::u16string(kRC00011) + u"start");
    HRESULT error = S_OK;
    SoundJob job;
    job.panel = panel_.Handle();
    const SoundSource source = SoundSourceFromEnvironment();
    job.source = source;
    job.device = OpenDefaultEndpoint(source, error);
    job.running = &running_;
    job.capturedFrames = &capturedFrames_;
    job.result = &result_;
    capturedFrames_.store(0);
    const bool started = job.device && StartSoundCapture(sound_, std::move(job));
    if (!started) {
        // Nothing will ever be captured: the teacher PC is told at once and the button stays off.
        if (SUCCEEDED(error)) error = E_FAIL;
        link_.SendToTeacher(std::u16string(kRC00011) + u"stop");
        running_.store(0);
        panel_.SetButtonCheck(IDC_BTN_SOUND, false);
        TraceSoundControl("no endpoint or thread", error);
        return;
    }
    panel_.SetButtonCheck(IDC_BTN_SOUND, true);
    TraceSoundControl(source == SoundSource::kPlaybackLoopback ? "start loopback" : "start recording", S_OK);
}

void CSoundControl::StopForClose() {
    running_.store(0);
    sound_.RequestStop();
}

LRESULT CSoundControl::OnAudioPacket(WPARAM wParam, LPARAM) {
    auto* packet = reinterpret_cast<CPacket*>(wParam);
    CTCPSocket& socket = link_.TeacherSocket();
    // A block that was on its way when the upload stopped is dropped: the teacher was told "stop".
    if (packet && socket.HasSocket() && Running()) packet->Write(socket);
    return 1;
}

void CSoundControl::Repaint() {
    ::InvalidateRect(panel_.Item(IDC_BTN_SOUND), nullptr, TRUE);
}

}  // namespace tesmora
