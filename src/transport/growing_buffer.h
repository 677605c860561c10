// A byte block that grows in fixed steps and never shrinks: the receive and pending-send buffers of
// a frame socket. Not locked: the owner (FrameReceiver, PendingSendBuffer) locks around it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

inline constexpr uint32_t kSocketBufferStep = 40960;

class GrowingBuffer {
public:
    GrowingBuffer(uint32_t step, uint32_t initialCapacity);
    GrowingBuffer(const GrowingBuffer&) = delete;
    GrowingBuffer& operator=(const GrowingBuffer&) = delete;

    uint32_t Capacity() const { return capacity_; }
    uint32_t Count() const { return count_; }
    const uint8_t* Data() const { return block_.get(); }

    // Appends, growing the capacity by the smallest whole number of steps that makes the data fit.
    // False (nothing appended) when the new size does not fit in 32 bits or the memory is not there.
    bool Append(const uint8_t* data, size_t length);
    // Moves the bytes after the first `length` to the front; dropping more than is held empties it.
    void DropFront(size_t length);
    // Count to zero; the block and its capacity stay.
    void Clear() { count_ = 0; }
    // Takes over another buffer's block, capacity and count; the other is left with no block,
    // zero capacity and zero count (it grows a new block on first use).
    void TakeFrom(GrowingBuffer& other);

private:
    std::unique_ptr<uint8_t[]> block_;
    uint32_t step_;
    uint32_t capacity_;
    uint32_t count_ = 0;
};
