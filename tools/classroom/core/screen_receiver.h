// Screen upload as the teacher program receives it: the teacher's copy of the pad's screen, cut
// into the part grid of the size the pad announced ([RC00008]); each image frame's JPEG strip is
// decoded and its parts are placed where their numbers say. Frames whose lengths lie are refused
// without reading past them. One thread (the teacher session's).
#pragma once

#include <cstdint>
#include <string>

#include "core/conversation.h"
#include "core/jpeg_codec.h"
#include "core/pixel_image.h"
#include "transport/image_frame.h"
#include "transport/packet.h"

namespace tesmora::classroom {

class ScreenReceiver {
public:
    // False with a reason when the size is not acceptable (the old screen is kept then).
    bool SetScreen(int32_t width, int32_t height, std::string& error);
    bool HasScreen() const { return !screen_.Empty(); }
    const PixelImage& Screen() const { return screen_; }
    const PartGrid& Grid() const { return grid_; }

    // Reads and places one image frame. True when the frame is to be acknowledged: its body could
    // be read (parts that cannot be placed are logged; a strip that does not decode is black).
    bool OnFrame(const Packet& packet, Conversation& talk);
    int64_t FramesPlaced() const { return framesPlaced_; }

private:
    PixelImage screen_;
    PartGrid grid_;
    JpegDecoder decoder_;
    PixelImage decoded_;
    PixelImage strip_;
    int64_t expectedFrame_ = 0;
    int64_t framesPlaced_ = 0;
};

}  // namespace tesmora::classroom
