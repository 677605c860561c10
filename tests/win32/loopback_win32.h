// Loopback helpers for the socket tests: a blocking listener, blocking raw peers, and Winsock
// started once for the test program. Test thread only.
#pragma once

#include <winsock2.h>
#include <ws2tcpip.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/net/async_socket_win32.h"

using namespace tesmora;

class SocketLibraryEnvironment : public ::testing::Environment {
public:
    void SetUp() override { ASSERT_TRUE(StartSocketLibrary()); }
    void TearDown() override { WSACleanup(); }
};

class Listener {
public:
    Listener() {
        handle_ = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(handle_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        listen(handle_, 4);
        int length = sizeof address;
        getsockname(handle_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
    }
    ~Listener() { closesocket(handle_); }
    Listener(const Listener&) = delete;
    Listener& operator=(const Listener&) = delete;

    std::wstring PortText() const { return std::to_wstring(port_); }
    uint16_t Port() const { return port_; }
    SOCKET Accept() { return accept(handle_, nullptr, nullptr); }

private:
    SOCKET handle_;
    uint16_t port_ = 0;
};

// A plain blocking client connected to the listener.
inline SOCKET ConnectRaw(const Listener& listener) {
    SOCKET handle = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(listener.Port());
    connect(handle, reinterpret_cast<sockaddr*>(&address), sizeof address);
    return handle;
}

inline bool SendAllRaw(SOCKET handle, const std::vector<uint8_t>& bytes) {
    size_t sent = 0;
    while (sent < bytes.size()) {
        int n =
            ::send(handle, reinterpret_cast<const char*>(bytes.data() + sent), int(bytes.size() - sent), 0);
        if (n <= 0) return false;
        sent += size_t(n);
    }
    return true;
}

// Reads `count` bytes, or what came before the peer closed or 20 s passed without a byte.
inline std::vector<uint8_t> ReceiveRaw(SOCKET handle, size_t count) {
    DWORD timeout = 20000;
    setsockopt(handle, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
    std::vector<uint8_t> bytes(count);
    size_t got = 0;
    while (got < count) {
        int n = recv(handle, reinterpret_cast<char*>(bytes.data() + got), int(count - got), 0);
        if (n <= 0) break;
        got += size_t(n);
    }
    bytes.resize(got);
    return bytes;
}
