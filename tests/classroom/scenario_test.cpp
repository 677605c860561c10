// Scenario files, --set and the command line: what they set, and the errors they report.
#include "core/scenario.h"

#include <gtest/gtest.h>

#include "core/command_line.h"

using namespace tesmora;
using namespace tesmora::classroom;

TEST(ScenarioFile, ReadsSectionsDottedKeysAndComments) {
    Scenario scenario;
    std::string error;
    ASSERT_TRUE(LoadScenarioText(scenario,
                                 "\xEF\xBB\xBF# a test classroom\n"
                                 "teacher-ids = 김선생, demo\r\n"
                                 "[lookup]\n"
                                 "reply = fail\n"
                                 "message = 점검 중\n"
                                 "[teacher]\n"
                                 "; an old teacher on two monitors\n"
                                 "version = 2.0.1.1027\n"
                                 "monitors = 1920x1080, 1280x1024+1920+56\n"
                                 "malformed = rh00001, rh00005\n"
                                 "ack-pause-from = 12\n"
                                 "ack-pause-seconds = 1.5\n"
                                 "login.greeting = silent\n",
                                 error))
        << error;
    EXPECT_EQ(scenario.teacherIds, (std::vector<std::string>{"김선생", "demo"}));
    EXPECT_EQ(scenario.lookup.reply, LookupReply::kFail);
    EXPECT_EQ(scenario.lookup.message, "점검 중");
    EXPECT_EQ(scenario.teacher.version, "2.0.1.1027");
    ASSERT_EQ(scenario.teacher.monitors.size(), 2u);
    EXPECT_EQ(scenario.teacher.monitors[1].x, 1920);
    EXPECT_EQ(scenario.teacher.monitors[1].y, 56);
    EXPECT_EQ(scenario.teacher.malformed.count("rh00005"), 1u);
    EXPECT_EQ(scenario.login.greeting, LoginGreeting::kSilent);
    EXPECT_EQ(scenario.teacher.ackPauseFrom, 12);
    EXPECT_DOUBLE_EQ(scenario.teacher.ackPauseSeconds, 1.5);
    EXPECT_EQ(Scenario().teacher.ackPauseFrom, -1);
    EXPECT_DOUBLE_EQ(Scenario().teacher.ackPauseSeconds, 3);
}

TEST(ScenarioFile, NamesTheLineAndTheKeyOfAnError) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"[teacher]\nversion = 1\nframe-lie = sometimes\n", "line 3: bad value for teacher.frame-lie"},
        {"lookup.answer = ok\n", "line 1: unknown scenario key: lookup.answer"},
        {"\n\njust words\n", "line 3: expected key = value"},
        {"teacher.monitors = 1920\n", "bad value for teacher.monitors"},
        {"teacher.malformed = rh00009\n", "bad value for teacher.malformed"},
        {"login.refusals = -1\n", "bad value for login.refusals"},
        {"teacher.ack-pause-from = -2\n", "bad value for teacher.ack-pause-from"},
        {"teacher.ack-pause-seconds = -1\n", "bad value for teacher.ack-pause-seconds"},
    };
    for (const auto& [text, message] : cases) {
        Scenario scenario;
        std::string error;
        EXPECT_FALSE(LoadScenarioText(scenario, text, error)) << text;
        EXPECT_NE(error.find(message), std::string::npos) << error;
    }
}

TEST(CommandLine, TakesPortsScenarioAndTeacherIdsInOrder) {
    const char* argv[] = {"tesmora-classroom",
                          "--login-port",
                          "0",
                          "--set",
                          "lookup.reply=busy",
                          "--set",
                          "teacher.ack-pause-from=4",
                          "--teacher-id",
                          "a",
                          "--teacher-id",
                          "b",
                          "--codepage",
                          "949",
                          "--exit-after",
                          "2.5",
                          "--quiet",
                          "--listen",
                          "0.0.0.0"};
    ClassroomOptions options;
    std::string error;
    ASSERT_EQ(ParseCommandLine(std::size(argv), argv, options, error), CommandLineOutcome::kRun) << error;
    EXPECT_EQ(options.loginPort, 0);
    EXPECT_EQ(options.teacherPort, 18600);
    EXPECT_EQ(options.scenario.lookup.reply, LookupReply::kBusy);
    EXPECT_EQ(options.scenario.teacher.ackPauseFrom, 4);
    EXPECT_EQ(options.scenario.teacherIds, (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(options.scenario.lookup.codePage, 949);
    EXPECT_DOUBLE_EQ(options.exitAfterSeconds, 2.5);
    EXPECT_TRUE(options.quiet);
    EXPECT_EQ(options.AdvertisedHost(), "127.0.0.1");
}

TEST(CommandLine, RefusesWhatItCannotUse) {
    const std::vector<std::vector<const char*>> cases = {
        {"x", "--teacher-port", "70000"},
        {"x", "--frobnicate", "1"},
        {"x", "--set", "noequals"},
        {"x", "--codepage", "4242"},
        {"x", "--exit-after", "0"},
        {"x", "--scenario", "/no/such/file"},
        {"x", "--events"},
    };
    for (const auto& argv : cases) {
        ClassroomOptions options;
        std::string error;
        EXPECT_EQ(ParseCommandLine(int(argv.size()), argv.data(), options, error), CommandLineOutcome::kError)
            << argv[1];
        EXPECT_FALSE(error.empty());
    }
}
