// What the panel asks the remote-control channel to send to the teacher (command texts, sound
// blocks): packets that wait for the control thread, which sends them on the lent socket. When the
// channel ends it closes the outbox before it hands the socket back; from then on nothing more is
// taken, and what a caller offers stays with the caller, which sends it on the panel's connection
// once that is back. So nothing offered is lost between the two owners of the connection.
// The panel's thread offers, the control thread takes and closes; both under the outbox's lock.
#pragma once

#include <deque>
#include <memory>
#include <mutex>

#include "transport/packet.h"

namespace tesmora {

class ChannelOutbox {
public:
    // Takes the packet (true), or leaves it with the caller (false) once the outbox is closed.
    bool Offer(std::unique_ptr<Packet>& packet);
    // Everything waiting, oldest first.
    std::deque<std::unique_ptr<Packet>> TakeAll();
    // Closes the outbox and answers what still waited, oldest first.
    std::deque<std::unique_ptr<Packet>> Close();
    bool Closed() const;

private:
    mutable std::mutex lock_;
    bool closed_ = false;
    std::deque<std::unique_ptr<Packet>> packets_;
};

}  // namespace tesmora
