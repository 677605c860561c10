// The relay-lookup web service on the network: an HTTPS server (on an internal loopback port,
// reached through the dual-protocol port) and a plain HTTP server, both answering
// /tesmora/rsinfo/checkRsInfo.jsp with what the LookupResponder decides, and the update service's
// paths with what the UpdateResponder decides. Each server runs its
// accept loop on a thread of its own and its requests on httplib's worker threads.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "core/event_log.h"
#include "core/lookup_responder.h"
#include "core/update_responder.h"
#include "core/scenario.h"
#include "net/tls_identity.h"

namespace httplib {
class Server;
struct Response;
}  // namespace httplib

namespace tesmora::classroom {

inline constexpr const char* kLookupPath = "/tesmora/rsinfo/checkRsInfo.jsp";

class LookupServer {
public:
    // `update` (may be null) also answers the update service's three paths on the same servers.
    LookupServer(const Scenario& scenario, const LookupResponder& responder, EventLog& log,
                 std::function<uint64_t()> nextConnection, UpdateResponder* update = nullptr);
    LookupServer(const LookupServer&) = delete;
    LookupServer& operator=(const LookupServer&) = delete;
    ~LookupServer();

    // HTTPS on 127.0.0.1 (any port), plain HTTP on host:httpPort unless the scenario turns it off.
    bool Start(const std::string& host, uint16_t httpPort, const TlsIdentity& identity, std::string& error);
    uint16_t TlsPort() const { return tlsPort_; }
    uint16_t HttpPort() const { return httpPort_; }  // 0 when plain HTTP is off
    void Stop();

private:
    void Serve(httplib::Server& server, const char* scheme);
    void ServeUpdates(httplib::Server& server, const char* scheme);
    // A lookup answer that breaks off or trickles (LookupDelivery).
    void SendBroken(httplib::Response& reply, std::shared_ptr<const LookupResponse> answer);
    // Holds the calling worker for lookup.hang-seconds, or until the service stops.
    void HoldUntilStopped();

    const Scenario& scenario_;
    const LookupResponder& responder_;
    UpdateResponder* update_;
    EventLog& log_;
    std::function<uint64_t()> nextConnection_;
    std::unique_ptr<httplib::Server> tls_;
    std::unique_ptr<httplib::Server> http_;
    std::thread tlsThread_;
    std::thread httpThread_;
    uint16_t tlsPort_ = 0;
    uint16_t httpPort_ = 0;
    std::mutex stopLock_;
    std::condition_variable stopped_;
    bool stopping_ = false;
};

}  // namespace tesmora::classroom
