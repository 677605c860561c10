// FaultSink and the junk frames. One thread.
#include "core/fault_sink.h"

#include <string>
#include <vector>

#include "transport/frame.h"
#include "transport/packet.h"

namespace tesmora::classroom {

namespace {

void PutU32(std::vector<uint8_t>& out, uint32_t value) {
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(value >> (8 * i)));
}

// One frame around `body` (type byte first), with a sound mark and length.
void SendRawFrame(FrameSink& sink, const std::vector<uint8_t>& body) {
    std::vector<uint8_t> frame;
    const auto mark = MakeFrameMark(CurrentTickByte());
    frame.insert(frame.end(), mark.begin(), mark.end());
    PutU32(frame, uint32_t(body.size()) + 4);
    frame.insert(frame.end(), body.begin(), body.end());
    sink.Send(frame.data(), int(frame.size()));
}

}  // namespace

int FaultSink::Send(const uint8_t* data, int length) {
    if (closed_ || length <= 0) return -1;
    if (cutNext_) {
        cutNext_ = false;
        closed_ = true;
        next_.Send(data, length / 2);
        next_.Close();
        return length;
    }
    if (!trickling_) return next_.Send(data, length);
    queued_.insert(queued_.end(), data, data + length);
    return length;
}

void FaultSink::Close() {
    if (closed_) return;
    if (trickling_ && !queued_.empty()) {
        closeWhenDrained_ = true;
        return;
    }
    closed_ = true;
    next_.Close();
}

void FaultSink::StartTrickle(SessionClock::time_point now) {
    if (trickling_) return;
    trickling_ = true;
    nextByte_ = now;
}

void FaultSink::Tick(SessionClock::time_point now) {
    if (!trickling_ || closed_ || now < nextByte_) return;
    if (!queued_.empty()) {
        const uint8_t byte = queued_.front();
        queued_.pop_front();
        next_.Send(&byte, 1);
        nextByte_ = now + std::chrono::seconds(1);
    }
    if (queued_.empty() && closeWhenDrained_) {
        closed_ = true;
        next_.Close();
    }
}

void SendFlood(FrameSink& sink, int megabytes) {
    const std::vector<uint8_t> body(64 * 1024, 0x61);  // type 0x61, unknown
    for (int i = 0; i < megabytes * 16; ++i) SendRawFrame(sink, body);
}

void SendJunkFrames(FrameSink& sink, int count) {
    for (int i = 0; i < count; ++i) {
        std::vector<uint8_t> body;
        switch (i % 6) {
            case 0:  // a packet type the format does not know
                body = {uint8_t(0x60 + i % 32), 1, 2, 3, 4, 5, 6, 7};
                break;
            case 1:  // a text whose digest length runs far past the frame
                body.push_back(kPacketText);
                PutU32(body, 0x7FFFFFF0u);
                break;
            case 2:  // a text whose cipher length runs past the frame
                body.push_back(kPacketText);
                PutU32(body, 0);
                PutU32(body, 0xFFFFFFFFu);
                body.push_back(0x41);
                break;
            case 3:  // a readable text with an unknown tag
                Packet(u"[ZZ" + std::u16string(1, char16_t(u'0' + i % 10)) + u"9999]" +
                       std::u16string(size_t(i % 50), u'x'))
                    .Write(sink);
                continue;
            case 4:  // a screen size that is no size
                Packet(i % 12 == 4 ? u"[RH00001]" : u"[RH00001]wide,high,deep").Write(sink);
                continue;
            default:  // image data whose length runs past the frame
                body.push_back(kPacketImage);
                for (uint32_t v : {1000u, 0xFFFFFFFFu, 4u, 0xFFFFFFF0u}) PutU32(body, v);
                break;
        }
        SendRawFrame(sink, body);
    }
}

}  // namespace tesmora::classroom
