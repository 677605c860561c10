// DesktopStreamer. One thread.
#include "core/desktop_streamer.h"

#include <cstring>
#include <string>

#include "common/bytes/byte_writer.h"
#include "transport/image_frame.h"

namespace tesmora::classroom {

DesktopStreamer::DesktopStreamer(const TeacherBehaviour& teacher, DesktopSource& desktop)
    : teacher_(teacher), desktop_(desktop) {}

void DesktopStreamer::Start(SessionClock::time_point now) {
    grid_ = PartGrid::ForScreen(desktop_.Width(), desktop_.Height());
    sent_.Reset(desktop_.Width(), desktop_.Height());
    everSent_.assign(grid_.PartCount(), false);
    running_ = true;
    blockedLogged_ = false;
    nextFrame_ = 0;
    lastAck_ = -1;
    started_ = now;
    nextDue_ = now;
}

void DesktopStreamer::OnAcknowledged(int32_t frame, Conversation& talk) {
    if (frame <= lastAck_ || frame >= nextFrame_) {
        talk.Warning("[RC00006] acknowledges frame " + std::to_string(frame) + "; frames " +
                     std::to_string(lastAck_ + 1) + " to " + std::to_string(nextFrame_ - 1) +
                     " are in flight");
    }
    if (frame > lastAck_ && frame < nextFrame_) lastAck_ = frame;
}

void DesktopStreamer::Tick(SessionClock::time_point now, Conversation& talk) {
    if (!running_ || now < nextDue_ || grid_.IsEmpty()) return;
    nextDue_ = now + std::chrono::milliseconds(teacher_.frameIntervalMs);
    if (nextFrame_ - (lastAck_ + 1) >= teacher_.framesAhead) {
        if (!blockedLogged_) {
            talk.Log(talk.Make("flow_wait")
                         .Int("in_flight", nextFrame_ - (lastAck_ + 1))
                         .Say("** " + std::to_string(nextFrame_ - (lastAck_ + 1)) +
                              " frames unacknowledged; waiting for [RC00006]"));
        }
        blockedLogged_ = true;
        return;
    }
    blockedLogged_ = false;

    desktop_.Render(std::chrono::duration_cast<std::chrono::milliseconds>(now - started_), current_);
    std::vector<uint32_t> changed;
    const size_t rowBytes = size_t(grid_.partWidth) * 4;
    for (uint32_t k = 0; k < grid_.PartCount(); ++k) {
        bool same = everSent_[k];
        for (uint32_t y = 0; same && y < grid_.partHeight; ++y) {
            const size_t at = size_t(grid_.PartX(k)) * 4;
            same = std::memcmp(current_.Row(grid_.PartY(k) + y) + at, sent_.Row(grid_.PartY(k) + y) + at,
                               rowBytes) == 0;
        }
        if (!same) changed.push_back(k);
    }
    if (!changed.empty()) SendFrame(changed, talk);
}

void DesktopStreamer::SendFrame(const std::vector<uint32_t>& changed, Conversation& talk) {
    strip_.Reset(uint32_t(changed.size()) * grid_.partWidth, grid_.partHeight);
    const size_t rowBytes = size_t(grid_.partWidth) * 4;
    for (size_t i = 0; i < changed.size(); ++i) {
        const uint32_t k = changed[i];
        for (uint32_t y = 0; y < grid_.partHeight; ++y) {
            const size_t at = size_t(grid_.PartX(k)) * 4;
            std::memcpy(strip_.Row(y) + i * rowBytes, current_.Row(grid_.PartY(k) + y) + at, rowBytes);
            std::memcpy(sent_.Row(grid_.PartY(k) + y) + at, current_.Row(grid_.PartY(k) + y) + at, rowBytes);
        }
        everSent_[k] = true;
    }
    if (!encoder_.Encode(strip_, teacher_.jpegQuality, jpeg_)) {
        talk.Warning("the desktop strip could not be encoded");
        return;
    }

    const int64_t number = nextFrame_++;
    const bool lie = teacher_.frameLie != FrameLie::kNone && number == teacher_.lieFrame;
    std::vector<uint32_t> parts = changed;
    if (lie && teacher_.frameLie == FrameLie::kPartNumber) parts[0] = grid_.PartCount() + 7;
    if (lie && teacher_.frameLie == FrameLie::kManyParts) {
        parts.reserve(kManyPartsEntries);
        for (size_t i = 0; parts.size() < kManyPartsEntries; ++i)
            parts.push_back(changed[i % changed.size()]);
    }
    if (lie && teacher_.frameLie == FrameLie::kBadJpeg && jpeg_.size() > 2) {
        std::memset(jpeg_.data() + 2, 0x55, jpeg_.size() - 2);
    }
    WriteImageFrameBody(parts, jpeg_.data(), uint32_t(jpeg_.size()), body_);
    if (lie && teacher_.frameLie == FrameLie::kPartCount)
        StoreU32(body_.data() + 4, uint32_t(parts.size()) + 100000);
    if (lie && teacher_.frameLie == FrameLie::kJpegLength) {
        StoreU32(body_.data() + 8 + 4 * parts.size(), uint32_t(jpeg_.size()) + 100000);
    }

    Packet packet;
    packet.SetType(kPacketImage);
    packet.SetData(body_.data(), uint32_t(body_.size()));
    packet.SetSize(uint32_t(body_.size()) + (lie && teacher_.frameLie == FrameLie::kSizeField ? 1000 : 0));
    packet.SetSequence(uint32_t(number));

    std::string partList = "[";
    // A list that lies with millions of entries is logged by its first thousand.
    const size_t logged = lie && teacher_.frameLie == FrameLie::kManyParts ? 1000 : parts.size();
    for (size_t i = 0; i < logged; ++i) partList += (i ? "," : "") + std::to_string(parts[i]);
    partList += "]";
    Event event = talk.Make("send");
    event.Int("type", kPacketImage)
        .Int("frame", number)
        .Int("parts", int64_t(parts.size()))
        .Int("jpeg_bytes", int64_t(jpeg_.size()))
        .Json("part_numbers", partList)
        .Say("-> image frame " + std::to_string(number) + ": " + std::to_string(parts.size()) + " parts, " +
             std::to_string(jpeg_.size()) + " JPEG bytes" + (lie ? " (lying, scenario)" : ""));
    if (lie) event.Bool("lie", true);
    talk.SendPacket(packet, event);
}

}  // namespace tesmora::classroom
