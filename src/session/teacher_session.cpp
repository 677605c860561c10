// TeacherSession: login server, teacher program, keep-alive, and the routing of inbound texts.
#include "teacher_session.h"

#include "common/platform/split_string.h"
#include "common/text/port_number.h"
#include "resource.h"
#include "session/command_tag.h"
#include "session/payload_fields.h"
#include "session/server_message.h"
#include "session/version_gate.h"
#include "transport/image_frame.h"

namespace tesmora {

namespace {

constexpr unsigned kLoginServerTimeoutMs = 3000;
constexpr unsigned kTeacherConnectTimeoutMs = 3000;
constexpr unsigned kKeepAliveMs = 10000;
constexpr unsigned kLoginConnectSettleMs = 3000;
constexpr unsigned kTeacherConnectSettleMs = 2000;

std::u16string Concat(std::initializer_list<std::u16string_view> pieces) {
    std::u16string text;
    for (auto piece : pieces) text += piece;
    return text;
}

}  // namespace

bool TeacherSession::Start(const LoginStepResult& login) {
    if (!login.ok) {
        host_.Quit();
        return false;
    }
    teacherId_ = login.teacherId;
    relayAddress_ = login.relayAddress;
    relayPort_ = login.relayPort;
    host_.WriteProfileTeacherId(teacherId_);
    ConnectLoginServer();
    return true;
}

bool TeacherSession::ConnectLoginServer() {
    if (!loginStarted_) {
        host_.ShowLoading(IDS_CONNECTING_LOGIN);
        host_.PumpMessages(kLoginConnectSettleMs);
        host_.StartTimer(SessionTimer::kLoginServer, kLoginServerTimeoutMs);
        loginStarted_ = true;
    }
    if (host_.IsOpen(Connection::kLogin)) host_.CloseConnection(Connection::kLogin);
    // A port that is not a number cannot be connected to: the login timer ends the wait with its
    // message. It is (re)started here because a retry after a refused ID runs without one, and
    // would otherwise wait for ever.
    const uint16_t port = ParsePortNumber(relayPort_);
    if (port == 0) {
        host_.StartTimer(SessionTimer::kLoginServer, kLoginServerTimeoutMs);
        return false;
    }
    std::u16string localPort;
    if (!host_.OpenLoginConnection(relayAddress_, port, localPort)) return false;
    loginLocalPort_ = localPort;
    loginLocalAddress_ = host_.LocalAddress();
    return true;
}

void TeacherSession::OnLoginReply(std::u16string_view payload) {
    host_.StopTimer(SessionTimer::kLoginServer);
    host_.HideLoading();
    std::vector<std::u16string> fields = SplitPayload(payload);
    if (fields.size() != 2 && fields.size() != 6) {
        ShowString(IDS_BAD_REPLY);
        host_.ClosePanel();
        return;
    }
    if (fields[0] != u"0") {
        host_.ShowMessage(TranslateServerMessage(fields[1], host_.Language(),
                                                 [this](int id) { return host_.LoadString(id); }));
        host_.CloseConnection(Connection::kLogin);
        // The teacher corrects the ID; the retry runs without a new timeout.
        LoginStepResult again = host_.RunLoginStep(teacherId_);
        if (!again.ok) {
            host_.Quit();
            return;
        }
        teacherId_ = again.teacherId;
        relayAddress_ = again.relayAddress;
        relayPort_ = again.relayPort;
        host_.WriteProfileTeacherId(teacherId_);
        ConnectLoginServer();
        return;
    }
    host_.SendText(Connection::kLogin,
                   Concat({kTagIdentification, u"5,", teacherId_, u",", loginLocalAddress_, u",",
                           loginLocalPort_, u",", kRemoteVersion, u",1,Reserved,Reserved"}));
    // A login server that greets and then never names the teacher's address (or closes) would leave
    // a remote running with no window and nothing to end it: the same timeout guards this answer.
    host_.StartTimer(SessionTimer::kLoginServer, kLoginServerTimeoutMs);
}

void TeacherSession::OnTeacherAddress(std::u16string_view payload) {
    host_.StopTimer(SessionTimer::kLoginServer);
    std::vector<std::u16string> fields;
    if (SplitString(payload, u",", fields) != 8) {
        ShowString(IDS_BAD_REPLY);
        host_.ClosePanel();
        return;
    }
    teacherAddressFields_ = fields;
    teacherHost_ = fields[4];
    teacherPort_ = fields[5];
    ConnectTeacher();
    host_.CloseConnection(Connection::kLogin);
}

void TeacherSession::ConnectTeacher() {
    host_.ShowLoading(IDS_CONNECTING_TEACHER);
    host_.PumpMessages(kTeacherConnectSettleMs);
    host_.StartTimer(SessionTimer::kTeacherConnect, kTeacherConnectTimeoutMs);
    if (host_.IsOpen(Connection::kTeacher)) {
        // Replacing a connection is not losing it.
        reconnectingTeacher_ = true;
        host_.CloseConnection(Connection::kTeacher);
        reconnectingTeacher_ = false;
    }
    // As for the login server: without a port the connect timer's message ends the wait.
    const uint16_t port = ParsePortNumber(teacherPort_);
    if (port != 0) host_.OpenTeacherConnection(teacherHost_, port);
}

void TeacherSession::OnTeacherAccepted() {
    host_.StopTimer(SessionTimer::kTeacherConnect);
    host_.HideLoading();
    teacherAccepted_ = true;
    host_.SendText(Connection::kTeacher, Concat({kTagRemoteVersion, kRemoteVersion}));
    host_.StartTimer(SessionTimer::kKeepAlive, kKeepAliveMs);
    OnTeacherAlive();
    windowShown_ = true;
    host_.ShowPanel();
}

void TeacherSession::OnTeacherRefused(std::u16string_view payload) {
    // The teacher has answered: a connect timeout firing under the answer's message box would end
    // the program and take the box away before it can be read.
    host_.StopTimer(SessionTimer::kTeacherConnect);
    host_.HideLoading();
    std::vector<std::u16string> fields;
    if (SplitString(payload, u",", fields) != 3) {
        ShowString(IDS_BAD_REPLY);
        host_.ClosePanel();
        return;
    }
    // The teacher's own words say why; the close below must not replace them with the generic
    // "connection lost" message.
    if (ending_) return;
    ending_ = true;
    host_.CloseConnection(Connection::kTeacher);
    host_.ShowMessage(fields[1]);
    host_.Quit();
}

void TeacherSession::Disconnect(std::u16string_view /*reason*/) {
    // The close below comes back here as "CloseConn"; the user sees one message whatever the reason.
    if (ending_) return;
    ending_ = true;
    if (host_.IsOpen(Connection::kTeacher)) host_.CloseConnection(Connection::kTeacher);
    ShowString(IDS_CONNECTION_LOST);
    host_.Quit();
}

bool TeacherSession::IsTeacherNewer() const {
    return tesmora::IsTeacherNewer(remoteHost_.teacherVersion);
}

void TeacherSession::OnText(std::u16string_view text) {
    auto command = SplitCommand(text);
    if (!command) return;
    std::u16string_view tag = command->tag;
    std::u16string_view payload = command->payload;
    if (tag == kTagTeacherVersion) {
        remoteHost_.teacherVersion = payload;
    } else if (tag == kTagAccepted) {
        OnTeacherAccepted();
    } else if (tag == kTagTeacherScreenSize) {
        OnScreenSize(payload);
    } else if (tag == kTagImageAcknowledged) {
        upload_.OnAcknowledged(ParseDecimal(payload));
    } else if (tag == kTagStudentTouchState) {
        host_.OnPadTouchState(ParseDecimal(payload) == 1);
    } else if (tag == kTagBroadcastState) {
        host_.OnScreenShareState(ParseDecimal(payload) == 1);
    } else if (tag == kTagKeepAliveAnswer) {
        OnTeacherAlive();
    } else if (tag == kTagRefused) {
        OnTeacherRefused(payload);
    } else if (tag == kTagTeacherEnds) {
        host_.HideLoading();
        Disconnect(u"disconnect");
    } else if (tag == kTagLoginResult) {
        OnLoginReply(payload);
    } else if (tag == kTagTeacherAddress) {
        OnTeacherAddress(payload);
    }
    // [DV00001], [DV00002] and unknown tags need nothing.
}

void TeacherSession::OnScreenSize(std::u16string_view payload) {
    std::vector<std::u16string> fields = SplitPayload(payload);
    if (fields.size() != 2) return;
    int width = ParseDecimal(fields[0]);
    int height = ParseDecimal(fields[1]);
    // An empty size, or one beyond any real desktop, is not taken: no picture is allocated for it and
    // the part grid stays empty, so nothing can be placed into it. The question is still answered.
    const bool usable = IsTeacherScreenSizeUsable(width, height);
    if (!usable) width = height = 0;
    remoteHost_.imageWidth = width;
    remoteHost_.imageHeight = height;
    remoteHost_.bitsPerPixel = 32;
    remoteHost_.partWidth = width > 0 ? int(PartSize(uint32_t(width))) : 0;
    remoteHost_.partHeight = height > 0 ? int(PartSize(uint32_t(height))) : 0;
    if (usable) host_.EnsureScreenImage(width, height);
    host_.SendText(Connection::kTeacher, Concat({kTagPadScreenSize, DecimalText(host_.ScreenWidth()), u",",
                                                 DecimalText(host_.ScreenHeight())}));
}

void TeacherSession::OnConnectResult(int error) {
    if (error == 0 || !teacherAccepted_) return;  // before acceptance the connect timers decide
    if (ending_) return;
    ending_ = true;
    windowShown_ = true;
    host_.ShowPanel();
    ShowString(IDS_WIFI_CHECK);
    host_.Quit();
}

void TeacherSession::OnSocketClose(Connection connection) {
    if (connection == Connection::kTeacher && !reconnectingTeacher_) Disconnect(u"CloseConn");
}

void TeacherSession::OnTimer(SessionTimer timer) {
    switch (timer) {
        case SessionTimer::kKeepAlive:
            OnKeepAliveTick();
            break;
        case SessionTimer::kLoginServer:
        case SessionTimer::kTeacherConnect:
            // A timeout fires once: left running, it would fire again under its own message box.
            host_.StopTimer(timer);
            host_.HideLoading();
            if (ending_) return;
            ending_ = true;
            ShowString(timer == SessionTimer::kLoginServer ? IDS_LOGIN_SERVER_TIMEOUT : IDS_TEACHER_TIMEOUT);
            host_.Quit();
            break;
    }
}

void TeacherSession::OnKeepAliveTick() {
    host_.SendText(Connection::kTeacher, kTagKeepAlive);
    const uint32_t now = host_.TickCount();
    // The unsigned difference stays right across the tick count's wrap.
    const uint32_t silence = now - remoteHost_.lastReceivedTick;
    if (remoteHost_.lastReceivedValid && silence > kTeacherSilenceLimitMs) {
        Disconnect(u"forced");
        host_.StopTimer(SessionTimer::kKeepAlive);
        remoteHost_.lastReceivedTick = now;
    }
}

void TeacherSession::OnTeacherAlive() {
    remoteHost_.lastReceivedTick = host_.TickCount();
    remoteHost_.lastReceivedValid = true;
}

void TeacherSession::OnMonitorList(std::u16string_view payload, int32_t screenWidth, int32_t screenHeight) {
    auto parsed = ParseMonitorList(payload);
    if (!parsed) {
        monitors_.clear();
        return;
    }
    monitors_ = ClipMonitorsToScreen(*parsed, screenWidth, screenHeight);
    host_.OnMonitorsChanged(currentMonitor_);
}

void TeacherSession::ShowString(int stringId) {
    host_.ShowMessage(host_.LoadString(stringId));
}

}  // namespace tesmora
