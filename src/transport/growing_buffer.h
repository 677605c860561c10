// A byte block that grows geometrically, in whole steps, and never shrinks: the receive and
// pending-send buffers of a frame socket. Not locked: the owner (FrameReceiver, PendingSendBuffer)
// locks around it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace tesmora {

inline constexpr uint32_t kSocketBufferStep = 40960;

class GrowingBuffer {
public:
    GrowingBuffer(uint32_t step, uint32_t initialCapacity);
    GrowingBuffer(const GrowingBuffer&) = delete;
    GrowingBuffer& operator=(const GrowingBuffer&) = delete;

    uint32_t Capacity() const { return capacity_; }
    uint32_t Count() const { return count_; }
    const uint8_t* Data() const { return block_.get(); }

    // Appends. A buffer too small grows to at least twice its capacity, or to what the data needs if
    // that is more, rounded up to whole steps: a large frame arriving in small pieces then costs a
    // few copies, not one copy of everything held per step. When the doubled block is not there (or
    // does not fit in 32 bits) the smallest whole number of steps that fits is tried. False (nothing
    // appended) when even that does not fit in 32 bits or the memory is not there.
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

}  // namespace tesmora
