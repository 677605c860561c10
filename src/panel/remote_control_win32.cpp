// The panel's remote control (see remote_control_win32.h). UI thread only.
// clang-format off
#include <winsock2.h>
#include <windows.h>
// clang-format on
#include <shellapi.h>
#include <shlobj.h>

#include "panel/remote_control_win32.h"

#include <cstdio>
#include <string>

#include "common/platform/debug_print_win32.h"
#include "common/window_messages.h"
#include "panel/panel_host.h"
#include "remote_control/remote_host_record_win32.h"
#include "resource.h"
#include "session/teacher_session.h"
#include "transport/frame_socket_win32.h"

namespace tesmora {

namespace {

constexpr unsigned kCoolDownMilliseconds = 2000;
constexpr unsigned kKeyboardRestartMilliseconds = 500;
constexpr unsigned kReadyPollMilliseconds = 10;

void Trace(const char* what) {
    TraceStep("rc", what);
}

}  // namespace

RemoteControl::RemoteControl(PanelHost& panel) : panel_(panel) {}

RemoteControl::~RemoteControl() {
    if (view_) view_->RequestClose();
    view_.reset();     // closes the channel through the view, then joins
    control_.reset();  // then the control thread, which has ended or ends now
    panel_.RemoteHost().viewThread = nullptr;
    panel_.RemoteHost().controlThread = nullptr;
}

bool RemoteControl::SendText(std::u16string_view text) {
    return SendPacket(std::make_unique<Packet>(text));
}

bool RemoteControl::SendPacket(std::unique_ptr<Packet> packet) {
    // The channel takes it while it holds the connection; once it has closed its outbox the packet
    // stays here.
    if (control_ && control_->PostPacket(packet)) return true;
    return SendOnPanel(std::move(packet));
}

bool RemoteControl::SendOnPanel(std::unique_ptr<Packet> packet) {
    if (panel_.TeacherSocket().HasSocket()) {
        SendWaiting();
        packet->Write(panel_.TeacherSocket());
        return true;
    }
    if (control_) {
        waiting_.push_back(std::move(packet));  // the channel is ending: the socket comes back
        return true;
    }
    char line[96];
    std::snprintf(line, sizeof line, "Remocon rc: packet of type %u dropped: no connection\n",
                  unsigned(packet->Type()));
    DebugPrintUtf8(line);
    return false;
}

void RemoteControl::SendWaiting() {
    FrameSocket& teacher = panel_.TeacherSocket();
    while (!waiting_.empty() && teacher.HasSocket()) {
        waiting_.front()->Write(teacher);
        waiting_.pop_front();
    }
}

void RemoteControl::OnRemoteButton() {
    if (panel_.Uploading()) {
        panel_.ShowMessage(panel_.LoadString(IDS_RC_WHILE_UPLOAD) + u"\n" +
                           panel_.LoadString(IDS_STOP_UPLOAD_FIRST));
        return;
    }
    if (running_) {
        Stop();
    } else {
        if (!panel_.TeacherSocket().HasSocket()) {
            panel_.ShowMessage(panel_.LoadString(IDS_TEACHER_DISCONNECTED));
            return;
        }
        Start();
    }
    CoolDown();
}

void RemoteControl::Start() {
    Trace("starting");
    ReapEnded();
    if (control_ || view_) {
        Trace(view_ && !view_->Ended() ? "waiting for the last view to end"
                                       : "waiting for the last channel to end");
        // The last channel has not ended yet (its threads said nothing so far): wait for it here,
        // serving what it sends, rather than run two channels on one socket.
        if (view_) view_->JoinServing();
        if (control_) control_->JoinServing();
        view_.reset();
        control_.reset();
    }
    RemoteHostRecord& record = panel_.RemoteHost();
    HWND panel = panel_.Window();
    FrameSocket& teacher = panel_.TeacherSocket();
    SOCKET handle = teacher.Detach();
    record.socketHolder.AdoptBuffers(teacher);
    control_ = std::make_unique<ControlThread>(record, panel, handle);
    view_ = std::make_unique<ViewThread>(record, panel);
    record.controlThread = control_.get();
    record.viewThread = view_.get();
    bool controlStarted = control_->Start();
    bool viewStarted = view_->Start();

    // Both windows are made within milliseconds; a thread that ends instead says it cannot run.
    auto settled = [](bool started, auto& thread) { return !started || thread->Ready() || thread->Ended(); };
    while (!settled(controlStarted, control_) || !settled(viewStarted, view_))
        ::Sleep(kReadyPollMilliseconds);

    if (!control_->Ready() || !view_->Ready()) {
        Trace("start failed");
        if (control_->Ready()) {
            control_->Go();
            control_->RequestClose();  // its close hands the socket back
        } else if (SOCKET untaken = control_->UntakenSocket(); untaken != INVALID_SOCKET) {
            teacher.AdoptBuffers(record.socketHolder);
            teacher.Attach(untaken, AsyncSocket::kAllEvents);
        }
        if (view_->Ready()) {
            view_->Go();
            view_->RequestClose();
        }
        record.viewThread = nullptr;
        record.controlThread = nullptr;
        return;
    }
    view_->Link(control_->CommunicationWindow(), &control_->Input());
    control_->LinkView(view_->ViewWindow());
    view_->Go();
    control_->Go();
    running_ = true;
    Trace("start");

    panel_.SetButtonCheck(IDC_BTN_REMOTE, true);
    if (dropToTouchMode_) dropToTouchMode_();
    panel_.SetPanelMode(PanelMode::kRemoteControl);
    SelectMonitor(panel_.Session().CurrentMonitor());
}

void RemoteControl::Stop() {
    if (view_) view_->RequestClose();
    running_ = false;
    panel_.RemoteHost().viewThread = nullptr;
    panel_.RemoteHost().controlThread = nullptr;
    panel_.SetButtonCheck(IDC_BTN_REMOTE, false);
    panel_.SetPanelMode(PanelMode::kConnected);
    Trace("stop");
}

void RemoteControl::StopForClose() {
    if (running_) Stop();
}

void RemoteControl::CoolDown() {
    panel_.EnableButton(IDC_BTN_REMOTE, false);
    ::SetTimer(panel_.Window(), kCoolDownTimer, kCoolDownMilliseconds, nullptr);
    panel_.RepaintButton(IDC_BTN_MONITOR);
}

bool RemoteControl::OnTimer(UINT_PTR timer) {
    if (timer == kCoolDownTimer) {
        ::KillTimer(panel_.Window(), kCoolDownTimer);
        panel_.EnableButton(IDC_BTN_REMOTE, true);
        return true;
    }
    if (timer == kKeyboardTimer) {
        ::KillTimer(panel_.Window(), kKeyboardTimer);
        ::ShellExecuteW(panel_.Window(), L"open", keyboardPath_.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
        Trace("keyboard opened");
        return true;
    }
    return false;
}

void RemoteControl::OnKeyboardButton() {
    if (!running_) {
        panel_.ShowMessage(panel_.LoadString(IDS_ONLY_IN_RC));
        return;
    }
    OpenKeyboard();
}

void RemoteControl::OpenKeyboard() {
    wchar_t programFiles[MAX_PATH] = {};
    ::SHGetSpecialFolderPathW(nullptr, programFiles, CSIDL_PROGRAM_FILES, FALSE);
    std::wstring path = std::wstring(programFiles) + L"\\Common Files\\microsoft shared\\ink\\TabTip.exe";
    // A 32-bit program is given the 32-bit folder; the keyboard lives in the 64-bit one.
    for (size_t at; (at = path.find(L" (x86)")) != std::wstring::npos;) path.erase(at, 6);
    if (::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
        // Restarted, so that it comes up even when it already ran hidden.
        ::ShellExecuteW(panel_.Window(), L"open", L"taskkill", L"/F /IM TabTip.exe", nullptr, SW_HIDE);
        keyboardPath_ = path;
        ::SetTimer(panel_.Window(), kKeyboardTimer, kKeyboardRestartMilliseconds, nullptr);
        Trace("keyboard restarting");
        return;
    }
    using RedirectionSwitch = BOOL(WINAPI*)(PVOID*);
    HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    auto disable = reinterpret_cast<RedirectionSwitch>(
        reinterpret_cast<void*>(::GetProcAddress(kernel, "Wow64DisableWow64FsRedirection")));
    auto revert = reinterpret_cast<BOOL(WINAPI*)(PVOID)>(
        reinterpret_cast<void*>(::GetProcAddress(kernel, "Wow64RevertWow64FsRedirection")));
    PVOID old = nullptr;
    bool disabled = disable && disable(&old);
    ::ShellExecuteW(panel_.Window(), L"open", L"tabtip.exe", nullptr, nullptr, SW_SHOWNORMAL);
    if (disabled && revert) revert(old);
    Trace("keyboard opened from the search path");
}

void RemoteControl::OnMonitorButton() {
    const auto& monitors = panel_.Session().Monitors();
    if (monitors.empty()) return;
    const int next = (panel_.Session().CurrentMonitor() + 1) % static_cast<int>(monitors.size());
    panel_.Session().SetCurrentMonitor(next);
    if (running_) SelectMonitor(next);
    panel_.RepaintButton(IDC_BTN_MONITOR);
}

void RemoteControl::SelectMonitor(int index) {
    if (!running_ || !view_) return;
    HWND view = view_->ViewWindow();
    if (!view || !::IsWindow(view)) return;
    view_->SetMonitors(panel_.Session().Monitors());
    ::PostMessageW(view, WM_RC_SELECT_MONITOR, kCrossThreadCheck, index);
}

LRESULT RemoteControl::OnSocketReturn(WPARAM wParam, LPARAM lParam) {
    auto* record = reinterpret_cast<RemoteHostRecord*>(wParam);
    FrameSocket& teacher = panel_.TeacherSocket();
    if (record) teacher.AdoptBuffers(record->socketHolder);
    teacher.Attach(static_cast<SOCKET>(lParam), AsyncSocket::kAllEvents);
    Trace("socket back");
    if (!waiting_.empty()) {
        char line[96];
        std::snprintf(line, sizeof line, "Remocon rc: %zu packets kept during the hand-back sent\n",
                      waiting_.size());
        DebugPrintUtf8(line);
    }
    SendWaiting();
    return 1;
}

LRESULT RemoteControl::OnThreadEnded(WPARAM wParam, LPARAM) {
    if (wParam != kCrossThreadCheck) return 0;
    ReapEnded();
    return 1;
}

void RemoteControl::ReapEnded() {
    // The view ends after the channel it closes; once it has, remote control is off.
    if (view_ && view_->Ended()) {
        view_->JoinServing();
        view_.reset();
        if (running_) {  // the view closed by itself (the connection dropped)
            running_ = false;
            panel_.SetButtonCheck(IDC_BTN_REMOTE, false);
            panel_.SetPanelMode(PanelMode::kConnected);
        }
        panel_.RemoteHost().viewThread = nullptr;
    }
    if (control_ && control_->Ended()) {
        control_->JoinServing();
        auto unsent = control_->TakeUnsent();
        control_.reset();
        panel_.RemoteHost().controlThread = nullptr;
        for (auto& packet : unsent) SendOnPanel(std::move(packet));
        SendWaiting();
        // The channel ended and the connection never came back: nothing can carry these.
        if (!waiting_.empty()) {
            char line[96];
            std::snprintf(line, sizeof line,
                          "Remocon rc: %zu packets dropped: the connection did not come back\n",
                          waiting_.size());
            DebugPrintUtf8(line);
            waiting_.clear();
        }
    }
}

LRESULT RemoteControl::OnTeacherAlive(WPARAM wParam, LPARAM) {
    if (wParam == kCrossThreadCheck) panel_.Session().OnTeacherAlive();
    return 1;
}

}  // namespace tesmora
