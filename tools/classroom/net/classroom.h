// The whole simulated classroom: the relay lookup (dual-protocol port, HTTPS and HTTP servers), the
// login server and the teacher program, with the event log, signals and the --exit-after timer.
// Start, Run and the destructor belong to the thread that made it; Stop may come from any thread.
#pragma once

#include <asio.hpp>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>

#include "core/command_line.h"
#include "core/event_log.h"
#include "core/lookup_responder.h"
#include "net/dual_protocol_port.h"
#include "net/lookup_server.h"
#include "net/peer_server.h"
#include "net/tls_identity.h"

namespace tesmora::classroom {

class Classroom {
public:
    explicit Classroom(ClassroomOptions options);
    Classroom(const Classroom&) = delete;
    Classroom& operator=(const Classroom&) = delete;
    ~Classroom();

    // Opens every port and the event file. False with a reason when one cannot be had.
    bool Start(std::string& error);
    // Serves until SIGINT, SIGTERM, --exit-after or Stop.
    void Run();
    // Serves on a thread of its own (tests); the destructor stops and joins it.
    void RunInBackground();
    void Stop();

    struct Ports {
        uint16_t lookup = 0;
        uint16_t lookupHttp = 0;  // 0 when plain HTTP is off
        uint16_t login = 0;
        uint16_t teacher = 0;
    };
    Ports BoundPorts() const { return ports_; }
    EventLog& Events() { return *log_; }
    const ClassroomOptions& Options() const { return options_; }
    // A readable summary of where everything listens and how to point the remote at it.
    std::string Banner() const;

private:
    void Shutdown();
    void WatchSignals();
    void OnOperatorSignal(int signal);

    ClassroomOptions options_;
    std::unique_ptr<EventLog> log_;
    std::atomic<uint64_t> connections_{0};
    asio::io_context io_;
    asio::signal_set stopSignals_;
    asio::signal_set operatorSignals_;
    asio::steady_timer exitTimer_;
    std::unique_ptr<TlsIdentity> identity_;
    std::unique_ptr<LookupResponder> responder_;
    std::unique_ptr<UpdateResponder> update_;
    std::unique_ptr<LookupServer> lookup_;
    std::unique_ptr<DualProtocolPort> lookupPort_;
    std::unique_ptr<PeerServer> login_;
    std::unique_ptr<PeerServer> teacher_;
    std::atomic<int> loginCount_{0};
    std::atomic<int> teacherCount_{0};
    Ports ports_;
    std::thread background_;
    bool shutDown_ = false;
};

}  // namespace tesmora::classroom
