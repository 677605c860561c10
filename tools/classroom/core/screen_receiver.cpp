// ScreenReceiver. One thread.
#include "core/screen_receiver.h"

#include <algorithm>

#include "common/bytes/byte_writer.h"

namespace tesmora::classroom {

bool ScreenReceiver::SetScreen(int32_t width, int32_t height, std::string& error) {
    if (width < 1 || height < 1 || uint64_t(width) * uint64_t(height) > kMaxPicturePixels) {
        error = "screen size " + std::to_string(width) + "x" + std::to_string(height) + " is not acceptable";
        return false;
    }
    if (screen_.width == uint32_t(width) && screen_.height == uint32_t(height)) return true;
    screen_.Reset(uint32_t(width), uint32_t(height));
    grid_ = PartGrid::ForScreen(uint32_t(width), uint32_t(height));
    return true;
}

bool ScreenReceiver::OnFrame(const Packet& packet, Conversation& talk) {
    const int64_t number = packet.Sequence();
    const std::string label = "image frame " + std::to_string(number);
    if (packet.Size() != packet.DataLength()) {
        talk.BadInput(label + ": size field " + std::to_string(packet.Size()) +
                      " differs from the data length " + std::to_string(packet.DataLength()) +
                      "; not placed, not acknowledged");
        return false;
    }
    ImageFrameBody body;
    if (!ReadImageFrameBody(packet.Data(), packet.DataLength(), body)) {
        talk.BadInput(label +
                      ": part count or JPEG length runs past the frame; not placed, not acknowledged");
        return false;
    }
    const uint32_t total = packet.DataLength() >= 4 ? LoadU32(packet.Data()) : 0;
    const uint32_t expectedTotal = ImageFrameBodyLength(uint32_t(body.parts.size()), body.jpegLength);
    if (total != expectedTotal || packet.DataLength() != expectedTotal) {
        talk.Warning(label + ": total field " + std::to_string(total) + ", body of " +
                     std::to_string(packet.DataLength()) +
                     " bytes; 4N + S + 12 = " + std::to_string(expectedTotal));
    }
    if (number != expectedFrame_) {
        talk.Warning(label + " arrived where frame " + std::to_string(expectedFrame_) + " was expected");
    }
    expectedFrame_ = number + 1;

    if (!HasScreen()) {
        talk.BadInput(label + " before the screen size ([RC00008]); nothing placed");
        return true;
    }
    const auto n = uint32_t(body.parts.size());
    if (n == 0) {
        talk.Warning(label + " carries no parts");
        return true;
    }
    if (n > grid_.PartCount()) {
        talk.BadInput(label + ": " + std::to_string(n) + " parts, the grid has " +
                      std::to_string(grid_.PartCount()));
        return true;
    }
    bool ordered = true;
    for (uint32_t i = 0; i < n; ++i) {
        if (body.parts[i] >= grid_.PartCount()) {
            talk.BadInput(label + ": part number " + std::to_string(body.parts[i]) +
                          " lies outside the grid of " + std::to_string(grid_.PartCount()) +
                          "; nothing placed");
            return true;
        }
        if (i > 0 && body.parts[i] <= body.parts[i - 1]) ordered = false;
    }
    if (!ordered) talk.Warning(label + ": parts are not in grid order");

    // The strip: decoded, clipped or padded black to N part widths by one part height.
    strip_.Reset(n * grid_.partWidth, grid_.partHeight);
    std::string error;
    const uint64_t stripPixels = uint64_t(strip_.width) * strip_.height;
    if (!decoder_.Decode(body.jpeg, body.jpegLength, std::max<uint64_t>(2 * stripPixels, 1 << 16), decoded_,
                         error)) {
        talk.BadInput(label + ": " + error + "; its parts are placed black");
    } else {
        if (decoded_.width != strip_.width || decoded_.height != strip_.height) {
            talk.Warning(label + ": strip is " + std::to_string(decoded_.width) + "x" +
                         std::to_string(decoded_.height) + ", expected " + std::to_string(strip_.width) +
                         "x" + std::to_string(strip_.height));
        }
        strip_.Blit(decoded_, 0, 0);
    }
    if (!PlaceStrip(strip_.View(), body.parts, grid_, screen_.View())) {
        talk.BadInput(label + ": the strip could not be placed");
        return true;
    }
    ++framesPlaced_;
    std::string partList = "[";
    for (uint32_t i = 0; i < n; ++i) partList += (i ? "," : "") + std::to_string(body.parts[i]);
    talk.Log(talk.Make("frame_placed")
                 .Int("frame", number)
                 .Int("parts", n)
                 .Int("jpeg_bytes", body.jpegLength)
                 .Json("part_numbers", partList + "]")
                 .Say("** " + label + ": " + std::to_string(n) + " parts placed"));
    return true;
}

}  // namespace tesmora::classroom
