// The numbers of one screen upload's flow control: the number of the next frame, which the capture
// thread advances, and the teacher's latest acknowledgement ("[RH00002]"), which the panel's thread
// stores. Both are whole 32-bit values the capture thread reads without a lock. Any thread, except
// where a method says.
#pragma once

#include <atomic>
#include <cstdint>

namespace tesmora {

class UploadFlow {
public:
    // A new upload numbers its frames from 0 and has nothing acknowledged yet. UI thread, while no
    // capture thread runs.
    void Begin() {
        acknowledged_.store(0);
        nextFrame_.store(0);
    }

    // The teacher acknowledges `frame`. Taken only when it names a frame this upload has made (0 up
    // to the next frame's number): the last frames of a stopped upload are still acknowledged after
    // a new one starts, and an old "[RH00002]1000" would otherwise let the new upload run 1000 frames
    // ahead of the teacher. True when taken. UI thread.
    bool OnAcknowledged(int32_t frame) {
        if (frame < 0 || frame >= nextFrame_.load()) return false;
        acknowledged_.store(frame);
        return true;
    }

    std::atomic<int32_t>& NextFrame() { return nextFrame_; }
    int32_t Acknowledged() const { return acknowledged_.load(); }
    // The value itself, for the capture thread to poll.
    const std::atomic<int32_t>& AcknowledgedValue() const { return acknowledged_; }

private:
    std::atomic<int32_t> acknowledged_{0};
    std::atomic<int32_t> nextFrame_{0};
};

}  // namespace tesmora
