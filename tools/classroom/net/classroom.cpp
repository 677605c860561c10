// Classroom. Main thread (or the test's background thread) runs the io context.
#include "net/classroom.h"

#include <csignal>
#include <filesystem>

#include "core/login_session.h"
#include "core/teacher_peer.h"

namespace tesmora::classroom {

Classroom::Classroom(ClassroomOptions options)
    : options_(std::move(options)), stopSignals_(io_), operatorSignals_(io_), exitTimer_(io_) {}

Classroom::~Classroom() {
    Stop();
    if (background_.joinable()) background_.join();
    if (!shutDown_) Shutdown();  // started but never run
}

bool Classroom::Start(std::string& error) {
    // A remote that goes away while TLS writes to it must not end the classroom.
    std::signal(SIGPIPE, SIG_IGN);
    log_ = std::make_unique<EventLog>(
        EventLog::Options{options_.eventsPath, options_.quiet ? nullptr : stdout, options_.recordEvents});
    if (!log_->Ok()) return error = "cannot write the event log " + options_.eventsPath, false;
    if (!options_.outDir.empty()) {
        std::error_code ec;
        std::filesystem::create_directories(options_.outDir, ec);
        if (ec) return error = "cannot make the folder " + options_.outDir + ": " + ec.message(), false;
    }
    asio::error_code ec;
    const auto address = asio::ip::make_address(options_.listenHost, ec);
    if (ec) return error = "not an IP address to listen on: " + options_.listenHost, false;
    const std::string advertised = options_.AdvertisedHost();
    const auto next = [this] { return ++connections_; };

    teacher_ = std::make_unique<PeerServer>(
        io_, *log_, "teacher",
        [this, advertised](FrameSink& sink, uint64_t connection) {
            return std::make_unique<TeacherPeer>(options_.scenario, sink, *log_, connection, options_.outDir,
                                                 ++teacherCount_, LoginTarget{advertised, ports_.teacher});
        },
        next);
    if (!teacher_->Listen({address, options_.teacherPort}, error)) return false;
    ports_.teacher = teacher_->Port();

    login_ = std::make_unique<PeerServer>(
        io_, *log_, "login",
        [this, advertised](FrameSink& sink, uint64_t connection) {
            return std::make_unique<LoginSession>(options_.scenario, sink, *log_, connection, ++loginCount_,
                                                  LoginTarget{advertised, ports_.teacher});
        },
        next);
    if (!login_->Listen({address, options_.loginPort}, error)) return false;
    ports_.login = login_->Port();

    identity_ = TlsIdentity::Make(advertised, error);
    if (!identity_) return false;
    responder_ = std::make_unique<LookupResponder>(options_.scenario, advertised, ports_.login);
    update_ = std::make_unique<UpdateResponder>(options_.scenario.update, advertised, ports_.login);
    lookup_ = std::make_unique<LookupServer>(options_.scenario, *responder_, *log_, next, update_.get());
    if (!lookup_->Start(options_.listenHost, options_.lookupHttpPort, *identity_, error)) return false;
    ports_.lookupHttp = lookup_->HttpPort();

    const std::string internalHost = address.is_unspecified() ? "127.0.0.1" : options_.listenHost;
    lookupPort_ = std::make_unique<DualProtocolPort>(io_, *log_, internalHost,
                                                     options_.scenario.lookup.https ? lookup_->TlsPort() : 0,
                                                     ports_.lookupHttp, next);
    if (!lookupPort_->Listen({address, options_.lookupPort}, error)) return false;
    ports_.lookup = lookupPort_->Port();

    const auto listening = [this](const char* service, uint16_t port) {
        log_->Write(Event("classroom", 0, "listening")
                        .Str("service", service)
                        .Str("address", options_.listenHost)
                        .Int("port", port)
                        .Say(std::string(service) + " listening on " + options_.listenHost + ":" +
                             std::to_string(port)));
    };
    listening("lookup (https and http)", ports_.lookup);
    if (ports_.lookupHttp) listening("lookup (http)", ports_.lookupHttp);
    listening("login", ports_.login);
    listening("teacher", ports_.teacher);

    WatchSignals();
    if (options_.exitAfterSeconds > 0) {
        exitTimer_.expires_after(std::chrono::milliseconds(int64_t(options_.exitAfterSeconds * 1000)));
        exitTimer_.async_wait([this](const asio::error_code& e) {
            if (!e) Shutdown();
        });
    }
    return true;
}

void Classroom::WatchSignals() {
    stopSignals_.add(SIGINT);
    stopSignals_.add(SIGTERM);
    stopSignals_.async_wait([this](const asio::error_code& e, int) {
        if (!e) Shutdown();
    });
    operatorSignals_.add(SIGUSR1);
    operatorSignals_.add(SIGUSR2);
    operatorSignals_.async_wait([this](const asio::error_code& e, int signal) {
        if (!e) OnOperatorSignal(signal);
    });
}

void Classroom::OnOperatorSignal(int signal) {
    teacher_->ForEachSession([signal](PeerSession& session) {
        auto& teacher = static_cast<TeacherPeer&>(session);
        if (signal == SIGUSR1) teacher.SaveScreen();
        if (signal == SIGUSR2) teacher.OpenRemoteKeyboard();
    });
    operatorSignals_.async_wait([this](const asio::error_code& e, int next) {
        if (!e) OnOperatorSignal(next);
    });
}

void Classroom::Run() {
    io_.run();
}

void Classroom::RunInBackground() {
    background_ = std::thread([this] { io_.run(); });
}

void Classroom::Stop() {
    asio::post(io_, [this] { Shutdown(); });
}

void Classroom::Shutdown() {
    if (shutDown_) return;
    shutDown_ = true;
    asio::error_code ignored;
    exitTimer_.cancel();
    stopSignals_.cancel(ignored);
    operatorSignals_.cancel(ignored);
    if (lookupPort_) lookupPort_->Stop();
    if (lookup_) lookup_->Stop();
    if (login_) login_->Stop();
    if (teacher_) teacher_->Stop();
    if (log_) log_->Write(Event("classroom", 0, "stopped").Say("classroom stopped"));
}

std::string Classroom::Banner() const {
    const std::string host = options_.AdvertisedHost();
    std::string ids;
    for (const auto& id : options_.scenario.teacherIds) ids += (ids.empty() ? "" : ", ") + id;
    std::string text = "Tesmora simulated classroom\n";
    text += "  relay lookup:  https://" + host + ":" + std::to_string(ports_.lookup) + kLookupPath +
            " (plain http on the same port too)\n";
    if (ports_.lookupHttp) {
        text +=
            "                 http://" + host + ":" + std::to_string(ports_.lookupHttp) + kLookupPath + "\n";
    }
    text +=
        "  update service: the same ports, /tesmora/update/... (release folder: " +
        (options_.scenario.update.folder.empty() ? std::string("none") : options_.scenario.update.folder) +
        ")\n";
    text += "  login server:  " + host + ":" + std::to_string(ports_.login) + "\n";
    text += "  teacher:       " + host + ":" + std::to_string(ports_.teacher) + "\n";
    text += "  teacher IDs:   " + ids + "\n";
    text +=
        "Point the remote at it: in the remote's config.ini, section [default], set\n"
        "webserver=" +
        host + ":" + std::to_string(ports_.lookup) + ", then log in with one of the teacher IDs.\n";
    if (options_.outDir.empty()) text += "Received screens and sound are not saved (use --out DIR).\n";
    text += "Stop with Ctrl+C.\n";
    return text;
}

}  // namespace tesmora::classroom
