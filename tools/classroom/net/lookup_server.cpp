// LookupServer over cpp-httplib. Start and Stop on the main (or io) thread; handlers on httplib's
// worker threads, which share only the read-only responder, the log and the stop flag.
#include "net/lookup_server.h"

#include <httplib.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <chrono>
#include <thread>

namespace tesmora::classroom {

namespace {

constexpr size_t kTrickleBytes = size_t(1) << 20;

// httplib's stop() does nothing until the accept loop runs, so Start waits for it.
void WaitUntilRunning(const httplib::Server& server) {
    while (!server.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

int PortOf(const sockaddr_storage& address) {
    if (address.ss_family == AF_INET) return ntohs(reinterpret_cast<const sockaddr_in&>(address).sin_port);
    if (address.ss_family == AF_INET6) return ntohs(reinterpret_cast<const sockaddr_in6&>(address).sin6_port);
    return -1;
}

// How long a broken download waits after its last byte before the reset.
constexpr auto kReadBeforeResetTime = std::chrono::milliseconds(500);

// Breaks the request's connection with a reset, so that the peer sees it break, not end. httplib does
// not hand out the accepted socket: it is the one whose two ends are the request's. Disconnecting it
// (connect to AF_UNSPEC) with a zero linger sends the reset and leaves httplib a socket it can still
// shut down and close.
void ResetConnection(int localPort, int remotePort) {
    for (int socket = 3; socket < 65536; ++socket) {
        sockaddr_storage local{}, peer{};
        socklen_t localSize = sizeof local, peerSize = sizeof peer;
        if (::getsockname(socket, reinterpret_cast<sockaddr*>(&local), &localSize) != 0 ||
            ::getpeername(socket, reinterpret_cast<sockaddr*>(&peer), &peerSize) != 0) {
            continue;
        }
        if (PortOf(local) != localPort || PortOf(peer) != remotePort) continue;
        const linger abortive{1, 0};
        ::setsockopt(socket, SOL_SOCKET, SO_LINGER, &abortive, sizeof abortive);
        sockaddr unspecified{};
        unspecified.sa_family = AF_UNSPEC;
        ::connect(socket, &unspecified, sizeof unspecified);
        return;
    }
}

}  // namespace

LookupServer::LookupServer(const Scenario& scenario, const LookupResponder& responder, EventLog& log,
                           std::function<uint64_t()> nextConnection, UpdateResponder* update)
    : scenario_(scenario),
      responder_(responder),
      update_(update),
      log_(log),
      nextConnection_(std::move(nextConnection)) {}

void LookupServer::HoldUntilStopped() {
    std::unique_lock lock(stopLock_);
    stopped_.wait_for(lock, std::chrono::seconds(scenario_.lookup.hangSeconds), [this] { return stopping_; });
}

void LookupServer::ServeUpdates(httplib::Server& server, const char* scheme) {
    if (!update_) return;
    for (const char* path : {kUpdateServerCheckPath, kUpdateFileListPath, kUpdateDownloadPath}) {
        server.Get(path, [this, scheme, path](const httplib::Request& request, httplib::Response& reply) {
            const size_t question = request.target.find('?');
            const std::string query =
                question == std::string::npos ? "" : request.target.substr(question + 1);
            Event event("update", nextConnection_(), "update");
            event.Str("scheme", scheme)
                .Str("path", path)
                .Str("user_agent", request.get_header_value("User-Agent"));
            auto answer = std::make_shared<UpdateAnswer>(update_->Answer(path, query, event));
            log_.Write(event.Say(std::string("<- ") + scheme + " " + path + " " + query + ": " +
                                 (answer->cutShort ? "cut short" : std::to_string(answer->status))));
            reply.status = answer->status;
            if (!answer->fileName.empty()) {
                reply.set_header("Content-Disposition", "attachment; filename=" + answer->fileName);
            }
            if (!answer->cutShort) {
                reply.set_content(answer->body, "application/octet-stream");
                return;
            }
            if (!answer->announced) {
                // No length, so the body runs to the connection's end: half of it, then a reset, the
                // only way such a body can tell its reader that it broke off.
                const int localPort = request.local_port, remotePort = request.remote_port;
                reply.set_content_provider(
                    "application/octet-stream",
                    [answer, localPort, remotePort](size_t offset, httplib::DataSink& sink) {
                        if (offset >= answer->body.size()) {
                            // A reset discards what the reader has not taken yet: give it time to
                            // read the headers and the half body, so it sees the body break off rather
                            // than a request that failed before any reply.
                            std::this_thread::sleep_for(kReadBeforeResetTime);
                            ResetConnection(localPort, remotePort);
                            return false;
                        }
                        sink.write(answer->body.data() + offset, answer->body.size() - offset);
                        return true;
                    });
                return;
            }
            // The whole length is announced, half is sent, then the connection is dropped (or held
            // without another byte, for a stalled download).
            reply.set_content_provider(size_t(answer->announcedBytes), "application/octet-stream",
                                       [this, answer](size_t offset, size_t, httplib::DataSink& sink) {
                                           if (offset >= answer->body.size()) {
                                               if (answer->stall) HoldUntilStopped();
                                               return false;
                                           }
                                           sink.write(answer->body.data() + offset,
                                                      answer->body.size() - offset);
                                           return true;
                                       });
        });
    }
}

void LookupServer::SendBroken(httplib::Response& reply, std::shared_ptr<const LookupResponse> answer) {
    const std::string type = answer->contentType;
    if (answer->delivery == LookupDelivery::kCutChunked) {
        // Returning false ends the reply without the last chunk, and the connection with it.
        reply.set_chunked_content_provider(type, [answer](size_t offset, httplib::DataSink& sink) {
            if (offset >= answer->cutAt) return false;
            sink.write(answer->body.data() + offset, answer->cutAt - offset);
            return true;
        });
        return;
    }
    if (answer->delivery == LookupDelivery::kCut) {
        reply.set_content_provider(answer->body.size(), type,
                                   [answer](size_t offset, size_t, httplib::DataSink& sink) {
                                       if (offset >= answer->cutAt) return false;
                                       sink.write(answer->body.data() + offset, answer->cutAt - offset);
                                       return true;
                                   });
        return;
    }
    // The lines, then blanks, one byte a second under a length of 1 MiB: a reply that never ends for a
    // client without a deadline. Until the client goes or the service stops.
    reply.set_content_provider(
        kTrickleBytes, type, [this, answer](size_t offset, size_t, httplib::DataSink& sink) {
            std::unique_lock lock(stopLock_);
            if (stopped_.wait_for(lock, std::chrono::seconds(1), [this] { return stopping_; })) return false;
            return sink.write(offset < answer->body.size() ? answer->body.data() + offset : " ", 1);
        });
}

LookupServer::~LookupServer() {
    Stop();
}

void LookupServer::Serve(httplib::Server& server, const char* scheme) {
    ServeUpdates(server, scheme);
    server.Get(kLookupPath, [this, scheme](const httplib::Request& request, httplib::Response& reply) {
        const size_t question = request.target.find('?');
        const std::string query = question == std::string::npos ? "" : request.target.substr(question + 1);
        Event event("lookup", nextConnection_(), "lookup");
        event.Str("scheme", scheme)
            .Str("from", request.remote_addr)
            .Str("http_version", request.version)
            .Str("user_agent", request.get_header_value("User-Agent"))
            .Str("query", query);
        const LookupResponse answer = responder_.Answer(query, event);
        std::string teacherId, check;
        for (const auto& field : event.Fields()) {
            if (field.key == "val3") teacherId = field.plain;
            if (field.key == "check") check = field.plain;
        }
        std::string readable =
            std::string("<- ") + scheme + " lookup for \"" + teacherId + "\", check " + check;
        readable +=
            answer.hang ? ", holding the request (scenario)" : ", answer " + std::to_string(answer.status);
        if (answer.delivery == LookupDelivery::kTrickle) readable += ", a byte a second (scenario)";
        if (answer.delivery == LookupDelivery::kCut || answer.delivery == LookupDelivery::kCutChunked)
            readable += ", broken off after " + std::to_string(answer.cutAt) + " bytes (scenario)";
        log_.Write(event.Say(readable));

        if (answer.hang) {
            std::unique_lock lock(stopLock_);
            stopped_.wait_for(lock, std::chrono::seconds(scenario_.lookup.hangSeconds),
                              [this] { return stopping_; });
            reply.status = 503;
            return;
        }
        reply.status = answer.status;
        if (!answer.location.empty()) reply.set_header("Location", answer.location);
        if (answer.delivery == LookupDelivery::kWhole) {
            reply.set_content(answer.body, answer.contentType.c_str());
            return;
        }
        SendBroken(reply, std::make_shared<LookupResponse>(answer));
    });
    server.set_error_handler([this, scheme](const httplib::Request& request, httplib::Response& reply) {
        if (reply.status == 404) {
            log_.Write(Event("lookup", 0, "lookup_other")
                           .Str("scheme", scheme)
                           .Str("target", request.target)
                           .Int("status", 404)
                           .Say(std::string("<- ") + scheme + " request for " + request.path + ": 404"));
        }
    });
    server.set_read_timeout(5, 0);
    server.set_keep_alive_max_count(1);
}

bool LookupServer::Start(const std::string& host, uint16_t httpPort, const TlsIdentity& identity,
                         std::string& error) {
    auto tls = std::make_unique<httplib::SSLServer>(identity.Certificate(), identity.Key());
    if (!tls->is_valid()) return error = "cannot set up the HTTPS server", false;
    Serve(*tls, "https");
    const int tlsPort = tls->bind_to_any_port("127.0.0.1");
    if (tlsPort <= 0) return error = "cannot open a loopback port for HTTPS", false;
    tlsPort_ = uint16_t(tlsPort);
    tls_ = std::move(tls);
    tlsThread_ = std::thread([this] { tls_->listen_after_bind(); });
    WaitUntilRunning(*tls_);

    if (scenario_.lookup.http) {
        http_ = std::make_unique<httplib::Server>();
        Serve(*http_, "http");
        const int port = httpPort == 0 ? http_->bind_to_any_port(host)
                                       : (http_->bind_to_port(host, httpPort) ? httpPort : -1);
        if (port <= 0) {
            http_.reset();
            return error = "cannot listen on " + host + ":" + std::to_string(httpPort) + " (lookup, HTTP)",
                   false;
        }
        httpPort_ = uint16_t(port);
        httpThread_ = std::thread([this] { http_->listen_after_bind(); });
        WaitUntilRunning(*http_);
    }
    return true;
}

void LookupServer::Stop() {
    {
        std::lock_guard lock(stopLock_);
        stopping_ = true;
    }
    stopped_.notify_all();
    if (tls_) tls_->stop();
    if (http_) http_->stop();
    if (tlsThread_.joinable()) tlsThread_.join();
    if (httpThread_.joinable()) httpThread_.join();
}

}  // namespace tesmora::classroom
