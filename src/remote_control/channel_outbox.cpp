// The remote-control channel's outbox. Panel's thread offers, control thread takes and closes.
#include "remote_control/channel_outbox.h"

#include <utility>

namespace tesmora {

bool ChannelOutbox::Offer(std::unique_ptr<Packet>& packet) {
    if (!packet) return true;
    std::lock_guard lock(lock_);
    if (closed_) return false;
    packets_.push_back(std::move(packet));
    return true;
}

std::deque<std::unique_ptr<Packet>> ChannelOutbox::TakeAll() {
    std::lock_guard lock(lock_);
    return std::exchange(packets_, {});
}

std::deque<std::unique_ptr<Packet>> ChannelOutbox::Close() {
    std::lock_guard lock(lock_);
    closed_ = true;
    return std::exchange(packets_, {});
}

bool ChannelOutbox::Closed() const {
    std::lock_guard lock(lock_);
    return closed_;
}

}  // namespace tesmora
