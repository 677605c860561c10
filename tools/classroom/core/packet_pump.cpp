// PacketPump. One thread (the connection's).
#include "core/packet_pump.h"

#include <memory>
#include <vector>

#include "transport/frame.h"

namespace tesmora::classroom {

namespace {

struct BlockDeleter {
    void operator()(uint8_t* block) const { FreeFrameBlock(block); }
};

}  // namespace

PacketPump::PacketPump(PeerSession& session, FrameSink& sink, EventLog& log, std::string peer,
                       uint64_t connection)
    : session_(session), sink_(sink), log_(log), peer_(std::move(peer)), connection_(connection) {}

void PacketPump::Break(const std::string& why) {
    broken_ = true;
    log_.Write(
        Event(peer_, connection_, "bad_input").Str("what", why).Say("!! bad input: " + why + "; closing"));
    sink_.Close();
}

bool PacketPump::Feed(const uint8_t* data, size_t length, SessionClock::time_point now) {
    if (broken_) return false;
    if (!receiver_.Append(data, length) || receiver_.Count() > kMaxBufferedBytes) {
        Break("more than " + std::to_string(kMaxBufferedBytes >> 20) + " MiB without a complete frame");
        return false;
    }
    std::vector<std::unique_ptr<uint8_t, BlockDeleter>> blocks;
    const auto result = receiver_.Scan([&blocks](uint8_t* block) { blocks.emplace_back(block); });

    for (auto& block : blocks) {
        if (broken_) break;
        const uint32_t frameLength = FrameBlockLength(block.get());
        const unsigned type = block.get()[4];  // the scanner only delivers L >= 5
        Packet packet;
        if (!packet.Read(block.release())) {
            log_.Write(Event(peer_, connection_, "bad_input")
                           .Str("what", "unreadable packet")
                           .Int("type", type)
                           .Int("length", frameLength)
                           .Say("!! bad input: unreadable packet of type " + std::to_string(type) +
                                ", L = " + std::to_string(frameLength)));
            continue;
        }
        session_.OnPacket(packet, now);
    }
    if (!broken_ && result == FrameReceiver::ScanResult::kBadFrame) Break("bad frame mark or length");
    if (!broken_ && result == FrameReceiver::ScanResult::kTooLong) Break("frame longer than the bound");
    if (!broken_ && result == FrameReceiver::ScanResult::kNoMemory) Break("no memory for a frame");
    return !broken_;
}

}  // namespace tesmora::classroom
