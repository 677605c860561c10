// The control thread and its communication window (see control_thread_win32.h).
#include "remote_control/control_thread_win32.h"

#include <mmsystem.h>

#include <cstdio>
#include <utility>

#include "common/net/async_socket_win32.h"
#include "common/platform/clock.h"
#include "common/platform/debug_print_win32.h"
#include "common/platform/pump_wait_win32.h"
#include "common/platform/wide_text_win32.h"
#include "common/window_messages.h"
#include "common/ui/resource_module_win32.h"
#include "remote_control/remote_host_record_win32.h"
#include "remote_control/receiver_win32.h"
#include "resource.h"
#include "transport/frame.h"
#include "session/command_tag.h"
#include "session/payload_fields.h"

namespace tesmora {

namespace {

constexpr wchar_t kCommClass[] = L"TesmoraRemoteControlComm";
constexpr UINT_PTR kSendTimer = 4;
constexpr UINT_PTR kKeepAliveTimer = 3;
constexpr UINT kSendMilliseconds = 10;
constexpr UINT kKeepAliveMilliseconds = 10000;
constexpr int kHandBackTries = 100;
constexpr unsigned kJoinPumpMilliseconds = 10;
constexpr unsigned kHandBackWaitMilliseconds = 5;
// While remote control runs the system's timers tick every millisecond: at the default resolution
// (about 15.6 ms on Windows) the input pump's 1 ms sleep, the 10 ms send timer and the receiver's 5 ms
// cycle all stretch to 15-31 ms, a click waits that long to leave and at most about 64 packets a
// second are shown.
constexpr UINT kTimerResolutionMs = 1;

class FineTimerResolution {
public:
    FineTimerResolution() : granted_(::timeBeginPeriod(kTimerResolutionMs) == TIMERR_NOERROR) {}
    ~FineTimerResolution() {
        if (granted_) ::timeEndPeriod(kTimerResolutionMs);
    }
    FineTimerResolution(const FineTimerResolution&) = delete;
    FineTimerResolution& operator=(const FineTimerResolution&) = delete;

private:
    bool granted_;
};

void Trace(const char* line) {
    DebugPrintUtf8(line);
}

// Joins `worker` while serving the messages other threads send to this one and dispatching its
// posted messages one at a time: the communication window keeps answering while a channel worker
// ends.
void JoinPumping(Worker& worker) {
    while (!worker.Finished()) PumpWait(kJoinPumpMilliseconds, PumpMode::kOneMessagePerStep);
    worker.Join();
}

}  // namespace

// ---- ControlChannelWindow ----

ControlChannelWindow::ControlChannelWindow(RemoteHostRecord& record, HWND panel, InputQueues& input,
                                           ChannelOutbox& outbox)
    : record_(record), panel_(panel), input_(input), outbox_(outbox) {}

ControlChannelWindow::~ControlChannelWindow() {
    // A loop that ended without the teardown (a quit from elsewhere) still ends both workers first.
    run_.store(false);
    closing_.store(true);
    receiver_.RequestStop();
    pump_.RequestStop();
    JoinPumping(receiver_);
    JoinPumping(pump_);
}

std::span<const Window::MessageEntry> ControlChannelWindow::MessageTable() const {
    static const MessageEntry table[] = {
        OnMessage(WM_SOCKET_RECEIVE, &ControlChannelWindow::OnSocketReceive),
        OnMessage(WM_SOCKET_CLOSE, &ControlChannelWindow::OnSocketClose),
        OnMessage(WM_RC_END_AS_LOST, &ControlChannelWindow::OnEndAsLost),
        OnMessage(WM_RC_FLUSH_INPUT, &ControlChannelWindow::OnFlushInput),
        OnMessage(WM_RC_FRAME_SHOWN, &ControlChannelWindow::OnFrameShown),
        OnMessage(WM_RC_IME_TOGGLE, &ControlChannelWindow::OnImeToggle),
        OnMessage(WM_RC_CHAR, &ControlChannelWindow::OnChar),
        OnMessage(WM_TIMER, &ControlChannelWindow::OnTimer),
        OnMessage(WM_DISPLAYCHANGE, &ControlChannelWindow::OnDisplayChange),
        OnMessage(WM_CLOSE, &ControlChannelWindow::OnClose),
    };
    return table;
}

bool ControlChannelWindow::CreateAndAttach(SOCKET handle) {
    Window::RegisterWindowClass(kCommClass);
    HICON icon = ::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(128));
    if (!Create(0, kCommClass, (record_.name + L", Comm").c_str(),
                WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN, 0, 0, 10, 10, nullptr, 0)) {
        return false;
    }
    ::SendMessageW(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    ::SendMessageW(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    socket_.Attach(handle, AsyncSocket::kAllEvents);
    socket_.AdoptBuffers(record_.socketHolder);
    socket_.SetOwner(Handle());
    return true;
}

void ControlChannelWindow::StartChannel() {
    receiver_.Start([this](std::stop_token stop) {
        RemoteControlReceiver receiver(*this);
        receiver.Run(stop);
    });
    // The pump prompts a flush about once a millisecond, and only when something waits: a finger
    // resting still costs nothing.
    pump_.Start([this](std::stop_token stop) {
        HWND window = Handle();
        while (!stop.stop_requested() && !closing_.load() && ::IsWindow(window)) {
            if (!input_.Empty()) ::SendMessageW(window, WM_RC_FLUSH_INPUT, 0, 0);
            ::Sleep(1);
        }
    });
    StartTimer(kSendTimer, kSendMilliseconds);
    SendText(kTagRemoteControlStart);
    StartTimer(kKeepAliveTimer, kKeepAliveMilliseconds);
    Trace("Remocon rc: channel started\n");
}

void ControlChannelWindow::SendText(std::u16string_view text) {
    if (!socket_.HasSocket()) return;
    Packet packet(text);
    packet.Write(socket_);
}

void ControlChannelWindow::SendOffered() {
    for (auto& packet : outbox_.TakeAll()) SendOrDrop(*packet, "offered packet");
}

void ControlChannelWindow::SendOrDrop(const Packet& packet, const char* what) {
    if (socket_.HasSocket()) {
        packet.Write(socket_);
        return;
    }
    char line[120];
    std::snprintf(line, sizeof line, "Remocon rc: %s of type %u dropped: no connection\n", what,
                  unsigned(packet.Type()));
    Trace(line);
}

std::unique_ptr<Packet> ControlChannelWindow::TakeInbound() {
    uint8_t* frame = inbound_.Take();
    if (!frame) return nullptr;
    auto packet = std::make_unique<Packet>();
    // A frame that does not read is handed on all the same; the receiver ignores its type.
    packet->Read(frame);  // frees the block
    return packet;
}

LRESULT ControlChannelWindow::OnSocketReceive(WPARAM, LPARAM lParam) {
    // Only the bytes are queued here; reading (and deciphering) the packet is the receiver's work.
    if (!inbound_.Push(reinterpret_cast<uint8_t*>(lParam)) && socket_.HasSocket()) {
        char line[160];
        std::snprintf(line, sizeof line,
                      "Remocon rc: the teacher left more than %zu bytes waiting (%zu frames): connection "
                      "ended\n",
                      kInboundQueueBound, inbound_.Count());
        Trace(line);
        socket_.Close();  // tells this window, which ends remote control as for a lost connection
    }
    if (closing_.load()) Teardown();
    return 1;
}

LRESULT ControlChannelWindow::OnSocketClose(WPARAM, LPARAM) {
    Trace("Remocon rc: connection lost\n");
    ::InvalidateRect(panel_, nullptr, FALSE);
    HWND view = view_.load();
    if (view && ::IsWindow(view)) ::PostMessageW(view, WM_CLOSE, 0, 0);
    if (panel_) ::PostMessageW(panel_, WM_RC_CONNECTION_LOST, kCrossThreadCheck, -1);
    return 1;
}

LRESULT ControlChannelWindow::OnEndAsLost(WPARAM wParam, LPARAM) {
    if (wParam != kCrossThreadCheck || !socket_.HasSocket()) return 0;
    Trace("Remocon rc: out of memory for a received frame: connection ended\n");
    socket_.Close();  // tells this window, which ends remote control as for a lost connection
    return 1;
}

LRESULT ControlChannelWindow::OnFlushInput(WPARAM, LPARAM) {
    FlushInput();
    return 1;
}

void ControlChannelWindow::FlushInput() {
    // Nothing leaves the queues while no socket could carry it.
    if (!socket_.HasSocket()) return;
    for (auto& packet : input_.Flush()) {
        if (closing_.load()) continue;
        if (packet->Type() == kPacketPointerEvents) {
            char line[96];
            std::snprintf(line, sizeof line, "Remocon rc: pointer packet queued us=%lld\n",
                          static_cast<long long>(MonotonicMicroseconds()));
            Trace(line);
        }
        outbound_.push_back(std::move(packet));
    }
}

void ControlChannelWindow::SendOutbound() {
    while (!outbound_.empty()) {
        auto packet = std::move(outbound_.front());
        outbound_.pop_front();
        if (!socket_.HasSocket()) {
            SendOrDrop(*packet, "input packet");
            continue;
        }
        packet->Write(socket_);
        if (packet->Type() == kPacketPointerEvents) {
            char line[96];
            std::snprintf(line, sizeof line, "Remocon rc: pointer packet sent us=%lld records=%zu\n",
                          static_cast<long long>(MonotonicMicroseconds()), packet->PointerEvents().size());
            Trace(line);
        }
    }
}

LRESULT ControlChannelWindow::OnFrameShown(WPARAM, LPARAM lParam) {
    SendText(std::u16string(kTagImageShown) + DecimalText(static_cast<int32_t>(lParam)));
    return 1;
}

LRESULT ControlChannelWindow::OnImeToggle(WPARAM, LPARAM) {
    SendText(kTagInputModeSwitch);
    return 1;
}

LRESULT ControlChannelWindow::OnChar(WPARAM wParam, LPARAM) {
    SendText(std::u16string(kTagTypedCharacter) + DecimalText(static_cast<long long>(wParam)));
    return 1;
}

LRESULT ControlChannelWindow::OnTimer(WPARAM wParam, LPARAM) {
    if (wParam == kSendTimer) {
        StopTimer(kSendTimer);
        SendOutbound();
        if (!closing_.load()) StartTimer(kSendTimer, kSendMilliseconds);
    } else if (wParam == kKeepAliveTimer) {
        SendText(kTagKeepAlive);
    }
    return 0;
}

LRESULT ControlChannelWindow::OnDisplayChange(WPARAM, LPARAM lParam) {
    // The message carries the new resolution; the system metrics may still lag behind it.
    int width = LOWORD(lParam);
    int height = HIWORD(lParam);
    if (width == 0 || height == 0) {
        width = ::GetSystemMetrics(SM_CXSCREEN);
        height = ::GetSystemMetrics(SM_CYSCREEN);
    }
    SendText(std::u16string(kTagPadScreenSize) + DecimalText(width) + u"," + DecimalText(height));
    // The teacher answers with its own screen size ("[RH00001]"), on whose grid its next frames come;
    // the picture is remade then, not on the pad's size.
    return Default();
}

LRESULT ControlChannelWindow::OnClose(WPARAM, LPARAM) {
    StopTimer(kSendTimer);
    // Input already queued (the key-ups of keys still held among it) goes out before the close, so
    // that nothing stays pressed on the teacher PC.
    FlushInput();
    SendOutbound();
    if (!closing_.load()) SendText(kTagRemoteControlEnd);
    closing_.store(true);
    Teardown();
    return 0;
}

void ControlChannelWindow::Teardown() {
    if (tornDown_) return;
    tornDown_ = true;
    run_.store(false);
    closing_.store(true);
    StopTimer(kSendTimer);
    StopTimer(kKeepAliveTimer);
    // The receiver may be sending us a frame acknowledgement: keep answering while it ends.
    receiver_.RequestStop();
    pump_.RequestStop();
    JoinPumping(receiver_);
    JoinPumping(pump_);

    // What the panel offered goes out on this connection still; from here on the panel keeps what it
    // sends until the connection is back with it.
    for (auto& packet : outbox_.Close()) SendOrDrop(*packet, "offered packet");
    SendOutbound();

    bool handedBack = false;
    for (int attempt = 0; attempt < kHandBackTries && !handedBack; ++attempt) {
        if (socket_.HasSocket()) {
            SOCKET handle = socket_.Detach();
            if (panel_ && ::IsWindow(panel_)) {
                HandOverUnhandledFrames(UnhandledFrames::kToPanel);
                record_.socketHolder.AdoptBuffers(socket_);
                ::SendMessageW(panel_, WM_RC_SOCKET_RETURN, reinterpret_cast<WPARAM>(&record_),
                               static_cast<LPARAM>(handle));
                Trace("Remocon rc: socket handed back\n");
            } else {
                ::closesocket(handle);
            }
            handedBack = true;
        } else {
            PumpWait(kHandBackWaitMilliseconds, PumpMode::kOneMessagePerStep);
        }
    }
    if (!handedBack) Trace("Remocon rc: no socket to hand back\n");
    // Nothing is left to carry what is still here: freed, and counted in the trace.
    HandOverUnhandledFrames(UnhandledFrames::kFree);
    ::PostQuitMessage(0);
    ::DestroyWindow(Handle());
}

void ControlChannelWindow::HandOverUnhandledFrames(UnhandledFrames what) {
    HWND panel = what == UnhandledFrames::kToPanel && panel_ && ::IsWindow(panel_) ? panel_ : nullptr;
    int handed = 0, freed = 0;
    auto handOver = [&](uint8_t* frame) {
        // The panel's dispatcher reads texts (switch states, keep-alive answers, the teacher's own
        // end) as from its own socket; it frees every frame.
        if (panel && ::PostMessageW(panel, WM_SOCKET_RECEIVE, 0, reinterpret_cast<LPARAM>(frame))) {
            ++handed;
        } else {
            FreeFrameBlock(frame);
            ++freed;
        }
    };
    while (uint8_t* frame = inbound_.Take()) handOver(frame);
    MSG message;
    while (::PeekMessageW(&message, Handle(), WM_SOCKET_RECEIVE, WM_SOCKET_RECEIVE, PM_REMOVE)) {
        // The quit message comes out of any filtered look at the queue: it is put back for the loop.
        if (message.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        handOver(reinterpret_cast<uint8_t*>(message.lParam));
    }
    if (handed + freed > 0) {
        char line[120];
        std::snprintf(line, sizeof line,
                      "Remocon rc: unhandled frames at the end: %d to the panel, %d freed\n", handed, freed);
        Trace(line);
    }
}

// ---- ControlThread ----

ControlThread::ControlThread(RemoteHostRecord& record, HWND panel, SOCKET handle)
    : record_(record), panel_(panel), handle_(handle) {}

ControlThread::~ControlThread() {
    CloseAndJoin();
}

void ControlThread::LinkView(HWND view) {
    pendingView_.store(view);
}

bool ControlThread::PostPacket(std::unique_ptr<Packet>& packet) {
    if (!outbox_.Offer(packet)) return false;
    // Should the wake-up not arrive, the packet goes out at the teardown at the latest.
    PostToThread(WM_RC_OUTBOX_WAKE, 0, reinterpret_cast<LPARAM>(panel_));
    return true;
}

std::deque<std::unique_ptr<Packet>> ControlThread::TakeUnsent() {
    std::lock_guard lock(unsentLock_);
    return std::exchange(unsent_, {});
}

void ControlThread::KeepUnsent() {
    auto left = outbox_.Close();
    std::lock_guard lock(unsentLock_);
    for (auto& packet : left) unsent_.push_back(std::move(packet));
}

bool ControlThread::OnThreadMessage(const MSG& message) {
    if (message.message == WM_RC_OUTBOX_WAKE && comm_ && ::IsWindow(comm_->Handle())) comm_->SendOffered();
    return true;  // the outbox's wake-up; nothing else is posted here
}

void ControlThread::Run() {
    auto ended = [this] {
        if (panel_) ::PostMessageW(panel_, WM_RC_THREAD_ENDED, kCrossThreadCheck, 0);
    };
    if (!StartSocketLibrary()) {
        ::MessageBoxW(nullptr, LoadResourceString(IDS_SOCKETS_FAILED).c_str(), nullptr, MB_OK);
        KeepUnsent();
        ended();
        return;
    }
    FineTimerResolution fineTimers;
    {
        ControlChannelWindow comm(record_, panel_, input_, outbox_);
        if (!comm.CreateAndAttach(handle_)) {
            KeepUnsent();
            ended();
            return;
        }
        taken_.store(true);
        MarkReady(comm.Handle());
        WaitForGo();
        comm.SetViewWindow(pendingView_.load());
        comm.StartChannel();
        comm_ = &comm;
        RunLoop();
        comm_ = nullptr;
    }
    KeepUnsent();
    Trace("Remocon rc: control thread ends\n");
    ended();
}

}  // namespace tesmora
