// The receiver thread of remote control: takes what the communication window received, one packet
// per cycle of about 5 ms in arrival order, answers the teacher's reply tags, and decodes each image
// frame into the shared screen image, repaints the view and acknowledges the frame (also when it
// did not decode, so that the teacher never waits for it). Receiver thread only.
#pragma once

#include <windows.h>

#include <stop_token>
#include <string_view>

#include "remote_control/strip_decoder.h"
#include "transport/image_frame.h"
#include "transport/packet.h"

namespace tesmora {

class ControlChannelWindow;

class RemoteControlReceiver {
public:
    explicit RemoteControlReceiver(ControlChannelWindow& comm) : comm_(comm) {}
    void Run(std::stop_token stop);

private:
    void OnText(std::u16string_view text);
    void OnScreenSize(std::u16string_view payload);
    void OnFrame(const Packet& packet);
    void TeacherAlive();

    ControlChannelWindow& comm_;
    StripDecoder decoder_;
};

}  // namespace tesmora
