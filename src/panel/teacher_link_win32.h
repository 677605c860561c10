// TeacherLink: the panel's two connections (login server, teacher program) and the teacher
// session that runs over them, as its SessionHost: sockets, the session's timers, the loading
// dialog, message boxes, the login step and the clock. The sockets and timers belong to the panel's
// window, which forwards their notifications here; what concerns the window itself (showing,
// closing, its buttons, the teacher-screen image) the link asks of the panel through its PanelHost.
// UI thread only.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "common/widgets/loading_dialog_win32.h"
#include "session/session_host.h"
#include "session/teacher_session.h"
#include "transport/frame_socket_win32.h"

namespace tesmora {

class PanelHost;

class TeacherLink : private SessionHost {
public:
    explicit TeacherLink(PanelHost& panel);
    TeacherLink(const TeacherLink&) = delete;
    TeacherLink& operator=(const TeacherLink&) = delete;

    TeacherSession& Session() { return session_; }
    const TeacherSession& Session() const { return session_; }
    // The teacher connection's socket, for writing frames (the upload) and for the hand-over to
    // remote control.
    FrameSocket& TeacherSocket() { return teacherSocket_; }

    // Runs the login step with the teacher ID filled in and starts the session; false (the quit
    // message posted) when the step was not confirmed.
    bool StartSession(const std::u16string& teacherId) { return session_.Start(RunLoginStep(teacherId)); }
    // Writes a text packet to the teacher program while its connection is open.
    void SendToTeacher(std::u16string_view text) { SendText(Connection::kTeacher, text); }
    // The custom message box over the panel (a box already open refuses a second one).
    void ShowMessage(std::u16string_view text) override;
    std::u16string LoadString(int stringId) override;

    // The panel's window forwards these.
    LRESULT OnSocketConnect(WPARAM wParam, LPARAM lParam);
    LRESULT OnSocketReceive(WPARAM wParam, LPARAM lParam);
    LRESULT OnSocketClose(WPARAM wParam, LPARAM lParam);
    LRESULT OnMonitorList(WPARAM wParam, LPARAM lParam);
    // The panel is being destroyed: the loading dialog goes with it.
    void OnPanelDestroyed();

private:
    // SessionHost.
    bool OpenLoginConnection(const std::u16string& host, uint16_t port, std::u16string& localPort) override;
    bool OpenTeacherConnection(const std::u16string& host, uint16_t port) override;
    bool IsOpen(Connection connection) const override;
    void CloseConnection(Connection connection) override;
    void SendText(Connection connection, std::u16string_view text) override;
    std::u16string LocalAddress() override;
    void StartTimer(SessionTimer timer, unsigned milliseconds) override;
    void StopTimer(SessionTimer timer) override;
    void ShowLoading(int stringId) override;
    void HideLoading() override;
    void PumpMessages(unsigned milliseconds) override;
    std::u16string Language() override;
    LoginStepResult RunLoginStep(const std::u16string& teacherId) override;
    void WriteProfileTeacherId(const std::u16string& teacherId) override;
    void ShowPanel() override;
    void ClosePanel() override;
    void Quit() override;
    uint32_t TickCount() override;
    int ScreenWidth() override;
    int ScreenHeight() override;
    void EnsureScreenImage(int width, int height) override;
    void OnPadTouchState(bool on) override;
    void OnScreenShareState(bool on) override;
    void OnMonitorsChanged(int monitorIndex) override;

    FrameSocket& SocketOf(Connection connection);
    const FrameSocket& SocketOf(Connection connection) const;
    HWND Window() const;

    PanelHost& panel_;
    TeacherSession session_;
    FrameSocket loginSocket_;
    FrameSocket teacherSocket_;
    LoadingDialog loading_;
    std::wstring messageText_;
};

}  // namespace tesmora
