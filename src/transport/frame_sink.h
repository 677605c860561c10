// What a packet is written to: a connection that takes whole frames. FrameSocket implements it on
// Windows; tests and the simulated classroom implement it over their own streams.
#pragma once

#include <cstdint>

namespace tesmora {

class FrameSink {
public:
    virtual ~FrameSink() = default;
    // Takes a whole frame; answers the bytes the network took now, or -1. Never blocks.
    virtual int Send(const uint8_t* data, int length) = 0;
    // Ends the connection (the owner is told).
    virtual void Close() = 0;
};

}  // namespace tesmora
