// One port that answers both TLS and plain HTTP, so that a URL's https:// and its http:// twin with
// the same host and port (the remote's fallback) both reach the relay lookup. The first byte of a
// connection decides (0x16 opens a TLS handshake); the connection is then relayed to the internal
// HTTPS or HTTP server. A kind that the scenario turns off is closed at once. Runs on the io thread.
#pragma once

#include <asio.hpp>
#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>

#include "core/event_log.h"

namespace tesmora::classroom {

class DualProtocolPort {
public:
    // A target port of 0 means: close connections of that kind at once.
    DualProtocolPort(asio::io_context& io, EventLog& log, std::string targetHost, uint16_t tlsTarget,
                     uint16_t plainTarget, std::function<uint64_t()> nextConnection);
    DualProtocolPort(const DualProtocolPort&) = delete;
    DualProtocolPort& operator=(const DualProtocolPort&) = delete;
    ~DualProtocolPort();

    bool Listen(const asio::ip::tcp::endpoint& endpoint, std::string& error);
    uint16_t Port() const { return port_; }
    void Stop();

    class Bridge;

private:
    void Accept();

    EventLog& log_;
    std::string targetHost_;
    uint16_t tlsTarget_;
    uint16_t plainTarget_;
    std::function<uint64_t()> nextConnection_;
    asio::ip::tcp::acceptor acceptor_;
    uint16_t port_ = 0;
    std::shared_ptr<std::set<std::shared_ptr<Bridge>>> bridges_;
};

}  // namespace tesmora::classroom
