// A host name's lookup on a worker thread (see host_lookup_win32.h).
#include "common/net/host_lookup_win32.h"

#include <ws2tcpip.h>

#include <cstring>

namespace tesmora {

namespace {

// 0 and the first IPv4 address of `host`, or the lookup's error.
int LookUp(const wchar_t* host, int flags, sockaddr_in& address) {
    ADDRINFOW hints{};
    hints.ai_flags = flags;
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    ADDRINFOW* found = nullptr;
    const int error = ::GetAddrInfoW(host, nullptr, &hints, &found);
    const bool usable = error == 0 && found && found->ai_addrlen >= sizeof(sockaddr_in);
    if (usable) std::memcpy(&address, found->ai_addr, sizeof address);
    if (found) ::FreeAddrInfoW(found);
    return usable ? 0 : (error ? error : WSAHOST_NOT_FOUND);
}

}  // namespace

bool NumericHostAddress(const wchar_t* host, sockaddr_in& address) {
    return host && *host && LookUp(host, AI_NUMERICHOST, address) == 0;
}

bool HostLookup::Start(std::wstring host, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return worker_.Start([this, host = std::move(host), window, message, wParam, lParam](std::stop_token) {
        sockaddr_in address{};
        const int error = LookUp(host.c_str(), 0, address);
        {
            std::lock_guard guard(lock_);
            error_ = error;
            address_ = address;
        }
        // Dropped by the socket's window when the socket was closed or handed over meanwhile.
        ::PostMessageW(window, message, wParam, lParam);
    });
}

int HostLookup::Answer(sockaddr_in& address) {
    worker_.Join();  // its last step was the post that brought the caller here
    std::lock_guard guard(lock_);
    address = address_;
    return error_;
}

}  // namespace tesmora
