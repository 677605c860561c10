// What the classroom tests use in place of the remote: a blocking TCP client that speaks frames and
// packets through the project's transport, and an in-process classroom on ephemeral ports.
#pragma once

#include <chrono>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/event_log.h"
#include "core/pixel_image.h"
#include "net/classroom.h"
#include "transport/frame_receiver.h"
#include "transport/frame_sink.h"
#include "transport/packet.h"

using namespace tesmora;
using namespace tesmora::classroom;

using namespace std::chrono_literals;

class RemoteStandIn : public FrameSink {
public:
    explicit RemoteStandIn(uint16_t port);
    RemoteStandIn(const RemoteStandIn&) = delete;
    RemoteStandIn& operator=(const RemoteStandIn&) = delete;
    ~RemoteStandIn() override;

    bool Connected() const { return fd_ >= 0; }
    int Send(const uint8_t* data, int length) override;
    void Close() override;

    void SendText(std::u16string_view text);
    void SendBytes(const std::vector<uint8_t>& bytes) { Send(bytes.data(), int(bytes.size())); }

    // The next packet, or nothing when none comes in time or the connection closed.
    std::unique_ptr<Packet> Next(std::chrono::milliseconds timeout = 3s);
    // Skips packets until a text with `tag` arrives; its payload.
    std::optional<std::u16string> WaitForTag(std::u16string_view tag, std::chrono::milliseconds timeout = 3s);
    // True when the classroom closes the connection within the time.
    bool WaitClosed(std::chrono::milliseconds timeout = 3s);

private:
    bool Fill(std::chrono::milliseconds timeout);

    int fd_ = -1;
    bool peerClosed_ = false;
    FrameReceiver receiver_;
    std::vector<std::unique_ptr<Packet>> ready_;
};

// A classroom on ephemeral loopback ports that keeps its events, with the scenario settings given.
class TestClassroom {
public:
    explicit TestClassroom(std::initializer_list<std::pair<std::string, std::string>> settings = {},
                           bool saveFiles = false);
    TestClassroom(const TestClassroom&) = delete;
    TestClassroom& operator=(const TestClassroom&) = delete;
    ~TestClassroom();

    Classroom& Get() { return *classroom_; }
    Classroom::Ports Ports() const { return classroom_->BoundPorts(); }
    const std::string& OutDir() const { return outDir_; }

    // The first event of `kind` (and, if given, whose field `key` has `value`) within the time.
    std::optional<LoggedEvent> Wait(const std::string& kind, const std::string& key = "",
                                    const std::string& value = "", std::chrono::milliseconds timeout = 3s);
    int Count(const std::string& kind, const std::string& key = "", const std::string& value = "");

    // Connects to the teacher, reads [DV00094] and [DV00007], answers [RC00001] and reads [RH00001].
    std::unique_ptr<RemoteStandIn> AcceptedRemote();

private:
    std::string outDir_;
    std::unique_ptr<Classroom> classroom_;
};

// A picture of smooth colour fields (JPEG keeps them well) with a distinct hue per part.
PixelImage TestPicture(uint32_t width, uint32_t height, uint32_t seed);
double MeanChannelError(const PixelImage& a, uint32_t ax, uint32_t ay, const PixelImage& b, uint32_t bx,
                        uint32_t by, uint32_t width, uint32_t height);
// Reads a PNG as the classroom writes it (8-bit RGB, filter 0).
bool ReadClassroomPng(const std::string& path, PixelImage& out);
