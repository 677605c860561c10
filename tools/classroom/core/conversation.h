// The outbound half of a session and its log entries: sends command texts and packets on the
// connection's FrameSink, writes every message to the event log with its direction, and remembers
// whether the connection is still open. One thread (the connection's).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/event_log.h"
#include "transport/frame_sink.h"
#include "transport/packet.h"

namespace tesmora::classroom {

class Conversation {
public:
    Conversation(FrameSink& sink, EventLog& log, std::string peer, uint64_t connection);

    bool Open() const { return open_; }
    void MarkClosed() { open_ = false; }

    // Nothing is sent once the connection is closed.
    void SendText(std::u16string_view text);
    void SendPacket(const Packet& packet, const Event& event);
    void LogReceivedText(std::u16string_view text);

    Event Make(std::string_view kind) const { return Event(peer_, connection_, kind); }
    void Log(const Event& event) { log_.Write(event); }
    // Something the remote sent that breaks the protocol; the connection stays up.
    void BadInput(const std::string& what);
    // Something that works but is not what the remote should send.
    void Warning(const std::string& what);
    void Close(const std::string& why);

    EventLog& EventsLog() { return log_; }
    uint64_t Connection() const { return connection_; }

private:
    FrameSink& sink_;
    EventLog& log_;
    std::string peer_;
    uint64_t connection_;
    bool open_ = true;
};

}  // namespace tesmora::classroom
