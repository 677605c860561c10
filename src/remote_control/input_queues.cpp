// The key and mouse events collected between flushes. View thread appends, control thread flushes.
#include "remote_control/input_queues.h"

namespace tesmora {

void InputQueues::AddKeys(const std::vector<KeyEventRecord>& records) {
    if (records.empty()) return;
    std::lock_guard lock(eventLock_);
    keys_.insert(keys_.end(), records.begin(), records.end());
}

void InputQueues::AddPointer(const PointerEventRecord& record) {
    std::lock_guard lock(eventLock_);
    pointers_.push_back(record);
}

std::vector<std::unique_ptr<Packet>> InputQueues::Flush() {
    std::vector<std::unique_ptr<Packet>> packets;
    std::lock_guard lock(eventLock_);
    if (!keys_.empty()) {
        packets.push_back(std::make_unique<Packet>(std::move(keys_)));
        keys_.clear();
    }
    if (!pointers_.empty()) packets.push_back(std::make_unique<Packet>(pointers_));  // empties it
    return packets;
}

bool InputQueues::Empty() const {
    std::lock_guard lock(eventLock_);
    return keys_.empty() && pointers_.empty();
}

}  // namespace tesmora
