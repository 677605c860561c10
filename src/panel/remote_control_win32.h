// CRemoteControl: the panel's remote control of the teacher PC. The remote-control button lends the
// teacher connection (socket handle and buffers) to a control thread and opens the full-screen view
// on a view thread; the button again, or the view's end, gets the socket back. It also serves the
// on-screen keyboard and next-monitor buttons and shows the buttons that belong to remote control
// only while it runs. Owns both threads (each a Worker) and joins them once they say they ended.
// UI thread only.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string_view>

#include "remote_control/control_thread_win32.h"
#include "remote_control/view_thread_win32.h"

namespace tesmora {

class CRemoconDlg;
class CTeacherLink;

class CRemoteControl {
public:
    // The panel's window timers of remote control (beside the session's and the upload's).
    static constexpr UINT_PTR kCoolDownTimer = 30;
    static constexpr UINT_PTR kKeyboardTimer = 31;

    CRemoteControl(CRemoconDlg& panel, CTeacherLink& link);
    CRemoteControl(const CRemoteControl&) = delete;
    CRemoteControl& operator=(const CRemoteControl&) = delete;
    // Stops a running channel and joins both threads (serving what they send meanwhile).
    ~CRemoteControl();

    bool Running() const { return running_; }

    // Sends a command text to the teacher PC whoever holds the connection: while the control thread
    // holds it (remote control runs, or is handing the socket back), the control thread writes it on
    // the lent socket before this returns; otherwise the panel's teacher socket does. True when the
    // text went out, false when it was skipped (no socket holds the connection). The way for every
    // panel feature to reach the teacher.
    bool SendText(std::u16string_view text);
    // The same for a packet of a panel feature (sound upload's blocks).
    bool SendPacket(CPacket& packet);

    // Called when remote control starts, to put the note tool back into touch mode (its toolbar
    // hidden, its drawing window closed) so that taps reach the view.
    void SetDropToTouchMode(std::function<void()> hook) { dropToTouchMode_ = std::move(hook); }

    void OnRemoteButton();
    void OnKeyboardButton();
    void OnMonitorButton();
    // The teacher's monitor list or the chosen monitor changed: the view shows monitor `index`.
    void SelectMonitor(int index);
    // The panel is closing: the view closes, the channel hands the socket back.
    void StopForClose();

    bool OnTimer(UINT_PTR timer);
    LRESULT OnSocketReturn(WPARAM wParam, LPARAM lParam);
    LRESULT OnThreadEnded(WPARAM wParam, LPARAM lParam);
    LRESULT OnTeacherAlive(WPARAM wParam, LPARAM lParam);

private:
    void Start();
    void Stop();
    // Joins and forgets threads that have ended.
    void ReapEnded();
    void ShowRunningButtons(bool running);
    void CoolDown();
    void OpenKeyboard();

    CRemoconDlg& panel_;
    CTeacherLink& link_;
    bool running_ = false;
    std::function<void()> dropToTouchMode_;
    std::wstring keyboardPath_;  // TabTip waiting for the old one to be ended
    // The view first: on destruction the view closes the channel before the control thread goes.
    std::unique_ptr<CControlThread> control_;
    std::unique_ptr<CViewThread> view_;
};

}  // namespace tesmora
