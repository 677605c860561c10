// The one-owner thread (see worker.h).
#include "common/threads/worker.h"

#include <system_error>

namespace tesmora {

bool Worker::Start(Body body) {
    if (running_.load() || !body) return false;
    finished_.store(false);
    try {
        thread_ = std::jthread([this, body = std::move(body)](std::stop_token stop) {
            body(stop);
            finished_.store(true);
        });
    } catch (const std::system_error&) {
        finished_.store(true);
        return false;
    }
    running_.store(true);
    return true;
}

void Worker::RequestStop() {
    if (running_.load()) thread_.request_stop();
}

void Worker::Join() {
    if (!running_.load()) return;
    thread_.join();
    thread_ = std::jthread();
    running_.store(false);
}

}  // namespace tesmora
