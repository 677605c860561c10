// The remote-control channel's connection side. ControlThread runs the message loop that owns the
// teacher connection while remote control runs; its ControlChannelWindow (a hidden window on that
// thread) holds the lent socket, queues what arrives for the receiver thread, turns the view's
// queued input into key and mouse packets, sends on a 10 ms timer, keeps the teacher alive every
// 10 s and, when the channel closes, hands the socket and its buffers back to the panel.
// ControlThread's public members: the panel's thread, except where noted (and those of its
// MessageLoopThread base); ControlChannelWindow: the control thread, except where noted.
#pragma once

// clang-format off
#include <winsock2.h>
#include <windows.h>
// clang-format on

#include <atomic>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "common/threads/message_loop_thread_win32.h"
#include "common/threads/worker.h"
#include "common/ui/window_win32.h"
#include "remote_control/channel_outbox.h"
#include "remote_control/inbound_queue.h"
#include "remote_control/input_queues.h"
#include "transport/packet.h"
#include "transport/frame_socket_win32.h"

namespace tesmora {

class RemoteHostRecord;

// Messages of the channel to the panel beyond the fixed ones (window_messages.h); both carry
// kCrossThreadCheck in wParam. The values only matter inside the program.
inline constexpr unsigned WM_RC_TEACHER_ALIVE = 0x8140;  // posted: the teacher answered or sent a frame
inline constexpr unsigned WM_RC_THREAD_ENDED = 0x8141;   // posted as a channel thread's last act
// Sent by the receiver to the view after a frame or a new picture: scale what changed and paint it.
inline constexpr unsigned WM_RC_IMAGE_CHANGED = 0x8142;
// Posted by the receiver to the communication window when a frame could not be taken for want of
// memory: the connection ends as a lost one does.
inline constexpr unsigned WM_RC_END_AS_LOST = 0x8143;

class ControlChannelWindow : public Window {
public:
    ControlChannelWindow(RemoteHostRecord& record, HWND panel, InputQueues& input, ChannelOutbox& outbox);
    ~ControlChannelWindow() override;

    // Creates the hidden window and attaches the lent socket on the calling (control) thread, with the
    // buffers the record's socket holder carries. False when the window cannot be made (the socket is
    // then attached nowhere: the caller hands it back).
    bool CreateAndAttach(SOCKET handle);
    // After the go: receiver and input pump threads, the send timer, "[RC00004]", the keep-alive.
    void StartChannel();
    // Sends one text now when the socket is attached; skipped silently otherwise.
    void SendText(std::u16string_view text);
    // Sends what the panel put into the outbox (texts, sound blocks), oldest first.
    void SendOffered();

    // Any thread.
    void SetViewWindow(HWND view) { view_.store(view); }
    HWND ViewWindow() const { return view_.load(); }
    HWND PanelWindow() const { return panel_; }
    RemoteHostRecord& Record() { return record_; }
    bool Running() const { return run_.load(); }
    // The receiver takes the oldest received packet (read from its frame here, on the receiver
    // thread), or null.
    std::unique_ptr<Packet> TakeInbound();

protected:
    std::span<const MessageEntry> MessageTable() const override;

private:
    LRESULT OnSocketReceive(WPARAM, LPARAM);
    LRESULT OnSocketClose(WPARAM, LPARAM);
    LRESULT OnEndAsLost(WPARAM, LPARAM);
    LRESULT OnFlushInput(WPARAM, LPARAM);
    LRESULT OnFrameShown(WPARAM, LPARAM);
    LRESULT OnImeToggle(WPARAM, LPARAM);
    LRESULT OnChar(WPARAM, LPARAM);
    LRESULT OnTimer(WPARAM, LPARAM);
    LRESULT OnDisplayChange(WPARAM, LPARAM);
    LRESULT OnClose(WPARAM, LPARAM);

    void FlushInput();
    void SendOutbound();
    // Sends one packet when the socket is attached; otherwise it is freed and the loss traced.
    void SendOrDrop(const Packet& packet, const char* what);
    enum class UnhandledFrames { kToPanel, kFree };
    // The frames received but not handled (queued, or still posted to this window) go to the panel,
    // in order, ahead of whatever its own socket receives after the hand-back; or, when they are to
    // be freed or nobody can take them, are freed. Either way the count is traced.
    void HandOverUnhandledFrames(UnhandledFrames what);
    // Once: ends the receiver and the pump, hands the socket back, ends the thread, closes the window.
    void Teardown();

    RemoteHostRecord& record_;
    HWND panel_;
    InputQueues& input_;
    ChannelOutbox& outbox_;
    FrameSocket socket_;
    std::atomic<HWND> view_{nullptr};
    std::atomic<bool> closing_{false};
    std::atomic<bool> run_{true};
    bool tornDown_ = false;
    std::deque<std::unique_ptr<Packet>> outbound_;  // control thread only
    InboundQueue inbound_;                          // the inbound lock is its own
    Worker receiver_;                               // last: joined before what they read goes
    Worker pump_;
};

class ControlThread : public MessageLoopThread {
public:
    ControlThread(RemoteHostRecord& record, HWND panel, SOCKET handle);
    ~ControlThread();

    // Any thread.
    HWND CommunicationWindow() const { return Window(); }
    // What the view queues its input into; lives as long as this object.
    InputQueues& Input() { return input_; }
    // The socket handle while the thread has not taken it (a start that failed gives it back).
    SOCKET UntakenSocket() const { return taken_.load() ? INVALID_SOCKET : handle_; }

    void LinkView(HWND view);
    // Offers a packet for the teacher; the thread sends it on the lent socket. False, with the
    // packet left to the caller, once the channel has closed its outbox (the connection is then on
    // its way back to the panel, or gone).
    bool PostPacket(std::unique_ptr<Packet>& packet);
    // What was offered but never went out (the channel ended without its teardown); the panel's
    // thread sends it on its own connection.
    std::deque<std::unique_ptr<Packet>> TakeUnsent();

private:
    void Run() override;
    bool OnThreadMessage(const MSG& message) override;
    // Whatever the channel did not take (it never started, or ended without its teardown) is the
    // panel's to send once the thread has ended.
    void KeepUnsent();

    RemoteHostRecord& record_;
    HWND panel_;
    SOCKET handle_;
    InputQueues input_;
    ChannelOutbox outbox_;
    std::mutex unsentLock_;
    std::deque<std::unique_ptr<Packet>> unsent_;
    std::atomic<bool> taken_{false};
    std::atomic<HWND> pendingView_{nullptr};
    ControlChannelWindow* comm_ = nullptr;  // control thread only, while its loop runs
};

}  // namespace tesmora
