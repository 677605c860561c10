// TeacherSession: the remote's side of the two-hop connection (login server, then teacher program)
// and the routing of every inbound text. It decides; the panel (SessionHost) acts. Driven by the
// panel's events: the login step's answer, inbound texts, connect results, closes and timer ticks.
// UI thread only, except the upload's flow-control numbers (see UploadFlow).
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "session/monitor_list.h"
#include "session/remote_host_state.h"
#include "session/session_host.h"
#include "session/upload_flow.h"

namespace tesmora {

class TeacherSession {
public:
    explicit TeacherSession(SessionHost& host) : host_(host) {}
    TeacherSession(const TeacherSession&) = delete;
    TeacherSession& operator=(const TeacherSession&) = delete;

    // The login step's answer at start-up: the teacher ID goes to the profile, then the login
    // connection starts. False when the step did not end with OK (the program ends).
    bool Start(const LoginStepResult& login);

    // Connection and handshake.
    bool ConnectLoginServer();
    void OnLoginReply(std::u16string_view payload);
    void OnTeacherAddress(std::u16string_view payload);
    void ConnectTeacher();
    void OnTeacherAccepted();
    void OnTeacherRefused(std::u16string_view payload);
    void Disconnect(std::u16string_view reason);
    bool IsTeacherNewer() const;

    // Events of the connections and timers.
    // Routes an inbound text by its tag, whichever connection brought it.
    void OnText(std::u16string_view text);
    void OnConnectResult(int error);
    void OnSocketClose(Connection connection);
    void OnTimer(SessionTimer timer);
    // "[RH00005]" forwarded from the remote-control channel, with the size of the teacher's screen
    // image as the remote holds it now: the monitors are cut to it.
    void OnMonitorList(std::u16string_view payload, int32_t screenWidth, int32_t screenHeight);
    // "[RH10002]" seen on the remote-control channel.
    void OnTeacherAlive();

    const RemoteHostState& RemoteHost() const { return remoteHost_; }
    RemoteHostState& RemoteHost() { return remoteHost_; }
    // The screen upload's frame numbers; "[RH00002]" acknowledges frames of it.
    UploadFlow& Upload() { return upload_; }
    const UploadFlow& Upload() const { return upload_; }
    const std::vector<MonitorRect>& Monitors() const { return monitors_; }
    int CurrentMonitor() const { return currentMonitor_; }
    void SetCurrentMonitor(int index) { currentMonitor_ = index; }
    bool WindowShown() const { return windowShown_; }

private:
    void OnScreenSize(std::u16string_view payload);
    void OnKeepAliveTick();
    void ShowString(int stringId);

    SessionHost& host_;
    std::u16string teacherId_;
    std::u16string relayAddress_;
    std::u16string relayPort_;
    std::u16string loginLocalAddress_;
    std::u16string loginLocalPort_;
    std::vector<std::u16string> teacherAddressFields_;
    std::u16string teacherHost_;
    std::u16string teacherPort_;
    bool loginStarted_ = false;
    bool teacherAccepted_ = false;
    bool windowShown_ = false;
    bool ending_ = false;  // the program is ending: the first ending's message is the only one shown
    bool reconnectingTeacher_ = false;
    RemoteHostState remoteHost_;
    UploadFlow upload_;
    std::vector<MonitorRect> monitors_;
    int currentMonitor_ = 0;
};

}  // namespace tesmora
