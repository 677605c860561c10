// The geometrically grown byte block behind a frame socket's receive and pending-send buffers. Not locked;
// the owner locks around it.
#include "growing_buffer.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace tesmora {

GrowingBuffer::GrowingBuffer(uint32_t step, uint32_t initialCapacity)
    : step_(step == 0 ? 1 : step), capacity_(0) {
    if (initialCapacity == 0) return;
    block_.reset(new (std::nothrow) uint8_t[initialCapacity]);
    // Without the memory the buffer simply starts empty and tries again on the first append.
    if (block_) capacity_ = initialCapacity;
}

bool GrowingBuffer::Append(const uint8_t* data, size_t length) {
    if (length == 0) return true;
    // Sizes are 32-bit on the wire and in the 32-bit build: refuse what would not fit instead of
    // letting the count wrap.
    if (length > UINT32_MAX - count_) return false;
    const uint32_t needed = count_ + static_cast<uint32_t>(length);
    if (needed > capacity_) {
        const auto wholeSteps = [this](uint64_t size) { return (size + step_ - 1) / step_ * step_; };
        const uint64_t smallest = wholeSteps(needed);
        if (smallest > UINT32_MAX) return false;
        const uint64_t doubled = wholeSteps(std::max<uint64_t>(needed, uint64_t(capacity_) * 2));
        std::unique_ptr<uint8_t[]> grown;
        uint64_t newCapacity = doubled;
        if (doubled <= UINT32_MAX) grown.reset(new (std::nothrow) uint8_t[static_cast<size_t>(doubled)]);
        if (!grown && doubled != smallest) {
            newCapacity = smallest;
            grown.reset(new (std::nothrow) uint8_t[static_cast<size_t>(smallest)]);
        }
        if (!grown) return false;
        if (count_ != 0) std::memcpy(grown.get(), block_.get(), count_);
        block_ = std::move(grown);
        capacity_ = static_cast<uint32_t>(newCapacity);
    }
    std::memcpy(block_.get() + count_, data, length);
    count_ = needed;
    return true;
}

void GrowingBuffer::DropFront(size_t length) {
    // A scan that cut nothing off must not move a large unfinished frame to where it already is.
    if (length == 0) return;
    if (length >= count_) {
        count_ = 0;
        return;
    }
    const uint32_t rest = count_ - static_cast<uint32_t>(length);
    std::memmove(block_.get(), block_.get() + length, rest);
    count_ = rest;
}

void GrowingBuffer::TakeFrom(GrowingBuffer& other) {
    if (&other == this) return;
    block_ = std::move(other.block_);
    capacity_ = other.capacity_;
    count_ = other.count_;
    other.capacity_ = 0;
    other.count_ = 0;
}

}  // namespace tesmora
