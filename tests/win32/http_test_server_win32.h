// A scripted HTTP server on loopback for the request helper's tests: it answers each connection in
// turn with the next scripted reply (sent in pieces, with a pause between them) and keeps the request
// head it read. One thread of its own; the test thread reads Requests() after the fetch returned.
#pragma once

#include <winsock2.h>

#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct ScriptedReply {
    std::vector<std::string> pieces;  // sent one after another
    DWORD pauseMilliseconds = 0;      // between two pieces
};

class ScriptedHttpServer {
public:
    explicit ScriptedHttpServer(std::vector<ScriptedReply> replies) : replies_(std::move(replies)) {
        WSADATA data;
        ::WSAStartup(MAKEWORD(2, 2), &data);
        listener_ = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(listener_, 4);
        int length = sizeof address;
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { Serve(); });
    }
    ~ScriptedHttpServer() {
        ::closesocket(listener_);  // ends a pending accept
        thread_.join();
        ::WSACleanup();
    }
    ScriptedHttpServer(const ScriptedHttpServer&) = delete;
    ScriptedHttpServer& operator=(const ScriptedHttpServer&) = delete;

    std::wstring Url(const std::wstring& path = L"/x.jsp") const {
        return L"http://127.0.0.1:" + std::to_wstring(port_) + path;
    }
    // The request heads read so far, up to and including the blank line.
    std::vector<std::string> Requests() {
        std::lock_guard lock(lock_);
        return requests_;
    }

private:
    void Serve() {
        for (const ScriptedReply& reply : replies_) {
            SOCKET peer = ::accept(listener_, nullptr, nullptr);
            if (peer == INVALID_SOCKET) return;
            std::string head;
            char buffer[1024];
            while (head.find("\r\n\r\n") == std::string::npos) {
                int n = ::recv(peer, buffer, sizeof buffer, 0);
                if (n <= 0) break;
                head.append(buffer, size_t(n));
            }
            {
                std::lock_guard lock(lock_);
                requests_.push_back(head);
            }
            for (size_t i = 0; i < reply.pieces.size(); ++i) {
                if (i > 0) ::Sleep(reply.pauseMilliseconds);
                ::send(peer, reply.pieces[i].data(), int(reply.pieces[i].size()), 0);
            }
            ::shutdown(peer, SD_SEND);
            ::closesocket(peer);
        }
    }

    std::vector<ScriptedReply> replies_;
    SOCKET listener_ = INVALID_SOCKET;
    uint16_t port_ = 0;
    std::thread thread_;
    std::mutex lock_;
    std::vector<std::string> requests_;
};
