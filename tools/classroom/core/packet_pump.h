// The inbound side of a classroom connection: raw bytes from the remote are cut into frames by the
// transport's frame receiver, read into packets and handed to the session. Whatever the remote
// sends, nothing is read past a frame; a broken stream (bad mark, too short a length, a frame
// larger than the classroom accepts) is logged and the connection closed. One thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/event_log.h"
#include "core/peer_session.h"
#include "transport/frame_receiver.h"
#include "transport/frame_sink.h"

namespace tesmora::classroom {

// No frame of the remote's comes near this; a larger one is taken for a broken stream.
inline constexpr uint32_t kMaxBufferedBytes = 64u << 20;

class PacketPump {
public:
    PacketPump(PeerSession& session, FrameSink& sink, EventLog& log, std::string peer, uint64_t connection);
    PacketPump(const PacketPump&) = delete;
    PacketPump& operator=(const PacketPump&) = delete;

    // False once the stream is broken (the sink has been closed); later bytes are ignored.
    bool Feed(const uint8_t* data, size_t length, SessionClock::time_point now);
    // Bytes of a frame that is not complete yet.
    size_t Partial() const { return receiver_.Count(); }

private:
    void Break(const std::string& why);

    PeerSession& session_;
    FrameSink& sink_;
    EventLog& log_;
    std::string peer_;
    uint64_t connection_;
    FrameReceiver receiver_;
    bool broken_ = false;
};

}  // namespace tesmora::classroom
