// The teacher link (see teacher_link_win32.h): the two frame sockets and their notifications, the
// session's timers, the loading dialog, message boxes, the login step and the clock. UI thread only.
// Winsock before windows.h.
// clang-format off
#include <winsock2.h>
#include <windows.h>
// clang-format on

#include <cwchar>
#include <new>

#include "common/platform/clock.h"
#include "common/platform/config_string_win32.h"
#include "common/ui/language_library_win32.h"
#include "common/platform/debug_print_win32.h"
#include "common/platform/local_address_win32.h"
#include "common/platform/pump_wait_win32.h"
#include "common/platform/wide_text_win32.h"
#include "common/ui/resource_module_win32.h"
#include "common/widgets/message_box_dialog_win32.h"
#include "common/window_messages.h"
#include "panel/login_step_win32.h"
#include "panel/message_trace.h"
#include "panel/panel_host.h"
#include "remote_control/remote_host_record_win32.h"
#include "panel/teacher_link_win32.h"
#include "resource.h"
#include "session/command_tag.h"
#include "transport/packet.h"

namespace tesmora {

namespace {

const wchar_t* NameOf(Connection connection) {
    return connection == Connection::kLogin ? L"login server" : L"teacher";
}

// The support log keeps what the remote said and heard by tag alone: the payloads carry the teacher
// ID, addresses and pictures' acknowledgements, which say nothing a technician needs.
std::wstring TagOf(std::u16string_view text) {
    auto command = SplitCommand(text);
    return command ? ToWide(command->tag) : std::wstring(L"(no tag)");
}

}  // namespace

TeacherLink::TeacherLink(PanelHost& panel) : panel_(panel), session_(*this) {}

HWND TeacherLink::Window() const {
    return panel_.Window();
}

void TeacherLink::OnPanelDestroyed() {
    ::KillTimer(Window(), static_cast<UINT_PTR>(SessionTimer::kTeacherConnect));
    loading_.DestroyDialog();
}

FrameSocket& TeacherLink::SocketOf(Connection connection) {
    return connection == Connection::kLogin ? loginSocket_ : teacherSocket_;
}

const FrameSocket& TeacherLink::SocketOf(Connection connection) const {
    return connection == Connection::kLogin ? loginSocket_ : teacherSocket_;
}

bool TeacherLink::OpenLoginConnection(const std::u16string& host, uint16_t port, std::u16string& localPort) {
    if (!loginSocket_.Create()) return false;
    loginSocket_.AsyncSelect(FrameSocket::kConnectionEvents);
    loginSocket_.SetOwner(Window());
    // A connect that fails at once is reported like a late failure: the login timer decides.
    loginSocket_.Connect(ToWide(host).c_str(), port);
    sockaddr_in local{};
    int length = sizeof(local);
    unsigned port16 = 0;
    if (::getsockname(loginSocket_.Handle(), reinterpret_cast<sockaddr*>(&local), &length) == 0) {
        port16 = ntohs(local.sin_port);
    }
    wchar_t text[16];
    std::swprintf(text, 16, L"%u", port16);
    localPort = ToU16(text);
    DebugPrint(L"Remocon session: connecting to the login server %s:%u from port %u\n", ToWide(host).c_str(),
               unsigned(port), port16);
    return true;
}

bool TeacherLink::OpenTeacherConnection(const std::u16string& host, uint16_t port) {
    if (!teacherSocket_.Create()) return false;
    teacherSocket_.AsyncSelect(FrameSocket::kConnectionEvents);
    teacherSocket_.SetOwner(Window());
    teacherSocket_.Connect(ToWide(host).c_str(), port);
    DebugPrint(L"Remocon session: connecting to the teacher %s:%u\n", ToWide(host).c_str(), unsigned(port));
    return true;
}

bool TeacherLink::IsOpen(Connection connection) const {
    return SocketOf(connection).HasSocket();
}

void TeacherLink::CloseConnection(Connection connection) {
    FrameSocket& socket = SocketOf(connection);
    if (!socket.HasSocket()) return;
    DebugPrint(L"Remocon session: closing the %s connection\n", NameOf(connection));
    ::shutdown(socket.Handle(), SD_BOTH);
    socket.Close();  // tells the panel at once (WM_SOCKET_CLOSE)
}

void TeacherLink::SendText(Connection connection, std::u16string_view text) {
    FrameSocket& socket = SocketOf(connection);
    if (!socket.HasSocket()) return;
    DebugPrint(L"Remocon session: to the %s %s\n", NameOf(connection), TagOf(text).c_str());
    Packet packet(text);
    packet.Write(socket);
}

std::u16string TeacherLink::LocalAddress() {
    return ToU16(ChooseLocalAddress());
}

void TeacherLink::StartTimer(SessionTimer timer, unsigned milliseconds) {
    ::SetTimer(Window(), static_cast<UINT_PTR>(timer), milliseconds, nullptr);
}

void TeacherLink::StopTimer(SessionTimer timer) {
    ::KillTimer(Window(), static_cast<UINT_PTR>(timer));
}

void TeacherLink::ShowLoading(int stringId) {
    loading_.ShowProgress(Window(), LoadResourceString(stringId));
}

void TeacherLink::HideLoading() {
    loading_.HideProgress();
}

void TeacherLink::PumpMessages(unsigned milliseconds) {
    PumpWait(milliseconds, PumpMode::kDrainEachStep);
}

void TeacherLink::ShowMessage(std::u16string_view text) {
    // A box already open refuses a second one: the trace says whether the user saw the text.
    const MessageFate fate = IsCustomMessageOpen() ? MessageFate::kDropped : MessageFate::kShown;
    DebugPrintUtf8(MessageTraceLine(text, fate).c_str(), MessageLogLine(text, fate));
    messageText_ = ToWide(text);
    ShowCustomMessage(messageText_.c_str(), nullptr, kMsgBoxTypeOk, Window());
    messageText_.clear();
}

std::u16string TeacherLink::LoadString(int stringId) {
    return ToU16(LoadResourceString(static_cast<UINT>(stringId)));
}

std::u16string TeacherLink::Language() {
    return ToU16(LanguageCode());
}

LoginStepResult TeacherLink::RunLoginStep(const std::u16string& teacherId) {
    LoginStepResult result = RunLoginDialog(Window(), teacherId);
    if (result.ok) {
        DebugPrint(L"Remocon login: teacher ID %s, login server %s:%s\n", ToWide(result.teacherId).c_str(),
                   ToWide(result.relayAddress).c_str(), ToWide(result.relayPort).c_str());
    } else {
        DebugPrint(L"Remocon login: closed without a login\n");
    }
    return result;
}

void TeacherLink::WriteProfileTeacherId(const std::u16string& teacherId) {
    WriteProfileString(L"config", L"teacherid", ToWide(teacherId));
}

void TeacherLink::ShowPanel() {
    panel_.ShowAtTop();
}

void TeacherLink::ClosePanel() {
    ::PostMessageW(Window(), WM_CLOSE, 0, 0);
}

void TeacherLink::Quit() {
    ::PostQuitMessage(0);
}

uint32_t TeacherLink::TickCount() {
    // The session takes 32-bit differences, which stay right across this truncation's wrap.
    return static_cast<uint32_t>(MonotonicMilliseconds());
}

int TeacherLink::ScreenWidth() {
    return ::GetSystemMetrics(SM_CXSCREEN);
}

int TeacherLink::ScreenHeight() {
    return ::GetSystemMetrics(SM_CYSCREEN);
}

void TeacherLink::EnsureScreenImage(int width, int height) {
    // The receiver thread does not run while the panel holds the connection: no lock needed.
    panel_.RemoteHost().EnsureScreenImage(width, height);
}

void TeacherLink::OnPadTouchState(bool on) {
    panel_.SetButtonCheck(IDC_BTN_TOUCH, on);
}

void TeacherLink::OnScreenShareState(bool on) {
    panel_.SetButtonCheck(IDC_BTN_SHARE, on);
}

void TeacherLink::OnMonitorsChanged(int monitorIndex) {
    panel_.SelectMonitorInView(monitorIndex);
}

LRESULT TeacherLink::OnSocketConnect(WPARAM wParam, LPARAM lParam) {
    int error = static_cast<int>(lParam);
    auto* socket = reinterpret_cast<FrameSocket*>(wParam);
    const Connection connection = socket == &loginSocket_ ? Connection::kLogin : Connection::kTeacher;
    DebugPrint(L"Remocon session: %s connect result %d\n", NameOf(connection), error);
    session_.OnConnectResult(error);
    return error;
}

LRESULT TeacherLink::OnSocketReceive(WPARAM wParam, LPARAM lParam) {
    try {
        Packet packet;
        packet.Read(reinterpret_cast<uint8_t*>(lParam));  // frees the block, also when it throws
        if (packet.Type() != kPacketText) return 0;
        const std::wstring tag = TagOf(packet.Text());
        // Every frame of an upload is acknowledged: the frame's own trace already stands for it.
        if (tag != ToWide(kTagImageAcknowledged)) {
            const bool login = reinterpret_cast<FrameSocket*>(wParam) == &loginSocket_;
            DebugPrint(L"Remocon session: from the %s %s\n",
                       NameOf(login ? Connection::kLogin : Connection::kTeacher), tag.c_str());
        }
        session_.OnText(packet.Text());
    } catch (const std::bad_alloc&) {
        // The peer sized a frame (up to 32 MiB of text) past the memory left: its connection ends as a
        // lost one does, and the program with its message, not with a crash.
        DebugPrintUtf8("Remocon panel: out of memory for a received frame; the connection ends\n");
        const auto* socket = reinterpret_cast<const FrameSocket*>(wParam);
        CloseConnection(socket == &loginSocket_ ? Connection::kLogin : Connection::kTeacher);
    }
    return 1;
}

LRESULT TeacherLink::OnSocketClose(WPARAM wParam, LPARAM) {
    auto* socket = reinterpret_cast<FrameSocket*>(wParam);
    DebugPrint(L"Remocon session: the %s connection closed\n", socket == &teacherSocket_ ? L"teacher"
                                                               : socket == &loginSocket_ ? L"login server"
                                                                                         : L"old");
    if (socket == &teacherSocket_) {
        session_.OnSocketClose(Connection::kTeacher);
    } else if (socket == &loginSocket_) {
        session_.OnSocketClose(Connection::kLogin);
    }
    return 1;
}

LRESULT TeacherLink::OnMonitorList(WPARAM wParam, LPARAM lParam) {
    if (wParam != kCrossThreadCheck || !lParam) return 1;
    // The monitors are cut to the screen image as it is now; the receiver and a display change
    // replace it only under the image lock.
    RemoteHostRecord& record = panel_.RemoteHost();
    record.LockImage();
    DibSurface& image = record.ScreenImage();
    const int width = image.Bits() ? image.Width() : 0;
    const int height = image.Bits() ? image.Height() : 0;
    record.UnlockImage();
    session_.OnMonitorList(*reinterpret_cast<const std::u16string*>(lParam), width, height);
    return 1;
}

}  // namespace tesmora
