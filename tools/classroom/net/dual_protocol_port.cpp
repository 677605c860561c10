// DualProtocolPort and its byte relays. Io thread only.
#include "net/dual_protocol_port.h"

#include <array>

namespace tesmora::classroom {

class DualProtocolPort::Bridge : public std::enable_shared_from_this<Bridge> {
public:
    Bridge(DualProtocolPort& port, asio::ip::tcp::socket client)
        : port_(port), client_(std::move(client)), server_(client_.get_executor()) {}

    // Looks at the first byte without taking it, then relays to the server of that kind.
    void Start() {
        auto self = shared_from_this();
        client_.async_receive(asio::buffer(&first_, 1), asio::socket_base::message_peek,
                              [self](const asio::error_code& error, size_t) {
                                  if (error) return self->Close();
                                  self->Connect();
                              });
    }

    void Close() {
        asio::error_code ignored;
        client_.close(ignored);
        server_.close(ignored);
        if (auto owner = port_.bridges_) owner->erase(shared_from_this());
    }

private:
    using Buffer = std::array<uint8_t, 16384>;

    void Connect() {
        const bool tls = first_ == 0x16;
        const uint16_t target = tls ? port_.tlsTarget_ : port_.plainTarget_;
        asio::error_code ignored;
        const std::string from = client_.remote_endpoint(ignored).address().to_string();
        port_.log_.Write(Event("lookup", port_.nextConnection_(), "lookup_connection")
                             .Str("kind", tls ? "tls" : "plain")
                             .Str("from", from)
                             .Bool("answered", target != 0)
                             .Say(std::string(tls ? "TLS" : "plain") + " connection from " + from +
                                  (target != 0 ? "" : ": closed at once (scenario)")));
        if (target == 0) return Close();
        auto self = shared_from_this();
        server_.async_connect({asio::ip::make_address(port_.targetHost_, ignored), target},
                              [self](const asio::error_code& error) {
                                  if (error) return self->Close();
                                  self->Pump(self->client_, self->server_, self->up_);
                                  self->Pump(self->server_, self->client_, self->down_);
                              });
    }

    // One direction: read from `from`, write all of it to `to`; the end of one side half-closes the
    // other, and the bridge closes when both directions are done.
    void Pump(asio::ip::tcp::socket& from, asio::ip::tcp::socket& to, Buffer& buffer) {
        auto self = shared_from_this();
        from.async_read_some(
            asio::buffer(buffer), [self, &from, &to, &buffer](const asio::error_code& error, size_t length) {
                if (error) {
                    asio::error_code ignored;
                    if (error == asio::error::connection_reset) {
                        // Passed on as a reset: a body without a length must reach its reader broken.
                        to.set_option(asio::socket_base::linger(true, 0), ignored);
                        return self->Close();
                    }
                    to.shutdown(asio::ip::tcp::socket::shutdown_send, ignored);
                    if (++self->finished_ == 2 || error != asio::error::eof) self->Close();
                    return;
                }
                asio::async_write(to, asio::buffer(buffer.data(), length),
                                  [self, &from, &to, &buffer](const asio::error_code& writeError, size_t) {
                                      if (writeError) return self->Close();
                                      self->Pump(from, to, buffer);
                                  });
            });
    }

    DualProtocolPort& port_;
    asio::ip::tcp::socket client_;
    asio::ip::tcp::socket server_;
    uint8_t first_ = 0;
    Buffer up_{};
    Buffer down_{};
    int finished_ = 0;
};

DualProtocolPort::DualProtocolPort(asio::io_context& io, EventLog& log, std::string targetHost,
                                   uint16_t tlsTarget, uint16_t plainTarget,
                                   std::function<uint64_t()> nextConnection)
    : log_(log),
      targetHost_(std::move(targetHost)),
      tlsTarget_(tlsTarget),
      plainTarget_(plainTarget),
      nextConnection_(std::move(nextConnection)),
      acceptor_(io),
      bridges_(std::make_shared<std::set<std::shared_ptr<Bridge>>>()) {}

DualProtocolPort::~DualProtocolPort() {
    Stop();
}

bool DualProtocolPort::Listen(const asio::ip::tcp::endpoint& endpoint, std::string& error) {
    asio::error_code ec;
    acceptor_.open(endpoint.protocol(), ec);
    if (!ec) acceptor_.set_option(asio::socket_base::reuse_address(true), ec);
    if (!ec) acceptor_.bind(endpoint, ec);
    if (!ec) acceptor_.listen(asio::socket_base::max_listen_connections, ec);
    if (ec) {
        error = "cannot listen on " + endpoint.address().to_string() + ":" + std::to_string(endpoint.port()) +
                " (lookup): " + ec.message();
        return false;
    }
    port_ = acceptor_.local_endpoint().port();
    Accept();
    return true;
}

void DualProtocolPort::Accept() {
    acceptor_.async_accept([this](const asio::error_code& error, asio::ip::tcp::socket socket) {
        if (error) return;  // the acceptor was closed
        auto bridge = std::make_shared<Bridge>(*this, std::move(socket));
        bridges_->insert(bridge);
        bridge->Start();
        Accept();
    });
}

void DualProtocolPort::Stop() {
    asio::error_code ignored;
    acceptor_.close(ignored);
    const auto bridges = *bridges_;
    for (const auto& bridge : bridges) bridge->Close();
}

}  // namespace tesmora::classroom
