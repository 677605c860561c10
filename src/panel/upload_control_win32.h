// UploadControl: the panel's screen upload. The upload button starts and stops it; it owns the
// capture thread (a Worker), starts each upload's frame numbering (the session's UploadFlow, whose
// frame counter the thread advances), and sends the frames the thread hands over on the teacher
// connection. A display change restarts the capture on the new grid once
// the old thread has ended, and a start never runs a second thread beside one that has not ended:
// both wait on a timer, not in a message loop. The button's cool-down is a timer too. UI thread only
// (the capture thread reaches the panel only through the sent WM_UPLOAD_FRAME).
#pragma once

#include <windows.h>

#include <cstdint>

#include "common/threads/worker.h"
#include "panel/upload_parameters.h"

namespace tesmora {

class PanelHost;

class UploadControl {
public:
    // The panel's window timers of the upload (beside the panel's 2 and the session's 3, 6 and 7).
    static constexpr UINT_PTR kCoolDownTimer = 20;
    static constexpr UINT_PTR kCaptureWaitTimer = 21;

    explicit UploadControl(PanelHost& panel);
    UploadControl(const UploadControl&) = delete;
    UploadControl& operator=(const UploadControl&) = delete;
    // Stops the capture thread and joins it (serving the frame it may be sending meanwhile).
    ~UploadControl();

    bool Uploading() const { return uploading_; }
    // Sets the upload parameters for a `width` x `height` screen and sends them ("[RC00008]").
    void RefreshParameters(int width, int height);

    void OnUploadButton();
    // The screen's resolution changed: a running capture restarts on the new grid.
    void OnDisplayChange();
    // The panel is closing: the capture stops without telling the teacher.
    void StopForClose();
    // The panel's timer handler passes the upload's timers here; false for other timers.
    bool OnTimer(UINT_PTR timer);
    LRESULT OnUploadFrame(WPARAM wParam, LPARAM lParam);

private:
    void Start();
    void Stop();
    // Starts the capture thread now, or once the previous one has ended.
    void LaunchCapture();
    bool StartCaptureNow();
    void CaptureRefused();
    void CoolDown(unsigned milliseconds);

    PanelHost& panel_;
    UploadParameters parameters_;
    bool uploading_ = false;
    bool launchWaiting_ = false;  // a capture waits for the previous thread to end
    bool freshStart_ = false;     // the capture about to launch begins a new upload
    Worker capture_;  // joined by the destructor; its flow numbers are the session's, which outlives it
};

}  // namespace tesmora
