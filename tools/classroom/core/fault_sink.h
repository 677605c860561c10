// A teacher connection that misbehaves on the wire, as the scenario asks: everything it sends
// trickles out one byte a second, one frame is cut off halfway and the connection dropped, or a run
// of frames arrives whose marks and lengths are sound but whose packets are not. It sits between
// the teacher session and the connection's FrameSink. One thread (the connection's).
#pragma once

#include <cstdint>
#include <deque>

#include "core/peer_session.h"
#include "transport/frame_sink.h"

namespace tesmora::classroom {

class FaultSink : public FrameSink {
public:
    explicit FaultSink(FrameSink& next) : next_(next) {}

    int Send(const uint8_t* data, int length) override;
    // With bytes still trickling, the connection ends once they are out.
    void Close() override;

    // From now on every byte waits its turn, one a second.
    void StartTrickle(SessionClock::time_point now);
    bool Trickling() const { return trickling_; }
    // The next frame goes out only halfway; then the connection is dropped.
    void CutNextFrame(bool cut) { cutNext_ = cut; }
    void Tick(SessionClock::time_point now);

private:
    FrameSink& next_;
    bool trickling_ = false;
    bool cutNext_ = false;
    bool closeWhenDrained_ = false;
    bool closed_ = false;
    std::deque<uint8_t> queued_;
    SessionClock::time_point nextByte_;
};

// `count` frames with sound marks and lengths whose packets the remote cannot use: unknown packet
// types, fields that run past the frame, texts with unknown tags or a screen size that is no size,
// image data outside remote control. The stream stays in step, so a remote must carry on.
void SendJunkFrames(FrameSink& sink, int count);

// About `megabytes` MB of 64 KiB frames of a packet type nobody knows, at once: a teacher that sends
// far faster than the pad can take what it sends.
void SendFlood(FrameSink& sink, int megabytes);

}  // namespace tesmora::classroom
