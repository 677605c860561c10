// CSoundControl: the panel's sound upload. The sound button starts and stops it; it owns the sound
// thread (a Worker), the running flag the thread polls and the counters it keeps, and sends the
// blocks the thread hands over on the teacher connection. Stopping never waits for the thread: it
// ends within a poll, and a new start or the panel's end joins it while serving the block it may be
// sending meanwhile. UI thread only (the sound thread reaches the panel only through the sent
// WM_AUDIO_PACKET).
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>

#include "common/threads/worker.h"

namespace tesmora {

class CRemoconDlg;
class CTeacherLink;

class CSoundControl {
public:
    CSoundControl(CRemoconDlg& panel, CTeacherLink& link);
    CSoundControl(const CSoundControl&) = delete;
    CSoundControl& operator=(const CSoundControl&) = delete;
    // Stops the sound thread and joins it (serving the block it may be sending meanwhile).
    ~CSoundControl();

    bool Running() const { return running_.load() == 1; }

    void OnSoundButton();
    // The panel is closing: the capture stops without telling the teacher.
    void StopForClose();
    LRESULT OnAudioPacket(WPARAM wParam, LPARAM lParam);

private:
    void Start();
    void Stop();
    void Repaint();

    CRemoconDlg& panel_;
    CTeacherLink& link_;
    std::atomic<int32_t> running_{0};  // 1 while the sound thread is meant to capture
    std::atomic<uint64_t> capturedFrames_{0};
    std::atomic<long> result_{0};
    Worker sound_;  // after what its thread reads: destroyed (joined) first
};

}  // namespace tesmora
