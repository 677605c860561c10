// Remote control as the teacher program plays it: sends the teacher PC's desktop as image frames,
// only the parts that changed since they were last sent, all changed parts side by side in one
// JPEG strip, and never more than a few frames ahead of the remote's acknowledgements. One frame
// may lie about its parts or lengths, as the scenario asks. One thread (the teacher session's).
#pragma once

#include <chrono>
#include <cstdint>
#include <vector>

#include "core/conversation.h"
#include "core/desktop_source.h"
#include "core/jpeg_codec.h"
#include "core/peer_session.h"
#include "core/pixel_image.h"
#include "core/scenario.h"

namespace tesmora::classroom {

class DesktopStreamer {
public:
    DesktopStreamer(const TeacherBehaviour& teacher, DesktopSource& desktop);

    // Starts over: frame numbers from 0, every part sent again.
    void Start(SessionClock::time_point now);
    void Stop() { running_ = false; }
    bool Running() const { return running_; }

    void OnAcknowledged(int32_t frame, Conversation& talk);
    // Sends the next frame when it is due, something changed and the remote is not too far behind.
    void Tick(SessionClock::time_point now, Conversation& talk);

    int64_t FramesSent() const { return nextFrame_; }
    int64_t LastAcknowledged() const { return lastAck_; }

private:
    void SendFrame(const std::vector<uint32_t>& changed, Conversation& talk);

    const TeacherBehaviour& teacher_;
    DesktopSource& desktop_;
    JpegEncoder encoder_;
    PartGrid grid_;
    PixelImage current_;
    PixelImage sent_;
    PixelImage strip_;
    std::vector<bool> everSent_;
    std::vector<uint8_t> jpeg_;
    std::vector<uint8_t> body_;
    bool running_ = false;
    bool blockedLogged_ = false;
    int64_t nextFrame_ = 0;
    int64_t lastAck_ = -1;
    SessionClock::time_point started_;
    SessionClock::time_point nextDue_;
};

}  // namespace tesmora::classroom
