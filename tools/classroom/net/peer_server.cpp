// PeerServer and its connections. Io thread only.
#include "net/peer_server.h"

#include <array>
#include <deque>
#include <vector>

#include "core/packet_pump.h"

namespace tesmora::classroom {

class PeerServer::Connection : public FrameSink, public std::enable_shared_from_this<Connection> {
    static constexpr size_t kSmallRead = 1024;

public:
    Connection(PeerServer& server, asio::ip::tcp::socket socket, uint64_t number)
        : server_(server), socket_(std::move(socket)), timer_(socket_.get_executor()), number_(number) {}

    void Start() {
        asio::error_code ignored;
        const auto from = socket_.remote_endpoint(ignored);
        socket_.set_option(asio::ip::tcp::no_delay(true), ignored);
        server_.log_.Write(Event(server_.peer_, number_, "connected")
                               .Str("from", from.address().to_string() + ":" + std::to_string(from.port()))
                               .Say("** remote connected from " + from.address().to_string() + ":" +
                                    std::to_string(from.port())));
        session_ = server_.factory_(*this, number_);
        pump_ = std::make_unique<PacketPump>(*session_, *this, server_.log_, server_.peer_, number_);
        session_->OnConnected(SessionClock::now());
        Read();
        Tick();
    }

    PeerSession& Session() { return *session_; }

    int Send(const uint8_t* data, int length) override {
        if (!open_ || closing_ || length <= 0) return -1;
        writes_.emplace_back(data, data + length);
        if (!writing_) WriteNext();
        return length;
    }

    // The session ends the connection: what it already sent still goes out first. Deferred, so
    // that the session never hears OnClosed from inside its own call.
    void Close() override {
        if (!open_ || closing_) return;
        closing_ = true;
        if (!writing_)
            asio::post(socket_.get_executor(),
                       [self = shared_from_this()] { self->End("closed by the classroom"); });
    }

    void End(const std::string& why) {
        if (!open_) return;
        open_ = false;
        asio::error_code ignored;
        timer_.cancel();
        socket_.shutdown(asio::ip::tcp::socket::shutdown_both, ignored);
        socket_.close(ignored);
        server_.log_.Write(
            Event(server_.peer_, number_, "disconnected").Str("why", why).Say("** disconnected: " + why));
        if (session_) session_->OnClosed(SessionClock::now());
        server_.connections_.erase(shared_from_this());
    }

private:
    void Read() {
        // A drop in the middle of a frame is armed: small reads, so that any image frame is seen
        // while only partly in.
        const size_t room = session_ && session_->DropMidFrame() ? kSmallRead : buffer_.size();
        socket_.async_read_some(asio::buffer(buffer_.data(), room),
                                [self = shared_from_this()](const asio::error_code& error, size_t length) {
                                    if (!self->open_) return;
                                    if (error) {
                                        return self->End(error == asio::error::eof
                                                             ? "closed by the remote"
                                                             : "connection error: " + error.message());
                                    }
                                    if (!self->closing_)
                                        self->pump_->Feed(self->buffer_.data(), length, SessionClock::now());
                                    if (self->pump_->Partial() > 0 && self->session_->DropMidFrame())
                                        return self->End("scenario: dropped in the middle of a frame");
                                    self->Read();
                                });
    }

    void Tick() {
        timer_.expires_after(std::chrono::milliseconds(10));
        timer_.async_wait([self = shared_from_this()](const asio::error_code& error) {
            if (error || !self->open_) return;
            if (!self->closing_) self->session_->OnTick(SessionClock::now());
            self->Tick();
        });
    }

    void WriteNext() {
        if (writes_.empty()) {
            writing_ = false;
            if (closing_) End("closed by the classroom");
            return;
        }
        writing_ = true;
        asio::async_write(socket_, asio::buffer(writes_.front()),
                          [self = shared_from_this()](const asio::error_code& error, size_t) {
                              if (!self->open_) return;
                              if (error) return self->End("connection error: " + error.message());
                              self->writes_.pop_front();
                              self->WriteNext();
                          });
    }

    PeerServer& server_;
    asio::ip::tcp::socket socket_;
    asio::steady_timer timer_;
    uint64_t number_;
    std::unique_ptr<PeerSession> session_;
    std::unique_ptr<PacketPump> pump_;
    std::array<uint8_t, 65536> buffer_{};
    std::deque<std::vector<uint8_t>> writes_;
    bool writing_ = false;
    bool closing_ = false;
    bool open_ = true;
};

PeerServer::PeerServer(asio::io_context& io, EventLog& log, std::string peer, SessionFactory factory,
                       std::function<uint64_t()> nextConnection)
    : io_(io),
      log_(log),
      peer_(std::move(peer)),
      factory_(std::move(factory)),
      nextConnection_(std::move(nextConnection)),
      acceptor_(io) {}

PeerServer::~PeerServer() {
    Stop();
}

bool PeerServer::Listen(const asio::ip::tcp::endpoint& endpoint, std::string& error) {
    asio::error_code ec;
    acceptor_.open(endpoint.protocol(), ec);
    if (!ec) acceptor_.set_option(asio::socket_base::reuse_address(true), ec);
    if (!ec) acceptor_.bind(endpoint, ec);
    if (!ec) acceptor_.listen(asio::socket_base::max_listen_connections, ec);
    if (ec) {
        error = "cannot listen on " + endpoint.address().to_string() + ":" + std::to_string(endpoint.port()) +
                " (" + peer_ + "): " + ec.message();
        return false;
    }
    port_ = acceptor_.local_endpoint().port();
    Accept();
    return true;
}

void PeerServer::Accept() {
    acceptor_.async_accept([this](const asio::error_code& error, asio::ip::tcp::socket socket) {
        if (error) return;  // the acceptor was closed
        auto connection = std::make_shared<Connection>(*this, std::move(socket), nextConnection_());
        connections_.insert(connection);
        connection->Start();
        Accept();
    });
}

void PeerServer::Stop() {
    asio::error_code ignored;
    acceptor_.close(ignored);
    const auto connections = connections_;
    for (const auto& connection : connections) connection->End("the classroom stops");
}

void PeerServer::ForEachSession(const std::function<void(PeerSession&)>& action) {
    const auto connections = connections_;
    for (const auto& connection : connections) action(connection->Session());
}

}  // namespace tesmora::classroom
