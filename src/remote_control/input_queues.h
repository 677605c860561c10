// The key and mouse events the view collected since the last flush. The view thread appends; the
// control thread flushes about once a millisecond, so that everything that arrived in between leaves
// as one key-event packet followed by one mouse-event packet. Both sides hold the event lock.
#pragma once

#include <deque>
#include <memory>
#include <mutex>
#include <vector>

#include "transport/packet.h"

namespace tesmora {

class InputQueues {
public:
    void AddKeys(const std::vector<KeyEventRecord>& records);
    void AddPointer(const PointerEventRecord& record);

    // Empties both queues: a type 4 packet with every queued key record in order (when there was
    // one), then a type 5 packet with every queued mouse record (when there was one). The caller
    // flushes only while the socket is attached, so that nothing is lost while it is not.
    std::vector<std::unique_ptr<Packet>> Flush();

    bool Empty() const;

private:
    mutable std::mutex eventLock_;
    std::vector<KeyEventRecord> keys_;
    std::deque<PointerEventRecord> pointers_;
};

}  // namespace tesmora
