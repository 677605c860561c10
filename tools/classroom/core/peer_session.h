// One conversation of a classroom peer (the login server or the teacher program) with one remote,
// independent of the network: the service feeds it packets and ticks and gives it a FrameSink to
// answer on. All calls come from the one thread that runs the connection.
#pragma once

#include <chrono>

#include "transport/packet.h"

namespace tesmora::classroom {

using SessionClock = std::chrono::steady_clock;

class PeerSession {
public:
    virtual ~PeerSession() = default;
    virtual void OnConnected(SessionClock::time_point now) = 0;
    virtual void OnPacket(Packet& packet, SessionClock::time_point now) = 0;
    // Called every few milliseconds while the connection is open, for everything that is timed.
    virtual void OnTick(SessionClock::time_point now) = 0;
    // The connection is gone (closed by either side); nothing may be sent any more.
    virtual void OnClosed(SessionClock::time_point now) = 0;
    // True when the connection is to be dropped as soon as a frame from the remote is only partly in.
    virtual bool DropMidFrame() const { return false; }
};

}  // namespace tesmora::classroom
