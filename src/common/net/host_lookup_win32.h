// HostLookup: the lookup of one host name for a socket's connect, on a worker thread of its own, so
// that a name server that does not answer holds no window's thread. When the lookup is done it posts
// one message to the window the socket's events arrive at; the socket then reads the answer. Start,
// Answer and the destructor: the socket's thread; the worker only writes the answer and posts.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <cstdint>
#include <mutex>
#include <string>

#include "common/threads/worker.h"

namespace tesmora {

class HostLookup {
public:
    HostLookup() = default;
    HostLookup(const HostLookup&) = delete;
    HostLookup& operator=(const HostLookup&) = delete;
    // Waits for a lookup still under way: the system's resolver cannot be interrupted, so a socket
    // destroyed meanwhile waits for its time-out here.
    ~HostLookup() = default;

    // Looks `host` up as an IPv4 address; when done, posts `message` to `window` with `wParam` and
    // `lParam`. False when no thread could be started (nothing will be posted).
    bool Start(std::wstring host, HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // The answer once the message has arrived: 0 and the address (its port not set), or the error.
    int Answer(sockaddr_in& address);
    bool Finished() const { return worker_.Finished(); }

private:
    std::mutex lock_;
    int error_ = WSAHOST_NOT_FOUND;
    sockaddr_in address_{};
    Worker worker_;  // last: joined before the answer it writes goes away
};

// The address of a host given as a numeric IPv4 address, found without asking any name server.
bool NumericHostAddress(const wchar_t* host, sockaddr_in& address);

}  // namespace tesmora
