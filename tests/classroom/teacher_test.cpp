// The teacher program's handshake, keep-alive, feature commands and the misbehaviour the scenario
// asks for, and how it takes input that breaks the protocol.
#include <gtest/gtest.h>

#include "remote_stand_in.h"
#include "session/command_tag.h"
#include "session/payload_fields.h"
#include "transport/frame.h"

using namespace tesmora;
using namespace tesmora::classroom;

TEST(TeacherProgram, AcceptsTheRemoteAndTellsItsVersionAndScreen) {
    TestClassroom room;
    RemoteStandIn remote(room.Ports().teacher);
    auto first = remote.Next();
    ASSERT_TRUE(first);
    EXPECT_EQ(first->Text(), u"[DV00094]2.0.1.1028");
    auto second = remote.Next();
    ASSERT_TRUE(second);
    EXPECT_EQ(second->Text(), u"[DV00007]");
    remote.SendText(u"[RC00001]2.0.1.1028");
    EXPECT_EQ(remote.WaitForTag(kTagTeacherScreenSize), u"1920,1080");
    remote.SendText(u"[RC00010]1366,768");
    EXPECT_TRUE(room.Wait("remote_screen", "width", "1366"));
    EXPECT_EQ(room.Count("warning") + room.Count("bad_input"), 0);
}

TEST(TeacherProgram, AnswersKeepAlivesUntilItFallsSilent) {
    TestClassroom room({{"teacher.silent-after", "2"}});
    auto remote = room.AcceptedRemote();
    ASSERT_TRUE(remote);
    for (int i = 0; i < 2; ++i) {
        remote->SendText(u"[RC00003]");
        EXPECT_TRUE(remote->WaitForTag(kTagKeepAliveAnswer)) << i;
    }
    remote->SendText(u"[RC00003]");
    EXPECT_FALSE(remote->WaitForTag(kTagKeepAliveAnswer, 300ms));
    EXPECT_TRUE(room.Wait("silent"));
}

TEST(TeacherProgram, AnswersTheStudentSwitchesWithTheirNewState) {
    TestClassroom room;
    auto remote = room.AcceptedRemote();
    ASSERT_TRUE(remote);
    remote->SendText(u"[RC00013]on");
    EXPECT_EQ(remote->WaitForTag(kTagStudentTouchState), u"1");
    remote->SendText(u"[RC00012]off");
    EXPECT_EQ(remote->WaitForTag(kTagBroadcastState), u"0");
    remote->SendText(u"[RC00012]maybe");
    EXPECT_TRUE(room.Wait("bad_input"));

    TestClassroom malformed({{"teacher.malformed", "rh00003,rh00001"},
                             {"teacher.version", "2.0.1.1027"},
                             {"teacher.switches", "on"}});
    RemoteStandIn old(malformed.Ports().teacher);
    EXPECT_EQ(old.WaitForTag(kTagTeacherVersion), u"2.0.1.1027");
    old.SendText(u"[RC00001]2.0.1.1028");
    EXPECT_EQ(old.WaitForTag(kTagTeacherScreenSize), u"1920");
    old.SendText(u"[RC00013]on");
    EXPECT_EQ(old.WaitForTag(kTagStudentTouchState), u"");

    // A teacher of that version switches without answering.
    TestClassroom silentOld({{"teacher.version", "2.0.1.1027"}});
    auto older = silentOld.AcceptedRemote();
    ASSERT_TRUE(older);
    older->SendText(u"[RC00013]on");
    EXPECT_TRUE(silentOld.Wait("switch", "name", "touch"));
    EXPECT_FALSE(older->WaitForTag(kTagStudentTouchState, 300ms));

    TestClassroom mute({{"teacher.switches", "off"}});
    auto quiet = mute.AcceptedRemote();
    ASSERT_TRUE(quiet);
    quiet->SendText(u"[RC00012]on");
    EXPECT_FALSE(quiet->WaitForTag(kTagBroadcastState, 300ms));
    EXPECT_TRUE(mute.Wait("switch", "name", "broadcast"));
}

TEST(TeacherProgram, RefusesOrWithholdsTheAcceptanceWhenAsked) {
    {
        TestClassroom room({{"teacher.greeting", "refuse"}, {"teacher.refuse-message", "수업 중입니다."}});
        RemoteStandIn remote(room.Ports().teacher);
        EXPECT_EQ(remote.WaitForTag(kTagRefused), u"1,수업 중입니다.");
    }
    {
        // The reason and the close leave together.
        TestClassroom room({{"teacher.greeting", "refuse-close"}});
        RemoteStandIn remote(room.Ports().teacher);
        EXPECT_EQ(remote.WaitForTag(kTagRefused), u"1,선생님 프로그램이 연결을 거부했습니다.");
        EXPECT_TRUE(remote.WaitClosed());
    }
    {
        TestClassroom room({{"teacher.greeting", "refuse-malformed"}, {"teacher.version", "none"}});
        RemoteStandIn remote(room.Ports().teacher);
        auto first = remote.Next();
        ASSERT_TRUE(first);
        EXPECT_EQ(first->Text().substr(0, 9), u"[DV10000]");  // no [DV00094] before it
        EXPECT_EQ(std::count(first->Text().begin(), first->Text().end(), u','), 2);
    }
    {
        TestClassroom room({{"teacher.greeting", "silent"}});
        RemoteStandIn remote(room.Ports().teacher);
        EXPECT_FALSE(remote.Next(300ms));
    }
    {
        TestClassroom room({{"teacher.greeting", "close"}});
        RemoteStandIn remote(room.Ports().teacher);
        EXPECT_TRUE(remote.WaitClosed());
    }
}

TEST(TeacherProgram, EndsTheConnectionWhenTheScenarioSaysSo) {
    TestClassroom room({{"teacher.disconnect-after", "0.2"}, {"teacher.close-after", "0.5"}});
    auto remote = room.AcceptedRemote();
    ASSERT_TRUE(remote);
    EXPECT_TRUE(remote->WaitForTag(kTagTeacherEnds, 2s));
    EXPECT_TRUE(remote->WaitClosed(2s));
    EXPECT_TRUE(room.Wait("session_end"));
}

TEST(TeacherProgram, SendsItsAddressAgainOnItsFirstConnectionOnly) {
    TestClassroom room({{"teacher.readdress-after", "0.2"}});
    auto first = room.AcceptedRemote();
    ASSERT_TRUE(first);
    const auto address = first->WaitForTag(kTagTeacherAddress, 2s);
    ASSERT_TRUE(address);
    EXPECT_TRUE(address->ends_with(u"," + DecimalText(room.Ports().teacher) + u",Reserved"));
    auto second = room.AcceptedRemote();
    ASSERT_TRUE(second);
    EXPECT_FALSE(second->WaitForTag(kTagTeacherAddress, 500ms)) << "a reconnected remote is left alone";
}

TEST(TeacherProgram, LogsInputThatBreaksTheProtocolAndKeepsGoing) {
    TestClassroom room;
    auto remote = room.AcceptedRemote();
    ASSERT_TRUE(remote);
    remote->SendText(u"[RC0000");    // shorter than a tag
    remote->SendText(u"[RC00099]");  // no such tag
    remote->SendText(u"[RH10002]");  // travels the other way
    remote->SendText(u"[RC00008]a,b,c,d");
    remote->SendText(u"[RC00008]99999,99999,full,resize");  // absurd screen
    // A type 6 packet and a type 1 packet whose digest count runs past its frame.
    const auto mark = MakeFrameMark(0x21);
    remote->SendBytes({mark[0], mark[1], mark[2], mark[3], 5, 0, 0, 0, 6});
    remote->SendBytes({mark[0], mark[1], mark[2], mark[3], 9, 0, 0, 0, 1, 0xFF, 0xFF, 0, 0});
    remote->SendText(u"[RC00003]");
    EXPECT_TRUE(remote->WaitForTag(kTagKeepAliveAnswer));
    EXPECT_EQ(room.Count("bad_input"), 7);

    remote->SendBytes({0xA7, 0xA0, 0xA0, 0x01, 9, 0, 0, 0, 1});  // tick 01 calls for A0 A0 A0
    EXPECT_TRUE(remote->WaitClosed());
    EXPECT_TRUE(room.Wait("bad_input", "what", "bad frame mark or length"));
}
