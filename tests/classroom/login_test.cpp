// The login server: greeting, the check of the remote's identification, the teacher's address,
// and the refusals and malformed messages the scenario asks for.
#include <gtest/gtest.h>

#include "core/fields.h"
#include "core/text_codec.h"
#include "remote_stand_in.h"
#include "session/command_tag.h"

using namespace tesmora;
using namespace tesmora::classroom;

namespace {

const std::u16string kIdentification =
    u"[US00001]5,demo-teacher,192.168.0.7,50123,2.0.1.1028,1,Reserved,Reserved";

}  // namespace

TEST(LoginServer, GreetsChecksTheIdentificationAndNamesTheTeacher) {
    TestClassroom room;
    RemoteStandIn remote(room.Ports().login);
    EXPECT_EQ(remote.WaitForTag(kTagLoginResult), u"0,OK");
    remote.SendText(kIdentification);
    const auto address = remote.WaitForTag(kTagTeacherAddress);
    ASSERT_TRUE(address);
    const auto fields = SplitFields(*address, false);
    ASSERT_EQ(fields.size(), 7u);
    EXPECT_EQ(fields[4], u"127.0.0.1");
    EXPECT_EQ(fields[5], DecimalText(room.Ports().teacher));
    const auto identified = room.Wait("identified");
    ASSERT_TRUE(identified);
    EXPECT_EQ(identified->Get("teacher_id"), "demo-teacher");
    EXPECT_EQ(identified->Get("valid"), "true");
    EXPECT_EQ(room.Count("bad_input"), 0);
}

TEST(LoginServer, ReportsEveryFieldOfABrokenIdentification) {
    TestClassroom room;
    RemoteStandIn remote(room.Ports().login);
    ASSERT_TRUE(remote.WaitForTag(kTagLoginResult));
    remote.SendText(u"[US00001]4,demo-teacher,,99999,2.0.1.1027,1,Reserved");
    ASSERT_TRUE(remote.WaitForTag(kTagTeacherAddress));  // a known teacher is still named
    EXPECT_EQ(room.Count("identified", "valid", "false"), 1);
    // Seven fields, 4 for 5, an empty address, port 99999, an old version, no second Reserved.
    EXPECT_EQ(room.Count("bad_input"), 6);
}

TEST(LoginServer, TurnsAwayAnUnknownTeacherAndComplainsAboutStrayMessages) {
    TestClassroom room;
    RemoteStandIn remote(room.Ports().login);
    ASSERT_TRUE(remote.WaitForTag(kTagLoginResult));
    remote.SendText(u"[RC00003]");
    remote.SendText(u"[US00001]5,nobody,10.0.0.2,4000,2.0.1.1028,1,Reserved,Reserved");
    EXPECT_EQ(remote.WaitForTag(kTagLoginResult), u"1,일치하는 선생님 정보를 찾을 수 없습니다.");
    EXPECT_TRUE(room.Wait("bad_input"));
}

TEST(LoginServer, RefusesOnlyTheFirstConnectionsWhenAsked) {
    TestClassroom room({{"login.greeting", "refuse"}, {"login.refusals", "1"}, {"login.refuse-code", "3"}});
    {
        RemoteStandIn first(room.Ports().login);
        EXPECT_EQ(first.WaitForTag(kTagLoginResult), u"3,일치하는 선생님 정보를 찾을 수 없습니다.");
    }
    RemoteStandIn second(room.Ports().login);
    EXPECT_EQ(second.WaitForTag(kTagLoginResult), u"0,OK");
}

TEST(LoginServer, MisbehavesAsTheScenarioAsks) {
    {
        TestClassroom room({{"login.greeting", "malformed"}, {"login.address", "malformed"}});
        RemoteStandIn remote(room.Ports().login);
        const auto greeting = remote.WaitForTag(kTagLoginResult);
        ASSERT_TRUE(greeting);
        EXPECT_EQ(SplitFields(*greeting, false).size(), 3u);
        remote.SendText(kIdentification);
        const auto address = remote.WaitForTag(kTagTeacherAddress);
        ASSERT_TRUE(address);
        EXPECT_EQ(SplitFields(*address, false).size(), 8u);
    }
    {
        TestClassroom room({{"login.greeting", "silent"}});
        RemoteStandIn remote(room.Ports().login);
        EXPECT_FALSE(remote.Next(300ms));
        EXPECT_FALSE(remote.WaitClosed(10ms));
    }
    {
        TestClassroom room({{"login.greeting", "close"}});
        RemoteStandIn remote(room.Ports().login);
        EXPECT_TRUE(remote.WaitClosed());
    }
    {
        TestClassroom room({{"login.address", "close"}});
        RemoteStandIn remote(room.Ports().login);
        ASSERT_TRUE(remote.WaitForTag(kTagLoginResult));
        remote.SendText(kIdentification);
        EXPECT_TRUE(remote.WaitClosed());
    }
}
