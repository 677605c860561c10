// The receive buffer of a frame socket and the scanner that cuts it into frames. Receiving, appending
// and scanning happen on the socket's own thread; Reset and AdoptFrom may come from the thread that
// closes or hands over the socket.
#include "frame_receiver.h"

#include <algorithm>
#include <cstring>

#include "common/bytes/byte_writer.h"
#include "frame.h"

namespace tesmora {

namespace {

using Deliver = std::function<void(uint8_t* block)>;
using ScanResult = FrameReceiver::ScanResult;

// Cuts every complete frame off `data[offset, count)` and hands each one over; `offset` ends at the
// first byte not delivered. kNeedMore when what is left is less than one frame with a good header.
ScanResult CutFrames(const uint8_t* data, size_t count, size_t& offset, const Deliver& deliver) {
    while (count - offset >= kFrameHeaderSize) {
        const uint8_t* frame = data + offset;
        if (!IsFrameMark(frame)) return ScanResult::kBadFrame;
        const uint32_t length = LoadU32(frame + kFrameMarkSize);
        if (length < kMinFrameLength) return ScanResult::kBadFrame;
        // Refused on its header, before any of its body is buffered.
        if (length > kMaxFrameLength) return ScanResult::kTooLong;
        const uint64_t whole = uint64_t(length) + kFrameMarkSize;
        if (count - offset < whole) break;
        uint8_t* block = AllocateFrameBlock(length);
        if (block == nullptr) return ScanResult::kNoMemory;
        std::memcpy(block, frame + kFrameMarkSize, length);
        // Advance before handing the block over, so that a frame is never delivered twice.
        offset += static_cast<size_t>(whole);
        deliver(block);
    }
    return ScanResult::kNeedMore;
}

}  // namespace

FrameReceiver::FrameReceiver() : buffer_(kSocketBufferStep, kSocketBufferStep) {}

FrameReceiver::ScanResult FrameReceiver::Receive(const uint8_t* data, size_t length, const Deliver& deliver) {
    std::lock_guard<std::mutex> guard(lock_);
    size_t offset = 0;
    // A frame begun by an earlier arrival is finished in the buffer. Only the bytes it still misses go
    // there (its header first, so that its length is known, then the rest), never the frames after it.
    while (buffer_.Count() != 0) {
        const ScanResult result = ScanBuffered(deliver);
        if (result != ScanResult::kNeedMore) return result;
        if (buffer_.Count() == 0) break;
        if (offset == length) return ScanResult::kNeedMore;
        const uint32_t held = buffer_.Count();
        // ScanBuffered has checked a held header, so a frame that is held is always short of bytes.
        const uint64_t missing =
            held < kFrameHeaderSize
                ? kFrameHeaderSize - held
                : uint64_t(LoadU32(buffer_.Data() + kFrameMarkSize)) + kFrameMarkSize - held;
        const size_t take = static_cast<size_t>(std::min<uint64_t>(missing, length - offset));
        if (!buffer_.Append(data + offset, take)) {
            buffer_.Clear();
            return ScanResult::kNoMemory;
        }
        offset += take;
    }
    // The buffer is empty: whole frames go straight from the arrival into their blocks.
    const ScanResult result = CutFrames(data, length, offset, deliver);
    if (result != ScanResult::kNeedMore) return result;
    if (!buffer_.Append(data + offset, length - offset)) return ScanResult::kNoMemory;
    return ScanResult::kNeedMore;
}

bool FrameReceiver::Append(const uint8_t* data, size_t length) {
    std::lock_guard<std::mutex> guard(lock_);
    return buffer_.Append(data, length);
}

FrameReceiver::ScanResult FrameReceiver::Scan(const Deliver& deliver) {
    std::lock_guard<std::mutex> guard(lock_);
    return ScanBuffered(deliver);
}

FrameReceiver::ScanResult FrameReceiver::ScanBuffered(const Deliver& deliver) {
    size_t offset = 0;
    const ScanResult result = CutFrames(buffer_.Data(), buffer_.Count(), offset, deliver);
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
