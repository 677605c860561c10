// Worker: one thread with one owner. The owner starts it with a body, may ask it to stop, and joins
// it; the body receives a stop token it polls between steps of its work. Whatever the body reads is
// owned by the body itself (captured by value or by an owning pointer) or by an object that the
// owner destroys only after the worker, so nothing the thread still reads can be freed under it:
// there is no bounded wait after which the owner goes on regardless. The destructor asks and joins.
// Start, RequestStop, Join, Stop and the destructor: owner thread only (other threads ask the owner).
// Running and Finished: any thread.
#pragma once

#include <atomic>
#include <functional>
#include <stop_token>
#include <thread>

namespace tesmora {

class Worker {
public:
    using Body = std::function<void(std::stop_token)>;

    Worker() = default;
    Worker(const Worker&) = delete;
    Worker& operator=(const Worker&) = delete;
    ~Worker() { Stop(); }

    // Starts the thread. False while a previous thread has not been joined, or when the system
    // refuses a thread (nothing runs then).
    bool Start(Body body);
    // Asks the running body to return; it sees the request at its next poll.
    void RequestStop();
    // Waits for the body to return and releases the thread; nothing when no thread was started.
    void Join();
    void Stop() {
        RequestStop();
        Join();
    }

    // A started thread that has not been joined yet (its body may already have returned).
    bool Running() const { return running_.load(); }
    // The body has returned: Join will not block.
    bool Finished() const { return finished_.load(); }

private:
    std::jthread thread_;
    std::atomic<bool> running_{false};
    std::atomic<bool> finished_{true};
};

}  // namespace tesmora
