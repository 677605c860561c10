// The send side of a frame socket: bytes that `Send` accepted but the network has not taken yet,
// oldest first, with the send lock. Any thread may append, flush or reset; each takes the lock.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>

#include "growing_buffer.h"

namespace tesmora {

class PendingSendBuffer {
public:
    PendingSendBuffer();
    PendingSendBuffer(const PendingSendBuffer&) = delete;
    PendingSendBuffer& operator=(const PendingSendBuffer&) = delete;

    bool Append(const uint8_t* data, size_t length);

    // Offers all pending bytes to `send`, which answers how many the network took (0 or more) or a
    // negative number when it took none. The taken bytes leave the front of the buffer; the rest,
    // and anything appended meanwhile, stays. Returns what `send` answered (0 if nothing waited).
    // `send` runs under the send lock (an append could otherwise move the block it reads), so it must
    // not call back into this buffer: close the connection after Flush returns.
    long Flush(const std::function<long(const uint8_t* data, uint32_t length)>& send);

    void Reset();
    void AdoptFrom(PendingSendBuffer& other);

    uint32_t Capacity() const;
    uint32_t Count() const;

private:
    mutable std::mutex lock_;
    GrowingBuffer buffer_;
};

}  // namespace tesmora
