// The remote view: ViewThread runs the message loop of RemoteView, the full-screen borderless
// window that shows one monitor of the teacher PC stretched over the pad and forwards taps, mouse,
// wheel, pan gestures and keys, in teacher coordinates, into the control thread's input queues.
// Painting and input never wait for the network. ViewThread's public members: the panel's thread,
// except where noted (and those of its MessageLoopThread base); RemoteView: the view thread.
#pragma once

#include <windows.h>

#include <atomic>
#include <mutex>
#include <optional>
#include <vector>

#include "common/threads/message_loop_thread_win32.h"
#include "common/ui/dib_surface_win32.h"
#include "common/ui/window_win32.h"
#include "remote_control/area_scaler.h"
#include "remote_control/input_queues.h"
#include "remote_control/key_forwarding.h"
#include "remote_control/pan_wheel.h"
#include "remote_control/view_mapping.h"
#include "session/monitor_list.h"

namespace tesmora {

class RemoteHostRecord;

// The teacher's monitors as the panel last gave them, and the one chosen. Set on the panel's
// thread, read on the view thread.
class SharedMonitors {
public:
    void Set(std::vector<MonitorRect> monitors);
    std::optional<MonitorRect> Shown(int selected) const;

private:
    mutable std::mutex lock_;
    std::vector<MonitorRect> monitors_;
};

class RemoteView : public Window {
public:
    RemoteView(RemoteHostRecord& record, HWND panel, const SharedMonitors& monitors);

    bool CreateView();
    // Borderless over the pad's primary screen, mapped to what the view shows.
    void GoFullScreen();
    void Link(HWND comm, InputQueues* input) {
        comm_ = comm;
        input_ = input;
    }
    bool PreTranslateMessage(MSG& message) override;

protected:
    std::span<const MessageEntry> MessageTable() const override;

private:
    LRESULT OnSize(WPARAM, LPARAM);
    LRESULT OnDisplayChange(WPARAM, LPARAM);
    LRESULT OnSelectMonitor(WPARAM, LPARAM);
    LRESULT OnImageChanged(WPARAM, LPARAM);
    LRESULT OnPaint(WPARAM, LPARAM);
    LRESULT OnCaptureChanged(WPARAM, LPARAM);
    LRESULT OnEraseBackground(WPARAM, LPARAM);
    LRESULT OnMouse(WPARAM, LPARAM);
    LRESULT OnGesture(WPARAM, LPARAM);
    LRESULT OnKillFocus(WPARAM, LPARAM);
    LRESULT OnSetCursor(WPARAM, LPARAM);
    LRESULT OnClose(WPARAM, LPARAM);

    bool ChannelOpen() const { return comm_ && ::IsWindow(comm_); }
    void Refit();
    enum class RefreshScope { kChanged, kEverything };
    // Brings the pad-sized picture up to date with the teacher's: only the changed rectangles, or
    // everything (a new picture, monitor or view size), then repaints what it scaled.
    void Refresh(RefreshScope scope);
    void ForwardPointer(uint16_t message, uint32_t flags, int x, int y, int16_t wheel);
    void QueueKeys(const std::vector<KeyEventRecord>& records);
    // Button-ups for the buttons the teacher PC still holds (a release the view will never see).
    void ReleaseHeldButtons(const char* why);

    RemoteHostRecord& record_;
    HWND panel_;
    const SharedMonitors& monitors_;
    HWND comm_ = nullptr;
    InputQueues* input_ = nullptr;
    bool closing_ = false;
    bool mapping_ = true;
    int selected_ = 0;
    ViewMapping map_;
    MouseForwarder mouse_;
    KeyForwarder keys_;
    PanToWheel pan_;
    DibSurface shown_;     // the shown monitor's pixels, copied under the image lock
    PixelRect shownRect_;  // where they lie in the teacher's picture
    DibSurface scaled_;    // the shown monitor scaled smoothly to the view's size: what is painted
    bool scaledReady_ = false;
    AreaScaler scaler_;
    std::vector<PixelRect> changed_;  // reused
};

class ViewThread : public MessageLoopThread {
public:
    ViewThread(RemoteHostRecord& record, HWND panel);
    ~ViewThread();

    // Any thread.
    HWND ViewWindow() const { return Window(); }

    // Before the go.
    void Link(HWND comm, InputQueues* input) {
        comm_ = comm;
        input_ = input;
    }
    // Tells the view the teacher's monitors; then post WM_RC_SELECT_MONITOR to its window.
    void SetMonitors(std::vector<MonitorRect> monitors) { monitors_.Set(std::move(monitors)); }

private:
    void Run() override;

    RemoteHostRecord& record_;
    HWND panel_;
    SharedMonitors monitors_;
    HWND comm_ = nullptr;  // written before the go, read after it
    InputQueues* input_ = nullptr;
};

}  // namespace tesmora
