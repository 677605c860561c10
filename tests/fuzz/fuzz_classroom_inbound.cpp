// Fuzz target: whatever a remote might send into the simulated classroom's teacher program. The
// input is a list of records (kind byte, u16 little-endian length, that many bytes):
//   kind % 4 == 0  raw stream bytes, as they come off the socket
//   kind % 4 == 1  a command text (UTF-8), sent as a proper type 1 packet
//   kind % 4 == 2  a packet body (type byte first), wrapped in a proper frame
//   kind % 4 == 3  time passes (length modulo 1000 milliseconds) and the session ticks
// so that the fuzzer reaches the upload, sound and remote-control paths as well as the framing. The
// same input then goes to the login server's session.
#include <cstdint>
#include <vector>

#include "common/bytes/byte_reader.h"
#include "common/bytes/byte_writer.h"
#include "core/event_log.h"
#include "core/login_session.h"
#include "core/packet_pump.h"
#include "core/scenario.h"
#include "core/teacher_peer.h"
#include "core/text_codec.h"
#include "transport/frame.h"
#include "transport/packet.h"

using namespace tesmora;
using namespace tesmora::classroom;

namespace {

class NullSink : public FrameSink {
public:
    int Send(const uint8_t*, int length) override { return closed_ ? -1 : length; }
    void Close() override { closed_ = true; }

private:
    bool closed_ = false;
};

const Scenario& FuzzScenario() {
    static const Scenario scenario = [] {
        Scenario s;
        std::string error;
        // A tiny desktop: its pictures are made for every input, and their size only costs time.
        ApplyScenarioSetting(s, "teacher.monitors", "64x32,32x32", error);
        ApplyScenarioSetting(s, "teacher.frame-interval", "50", error);
        return s;
    }();
    return scenario;
}

void Play(PeerSession& session, FrameSink& sink, EventLog& log, const uint8_t* data, size_t size) {
    PacketPump pump(session, sink, log, "peer", 1);
    auto now = SessionClock::time_point{};
    session.OnConnected(now);

    ByteReader reader(data, size);
    while (reader.Remaining() >= 3) {
        const uint8_t kind = reader.U8();
        const uint16_t wanted = reader.U16();
        const size_t length = wanted < reader.Remaining() ? wanted : reader.Remaining();
        static const uint8_t kNothing = 0;
        const uint8_t* bytes = length == 0 ? &kNothing : reader.Bytes(length);
        if (!bytes) break;
        switch (kind % 4) {
            case 0:
                pump.Feed(bytes, length, now);
                break;
            case 1: {
                const Packet packet(FromUtf8(std::string(reinterpret_cast<const char*>(bytes), length)));
                const auto frame = packet.BuildFrame(0x21);
                pump.Feed(frame.data(), frame.size(), now);
                break;
            }
            case 2: {
                ByteWriter frame;
                const auto mark = MakeFrameMark(0x5C);
                frame.Bytes(mark.data(), mark.size());
                frame.U32(uint32_t(length + 4));
                frame.Bytes(bytes, length);
                pump.Feed(frame.Data(), frame.Size(), now);
                break;
            }
            default:
                // At most a second a step: longer only makes the desktop send more of the same frames
                // and keeps the fuzzer from exploring.
                now += std::chrono::milliseconds(length % 1000);
                session.OnTick(now);
        }
    }
    session.OnClosed(now);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    EventLog log(EventLog::Options{});
    {
        NullSink sink;
        TeacherPeer teacher(FuzzScenario(), sink, log, 1, "");
        Play(teacher, sink, log, data, size);
    }
    NullSink sink;
    LoginSession login(FuzzScenario(), sink, log, 2, 1, LoginTarget{"127.0.0.1", 18600});
    Play(login, sink, log, data, size);
    return 0;
}
