// The teacher session's decisions, driven through a recording panel: the login hop, the teacher
// hop, version gating, keep-alive and silence, refusals, and the routing of inbound texts.
#include <gtest/gtest.h>

#include <ctime>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "resource.h"
#include "session/relay_settings.h"
#include "session/server_message.h"
#include "session/teacher_session.h"

using namespace tesmora;

namespace {

constexpr uint32_t kSecond = 1000;

std::u16string PortText(uint16_t port) {
    const std::string digits = std::to_string(port);
    return std::u16string(digits.begin(), digits.end());
}

class RecordingPanel : public SessionHost {
public:
    struct Sent {
        Connection connection;
        std::u16string text;
    };

    bool OpenLoginConnection(const std::u16string& host, uint16_t port, std::u16string& localPort) override {
        log.push_back(u"open login " + host + u":" + PortText(port));
        if (!canCreate) return false;
        open[Connection::kLogin] = true;
        localPort = u"50123";
        return true;
    }
    bool OpenTeacherConnection(const std::u16string& host, uint16_t port) override {
        log.push_back(u"open teacher " + host + u":" + PortText(port));
        open[Connection::kTeacher] = true;
        return true;
    }
    bool IsOpen(Connection c) const override { return open.count(c) && open.at(c); }
    void CloseConnection(Connection c) override {
        if (!IsOpen(c)) return;
        open[c] = false;
        log.push_back(c == Connection::kLogin ? u"close login" : u"close teacher");
        // The socket tells its owner at once, as the real one does.
        if (session) session->OnSocketClose(c);
    }
    void SendText(Connection c, std::u16string_view text) override {
        if (IsOpen(c)) sent.push_back({c, std::u16string(text)});
    }
    std::u16string LocalAddress() override { return u"192.168.0.10"; }
    void StartTimer(SessionTimer t, unsigned ms) override { timers[t] = ms; }
    void StopTimer(SessionTimer t) override { timers.erase(t); }
    void ShowLoading(int id) override { loading = id; }
    void HideLoading() override { loading = 0; }
    void PumpMessages(unsigned) override {}
    void ShowMessage(std::u16string_view text) override { messages.emplace_back(text); }
    std::u16string LoadString(int id) override {
        std::string n = std::to_string(id);
        return u"#" + std::u16string(n.begin(), n.end());
    }
    std::u16string Language() override { return language; }
    LoginStepResult RunLoginStep(const std::u16string& id) override {
        log.push_back(u"login step " + id);
        return nextLogin;
    }
    void WriteProfileTeacherId(const std::u16string& id) override { profileId = id; }
    void ShowPanel() override { panelShown = true; }
    void ClosePanel() override { panelClosed = true; }
    void Quit() override { quit = true; }
    uint32_t TickCount() override { return now; }
    int ScreenWidth() override { return 1366; }
    int ScreenHeight() override { return 768; }
    void EnsureScreenImage(int w, int h) override {
        if (w != imageWidth || h != imageHeight) ++imagesCreated;
        imageWidth = w;
        imageHeight = h;
    }
    void OnPadTouchState(bool on) override { padTouch = on; }
    void OnScreenShareState(bool on) override { screenShare = on; }
    void OnMonitorsChanged(int index) override { selectedMonitor = index; }

    TeacherSession* session = nullptr;
    bool canCreate = true;
    std::map<Connection, bool> open;
    std::vector<Sent> sent;
    std::vector<std::u16string> log;
    std::vector<std::u16string> messages;
    std::map<SessionTimer, unsigned> timers;
    int loading = 0;
    std::u16string language = u"Kor";
    LoginStepResult nextLogin;
    std::u16string profileId;
    bool panelShown = false, panelClosed = false, quit = false;
    uint32_t now = 45000;
    int imageWidth = 0, imageHeight = 0, imagesCreated = 0;
    std::optional<bool> padTouch, screenShare;
    int selectedMonitor = -1;

    std::vector<std::u16string> TextsOn(Connection c) const {
        std::vector<std::u16string> texts;
        for (const auto& s : sent) {
            if (s.connection == c) texts.push_back(s.text);
        }
        return texts;
    }
};

class TeacherSessionTest : public ::testing::Test {
protected:
    TeacherSessionTest() { panel_.session = &session_; }

    void LogIn() { ASSERT_TRUE(session_.Start({true, u"teacher01", u"10.0.0.5", u"9000"})); }
    void ReachTeacher() {
        LogIn();
        session_.OnText(u"[UR00001]0,ok");
        session_.OnText(u"[UR00002]a,b,c,d,127.0.0.1,18600,g");
    }
    void BeAccepted() {
        ReachTeacher();
        session_.OnText(u"[DV00094]2.0.1.1028");
        session_.OnText(u"[DV00007]");
    }

    RecordingPanel panel_;
    TeacherSession session_{panel_};
};

TEST_F(TeacherSessionTest, LoginHopIdentifiesTheRemoteWithItsEightFields) {
    LogIn();
    EXPECT_EQ(panel_.profileId, u"teacher01");
    EXPECT_EQ(panel_.loading, IDS_CONNECTING_LOGIN);
    EXPECT_EQ(panel_.timers[SessionTimer::kLoginServer], 3000u);
    EXPECT_EQ(panel_.log[0], u"open login 10.0.0.5:9000");

    session_.OnText(u"[UR00001]0,ok");
    EXPECT_EQ(panel_.loading, 0);
    ASSERT_EQ(panel_.TextsOn(Connection::kLogin).size(), 1u);
    EXPECT_EQ(panel_.TextsOn(Connection::kLogin)[0],
              u"[US00001]5,teacher01,192.168.0.10,50123,2.0.1.1028,1,Reserved,Reserved");
    // The teacher's address is waited for as long as the greeting was, and no longer.
    EXPECT_EQ(panel_.timers[SessionTimer::kLoginServer], 3000u);
    session_.OnText(u"[UR00002]a,b,c,d,127.0.0.1,18600,g");
    EXPECT_EQ(panel_.timers.count(SessionTimer::kLoginServer), 0u);
}

TEST_F(TeacherSessionTest, MalformedLoginRepliesShowTheBadReplyMessageAndClose) {
    for (std::u16string reply : {u"[UR00001]0,ok,extra", u"[UR00001]0", u"[UR00002]1,2,3,4,5,6,7,8",
                                 u"[UR00002]1,2,3,4,5,6", u"[DV10000]only-one"}) {
        SCOPED_TRACE(std::string(reply.begin(), reply.end()));
        RecordingPanel panel;
        TeacherSession session(panel);
        panel.session = &session;
        session.Start({true, u"t", u"h", u"1"});
        session.OnText(reply);
        ASSERT_EQ(panel.messages.size(), 1u);
        EXPECT_EQ(panel.messages[0], u"#232");
        EXPECT_TRUE(panel.panelClosed);
        EXPECT_TRUE(panel.TextsOn(Connection::kLogin).empty());
    }
}

TEST_F(TeacherSessionTest, RefusedIdRunsTheLoginStepAgainWithoutANewTimeout) {
    LogIn();
    panel_.nextLogin = {true, u"teacher02", u"10.0.0.6", u"9001"};
    session_.OnText(u"[UR00001]1,일치하는 선생님 정보를 찾을 수 없습니다.");
    EXPECT_EQ(panel_.messages.at(0), u"일치하는 선생님 정보를 찾을 수 없습니다.");  // Korean stays as sent
    EXPECT_EQ(panel_.profileId, u"teacher02");
    EXPECT_EQ(panel_.timers.count(SessionTimer::kLoginServer), 0u);
    EXPECT_EQ(panel_.log.back(), u"open login 10.0.0.6:9001");
    EXPECT_FALSE(panel_.quit);

    panel_.nextLogin = {};  // the teacher cancels the second login
    session_.OnText(u"[UR00001]1,x,a,b,c,d");
    EXPECT_TRUE(panel_.quit);
}

TEST_F(TeacherSessionTest, ServerMessagesAreTranslatedOutsideKorean) {
    panel_.language = u"Eng";
    LogIn();
    panel_.nextLogin = LoginStepResult{};
    session_.OnText(u"[UR00001]2,실행중인 Tesmora Orlu Teacher가 없습니다.\n선생님 ID를 확인해주세요.");
    EXPECT_EQ(panel_.messages.at(0), u"#1112");  // the fake's strings have no %s to fill
}

// The login server's text is outside data: a message of two million characters of the phrases taken
// out costs one pass (it took seconds when each removal shifted the rest of the text along).
TEST(ServerMessage, TheNotRunningPhrasesComeOutInOnePass) {
    const auto load = [](int) { return std::u16string(u"[%s]"); };
    const std::u16string ending = u"가 없습니다.\n선생님 ID를 확인해주세요.";
    EXPECT_EQ(TranslateServerMessage(u"실행중인 Teacher" + ending, u"Eng", load), u"[Teacher]");
    EXPECT_EQ(TranslateServerMessage(u"실행중인 Teacher" + ending, u"Kor", load),
              u"실행중인 Teacher" + ending);
    std::u16string flood;
    for (int i = 0; i < 200000; ++i) flood += u"실행중인 ";  // 1,000,000 characters
    flood += u"T" + ending;
    for (int i = 0; i < 40000; ++i) flood += ending;  // 1,000,000 more
    // Processor time of this process: other work on the machine does not count.
    const std::clock_t started = std::clock();
    EXPECT_EQ(TranslateServerMessage(flood, u"Eng", load), u"[T]");
    EXPECT_LT(double(std::clock() - started) / CLOCKS_PER_SEC, 1.0);
}

TEST_F(TeacherSessionTest, TeacherHopConnectsToFieldsFiveAndSixAndClosesTheLoginConnection) {
    ReachTeacher();
    EXPECT_EQ(panel_.log[1], u"open teacher 127.0.0.1:18600");
    EXPECT_EQ(panel_.log[2], u"close login");
    EXPECT_EQ(panel_.loading, IDS_CONNECTING_TEACHER);
    EXPECT_EQ(panel_.timers[SessionTimer::kTeacherConnect], 3000u);
    EXPECT_TRUE(panel_.messages.empty()) << "closing the login connection is not a loss";
}

TEST_F(TeacherSessionTest, AcceptanceSendsOurVersionFirstThenKeepsAliveEveryTenSeconds) {
    BeAccepted();
    EXPECT_TRUE(panel_.panelShown);
    EXPECT_EQ(panel_.timers.count(SessionTimer::kTeacherConnect), 0u);
    EXPECT_EQ(panel_.timers[SessionTimer::kKeepAlive], 10000u);
    ASSERT_FALSE(panel_.TextsOn(Connection::kTeacher).empty());
    EXPECT_EQ(panel_.TextsOn(Connection::kTeacher)[0], u"[RC00001]2.0.1.1028");

    // An answer every ten seconds keeps the connection for as long as it lasts.
    for (int tick = 0; tick < 12; ++tick) {
        panel_.now += 10 * kSecond;
        session_.OnText(u"[RH10002]");
        session_.OnTimer(SessionTimer::kKeepAlive);
    }
    EXPECT_FALSE(panel_.quit);
    EXPECT_EQ(panel_.TextsOn(Connection::kTeacher).size(), 13u);
    EXPECT_EQ(panel_.TextsOn(Connection::kTeacher).back(), u"[RC00003]");
}

TEST_F(TeacherSessionTest, FortyOneSilentSecondsEndTheProgramWithOneMessage) {
    BeAccepted();
    panel_.now += 40 * kSecond;
    session_.OnTimer(SessionTimer::kKeepAlive);
    EXPECT_FALSE(panel_.quit);
    panel_.now += 1 * kSecond;
    session_.OnTimer(SessionTimer::kKeepAlive);
    EXPECT_TRUE(panel_.quit);
    EXPECT_EQ(panel_.messages, std::vector<std::u16string>{u"#229"});
    EXPECT_FALSE(panel_.IsOpen(Connection::kTeacher));
    EXPECT_EQ(panel_.timers.count(SessionTimer::kKeepAlive), 0u);
}

TEST_F(TeacherSessionTest, SilenceIsMeasuredAcrossTheTickCountsWrap) {
    // The tick count wraps after 49.7 days of uptime; the session must neither end a healthy
    // connection there nor stop noticing silence.
    struct Case {
        uint32_t silentFor;
        bool ends;
    } cases[] = {{30 * kSecond, false}, {40 * kSecond, false}, {41 * kSecond, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.silentFor);
        RecordingPanel panel;
        TeacherSession session(panel);
        panel.session = &session;
        panel.now = 0xFFFFFFFFu - 5 * kSecond;
        session.Start({true, u"t", u"h", u"9000"});
        session.OnText(u"[UR00002]a,b,c,d,h,2,g");
        session.OnText(u"[DV00007]");
        panel.now += c.silentFor;  // wraps past zero
        session.OnTimer(SessionTimer::kKeepAlive);
        EXPECT_EQ(panel.quit, c.ends);
    }
}

TEST_F(TeacherSessionTest, PortsAreDecimalNumbersAndNoPortEndsWithTheTimeoutMessage) {
    struct Case {
        const char16_t* relayPort;
        const char16_t* teacherPort;
        const char16_t* expected;  // the connect, or the timeout message that ends the wait
    } cases[] = {
        {u"9000", u"18241 ", u"open teacher h:18241"},
        {u" 9000\r\n", u"18500\r", u"open teacher h:18500"},
        {u"9000", u"0018600", u"open teacher h:18600"},
        {u"9000", u"http", u"#231"},
        {u"9000", u"65536", u"#231"},
        {u"9000", u"0", u"#231"},
        {u"9000", u"-1", u"#231"},
        {u"9000", u"18 241", u"#231"},
        {u"10240x", u"18241", u"#230"},
        {u"", u"18241", u"#230"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.expected, c.expected + std::char_traits<char16_t>::length(c.expected)));
        RecordingPanel panel;
        TeacherSession session(panel);
        panel.session = &session;
        session.Start({true, u"t", u"h", c.relayPort});
        if (panel.IsOpen(Connection::kLogin)) {
            EXPECT_EQ(panel.log[0], u"open login h:9000");
            session.OnText(u"[UR00001]0,ok");
            session.OnText(std::u16string(u"[UR00002]a,b,c,d,h,") + c.teacherPort + u",g");
        } else {
            session.OnTimer(SessionTimer::kLoginServer);
        }
        if (panel.IsOpen(Connection::kTeacher)) {
            EXPECT_EQ(panel.log[1], c.expected);
        } else if (!panel.quit) {
            session.OnTimer(SessionTimer::kTeacherConnect);
        }
        if (!panel.IsOpen(Connection::kTeacher)) {
            EXPECT_EQ(panel.messages, std::vector<std::u16string>{c.expected});
            EXPECT_TRUE(panel.quit);
        }
    }
}

TEST_F(TeacherSessionTest, RetryAfterARefusedIdWithNoPortEndsWithTheTimeoutMessage) {
    LogIn();
    panel_.nextLogin = {true, u"teacher02", u"10.0.0.5", u"port"};
    session_.OnText(u"[UR00001]1,unknown");
    EXPECT_FALSE(panel_.IsOpen(Connection::kLogin));
    ASSERT_EQ(panel_.timers.count(SessionTimer::kLoginServer), 1u) << "nothing would ever end the wait";
    session_.OnTimer(SessionTimer::kLoginServer);
    EXPECT_EQ(panel_.messages.back(), u"#230");
    EXPECT_TRUE(panel_.quit);
}

TEST_F(TeacherSessionTest, EveryWayOfLosingTheTeacherShowsConnectionLostOnce) {
    struct Case {
        const char* name;
        std::function<void(TeacherSession&, RecordingPanel&)> lose;
    };
    const Case cases[] = {
        {"peer closed", [](TeacherSession&, RecordingPanel& p) { p.CloseConnection(Connection::kTeacher); }},
        {"teacher ends", [](TeacherSession& s, RecordingPanel&) { s.OnText(u"[DV10001]"); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingPanel panel;
        TeacherSession session(panel);
        panel.session = &session;
        session.Start({true, u"t", u"h", u"1"});
        session.OnText(u"[UR00001]0,ok");
        session.OnText(u"[UR00002]a,b,c,d,h,2,g");
        session.OnText(u"[DV00007]");
        c.lose(session, panel);
        EXPECT_TRUE(panel.quit);
        EXPECT_EQ(panel.messages, std::vector<std::u16string>{u"#229"});
    }
}

TEST_F(TeacherSessionTest, SecondTeacherAddressAfterAcceptanceReconnectsWithoutEnding) {
    BeAccepted();
    panel_.log.clear();
    session_.OnText(u"[UR00002]a,b,c,d,10.0.0.9,18700,g");
    EXPECT_EQ(panel_.log, (std::vector<std::u16string>{u"close teacher", u"open teacher 10.0.0.9:18700"}));
    EXPECT_TRUE(panel_.messages.empty()) << "replacing the connection is not losing it";
    EXPECT_FALSE(panel_.quit);
    EXPECT_EQ(panel_.timers[SessionTimer::kTeacherConnect], 3000u);
    session_.OnText(u"[DV00007]");
    EXPECT_EQ(panel_.timers.count(SessionTimer::kTeacherConnect), 0u);
    EXPECT_EQ(panel_.TextsOn(Connection::kTeacher).back(), u"[RC00001]2.0.1.1028");
    // The new connection is watched like the first: losing it ends the program.
    panel_.CloseConnection(Connection::kTeacher);
    EXPECT_EQ(panel_.messages, std::vector<std::u16string>{u"#229"});
}

TEST_F(TeacherSessionTest, RefusalShowsTheTeachersOwnWords) {
    ReachTeacher();
    session_.OnText(u"[DV10000]3,\"수업이 이미 진행 중입니다\"");
    EXPECT_EQ(panel_.messages, std::vector<std::u16string>{u"수업이 이미 진행 중입니다"});
    EXPECT_TRUE(panel_.quit);
    EXPECT_FALSE(panel_.IsOpen(Connection::kTeacher));
    // The answer ends the wait for it: no timeout can follow under the box.
    EXPECT_EQ(panel_.timers.count(SessionTimer::kTeacherConnect), 0u);
}

TEST_F(TeacherSessionTest, TimeoutsAndLateConnectFailures) {
    LogIn();
    session_.OnTimer(SessionTimer::kLoginServer);
    EXPECT_EQ(panel_.messages, std::vector<std::u16string>{u"#230"});
    EXPECT_TRUE(panel_.quit);
    EXPECT_EQ(panel_.timers.count(SessionTimer::kLoginServer), 0u) << "a timeout must not fire again";

    RecordingPanel panel;
    TeacherSession session(panel);
    panel.session = &session;
    session.Start({true, u"t", u"h", u"1"});
    session.OnText(u"[UR00001]0,ok");
    session.OnText(u"[UR00002]a,b,c,d,h,2,g");
    session.OnConnectResult(10061);
    EXPECT_TRUE(panel.messages.empty()) << "before acceptance the timer decides";
    session.OnTimer(SessionTimer::kTeacherConnect);
    EXPECT_EQ(panel.messages, std::vector<std::u16string>{u"#231"});

    RecordingPanel accepted;
    TeacherSession late(accepted);
    accepted.session = &late;
    late.Start({true, u"t", u"h", u"1"});
    late.OnText(u"[DV00007]");
    late.OnConnectResult(10060);
    EXPECT_EQ(accepted.messages, std::vector<std::u16string>{u"#205"});
    EXPECT_TRUE(accepted.quit);
}

TEST_F(TeacherSessionTest, VersionGateComparesTextNotNumbers) {
    struct Case {
        std::u16string version;
        bool newer;
    } cases[] = {{u"2.0.1.1028", true}, {u"2.0.1.1027", false}, {u"2.0.1.999", true}, {u"10.0.0.0", false}};
    EXPECT_FALSE(session_.IsTeacherNewer()) << "no version received";
    for (const auto& c : cases) {
        session_.OnText(u"[DV00094]" + c.version);
        EXPECT_EQ(session_.IsTeacherNewer(), c.newer) << std::string(c.version.begin(), c.version.end());
    }
}

TEST_F(TeacherSessionTest, InboundRoutingOfStateReports) {
    BeAccepted();
    session_.Upload().NextFrame().store(20);  // frames 0 to 19 sent
    session_.OnText(u"[RH00002]17");
    EXPECT_EQ(session_.Upload().Acknowledged(), 17);
    session_.OnText(u"[RH00002]x");
    EXPECT_EQ(session_.Upload().Acknowledged(), 0);
    session_.OnText(u"[RH00003]1");
    EXPECT_EQ(panel_.padTouch, true);
    session_.OnText(u"[RH00003]");
    EXPECT_EQ(panel_.padTouch, false);
    session_.OnText(u"[RH00004]1");
    EXPECT_EQ(panel_.screenShare, true);
    session_.OnText(u"[rh00004]0");  // not a tag
    EXPECT_EQ(panel_.screenShare, true);
    session_.OnText(u"[RH0000");  // too short
    EXPECT_FALSE(panel_.quit);
}

// A stopped upload's last frames are acknowledged after the next upload has started: those numbers
// name no frame of the new upload and must not let it run ahead of the teacher.
TEST_F(TeacherSessionTest, AcknowledgementsCountOnlyForFramesOfTheCurrentUpload) {
    BeAccepted();
    UploadFlow& upload = session_.Upload();
    upload.NextFrame().store(1001);  // an upload sent frames 0 to 1000, then stopped
    session_.OnText(u"[RH00002]996");
    upload.Begin();  // the next upload
    struct Case {
        const char16_t* ack;
        int32_t nextFrame;     // of the current upload, when the acknowledgement arrives
        int32_t acknowledged;  // afterwards
    } cases[] = {
        {u"1000", 0, 0},  // the old upload's last frame, before the new one sent anything
        {u"0", 0, 0},     // nothing sent yet: no frame 0 either
        {u"1000", 3, 0},  // frames 0 to 2 in flight
        {u"2", 3, 2},     // the new upload's own
        {u"3", 3, 2},     // the next frame's number: not sent yet
        {u"-5", 3, 2},    // no frame at all
        {u"1", 3, 1},     // an earlier frame of this upload
        {u"2147483647", 3, 1},
    };
    for (const Case& c : cases) {
        upload.NextFrame().store(c.nextFrame);
        session_.OnText(std::u16string(u"[RH00002]") + c.ack);
        EXPECT_EQ(upload.Acknowledged(), c.acknowledged)
            << std::string(c.ack, c.ack + std::char_traits<char16_t>::length(c.ack)) << " with "
            << c.nextFrame << " frames sent";
    }
}

TEST_F(TeacherSessionTest, ScreenSizeQuestionIsAnsweredWithThePadsScreen) {
    BeAccepted();
    session_.OnText(u"[RH00001]1920,1080");
    session_.OnText(u"[RH00001]1920,,1080");
    EXPECT_EQ(panel_.imagesCreated, 1);
    EXPECT_EQ(session_.RemoteHost().partWidth, 120);
    EXPECT_EQ(session_.RemoteHost().partHeight, 135);
    EXPECT_EQ(panel_.TextsOn(Connection::kTeacher).back(), u"[RC00010]1366,768");
    size_t answers = panel_.TextsOn(Connection::kTeacher).size();
    session_.OnText(u"[RH00001]1920");
    EXPECT_EQ(panel_.TextsOn(Connection::kTeacher).size(), answers) << "one field changes nothing";
}

TEST_F(TeacherSessionTest, ScreenSizesBeyondAnyDesktopAllocateNothing) {
    BeAccepted();
    struct Case {
        const char16_t* size;
        int width;  // taken; 0: no picture
    } cases[] = {
        {u"11520,2160", 11520},  // three 4K monitors side by side
        {u"7680,4320", 7680},
        {u"16384,1024", 16384},
        {u"16385,1024", 0},
        {u"9000,9000", 0},  // each side fits, the whole does not
        {u"2147483647,2147483647", 0},
        {u"0,1080", 0},
        {u"-1920,1080", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.size, c.size + std::char_traits<char16_t>::length(c.size)));
        panel_.imageWidth = 0;
        const size_t answers = panel_.TextsOn(Connection::kTeacher).size();
        session_.OnText(std::u16string(u"[RH00001]") + c.size);
        EXPECT_EQ(session_.RemoteHost().imageWidth, c.width);
        EXPECT_EQ(panel_.imageWidth, c.width);
        EXPECT_EQ(session_.RemoteHost().partWidth == 0, c.width == 0);
        EXPECT_EQ(panel_.TextsOn(Connection::kTeacher).size(), answers + 1) << "the question is answered";
    }
}

TEST_F(TeacherSessionTest, MonitorListsAreTakenOnlyWhenTheirCountMatches) {
    session_.OnMonitorList(u"2,0,0,1920,1080,1920,0,1280,1024", 3200, 1080);
    ASSERT_EQ(session_.Monitors().size(), 2u);
    EXPECT_EQ(session_.Monitors()[1], (MonitorRect{1920, 0, 3200, 1024}));
    EXPECT_EQ(panel_.selectedMonitor, 0);
    session_.OnMonitorList(u"2,0,0,1920,1080", 3200, 1080);
    EXPECT_TRUE(session_.Monitors().empty());
    session_.OnMonitorList(u"2000000000,0,0,1,1", 3200, 1080);
    EXPECT_TRUE(session_.Monitors().empty());
    session_.OnMonitorList(u"-1", 3200, 1080);
    EXPECT_TRUE(session_.Monitors().empty());
}

// The shown monitor sizes the view's copy of it: no monitor reaches past the teacher's screen image,
// and one with nothing left on it is not in the list.
TEST_F(TeacherSessionTest, MonitorsAreCutToTheTeachersScreenImage) {
    using Rects = std::vector<MonitorRect>;
    struct Case {
        const char16_t* list;
        int32_t width, height;  // of the screen image
        Rects monitors;
    } cases[] = {
        {u"1,0,0,12000,12000", 1920, 1080, {{0, 0, 1920, 1080}}},
        {u"2,0,0,1920,1080,1920,0,1280,1024", 3200, 1080, {{0, 0, 1920, 1080}, {1920, 0, 3200, 1024}}},
        {u"2,0,0,1920,1080,1920,0,1280,1024", 1920, 1080, {{0, 0, 1920, 1080}}},  // the second is off it
        {u"1,-100,-50,400,300", 1920, 1080, {{0, 0, 300, 250}}},
        {u"2,0,0,0,1080,0,0,1920,-5", 1920, 1080, {}},  // no width, a negative height
        {u"1,2147483647,2147483647,2147483647,2147483647", 1920, 1080, {}},
        {u"1,-100000,-100000,2147483647,2147483647", 1920, 1080, {{0, 0, 1920, 1080}}},
        {u"1,0,0,1920,1080", 0, 0, {}},  // no screen image
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.list, c.list + std::char_traits<char16_t>::length(c.list)));
        session_.OnMonitorList(c.list, c.width, c.height);
        EXPECT_EQ(session_.Monitors(), c.monitors);
    }
}

class MemorySettings : public SettingsFile {
public:
    bool Exists() override { return exists; }
    void Create() override { exists = canCreate; }
    std::u16string Read(std::u16string_view key, std::u16string_view fallback) override {
        auto found = values.find(std::u16string(key));
        return found == values.end() ? std::u16string(fallback) : found->second;
    }
    void Write(std::u16string_view key, std::u16string_view value) override {
        values[std::u16string(key)] = value;
    }
    bool exists = false, canCreate = true;
    std::map<std::u16string, std::u16string> values;
};

TEST(RelaySettings, MissingValuesAreFilledInAndWrittenBack) {
    MemorySettings missing;
    RelaySettings s = ReadRelaySettings(missing);
    EXPECT_EQ(s.address, u"0.0.0.0");
    EXPECT_EQ(s.port, u"10240");
    EXPECT_EQ(missing.values[u"rsport"], u"10240");
    EXPECT_EQ(missing.values[u"rsip"], u"0.0.0.0");

    MemorySettings zeroPort;
    zeroPort.exists = true;
    zeroPort.values = {{u"rsip", u"10.1.2.3"}, {u"rsport", u"0"}};
    s = ReadRelaySettings(zeroPort);
    EXPECT_EQ(s.address, u"10.1.2.3");
    EXPECT_EQ(zeroPort.values[u"rsport"], u"10240");

    MemorySettings unwritable;
    unwritable.canCreate = false;
    s = ReadRelaySettings(unwritable);
    EXPECT_EQ(s.port, u"10240");
    EXPECT_TRUE(unwritable.values.empty());
}

}  // namespace
