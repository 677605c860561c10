// RemoteStandIn, TestClassroom and picture helpers for the classroom tests.
#include "remote_stand_in.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <zlib.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "session/command_tag.h"
#include "transport/frame.h"

using namespace tesmora;
using namespace tesmora::classroom;

RemoteStandIn::RemoteStandIn(uint16_t port) {
    fd_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) Close();
}

RemoteStandIn::~RemoteStandIn() {
    Close();
}

int RemoteStandIn::Send(const uint8_t* data, int length) {
    int sent = 0;
    while (fd_ >= 0 && sent < length) {
        const ssize_t n = ::send(fd_, data + sent, size_t(length - sent), MSG_NOSIGNAL);
        if (n <= 0) return -1;
        sent += int(n);
    }
    return sent;
}

void RemoteStandIn::Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

void RemoteStandIn::SendText(std::u16string_view text) {
    Packet(text).Write(*this);
}

bool RemoteStandIn::Fill(std::chrono::milliseconds timeout) {
    if (fd_ < 0 || peerClosed_) return false;
    pollfd p{fd_, POLLIN, 0};
    if (poll(&p, 1, int(timeout.count())) <= 0) return false;
    uint8_t buffer[65536];
    const ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
    if (n <= 0) {
        peerClosed_ = true;
        return false;
    }
    receiver_.Append(buffer, size_t(n));
    receiver_.Scan([this](uint8_t* block) {
        auto packet = std::make_unique<Packet>();
        if (packet->Read(block)) ready_.push_back(std::move(packet));
    });
    return true;
}

std::unique_ptr<Packet> RemoteStandIn::Next(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (ready_.empty()) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || !Fill(left)) {
            if (ready_.empty()) return nullptr;
        }
    }
    auto packet = std::move(ready_.front());
    ready_.erase(ready_.begin());
    return packet;
}

std::optional<std::u16string> RemoteStandIn::WaitForTag(std::u16string_view tag,
                                                        std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (true) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return std::nullopt;
        auto packet = Next(left);
        if (!packet) return std::nullopt;
        if (packet->Type() != kPacketText) continue;
        const auto command = SplitCommand(packet->Text());
        if (command && command->tag == tag) return std::u16string(command->payload);
    }
}

bool RemoteStandIn::WaitClosed(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!peerClosed_) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return false;
        Fill(left);
    }
    return true;
}

TestClassroom::TestClassroom(std::initializer_list<std::pair<std::string, std::string>> settings,
                             bool saveFiles) {
    ClassroomOptions options;
    options.lookupPort = options.lookupHttpPort = options.loginPort = options.teacherPort = 0;
    options.quiet = true;
    options.recordEvents = true;
    if (saveFiles) {
        char pattern[] = "/tmp/classroom-test-XXXXXX";
        outDir_ = mkdtemp(pattern);
        options.outDir = outDir_;
    }
    std::string error;
    for (const auto& [key, value] : settings) {
        if (!ApplyScenarioSetting(options.scenario, key, value, error)) throw std::runtime_error(error);
    }
    classroom_ = std::make_unique<Classroom>(std::move(options));
    if (!classroom_->Start(error)) throw std::runtime_error(error);
    classroom_->RunInBackground();
}

TestClassroom::~TestClassroom() {
    classroom_.reset();
    if (!outDir_.empty()) std::filesystem::remove_all(outDir_);
}

std::optional<LoggedEvent> TestClassroom::Wait(const std::string& kind, const std::string& key,
                                               const std::string& value, std::chrono::milliseconds timeout) {
    return classroom_->Events().WaitFor(
        [&](const LoggedEvent& e) { return e.kind == kind && (key.empty() || e.Get(key) == value); },
        timeout);
}

int TestClassroom::Count(const std::string& kind, const std::string& key, const std::string& value) {
    int count = 0;
    for (const auto& e : classroom_->Events().Recorded()) {
        if (e.kind == kind && (key.empty() || e.Get(key) == value)) ++count;
    }
    return count;
}

std::unique_ptr<RemoteStandIn> TestClassroom::AcceptedRemote() {
    auto remote = std::make_unique<RemoteStandIn>(Ports().teacher);
    if (!remote->WaitForTag(kTagAccepted)) return nullptr;
    remote->SendText(u"[RC00001]2.0.1.1028");
    if (!remote->WaitForTag(kTagTeacherScreenSize)) return nullptr;
    return remote;
}

PixelImage TestPicture(uint32_t width, uint32_t height, uint32_t seed) {
    PixelImage picture;
    picture.Reset(width, height);
    for (uint32_t y = 0; y < height; ++y) {
        uint8_t* p = picture.Row(y);
        for (uint32_t x = 0; x < width; ++x, p += 4) {
            const uint32_t block = (x / 40) * 7 + (y / 45) * 13 + seed * 31;
            p[0] = uint8_t(40 + (block * 53) % 170 + y % 45);
            p[1] = uint8_t(40 + (block * 97) % 170);
            p[2] = uint8_t(40 + (block * 29) % 170 + x % 40);
        }
    }
    return picture;
}

double MeanChannelError(const PixelImage& a, uint32_t ax, uint32_t ay, const PixelImage& b, uint32_t bx,
                        uint32_t by, uint32_t width, uint32_t height) {
    double total = 0;
    for (uint32_t y = 0; y < height; ++y) {
        const uint8_t* pa = a.Row(ay + y) + size_t(ax) * 4;
        const uint8_t* pb = b.Row(by + y) + size_t(bx) * 4;
        for (uint32_t x = 0; x < width * 4; ++x) {
            if (x % 4 != 3) total += std::abs(int(pa[x]) - int(pb[x]));
        }
    }
    return total / (double(width) * height * 3);
}

bool ReadClassroomPng(const std::string& path, PixelImage& out) {
    std::ifstream file(path, std::ios::binary);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)),
                                     std::istreambuf_iterator<char>());
    const auto u32 = [&bytes](size_t at) {
        return uint32_t(bytes[at]) << 24 | uint32_t(bytes[at + 1]) << 16 | uint32_t(bytes[at + 2]) << 8 |
               bytes[at + 3];
    };
    if (bytes.size() < 8 + 25) return false;
    const uint32_t width = u32(16), height = u32(20);
    std::vector<uint8_t> packed;
    for (size_t at = 8; at + 12 <= bytes.size();) {
        const uint32_t length = u32(at);
        if (std::string(bytes.begin() + long(at) + 4, bytes.begin() + long(at) + 8) == "IDAT") {
            packed.insert(packed.end(), bytes.begin() + long(at) + 8, bytes.begin() + long(at) + 8 + length);
        }
        at += 12 + length;
    }
    std::vector<uint8_t> raw(size_t(height) * (1 + width * 3));
    uLongf rawSize = uLongf(raw.size());
    if (uncompress(raw.data(), &rawSize, packed.data(), uLong(packed.size())) != Z_OK ||
        rawSize != raw.size()) {
        return false;
    }
    out.Reset(width, height);
    for (uint32_t y = 0; y < height; ++y) {
        const uint8_t* in = raw.data() + size_t(y) * (1 + width * 3) + 1;
        uint8_t* row = out.Row(y);
        for (uint32_t x = 0; x < width; ++x, in += 3, row += 4) {
            row[0] = in[2];
            row[1] = in[1];
            row[2] = in[0];
        }
    }
    return true;
}
