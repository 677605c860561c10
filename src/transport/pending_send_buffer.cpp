// The pending-send buffer of a frame socket. Any thread may append, flush or reset; each takes the
// send lock.
#include "pending_send_buffer.h"

namespace tesmora {

PendingSendBuffer::PendingSendBuffer() : buffer_(kSocketBufferStep, kSocketBufferStep) {}

bool PendingSendBuffer::Append(const uint8_t* data, size_t length) {
    std::lock_guard<std::mutex> guard(lock_);
    return buffer_.Append(data, length);
}

long PendingSendBuffer::Flush(const std::function<long(const uint8_t* data, uint32_t length)>& send) {
    // The lock is held while the network is offered the bytes: an append from another thread could
    // otherwise move the block that `send` is reading. Sending never blocks, so the hold is short.
    std::lock_guard<std::mutex> guard(lock_);
    const uint32_t count = buffer_.Count();
    if (count == 0) return 0;
    const long taken = send(buffer_.Data(), count);
    if (taken > 0) buffer_.DropFront(static_cast<unsigned long>(taken) < count ? size_t(taken) : count);
    return taken;
}

void PendingSendBuffer::Reset() {
    std::lock_guard<std::mutex> guard(lock_);
    buffer_.Clear();
}

void PendingSendBuffer::AdoptFrom(PendingSendBuffer& other) {
    if (&other == this) return;
    std::scoped_lock guard(lock_, other.lock_);
    buffer_.TakeFrom(other.buffer_);
}

uint32_t PendingSendBuffer::Capacity() const {
    std::lock_guard<std::mutex> guard(lock_);
    return buffer_.Capacity();
}

uint32_t PendingSendBuffer::Count() const {
    std::lock_guard<std::mutex> guard(lock_);
    return buffer_.Count();
}

}  // namespace tesmora
