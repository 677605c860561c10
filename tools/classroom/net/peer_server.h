// A TCP service of the classroom (the login server or the teacher program): accepts remotes and
// runs one PeerSession per connection, feeding it the bytes that arrive (through a PacketPump),
// a tick every 10 ms, and a FrameSink that queues outbound frames. Runs on the io thread.
#pragma once

#include <asio.hpp>
#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>

#include "core/event_log.h"
#include "core/peer_session.h"
#include "transport/frame_sink.h"

namespace tesmora::classroom {

class PeerServer {
public:
    using SessionFactory = std::function<std::unique_ptr<PeerSession>(FrameSink& sink, uint64_t connection)>;

    PeerServer(asio::io_context& io, EventLog& log, std::string peer, SessionFactory factory,
               std::function<uint64_t()> nextConnection);
    PeerServer(const PeerServer&) = delete;
    PeerServer& operator=(const PeerServer&) = delete;
    ~PeerServer();

    bool Listen(const asio::ip::tcp::endpoint& endpoint, std::string& error);
    uint16_t Port() const { return port_; }
    // Closes the port and every connection (each session hears OnClosed).
    void Stop();
    void ForEachSession(const std::function<void(PeerSession&)>& action);

    class Connection;

private:
    void Accept();

    asio::io_context& io_;
    EventLog& log_;
    std::string peer_;
    SessionFactory factory_;
    std::function<uint64_t()> nextConnection_;
    asio::ip::tcp::acceptor acceptor_;
    uint16_t port_ = 0;
    std::set<std::shared_ptr<Connection>> connections_;
};

}  // namespace tesmora::classroom
