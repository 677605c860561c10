// Screen and sound upload as the teacher receives them: frames acknowledged and their parts placed
// where their numbers say, frames that lie refused without reading past them, sound kept as WAV.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "common/bytes/byte_writer.h"
#include "core/jpeg_codec.h"
#include "remote_stand_in.h"
#include "session/command_tag.h"
#include "transport/image_frame.h"

namespace {

// An image frame as the pad's capture thread builds it; `size` defaults to the body length.
std::vector<uint8_t> FrameBody(const std::vector<uint32_t>& parts, const std::vector<uint8_t>& jpeg) {
    std::vector<uint8_t> body;
    WriteImageFrameBody(parts, jpeg.data(), uint32_t(jpeg.size()), body);
    return body;
}

void SendFrame(RemoteStandIn& remote, uint32_t number, const std::vector<uint8_t>& body,
               int64_t sizeDelta = 0) {
    CPacket packet;
    packet.SetType(kPacketImage);
    packet.SetData(body.data(), uint32_t(body.size()));
    packet.SetSize(uint32_t(int64_t(body.size()) + sizeDelta));
    packet.SetSequence(number);
    packet.Write(remote);
}

std::vector<uint8_t> Jpeg(const PixelImage& picture) {
    std::vector<uint8_t> jpeg;
    JpegEncoder().Encode(picture, 70, jpeg);
    return jpeg;
}

std::unique_ptr<RemoteStandIn> UploadingRemote(TestClassroom& room,
                                               const std::u16string& size = u"1920,1080") {
    auto remote = room.AcceptedRemote();
    if (!remote) return nullptr;
    remote->SendText(u"[RC00008]" + size + u",full,resize");
    remote->SendText(u"[RC00009]start");
    return remote;
}

}  // namespace

TEST(ScreenUpload, AcknowledgesAFrameAndPlacesItsPartsWhereTheirNumbersSay) {
    TestClassroom room({}, true);
    auto remote = UploadingRemote(room);
    ASSERT_TRUE(remote);
    const PixelImage strip = TestPicture(240, 135, 3);  // parts 0 and 17 of a 1920 by 1080 grid
    SendFrame(*remote, 0, FrameBody({0, 17}, Jpeg(strip)));
    EXPECT_EQ(remote->WaitForTag(kRH00002), u"0");
    remote->SendText(u"[RC00009]stop");
    const auto saved = room.Wait("file_saved", "kind", "screen");
    ASSERT_TRUE(saved);

    PixelImage screen;
    ASSERT_TRUE(ReadClassroomPng(saved->Get("path"), screen));
    ASSERT_EQ(screen.width, 1920u);
    ASSERT_EQ(screen.height, 1080u);
    EXPECT_LT(MeanChannelError(strip, 0, 0, screen, 0, 0, 120, 135), 5.0);
    EXPECT_LT(MeanChannelError(strip, 120, 0, screen, 120, 135, 120, 135), 5.0);
    PixelImage black;
    black.Reset(120, 135);
    EXPECT_EQ(MeanChannelError(black, 0, 0, screen, 240, 0, 120, 135), 0.0);  // part 2 was never sent
    EXPECT_EQ(room.Count("warning") + room.Count("bad_input"), 0);
}

TEST(ScreenUpload, RefusesFramesWhoseLengthsLieAndStillPlacesWhatItCan) {
    TestClassroom room;
    auto remote = UploadingRemote(room, u"480,270");  // parts of 120 by 135: a grid of 4 by 2
    ASSERT_TRUE(remote);
    const auto jpeg = Jpeg(TestPicture(120, 135, 1));

    SendFrame(*remote, 0, FrameBody({1}, jpeg), 1000);  // size field differs from the data length
    auto countPastEnd = FrameBody({1}, jpeg);
    StoreU32(countPastEnd.data() + 4, 0x40000000);
    SendFrame(*remote, 1, countPastEnd);
    auto jpegPastEnd = FrameBody({1}, jpeg);
    StoreU32(jpegPastEnd.data() + 12, uint32_t(jpeg.size()) + 1);
    SendFrame(*remote, 2, jpegPastEnd);
    EXPECT_EQ(room.Count("frame_placed"), 0);

    SendFrame(*remote, 3, FrameBody({8}, jpeg));                          // outside the grid of 8 parts
    SendFrame(*remote, 4, FrameBody({2}, {0xFF, 0xD8, 0x55, 0x55}));      // JPEG that does not decode
    SendFrame(*remote, 5, FrameBody({0, 1, 2, 3, 4, 5, 6, 7, 0}, jpeg));  // more parts than the grid
    SendFrame(*remote, 6, FrameBody({5}, jpeg));
    for (const char16_t* n : {u"3", u"4", u"5", u"6"}) EXPECT_EQ(remote->WaitForTag(kRH00002), n);
    EXPECT_EQ(room.Count("bad_input"), 6);
    EXPECT_EQ(room.Count("frame_placed"), 2);  // frame 4 black, frame 6
    remote->SendText(u"[RC00003]");
    EXPECT_TRUE(remote->WaitForTag(kRH10002));
}

TEST(ScreenUpload, AcknowledgesAFrameBeforeTheScreenSizeWithoutPlacingIt) {
    TestClassroom room({{"teacher.malformed", "rh00002"}});
    auto remote = room.AcceptedRemote();
    ASSERT_TRUE(remote);
    SendFrame(*remote, 0, FrameBody({0}, Jpeg(TestPicture(120, 135, 0))));
    EXPECT_EQ(remote->WaitForTag(kRH00002), u"x");
    EXPECT_TRUE(room.Wait("warning"));  // upload is off
    EXPECT_TRUE(room.Wait("bad_input"));
    EXPECT_EQ(room.Count("frame_placed"), 0);
}

TEST(SoundUpload, KeepsTheBlocksAsAWaveFile) {
    TestClassroom room({}, true);
    auto remote = room.AcceptedRemote();
    ASSERT_TRUE(remote);
    remote->SendText(u"[RC00011]start");
    std::vector<uint8_t> samples(8000);
    for (size_t i = 0; i < samples.size(); ++i) samples[i] = uint8_t(i * 7);
    for (int block = 0; block < 2; ++block) {
        CPacket packet;
        packet.SetType(kPacketSound);
        packet.SetData(samples.data(), uint32_t(samples.size()));
        packet.SetSize(uint32_t(samples.size()) + (block == 1 ? 4 : 0));  // the second one lies
        packet.Write(*remote);
    }
    remote->SendText(u"[RC00011]stop");
    const auto saved = room.Wait("file_saved", "kind", "sound");
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->Get("bytes"), "8000");
    EXPECT_EQ(room.Count("bad_input"), 1);

    std::ifstream file(saved->Get("path"), std::ios::binary);
    std::vector<uint8_t> wav((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    ASSERT_EQ(wav.size(), 44u + 8000u);
    EXPECT_EQ(std::string(wav.begin(), wav.begin() + 4), "RIFF");
    EXPECT_EQ(LoadU32(wav.data() + 4), 36u + 8000u);
    EXPECT_EQ(LoadU32(wav.data() + 24), 8000u);  // samples per second
    EXPECT_EQ(wav[22], 1);                       // mono
    EXPECT_EQ(wav[34], 16);                      // bits per sample
    EXPECT_EQ(LoadU32(wav.data() + 40), 8000u);
    EXPECT_TRUE(std::equal(samples.begin(), samples.end(), wav.begin() + 44));
}
