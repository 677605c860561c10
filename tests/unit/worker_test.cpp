// Unit tests of the one-owner thread: the stop request racing the thread's own work, restarts, and
// memory the body owns staying alive until the join. Run under ASan/UBSan (and TSan on demand).
#include "common/threads/worker.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <vector>

using namespace tesmora;

namespace {

// What a capture-like body owns: a buffer it writes on every step until it is asked to stop.
struct Job {
    std::vector<int> pixels = std::vector<int>(256, 0);
    std::atomic<int>* steps;
};

Worker::Body JobBody(std::atomic<int>& steps, int stepsBeforeOwnEnd) {
    auto job = std::make_unique<Job>();
    job->steps = &steps;
    return [job = std::shared_ptr<Job>(std::move(job)), stepsBeforeOwnEnd](std::stop_token stop) {
        for (int i = 0; i < stepsBeforeOwnEnd && !stop.stop_requested(); ++i) {
            for (int& p : job->pixels) ++p;
            job->steps->fetch_add(1);
        }
    };
}

}  // namespace

TEST(Worker, StartsAndStopsThousandsOfTimesWithTheStopRacingTheWork) {
    std::atomic<int> steps{0};
    Worker worker;
    for (int round = 0; round < 2000; ++round) {
        // Some bodies end by themselves before the stop arrives, some are stopped mid-work.
        ASSERT_TRUE(worker.Start(JobBody(steps, round % 7 == 0 ? 1 : 1000000)));
        if (round % 3 == 0) std::this_thread::yield();
        worker.Stop();
        ASSERT_FALSE(worker.Running());
        ASSERT_TRUE(worker.Finished());
    }
    EXPECT_GT(steps.load(), 0);
}

TEST(Worker, RefusesASecondThreadUntilTheFirstIsJoined) {
    std::atomic<bool> release{false};
    Worker worker;
    ASSERT_TRUE(worker.Start([&](std::stop_token) {
        while (!release.load()) std::this_thread::yield();
    }));
    EXPECT_TRUE(worker.Running());
    EXPECT_FALSE(worker.Start([](std::stop_token) {}));
    release.store(true);
    while (!worker.Finished()) std::this_thread::yield();
    EXPECT_TRUE(worker.Running());  // ended, not yet joined: a new capture would still be refused
    EXPECT_FALSE(worker.Start([](std::stop_token) {}));
    worker.Join();
    EXPECT_TRUE(worker.Start([](std::stop_token) {}));
}

TEST(Worker, DestructionAsksAndJoinsSoTheBodyNeverOutlivesItsOwner) {
    std::atomic<int> steps{0};
    for (int round = 0; round < 200; ++round) {
        Worker worker;
        ASSERT_TRUE(worker.Start(JobBody(steps, 1000000)));
    }  // each destructor stops a body that is still writing its buffer
    Worker idle;
    idle.Join();  // nothing started: nothing to wait for
    EXPECT_FALSE(idle.Running());
}
