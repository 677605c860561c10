// SessionHost: what the teacher session asks of the control panel that runs it: the two
// connections, the panel's timers, the loading dialog, message boxes, the login step and the
// teacher-screen record. The panel implements it with its sockets and windows; tests implement it
// with a recording fake. UI thread only.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tesmora {

enum class Connection { kLogin, kTeacher };

// The session's timers, by their fixed ids among the panel window's timers.
enum class SessionTimer : unsigned {
    kKeepAlive = 3,
    kTeacherConnect = 6,
    kLoginServer = 7,
};

struct LoginStepResult {
    bool ok = false;
    std::u16string teacherId;     // trimmed
    std::u16string relayAddress;  // as stored in setting.ini by the lookup
    std::u16string relayPort;
};

class SessionHost {
public:
    virtual ~SessionHost() = default;

    // Creates the login socket, narrows its events, makes the panel its owner and starts the connect
    // to `port` (1..65535, never 0: the session decides what is a port); answers the socket's local
    // port as decimal text. False when the socket cannot be created.
    virtual bool OpenLoginConnection(const std::u16string& host, uint16_t port,
                                     std::u16string& localPort) = 0;
    // The same for the teacher socket (no local port wanted).
    virtual bool OpenTeacherConnection(const std::u16string& host, uint16_t port) = 0;
    virtual bool IsOpen(Connection connection) const = 0;
    // Shuts the connection down both ways and closes it; a teacher close comes back as
    // OnSocketClose.
    virtual void CloseConnection(Connection connection) = 0;
    // Writes a text packet, only while the connection is open.
    virtual void SendText(Connection connection, std::u16string_view text) = 0;
    // The pad's address for the login server, from its network adapters.
    virtual std::u16string LocalAddress() = 0;

    virtual void StartTimer(SessionTimer timer, unsigned milliseconds) = 0;
    virtual void StopTimer(SessionTimer timer) = 0;

    virtual void ShowLoading(int stringId) = 0;
    virtual void HideLoading() = 0;
    // Lets pending window messages be handled for up to `milliseconds`.
    virtual void PumpMessages(unsigned milliseconds) = 0;
    // The custom message box; returns when the user has answered (or at once while another is open).
    virtual void ShowMessage(std::u16string_view text) = 0;
    virtual std::u16string LoadString(int stringId) = 0;
    // The user-interface language code: "Kor", "Eng", "Japan".
    virtual std::u16string Language() = 0;

    // Runs the login dialog with the teacher ID filled in.
    virtual LoginStepResult RunLoginStep(const std::u16string& teacherId) = 0;
    virtual void WriteProfileTeacherId(const std::u16string& teacherId) = 0;

    virtual void ShowPanel() = 0;
    virtual void ClosePanel() = 0;  // the panel closes (WM_CLOSE)
    virtual void Quit() = 0;        // the program ends (WM_QUIT)

    // Milliseconds from a clock that only moves forward (not the date and time of day, which the
    // user, daylight saving and time synchronisation may move). It wraps after about 49.7 days, so
    // only differences taken as unsigned 32-bit values mean anything.
    virtual uint32_t TickCount() = 0;

    // The pad's own primary screen.
    virtual int ScreenWidth() = 0;
    virtual int ScreenHeight() = 0;
    // Makes the teacher-screen image exist at this size (recreated only when the size differs).
    virtual void EnsureScreenImage(int width, int height) = 0;
    // The teacher PC reports whether the pads take touch, and whether its screen is on every pad.
    virtual void OnPadTouchState(bool on) = 0;
    virtual void OnScreenShareState(bool on) = 0;
    // The teacher's monitor list changed; `monitorIndex` is the monitor to show now.
    virtual void OnMonitorsChanged(int monitorIndex) = 0;
};

}  // namespace tesmora
