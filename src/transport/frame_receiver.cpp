// The receive buffer of a frame socket and the scanner that cuts it into frames. Appending and
// scanning happen on the socket's own thread; Reset and AdoptFrom may come from the thread that
// closes or hands over the socket.
#include "frame_receiver.h"

#include <cstring>

#include "common/bytes/byte_writer.h"
#include "frame.h"

namespace tesmora {

FrameReceiver::FrameReceiver() : buffer_(kSocketBufferStep, kSocketBufferStep) {}

bool FrameReceiver::Append(const uint8_t* data, size_t length) {
    std::lock_guard<std::mutex> guard(lock_);
    return buffer_.Append(data, length);
}

FrameReceiver::ScanResult FrameReceiver::Scan(const std::function<void(uint8_t* block)>& deliver) {
    std::lock_guard<std::mutex> guard(lock_);
    const uint8_t* data = buffer_.Data();
    const uint32_t count = buffer_.Count();
    uint32_t offset = 0;
    ScanResult result = ScanResult::kNeedMore;

    while (count - offset >= kFrameHeaderSize) {
        const uint8_t* frame = data + offset;
        if (!IsFrameMark(frame)) {
            result = ScanResult::kBadFrame;
            break;
        }
        const uint32_t length = LoadU32(frame + kFrameMarkSize);
        if (length < kMinFrameLength) {
            result = ScanResult::kBadFrame;
            break;
        }
        // Refused on its header, before any of its body is buffered.
        if (length > kMaxFrameLength) {
            result = ScanResult::kTooLong;
            break;
        }
        const uint64_t whole = uint64_t(length) + kFrameMarkSize;
        if (count - offset < whole) break;
        uint8_t* block = AllocateFrameBlock(length);
        if (block == nullptr) {
            result = ScanResult::kNoMemory;
            break;
        }
        std::memcpy(block, frame + kFrameMarkSize, length);
        // Advance before handing the block over, so that a frame is never delivered twice.
        offset += static_cast<uint32_t>(whole);
        deliver(block);
    }

    if (result == ScanResult::kNeedMore) {
        // One move of the unfinished tail per scan, however many frames were cut off.
        buffer_.DropFront(offset);
    } else {
        // The stream is out of step (or we cannot keep up with it): nothing buffered is usable, and
        // the caller closes the connection.
        buffer_.Clear();
    }
    return result;
}

void FrameReceiver::Reset() {
    std::lock_guard<std::mutex> guard(lock_);
    buffer_.Clear();
}

void FrameReceiver::AdoptFrom(FrameReceiver& other) {
    if (&other == this) return;
    std::scoped_lock guard(lock_, other.lock_);
    buffer_.TakeFrom(other.buffer_);
}

uint32_t FrameReceiver::Capacity() const {
    std::lock_guard<std::mutex> guard(lock_);
    return buffer_.Capacity();
}

uint32_t FrameReceiver::Count() const {
    std::lock_guard<std::mutex> guard(lock_);
    return buffer_.Count();
}

}  // namespace tesmora
