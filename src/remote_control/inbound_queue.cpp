// The remote-control channel's bounded inbound queue. Control thread appends, receiver thread takes.
#include "remote_control/inbound_queue.h"

#include "transport/frame.h"

namespace tesmora {

InboundQueue::~InboundQueue() {
    for (uint8_t* frame : frames_) FreeFrameBlock(frame);
}

size_t InboundQueue::CostOf(const uint8_t* frame) {
    return size_t(FrameBlockLength(frame)) + kInboundFrameOverhead;
}

bool InboundQueue::Push(uint8_t* frame) {
    if (!frame) return true;
    const size_t cost = CostOf(frame);
    std::lock_guard lock(lock_);
    if (cost > bound_ || bytes_ > bound_ - cost) {
        FreeFrameBlock(frame);
        return false;
    }
    try {
        frames_.push_back(frame);
    } catch (...) {
        FreeFrameBlock(frame);
        return false;
    }
    bytes_ += cost;
    return true;
}

uint8_t* InboundQueue::Take() {
    std::lock_guard lock(lock_);
    if (frames_.empty()) return nullptr;
    uint8_t* frame = frames_.front();
    frames_.pop_front();
    bytes_ -= CostOf(frame);
    return frame;
}

size_t InboundQueue::Bytes() const {
    std::lock_guard lock(lock_);
    return bytes_;
}

size_t InboundQueue::Count() const {
    std::lock_guard lock(lock_);
    return frames_.size();
}

}  // namespace tesmora
