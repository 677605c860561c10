// Remote control as the teacher plays it: screen size, monitor list, desktop frames of changed
// parts only, at most a few ahead of the acknowledgements, the remote's input recorded, and the
// frames and lists that lie when the scenario asks.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "core/desktop_source.h"
#include "core/fields.h"
#include "core/jpeg_codec.h"
#include "remote_stand_in.h"
#include "session/command_tag.h"
#include "transport/image_frame.h"

using namespace tesmora;
using namespace tesmora::classroom;

namespace {

std::unique_ptr<RemoteStandIn> ControllingRemote(TestClassroom& room) {
    auto remote = room.AcceptedRemote();
    if (remote) remote->SendText(u"[RC00004]");
    return remote;
}

std::unique_ptr<Packet> NextFrame(RemoteStandIn& remote, std::chrono::milliseconds timeout = 3s) {
    while (auto packet = remote.Next(timeout)) {
        if (packet->Type() == kPacketImage) return packet;
    }
    return nullptr;
}

}  // namespace

TEST(RemoteControl, SendsTheDesktopAsTheRemoteDrawsIt) {
    TestClassroom room({{"teacher.monitors", "640x360,320x360"}, {"teacher.frame-interval", "20"}});
    auto remote = ControllingRemote(room);
    ASSERT_TRUE(remote);
    EXPECT_EQ(remote->WaitForTag(kTagTeacherScreenSize), u"960,360");
    EXPECT_EQ(remote->WaitForTag(kTagMonitorList), u"2,0,0,640,360,640,0,320,360");

    // The first frame carries every part; placed by the transport's own rules it shows the desktop.
    auto frame = NextFrame(*remote);
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->Sequence(), 0u);
    EXPECT_EQ(frame->Size(), frame->DataLength());
    ImageFrameBody body;
    ASSERT_TRUE(ReadImageFrameBody(frame->Data(), frame->DataLength(), body));
    const PartGrid grid = PartGrid::ForScreen(960, 360);
    ASSERT_EQ(body.parts.size(), grid.PartCount());
    PixelImage strip, screen;
    std::string error;
    ASSERT_TRUE(JpegDecoder().Decode(body.jpeg, body.jpegLength, kMaxPicturePixels, strip, error)) << error;
    screen.Reset(960, 360);
    ASSERT_TRUE(PlaceStrip(strip.View(), body.parts, grid, screen.View()));

    Scenario scenario;
    ASSERT_TRUE(ApplyScenarioSetting(scenario, "teacher.monitors", "640x360,320x360", error));
    DesktopSource desktop;
    ASSERT_TRUE(desktop.Init(scenario.teacher, error));
    PixelImage expected;
    desktop.Render(0ms, expected);
    // The moving square may have stepped between render and capture; compare the static window.
    EXPECT_LT(MeanChannelError(expected, 80, 45, screen, 80, 45, 320, 40), 5.0);
    EXPECT_LT(MeanChannelError(expected, 640, 200, screen, 640, 200, 320, 100), 5.0);

    // Later frames carry only the parts that changed.
    remote->SendText(u"[RC00006]0");
    auto later = NextFrame(*remote);
    ASSERT_TRUE(later);
    ASSERT_TRUE(ReadImageFrameBody(later->Data(), later->DataLength(), body));
    EXPECT_EQ(later->Sequence(), 1u);
    EXPECT_LT(body.parts.size(), grid.PartCount() / 2);
}

TEST(RemoteControl, StaysAtMostFourFramesAheadOfTheAcknowledgements) {
    TestClassroom room({{"teacher.frame-interval", "10"}, {"teacher.monitors", "400x200"}});
    auto remote = ControllingRemote(room);
    ASSERT_TRUE(remote);
    for (uint32_t n = 0; n < 4; ++n) {
        auto frame = NextFrame(*remote);
        ASSERT_TRUE(frame);
        EXPECT_EQ(frame->Sequence(), n);
    }
    EXPECT_FALSE(NextFrame(*remote, 400ms));
    EXPECT_TRUE(room.Wait("flow_wait"));
    remote->SendText(u"[RC00006]1");
    auto fifth = NextFrame(*remote);
    ASSERT_TRUE(fifth);
    EXPECT_EQ(fifth->Sequence(), 4u);
    auto sixth = NextFrame(*remote);
    ASSERT_TRUE(sixth);
    EXPECT_EQ(sixth->Sequence(), 5u);
    EXPECT_FALSE(NextFrame(*remote, 300ms));
    remote->SendText(u"[RC00006]9");  // never sent
    EXPECT_TRUE(room.Wait("warning"));
}

TEST(RemoteControl, RecordsTheRemotesInputAndEndsOnRequest) {
    TestClassroom room({{"teacher.keyboard", "on"}, {"teacher.monitors", "400x200"}});
    auto remote = ControllingRemote(room);
    ASSERT_TRUE(remote);
    EXPECT_TRUE(remote->WaitForTag(kTagOpenKeyboard));
    Packet keys(std::vector<KeyEventRecord>{{0x100, 0x41, 1, 0x1E}, {0x101, 0x41, 1, 0xC01E}});
    keys.Write(*remote);
    std::deque<PointerEventRecord> pointer{
        {0x200, 0, 10, 20, 0}, {0x201, 1, 11, 21, 0}, {0x20A, 0, 11, 21, -120}};
    Packet(pointer).Write(*remote);
    remote->SendText(u"[RC00014]54620");  // 한
    remote->SendText(u"[RC00015]");
    remote->SendText(u"[RC00005]");

    const auto keyEvents = room.Wait("key_events");
    ASSERT_TRUE(keyEvents);
    EXPECT_EQ(keyEvents->Get("events"),
              "[{\"message\":256,\"key\":65,\"repeat\":1,\"flags\":30},"
              "{\"message\":257,\"key\":65,\"repeat\":1,\"flags\":49182}]");
    const auto pointerEvents = room.Wait("pointer_events");
    ASSERT_TRUE(pointerEvents);
    EXPECT_EQ(pointerEvents->Get("count"), "3");
    EXPECT_NE(pointerEvents->Get("events").find("\"wheel\":-120"), std::string::npos);
    EXPECT_EQ(room.Wait("char")->Get("char"), "한");
    EXPECT_TRUE(room.Wait("ime_toggle"));
    EXPECT_TRUE(room.Wait("remote_control", "state", "stop"));
    while (remote->Next(300ms)) {
    }  // frames in flight drain; nothing follows
    EXPECT_FALSE(NextFrame(*remote, 300ms));
    EXPECT_EQ(room.Count("warning"), 0);
}

TEST(RemoteControl, LiesAboutMonitorsAndFramesWhenAsked) {
    TestClassroom lists({{"teacher.monitor-count", "2000000000"}});
    auto remote = ControllingRemote(lists);
    ASSERT_TRUE(remote);
    EXPECT_EQ(remote->WaitForTag(kTagMonitorList), u"2000000000,0,0,1920,1080");

    struct Case {
        const char* lie;
        bool bodyReads;
        bool sizeMatches;
    };
    for (const Case c :
         {Case{"part-count", false, true}, Case{"jpeg-length", false, true}, Case{"size-field", true, false},
          Case{"part-number", true, true}, Case{"bad-jpeg", true, true}, Case{"many-parts", true, true}}) {
        TestClassroom room(
            {{"teacher.frame-lie", c.lie}, {"teacher.lie-frame", "0"}, {"teacher.monitors", "400x200"}});
        auto liar = ControllingRemote(room);
        ASSERT_TRUE(liar);
        auto frame = NextFrame(*liar);
        ASSERT_TRUE(frame) << c.lie;
        ImageFrameBody body;
        EXPECT_EQ(ReadImageFrameBody(frame->Data(), frame->DataLength(), body), c.bodyReads) << c.lie;
        EXPECT_EQ(frame->Size() == frame->DataLength(), c.sizeMatches) << c.lie;
        if (std::string(c.lie) == "part-number") {
            EXPECT_GE(body.parts[0], PartGrid::ForScreen(400, 200).PartCount());
        }
        if (std::string(c.lie) == "many-parts") {
            EXPECT_EQ(body.parts.size(), kManyPartsEntries);
            for (uint32_t part : body.parts) ASSERT_LT(part, PartGrid::ForScreen(400, 200).PartCount());
        }
        if (std::string(c.lie) == "bad-jpeg") {
            PixelImage strip;
            std::string error;
            EXPECT_FALSE(JpegDecoder().Decode(body.jpeg, body.jpegLength, kMaxPicturePixels, strip, error));
        }
    }
}

TEST(RemoteControl, ShowsAPictureFileAsTheDesktop) {
    const PixelImage picture = TestPicture(480, 270, 5);
    const std::string path = testing::TempDir() + "classroom-desktop.ppm";
    {
        std::ofstream file(path, std::ios::binary);
        file << "P6\n# a test desktop\n480 270\n255\n";
        for (uint32_t y = 0; y < picture.height; ++y) {
            for (uint32_t x = 0; x < picture.width; ++x) {
                const uint8_t* p = picture.Row(y) + x * 4;
                file.put(char(p[2])).put(char(p[1])).put(char(p[0]));
            }
        }
    }
    TestClassroom room({{"teacher.desktop", path}, {"teacher.malformed", "rh00005"}});
    auto remote = ControllingRemote(room);
    ASSERT_TRUE(remote);
    EXPECT_EQ(remote->WaitForTag(kTagTeacherScreenSize), u"480,270");
    EXPECT_EQ(remote->WaitForTag(kTagMonitorList), u"2,0,0,480,270");  // one monitor, counted as two
    auto frame = NextFrame(*remote);
    ASSERT_TRUE(frame);
    ImageFrameBody body;
    ASSERT_TRUE(ReadImageFrameBody(frame->Data(), frame->DataLength(), body));
    PixelImage strip, screen;
    std::string error;
    ASSERT_TRUE(JpegDecoder().Decode(body.jpeg, body.jpegLength, kMaxPicturePixels, strip, error));
    screen.Reset(480, 270);
    ASSERT_TRUE(PlaceStrip(strip.View(), body.parts, PartGrid::ForScreen(480, 270), screen.View()));
    EXPECT_LT(MeanChannelError(picture, 0, 0, screen, 0, 0, 480, 270), 5.0);
    EXPECT_FALSE(NextFrame(*remote, 300ms));  // a still picture changes no part
    std::remove(path.c_str());
}
