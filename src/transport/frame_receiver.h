// The receive side of a frame socket: the receive buffer with its lock and the frame scanner.
// Bytes are received (or appended and scanned) on the socket's own thread; Reset and AdoptFrom may
// come from the thread that closes or hands over the socket, so every change takes the receive lock.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>

#include "growing_buffer.h"

namespace tesmora {

class FrameReceiver {
public:
    FrameReceiver();
    FrameReceiver(const FrameReceiver&) = delete;
    FrameReceiver& operator=(const FrameReceiver&) = delete;

    enum class ScanResult {
        kNeedMore,  // every complete frame was delivered; the rest waits for more bytes
        kBadFrame,  // a bad mark or an L below kMinFrameLength: the caller closes the connection
        kTooLong,   // an L above kMaxFrameLength, known from its header alone: the caller closes
        kNoMemory,  // a frame block could not be allocated: the caller closes the connection
    };

    // One arrival: the same frames and verdict as Append followed by Scan, but a frame that lies
    // wholly inside `data` is copied once, straight into its block; only a frame begun by an earlier
    // arrival and the unfinished tail pass through the receive buffer. kNoMemory also when the tail
    // could not be buffered.
    ScanResult Receive(const uint8_t* data, size_t length,
                       const std::function<void(uint8_t* block)>& deliver);

    // False when the bytes could not be buffered (the caller closes the connection).
    bool Append(const uint8_t* data, size_t length);

    // Cuts every complete frame off the front and hands each one, as a block from
    // AllocateFrameBlock, to `deliver`, which takes ownership. The remaining tail is moved to the
    // front once per scan, not once per frame, so the cost is linear in the bytes received.
    // `deliver` must not call back into this receiver. After kBadFrame, kTooLong or kNoMemory nothing
    // stays buffered: the frames before the fault were delivered, the rest is dropped.
    ScanResult Scan(const std::function<void(uint8_t* block)>& deliver);

    void Reset();                          // drops everything buffered; capacity stays
    void AdoptFrom(FrameReceiver& other);  // takes the other's buffer; the other keeps none

    uint32_t Capacity() const;
    uint32_t Count() const;

private:
    // Scan's work, the lock held.
    ScanResult ScanBuffered(const std::function<void(uint8_t* block)>& deliver);

    mutable std::mutex lock_;
    GrowingBuffer buffer_;
};

}  // namespace tesmora
