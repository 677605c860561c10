// Screen and sound upload as the teacher receives them: frames acknowledged (but not while a scenario
// pauses the acknowledgements) and their parts placed where their numbers say, frames that lie
// refused without reading past them, sound kept as WAV and its pitch told.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <utility>

#include "common/bytes/byte_writer.h"
#include "core/event_log.h"
#include "core/jpeg_codec.h"
#include "core/scenario.h"
#include "core/sound_analysis.h"
#include "core/teacher_peer.h"
#include "core/text_codec.h"
#include "remote_stand_in.h"
#include "session/command_tag.h"
#include "sound/sound_block.h"
#include "transport/frame_receiver.h"
#include "transport/image_frame.h"
#include "upload/jpeg_strip_encoder.h"
#include "upload/upload_pipeline.h"

using namespace tesmora;
using namespace tesmora::classroom;

namespace {

// An image frame as the pad's capture thread builds it; `size` defaults to the body length.
std::vector<uint8_t> FrameBody(const std::vector<uint32_t>& parts, const std::vector<uint8_t>& jpeg) {
    std::vector<uint8_t> body;
    WriteImageFrameBody(parts, jpeg.data(), uint32_t(jpeg.size()), body);
    return body;
}

void SendFrame(RemoteStandIn& remote, uint32_t number, const std::vector<uint8_t>& body,
               int64_t sizeDelta = 0) {
    Packet packet;
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

// The teacher's side of one connection without a network: a TeacherPeer fed packets and ticks
// on a clock the test moves, and what it sends read back as texts.
class TeacherOnTheBench : public FrameSink {
public:
    explicit TeacherOnTheBench(std::initializer_list<std::pair<std::string, std::string>> settings) {
        std::string error;
        for (const auto& [key, value] : settings) {
            if (!ApplyScenarioSetting(scenario_, key, value, error)) throw std::runtime_error(error);
        }
        session_ = std::make_unique<TeacherPeer>(scenario_, *this, log_, 1, "");
        session_->OnConnected(now_);
        Text(u"[RC00008]480,270,full,resize");  // parts of 120 by 135: a grid of 4 by 2
        Text(u"[RC00009]start");
        sent_.clear();
    }

    int Send(const uint8_t* data, int length) override {
        receiver_.Append(data, size_t(length));
        receiver_.Scan([this](uint8_t* block) {
            Packet packet;
            if (packet.Read(block) && packet.Type() == kPacketText) sent_.push_back(ToUtf8(packet.Text()));
        });
        return length;
    }
    void Close() override {}

    void Text(std::u16string_view text) {
        Packet packet(text);
        session_->OnPacket(packet, now_);
    }
    void Frame(uint32_t number) {
        static const std::vector<uint8_t> body = FrameBody({1}, Jpeg(TestPicture(120, 135, 2)));
        Packet packet;
        packet.SetType(kPacketImage);
        packet.SetData(body.data(), uint32_t(body.size()));
        packet.SetSize(uint32_t(body.size()));
        packet.SetSequence(number);
        session_->OnPacket(packet, now_);
    }
    // Moves the clock to `seconds` after the connection, ticking every 10 ms on the way.
    void TickUntil(double seconds) {
        const auto end = At(seconds);
        while (now_ < end) {
            now_ = std::min(end, now_ + 10ms);
            session_->OnTick(now_);
        }
    }
    // Moves the clock without a tick, as a frame may arrive before the next tick.
    void SkipTo(double seconds) { now_ = At(seconds); }
    void Closed() { session_->OnClosed(now_); }

    // The texts sent since the last call.
    std::vector<std::string> Sent() { return std::exchange(sent_, {}); }
    std::vector<LoggedEvent> Events(const std::string& kind) const {
        std::vector<LoggedEvent> matching;
        for (auto& e : log_.Recorded()) {
            if (e.kind == kind) matching.push_back(e);
        }
        return matching;
    }

private:
    static SessionClock::time_point At(double seconds) {
        return SessionClock::time_point{} +
               std::chrono::duration_cast<SessionClock::duration>(std::chrono::duration<double>(seconds));
    }

    Scenario scenario_;
    EventLog log_{EventLog::Options{"", nullptr, true}};
    std::unique_ptr<TeacherPeer> session_;
    SessionClock::time_point now_{};
    FrameReceiver receiver_;
    std::vector<std::string> sent_;
};

using Texts = std::vector<std::string>;

}  // namespace

TEST(ScreenUpload, AcknowledgementPauseWithholdsFramesFromNThenAcknowledgesTheHighestAndGoesOn) {
    {
        SCOPED_TRACE("teacher.ack-pause-from = 3, teacher.ack-pause-seconds = 2");
        TeacherOnTheBench teacher({{"teacher.ack-pause-from", "3"}, {"teacher.ack-pause-seconds", "2"}});
        for (uint32_t n = 0; n < 3; ++n) teacher.Frame(n);
        EXPECT_EQ(teacher.Sent(), (Texts{"[RH00002]0", "[RH00002]1", "[RH00002]2"}));

        teacher.TickUntil(1.0);
        teacher.Frame(3);  // the pause starts here and lasts until 3.0 s
        teacher.TickUntil(1.5);
        teacher.Frame(4);
        teacher.Frame(5);
        teacher.TickUntil(2.95);
        teacher.Frame(6);
        teacher.TickUntil(2.99);
        EXPECT_EQ(teacher.Sent(), Texts{});
        const auto withheld = teacher.Events("ack_withheld");
        ASSERT_EQ(withheld.size(), 4u);
        for (size_t i = 0; i < withheld.size(); ++i)
            EXPECT_EQ(withheld[i].Get("frame"), std::to_string(3 + i));
        EXPECT_TRUE(teacher.Events("ack_resumed").empty());

        teacher.TickUntil(3.0);
        EXPECT_EQ(teacher.Sent(), Texts{"[RH00002]6"});
        const auto resumed = teacher.Events("ack_resumed");
        ASSERT_EQ(resumed.size(), 1u);
        EXPECT_EQ(resumed[0].Get("frame"), "6");
        EXPECT_EQ(resumed[0].Get("withheld"), "4");
        teacher.TickUntil(10.0);
        EXPECT_EQ(teacher.Sent(), Texts{});

        teacher.Frame(7);  // once per connection: later frames are acknowledged
        teacher.TickUntil(10.5);
        teacher.Frame(8);
        EXPECT_EQ(teacher.Sent(), (Texts{"[RH00002]7", "[RH00002]8"}));
        EXPECT_EQ(teacher.Events("ack_withheld").size(), 4u);
        EXPECT_EQ(teacher.Events("frame_placed").size(), 9u);
    }
    {
        SCOPED_TRACE("default: no pause");
        TeacherOnTheBench teacher({});
        Texts expected;
        for (uint32_t n = 0; n < 8; ++n) {
            teacher.Frame(n);
            teacher.TickUntil(0.9 * (n + 1));
            expected.push_back("[RH00002]" + std::to_string(n));
        }
        EXPECT_EQ(teacher.Sent(), expected);
        EXPECT_TRUE(teacher.Events("ack_withheld").empty());
        EXPECT_TRUE(teacher.Events("ack_resumed").empty());
    }
    {
        SCOPED_TRACE("a frame after the pause ended, before the next tick");
        TeacherOnTheBench teacher({{"teacher.ack-pause-from", "0"}, {"teacher.ack-pause-seconds", "0.5"}});
        teacher.Frame(0);
        teacher.Frame(1);
        teacher.TickUntil(0.49);
        EXPECT_EQ(teacher.Sent(), Texts{});
        teacher.SkipTo(0.6);  // no tick since the pause ran out: frame 2 ends it first
        teacher.Frame(2);
        EXPECT_EQ(teacher.Sent(), (Texts{"[RH00002]1", "[RH00002]2"}));
        EXPECT_EQ(teacher.Events("ack_resumed").at(0).Get("withheld"), "2");
    }
    {
        SCOPED_TRACE("connection closed during the pause");
        TeacherOnTheBench teacher({{"teacher.ack-pause-from", "1"}, {"teacher.ack-pause-seconds", "1"}});
        teacher.Frame(0);
        teacher.Frame(1);
        teacher.TickUntil(0.5);
        teacher.Closed();
        teacher.TickUntil(5.0);
        EXPECT_EQ(teacher.Sent(), Texts{"[RH00002]0"});
        EXPECT_TRUE(teacher.Events("ack_resumed").empty());
    }
    {
        SCOPED_TRACE("with teacher.malformed = rh00002");
        TeacherOnTheBench teacher({{"teacher.ack-pause-from", "1"},
                                   {"teacher.ack-pause-seconds", "0"},
                                   {"teacher.malformed", "rh00002"}});
        teacher.Frame(0);
        teacher.Frame(1);
        EXPECT_EQ(teacher.Sent(), Texts{"[RH00002]x"});
        teacher.TickUntil(0.01);
        teacher.Frame(2);
        EXPECT_EQ(teacher.Sent(), (Texts{"[RH00002]x", "[RH00002]x"}));
        EXPECT_EQ(teacher.Events("ack_resumed").at(0).Get("frame"), "1");
    }
    {
        SCOPED_TRACE("the classroom's own ticks end the pause");
        TestClassroom room({{"teacher.ack-pause-from", "1"}, {"teacher.ack-pause-seconds", "1"}});
        auto remote = UploadingRemote(room, u"480,270");
        ASSERT_TRUE(remote);
        const auto body = FrameBody({1}, Jpeg(TestPicture(120, 135, 2)));
        for (uint32_t n = 0; n < 3; ++n) SendFrame(*remote, n, body);
        EXPECT_EQ(remote->WaitForTag(kTagImageAcknowledged), u"0");
        EXPECT_EQ(remote->WaitForTag(kTagImageAcknowledged), u"2");
        const auto resumed = room.Wait("ack_resumed");
        ASSERT_TRUE(resumed);
        EXPECT_EQ(resumed->Get("withheld"), "2");
        SendFrame(*remote, 3, body);
        EXPECT_EQ(remote->WaitForTag(kTagImageAcknowledged), u"3");
    }
}

TEST(ScreenUpload, AcknowledgesAFrameAndPlacesItsPartsWhereTheirNumbersSay) {
    TestClassroom room({}, true);
    auto remote = UploadingRemote(room);
    ASSERT_TRUE(remote);
    const PixelImage strip = TestPicture(240, 135, 3);  // parts 0 and 17 of a 1920 by 1080 grid
    SendFrame(*remote, 0, FrameBody({0, 17}, Jpeg(strip)));
    EXPECT_EQ(remote->WaitForTag(kTagImageAcknowledged), u"0");
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

// The remote's own encoder, fed band by band from a 1920 x 1080 pad in which every part changed:
// the classroom decodes the strip and the saved screen matches the pad.
TEST(ScreenUpload, DecodesTheStripTheRemotesOwnEncoderMade) {
    TestClassroom room({}, true);
    auto remote = UploadingRemote(room);
    ASSERT_TRUE(remote);
    PixelImage pad = TestPicture(1920, 1080, 4);
    UploadPipeline pipeline(1920, 1080);
    ASSERT_EQ(pipeline.FindChangedParts(pad.View()).size(), 128u);
    JpegStripEncoder encoder;
    const std::span<const uint8_t> jpeg = encoder.Encode(pipeline.Strip(pad.View()), 70);
    ASSERT_FALSE(jpeg.empty());
    SendFrame(*remote, 0, pipeline.WriteBody(jpeg.data(), uint32_t(jpeg.size())));
    EXPECT_EQ(remote->WaitForTag(kTagImageAcknowledged), u"0");
    remote->SendText(u"[RC00009]stop");
    const auto saved = room.Wait("file_saved", "kind", "screen");
    ASSERT_TRUE(saved);
    PixelImage screen;
    ASSERT_TRUE(ReadClassroomPng(saved->Get("path"), screen));
    EXPECT_LT(MeanChannelError(pad, 0, 0, screen, 0, 0, 1920, 1080), 5.0);
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
    for (const char16_t* n : {u"3", u"4", u"5", u"6"})
        EXPECT_EQ(remote->WaitForTag(kTagImageAcknowledged), n);
    EXPECT_EQ(room.Count("bad_input"), 6);
    EXPECT_EQ(room.Count("frame_placed"), 2);  // frame 4 black, frame 6
    remote->SendText(u"[RC00003]");
    EXPECT_TRUE(remote->WaitForTag(kTagKeepAliveAnswer));
}

TEST(ScreenUpload, AcknowledgesAFrameBeforeTheScreenSizeWithoutPlacingIt) {
    TestClassroom room({{"teacher.malformed", "rh00002"}});
    auto remote = room.AcceptedRemote();
    ASSERT_TRUE(remote);
    SendFrame(*remote, 0, FrameBody({0}, Jpeg(TestPicture(120, 135, 0))));
    EXPECT_EQ(remote->WaitForTag(kTagImageAcknowledged), u"x");
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
        Packet packet;
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

namespace {

// The pad's sound thread as far as the wire: blocks from the sound block builder go out as type 11.
struct BlockSender : SoundBlockSink {
    explicit BlockSender(RemoteStandIn& remote) : remote_(remote) {}
    void SendBlock(std::span<const uint8_t> block) override {
        Packet packet;
        PrepareSoundPacket(packet, block);
        packet.Write(remote_);
    }
    RemoteStandIn& remote_;
};

}  // namespace

TEST(SoundUpload, ToneFromA44100HzPadArrivesAtItsOwnPitchWithItsEndKept) {
    TestClassroom room({}, true);
    auto remote = room.AcceptedRemote();
    ASSERT_TRUE(remote);
    remote->SendText(u"[RC00011]start");
    BlockSender sender(*remote);
    const MixFormat format{SampleEncoding::kFloat32, 2, 44100, 0};
    uint64_t now = 0;
    SoundBlockBuilder builder(format, sender, [&now] { return now; });
    // 1.2 s of a 440 Hz tone in 10 ms packets, then the pad falls quiet.
    std::vector<uint8_t> packet(441 * 8);
    for (uint32_t start = 0; start < 44100 * 12 / 10; start += 441) {
        for (uint32_t f = 0; f < 441; ++f) {
            const float tone = float(0.5 * std::sin(2 * std::numbers::pi * 440 * (start + f) / 44100));
            std::memcpy(&packet[f * 8], &tone, 4);
            std::memcpy(&packet[f * 8 + 4], &tone, 4);
        }
        now += 10;
        ASSERT_TRUE(builder.OnCapturedPacket(packet, 441, 0));
    }
    // Quiet until the last full block has played: the rest of the tone goes, padded to a block.
    for (int poll = 0; poll <= 400; ++poll, ++now) builder.OnIdlePoll();
    remote->SendText(u"[RC00011]stop");

    const auto received = room.Wait("sound_received");
    ASSERT_TRUE(received);
    EXPECT_EQ(received->Get("sample_rate"), "8000");
    EXPECT_EQ(received->Get("blocks"), "3");  // two full, the rest of the tone padded with silence
    EXPECT_EQ(received->Get("samples"), std::to_string(3 * 4000));
    EXPECT_NEAR(std::stod(received->Get("dominant_hz")), 440.0, 440.0 * 0.02);
    const auto saved = room.Wait("file_saved", "kind", "sound");
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->Get("bytes"), std::to_string(2 * 3 * 4000));
}

TEST(SoundAnalysis, FindsTheStrongestToneOrNothing) {
    const auto tone = [](double hz, size_t count, double noise) {
        std::vector<int16_t> samples(count);
        for (size_t i = 0; i < count; ++i)
            samples[i] = int16_t(10000 * std::sin(2 * std::numbers::pi * hz * i / 8000) +
                                 noise * 3000 * std::sin(2 * std::numbers::pi * 1234.5 * i / 8000));
        return samples;
    };
    const struct {
        double hz;
        size_t count;
        double noise;
    } cases[] = {{440, 4000, 0}, {479, 4000, 0}, {100, 4000, 1}, {3500, 2000, 1}, {440, 400, 1}};
    for (const auto& c : cases) {
        const auto found = DominantFrequency(tone(c.hz, c.count, c.noise), 8000);
        ASSERT_TRUE(found) << c.hz;
        EXPECT_NEAR(*found, c.hz, c.hz * 0.005 + 8000.0 / c.count) << c.hz;
    }
    EXPECT_FALSE(DominantFrequency(std::vector<int16_t>(4000, 0), 8000));
    EXPECT_FALSE(DominantFrequency(tone(440, 63, 0), 8000));
    EXPECT_FALSE(DominantFrequency(tone(440, 4000, 0), 0));
}
