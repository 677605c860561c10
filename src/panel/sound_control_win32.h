// SoundControl: the panel's sound upload. The sound button starts and stops it; it owns the sound
// thread (a Worker), the running flag the thread polls and the counters it keeps, and sends the
// blocks the thread hands over to the teacher PC on whichever socket holds the connection (the
// panel's, or the control thread's during remote control), so that sound runs on across the start
// and end of remote control. A capture that ends without being asked to is ended for the teacher too
// (the button unchecked, "[RC00011]stop", a short notice that closes itself); when Windows changes
// the default device, the capture moves to the new one unseen by the teacher. Stopping never waits
// for the thread: it ends within a poll, and a new start or the panel's end joins it while serving
// the block it may be sending meanwhile. UI thread only (the sound thread reaches the panel only
// through the sent WM_AUDIO_PACKET and the posted WM_SOUND_ENDED).
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <optional>
#include <string_view>

#include "common/threads/worker.h"
#include "common/widgets/wait_dialog_win32.h"
#include "sound/endpoint_watch_win32.h"

namespace tesmora {

class PanelHost;

class SoundControl {
public:
    // The panel's window timer that closes the notice (beside the switches' 26 and 27).
    static constexpr UINT_PTR kNoticeTimer = 28;

    explicit SoundControl(PanelHost& panel);
    SoundControl(const SoundControl&) = delete;
    SoundControl& operator=(const SoundControl&) = delete;
    // Stops the sound thread and joins it (serving the block it may be sending meanwhile).
    ~SoundControl();

    bool Running() const { return running_.load() == 1; }

    void OnSoundButton();
    // The panel is closing: the capture stops without telling the teacher.
    void StopForClose();
    LRESULT OnAudioPacket(WPARAM wParam, LPARAM lParam);
    // WM_SOUND_ENDED: the sound thread ended; WM_SOUND_DEVICE_CHANGED: a new default device.
    LRESULT OnSoundEnded(WPARAM wParam, LPARAM lParam);
    LRESULT OnDeviceChanged(WPARAM wParam, LPARAM lParam);
    // The panel's timer handler passes its timers here; false for other timers.
    bool OnTimer(UINT_PTR timer);

private:
    void Start();
    void Stop();
    // Starts a capture thread on the current default device; false when there is no device or no
    // thread.
    bool StartCapture(HRESULT& error);
    // Ends the running capture and starts it again on the current default device.
    bool Restart();
    // The capture ended by itself: stopped for the teacher too, and the user is told.
    void EndedBySelf(HRESULT result);
    void SendToTeacher(std::u16string_view text);
    void Repaint();

    PanelHost& panel_;
    std::atomic<int32_t> running_{0};  // 1 while the sound thread is meant to capture
    std::atomic<uint64_t> capturedFrames_{0};
    std::atomic<long> result_{0};
    uint32_t generation_ = 0;              // of the capture thread that runs now
    std::optional<uint64_t> restartedAt_;  // MonotonicMilliseconds of the last restart
    EndpointWatch watch_;
    WaitDialog notice_;
    Worker sound_;  // after what its thread reads: destroyed (joined) first
};

}  // namespace tesmora
