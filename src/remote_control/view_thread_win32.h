// The remote view: CViewThread runs the message loop of CUIThreadWnd, the full-screen borderless
// window that shows one monitor of the teacher PC stretched over the pad and forwards taps, mouse,
// wheel, pan gestures and keys, in teacher coordinates, into the control thread's input queues.
// Painting and input never wait for the network. CViewThread's public members: the panel's thread,
// except where noted; CUIThreadWnd: the view thread.
#pragma once

#include <windows.h>

#include <atomic>
#include <mutex>
#include <optional>
#include <vector>

#include "common/threads/worker.h"
#include "common/ui/dib_surface_win32.h"
#include "common/ui/window_win32.h"
#include "remote_control/area_scaler.h"
#include "remote_control/input_queues.h"
#include "remote_control/key_forwarding.h"
#include "remote_control/pan_wheel.h"
#include "remote_control/view_mapping.h"
#include "session/monitor_list.h"

namespace tesmora {

class CRHInfo;

// The teacher's monitors as the panel last gave them, and the one chosen. Set on the panel's
// thread, read on the view thread.
class SharedMonitors {
public:
    void Set(std::vector<MonitorRect> monitors);
    std::vector<MonitorRect> Monitors() const;
    std::optional<MonitorRect> Shown(int selected) const;

private:
    mutable std::mutex lock_;
    std::vector<MonitorRect> monitors_;
};

class CUIThreadWnd : public CWindow {
public:
    CUIThreadWnd(CRHInfo& record, HWND panel, const SharedMonitors& monitors);

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
    // Brings the pad-sized picture up to date with the teacher's: only the changed rectangles, or
    // everything (a new picture, monitor or view size), then repaints what it scaled.
    void Refresh(bool everything);
    void ForwardPointer(uint16_t message, uint32_t flags, int x, int y, int16_t wheel);
    void QueueKeys(const std::vector<KeyEventRecord>& records);
    // Button-ups for the buttons the teacher PC still holds (a release the view will never see).
    void ReleaseHeldButtons(const char* why);

    CRHInfo& record_;
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
    CDibSurface shown_;    // the shown monitor's pixels, copied under the image lock
    PixelRect shownRect_;  // where they lie in the teacher's picture
    CDibSurface scaled_;   // the shown monitor scaled smoothly to the view's size: what is painted
    bool scaledReady_ = false;
    AreaScaler scaler_;
    std::vector<PixelRect> changed_;  // reused
};

class CViewThread {
public:
    CViewThread(CRHInfo& record, HWND panel);
    CViewThread(const CViewThread&) = delete;
    CViewThread& operator=(const CViewThread&) = delete;
    ~CViewThread();

    bool Start();
    // Any thread.
    bool Ready() const { return ready_.load(); }
    bool Ended() const { return worker_.Finished(); }
    HWND ViewWindow() const { return view_.load(); }

    void Link(HWND comm, InputQueues* input) {
        comm_ = comm;
        input_ = input;
    }
    void Go() { go_.store(true); }
    bool PostToThread(UINT message, WPARAM wParam, LPARAM lParam);
    // Tells the view the teacher's monitors; then post WM_RC_SELECT_MONITOR to its window.
    void SetMonitors(std::vector<MonitorRect> monitors, int selected) {
        (void)selected;
        monitors_.Set(std::move(monitors));
    }
    void JoinServing();

private:
    void Body(std::stop_token stop);

    CRHInfo& record_;
    HWND panel_;
    SharedMonitors monitors_;
    HWND comm_ = nullptr;  // written before the go, read after it
    InputQueues* input_ = nullptr;
    std::atomic<bool> ready_{false};
    std::atomic<bool> go_{false};
    std::atomic<DWORD> threadId_{0};
    std::atomic<HWND> view_{nullptr};
    Worker worker_;  // last
};

}  // namespace tesmora
