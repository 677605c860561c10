// RemoteControl: the panel's remote control of the teacher PC. The remote-control button lends the
// teacher connection (socket handle and buffers) to a control thread and opens the full-screen view
// on a view thread; the button again, or the view's end, gets the socket back. It also serves the
// on-screen keyboard and next-monitor buttons and shows the buttons that belong to remote control
// only while it runs. Owns both threads (each a Worker) and joins them once they say they ended.
// UI thread only.
#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <memory>
#include <string_view>

#include "remote_control/control_thread_win32.h"
#include "remote_control/view_thread_win32.h"

namespace tesmora {

class PanelHost;

class RemoteControl {
public:
    // The panel's window timers of remote control (beside the session's and the upload's).
    static constexpr UINT_PTR kCoolDownTimer = 30;
    static constexpr UINT_PTR kKeyboardTimer = 31;

    explicit RemoteControl(PanelHost& panel);
    RemoteControl(const RemoteControl&) = delete;
    RemoteControl& operator=(const RemoteControl&) = delete;
    // Stops a running channel and joins both threads (serving what they send meanwhile).
    ~RemoteControl();

    bool Running() const { return running_; }

    // Sends a command text to the teacher PC whoever holds the connection: while remote control
    // runs, the control thread sends it on the lent socket; otherwise the panel's teacher socket
    // does. The way for every panel feature to reach the teacher. True when the text went out or is
    // on its way (taken by the channel, or waiting for the connection's return); false when no
    // connection holds it and it was dropped (a switch's button then keeps its state).
    bool SendText(std::u16string_view text);
    // The same for any packet that owns its data (a sound block). Between the channel's end and the
    // connection's return to the panel, what is sent waits here and goes out, in order, as soon as
    // the connection is back; nothing is dropped without a trace.
    bool SendPacket(std::unique_ptr<Packet> packet);

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
    void CoolDown();
    void OpenKeyboard();
    // Sends on the panel's own teacher socket, after what waited for it; keeps the packet while the
    // connection is on its way back from the channel; drops it (traced) when there is no connection.
    bool SendOnPanel(std::unique_ptr<Packet> packet);
    void SendWaiting();

    PanelHost& panel_;
    bool running_ = false;
    std::function<void()> dropToTouchMode_;
    std::wstring keyboardPath_;                    // TabTip waiting for the old one to be ended
    std::deque<std::unique_ptr<Packet>> waiting_;  // for the teacher, until the connection is back
    // The view first: on destruction the view closes the channel before the control thread goes.
    std::unique_ptr<ControlThread> control_;
    std::unique_ptr<ViewThread> view_;
};

}  // namespace tesmora
