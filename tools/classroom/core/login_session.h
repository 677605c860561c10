// The login server's side of one login connection: greets the remote with [UR00001], checks the
// remote's identification [US00001] and tells it where the teacher program listens ([UR00002]), or
// misbehaves as the scenario asks. One thread (the connection's).
#pragma once

#include <cstdint>
#include <string>

#include "core/conversation.h"
#include "core/peer_session.h"
#include "core/scenario.h"

namespace tesmora::classroom {

struct LoginTarget {
    std::string teacherHost;  // as written into [UR00002]
    uint16_t teacherPort = 0;
};

// The payload of "[UR00002]": seven fields, the teacher's host and port fifth and sixth.
std::u16string TeacherAddressPayload(const std::string& teacherId, const LoginTarget& target);

class LoginSession : public PeerSession {
public:
    // `index` counts the login connections since the start, from 1 (for login.refusals).
    LoginSession(const Scenario& scenario, FrameSink& sink, EventLog& log, uint64_t connection, int index,
                 LoginTarget target);

    void OnConnected(SessionClock::time_point now) override;
    void OnPacket(Packet& packet, SessionClock::time_point now) override;
    void OnTick(SessionClock::time_point) override {}
    void OnClosed(SessionClock::time_point now) override;

private:
    void OnIdentification(std::u16string_view payload);

    const Scenario& scenario_;
    Conversation talk_;
    int index_;
    LoginTarget target_;
    bool identified_ = false;
};

// The remote's version, as [US00001] and [RC00001] carry it.
inline constexpr std::u16string_view kRemoteVersion = u"2.0.1.1028";

}  // namespace tesmora::classroom
