// The panel's sound upload (see sound_control_win32.h). UI thread only.
#include "panel/sound_control_win32.h"

#include <audioclient.h>

#include <cstdio>
#include <string>

#include "common/platform/clock.h"
#include "common/platform/debug_print_win32.h"
#include "common/platform/wide_text_win32.h"
#include "common/threads/join_serving_win32.h"
#include "common/window_messages.h"
#include "panel/message_trace.h"
#include "panel/panel_host.h"
#include "resource.h"
#include "session/command_tag.h"
#include "sound/sound_block.h"
#include "sound/sound_capture_win32.h"
#include "transport/packet.h"

namespace tesmora {

namespace {

// How long the notice that sound stopped stays up.
constexpr UINT kNoticeMilliseconds = 5000;
// A device that goes away twice within this time is not followed again: the capture ends.
constexpr uint64_t kRestartPauseMilliseconds = 2000;

void TraceSoundControl(const char* what, HRESULT error) {
    char step[96];
    std::snprintf(step, sizeof step, "%s error=0x%08lX", what, static_cast<unsigned long>(error));
    TraceStep("sound upload", step);
}

}  // namespace

SoundControl::SoundControl(PanelHost& panel) : panel_(panel) {}

SoundControl::~SoundControl() {
    running_.store(0);
    watch_.Stop();
    sound_.RequestStop();
    JoinServingSentMessages(sound_);
}

void SoundControl::OnSoundButton() {
    if (Running()) {
        Stop();
    } else {
        Start();
    }
    Repaint();
}

void SoundControl::SendToTeacher(std::u16string_view text) {
    // During remote control the control thread holds the connection and writes it.
    panel_.SendToTeacher(text);
}

void SoundControl::Stop() {
    running_.store(0);
    watch_.Stop();
    SendToTeacher(std::u16string(kTagSoundSwitch) + u"stop");
    sound_.RequestStop();  // the thread ends within a poll; a new start or the panel's end joins it
    panel_.SetButtonCheck(IDC_BTN_SOUND, false);
    TraceSoundControl("stop", S_OK);
}

bool SoundControl::StartCapture(HRESULT& error) {
    // A thread of the previous capture ends within a poll once asked; it may be handing the panel a
    // block right now, so the panel serves that while it waits.
    if (sound_.Running()) JoinServingSentMessages(sound_);
    error = S_OK;
    SoundJob job;
    job.panel = panel_.Window();
    job.source = SoundSourceFromEnvironment();
    job.device = OpenDefaultEndpoint(job.source, error);
    job.running = &running_;
    job.capturedFrames = &capturedFrames_;
    job.result = &result_;
    job.generation = ++generation_;
    capturedFrames_.store(0);
    const bool started = job.device && StartSoundCapture(sound_, std::move(job));
    if (!started && SUCCEEDED(error)) error = E_FAIL;
    return started;
}

void SoundControl::Start() {
    running_.store(1);
    SendToTeacher(std::u16string(kTagSoundSwitch) + u"start");
    HRESULT error = S_OK;
    if (!StartCapture(error)) {
        // Nothing will ever be captured: the teacher PC is told at once and the button stays off.
        SendToTeacher(std::u16string(kTagSoundSwitch) + u"stop");
        running_.store(0);
        panel_.SetButtonCheck(IDC_BTN_SOUND, false);
        TraceSoundControl("no endpoint or thread", error);
        return;
    }
    const SoundSource source = SoundSourceFromEnvironment();
    const bool watching = watch_.Watch(panel_.Window(), source);
    panel_.SetButtonCheck(IDC_BTN_SOUND, true);
    TraceSoundControl(source == SoundSource::kPlaybackLoopback ? "start loopback" : "start recording",
                      watching ? S_OK : S_FALSE);
}

bool SoundControl::Restart() {
    running_.store(0);
    sound_.RequestStop();
    JoinServingSentMessages(sound_);
    running_.store(1);
    restartedAt_ = MonotonicMilliseconds();
    HRESULT error = S_OK;
    const bool started = StartCapture(error);
    TraceSoundControl(started ? "restart on the default device" : "restart failed", error);
    return started;
}

void SoundControl::EndedBySelf(HRESULT result) {
    running_.store(0);
    watch_.Stop();
    SendToTeacher(std::u16string(kTagSoundSwitch) + u"stop");
    panel_.SetButtonCheck(IDC_BTN_SOUND, false);
    Repaint();
    TraceSoundControl("ended by itself", result);
    // A notice, not a question: the session goes on while it shows, and it closes itself.
    const std::u16string text = panel_.LoadString(IDS_SOUND_STOPPED);
    DebugPrintUtf8(MessageTraceLine(text, MessageFate::kShown).c_str(),
                   MessageLogLine(text, MessageFate::kShown));
    if (notice_.ShowNotice(panel_.Window(), ToWide(text)))
        ::SetTimer(panel_.Window(), kNoticeTimer, kNoticeMilliseconds, nullptr);
}

LRESULT SoundControl::OnSoundEnded(WPARAM wParam, LPARAM lParam) {
    if (wParam != kCrossThreadCheck) return 0;
    // A thread that was asked to end, or one replaced since, ended as wanted.
    if (!Running() || static_cast<uint32_t>(lParam) != generation_) return 1;
    const HRESULT result = static_cast<HRESULT>(result_.load());
    // The device went away (unplugged, or no longer the default): follow the new default once.
    if (result == AUDCLNT_E_DEVICE_INVALIDATED &&
        (!restartedAt_ || MonotonicMilliseconds() - *restartedAt_ > kRestartPauseMilliseconds) && Restart()) {
        return 1;
    }
    EndedBySelf(result);
    return 1;
}

LRESULT SoundControl::OnDeviceChanged(WPARAM wParam, LPARAM) {
    if (wParam != kCrossThreadCheck) return 0;
    if (!Running()) return 1;
    if (!Restart()) EndedBySelf(static_cast<HRESULT>(result_.load()));
    return 1;
}

bool SoundControl::OnTimer(UINT_PTR timer) {
    if (timer != kNoticeTimer) return false;
    ::KillTimer(panel_.Window(), kNoticeTimer);
    notice_.DestroyDialog();
    return true;
}

void SoundControl::StopForClose() {
    running_.store(0);
    watch_.Stop();
    sound_.RequestStop();
}

LRESULT SoundControl::OnAudioPacket(WPARAM wParam, LPARAM) {
    auto* packet = reinterpret_cast<Packet*>(wParam);
    // A block that was on its way when the upload stopped is dropped: the teacher was told "stop".
    if (packet && Running()) {
        panel_.SendPacketToTeacher(MakeOwnedSoundPacket({packet->Data(), packet->DataLength()}));
    }
    return 1;
}

void SoundControl::Repaint() {
    panel_.RepaintButton(IDC_BTN_SOUND);
}

}  // namespace tesmora
