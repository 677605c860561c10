// The remote-control channel's inbound queue: the frames the teacher sent, as they came off the
// socket, waiting for the receiver thread, which takes one per cycle. The teacher is held to a bound
// on the bytes waiting: a teacher that sends faster than the pad can show (frames not held back by
// acknowledgements, a stream of texts) would otherwise grow the queue without limit; past the bound
// the caller ends the connection. The control thread appends, the receiver thread takes; both under
// the inbound lock.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>

namespace tesmora {

// What the queue may hold: a real teacher keeps at most four frames in flight, a few hundred KB each
// and a few MB for the largest desktops; 64 MiB is two of the largest frames a peer may send at all
// (kMaxFrameLength) and ten times the most a real teacher has in flight.
inline constexpr size_t kInboundQueueBound = 64u * 1024 * 1024;
// What each waiting frame costs beyond its bytes (its block's and the queue's bookkeeping), so that a
// flood of tiny frames meets the bound too.
inline constexpr size_t kInboundFrameOverhead = 64;

class InboundQueue {
public:
    explicit InboundQueue(size_t bound = kInboundQueueBound) : bound_(bound) {}
    InboundQueue(const InboundQueue&) = delete;
    InboundQueue& operator=(const InboundQueue&) = delete;
    ~InboundQueue();  // frees what is still waiting

    // Appends a frame block (from the frame socket; the queue owns it from here). False when it would
    // take the queue past its bound: the block is freed and the queue keeps what it held.
    bool Push(uint8_t* frame);
    // The oldest waiting frame block, or null; the caller owns and frees it.
    uint8_t* Take();
    // How many bytes (with the per-frame overhead) wait now.
    size_t Bytes() const;
    size_t Count() const;

private:
    static size_t CostOf(const uint8_t* frame);

    const size_t bound_;
    mutable std::mutex lock_;
    std::deque<uint8_t*> frames_;
    size_t bytes_ = 0;
};

}  // namespace tesmora
