// tesmora-classroom as a program: its help, and a clean end on --exit-after and on SIGTERM with
// nothing left running.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <regex>
#include <string>
#include <thread>

#include "core/command_line.h"
#include "core/scenario.h"

using namespace tesmora;
using namespace tesmora::classroom;

using namespace std::chrono_literals;

namespace {

struct Child {
    pid_t pid = -1;
    int output = -1;
};

Child Start(std::vector<std::string> args) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0) return {};
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(pipeFds[1], STDOUT_FILENO);
        close(pipeFds[0]);
        std::vector<char*> argv{const_cast<char*>(CLASSROOM_EXECUTABLE)};
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(CLASSROOM_EXECUTABLE, argv.data());
        _exit(127);
    }
    close(pipeFds[1]);
    return {pid, pipeFds[0]};
}

std::string ReadAll(int fd) {
    std::string text;
    char buffer[4096];
    ssize_t n;
    while ((n = read(fd, buffer, sizeof buffer)) > 0) text.append(buffer, size_t(n));
    close(fd);
    return text;
}

// Reads until the text holds `marker` (true) or the time is up; the banner comes once the program
// is listening and handles its signals.
bool ReadUntil(int fd, const std::string& marker, std::chrono::milliseconds timeout) {
    std::string text;
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (text.find(marker) == std::string::npos) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        pollfd ready{fd, POLLIN, 0};
        if (left.count() <= 0 || poll(&ready, 1, int(left.count())) <= 0) return false;
        char buffer[4096];
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n <= 0) return false;
        text.append(buffer, size_t(n));
    }
    return true;
}

// The exit status, or -1 when the child has not ended within the time.
int WaitExit(pid_t pid, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(10ms);
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

const std::vector<std::string> kEphemeral = {"--lookup-port", "0", "--lookup-http-port", "0",
                                             "--login-port",  "0", "--teacher-port",     "0"};

}  // namespace

TEST(Program, HelpDocumentsEveryOptionAndScenarioKey) {
    Child child = Start({"--help"});
    const std::string help = ReadAll(child.output);
    EXPECT_EQ(WaitExit(child.pid, 5s), 0);
    for (const char* option : {"--listen", "--advertise", "--lookup-port", "--lookup-http-port",
                               "--login-port", "--teacher-port", "--teacher-id", "--codepage", "--scenario",
                               "--set", "--events", "--out", "--quiet", "--exit-after", "--help"}) {
        EXPECT_NE(help.find(std::string("  ") + option + " "), std::string::npos) << option;
    }
    const std::string keys = ScenarioKeysHelp();
    const std::regex key(R"(^  ([a-z.-]+) = )", std::regex::multiline);
    int found = 0;
    for (auto it = std::sregex_iterator(keys.begin(), keys.end(), key); it != std::sregex_iterator();
         ++it, ++found) {
        EXPECT_NE(help.find((*it)[1].str() + " = "), std::string::npos) << (*it)[1];
    }
    EXPECT_GE(found, 30);
    EXPECT_NE(help.find("demo-teacher"), std::string::npos);
    EXPECT_NE(help.find("18443"), std::string::npos);
}

TEST(Program, EndsCleanlyAfterItsTimeAndOnSigterm) {
    const std::string events = testing::TempDir() + "classroom-program-events.jsonl";
    auto args = kEphemeral;
    args.insert(args.end(), {"--exit-after", "0.3", "--events", events});
    Child timed = Start(args);
    const std::string banner = ReadAll(timed.output);
    EXPECT_EQ(WaitExit(timed.pid, 10s), 0);
    EXPECT_NE(banner.find("Point the remote at it"), std::string::npos);
    std::ifstream log(events);
    std::string line, last;
    while (std::getline(log, line)) last = line;
    EXPECT_NE(last.find("\"event\":\"stopped\""), std::string::npos) << last;

    Child signalled = Start(kEphemeral);
    // Not a fixed pause: under the sanitizers on a busy machine the start can take longer than one.
    EXPECT_TRUE(ReadUntil(signalled.output, "Point the remote at it", 20s));
    kill(signalled.pid, SIGTERM);
    EXPECT_EQ(WaitExit(signalled.pid, 10s), 0);
    close(signalled.output);

    Child wrong = Start({"--no-such-option"});
    EXPECT_EQ(WaitExit(wrong.pid, 10s), 2);
    close(wrong.output);
}
