// AsyncSocket: a non-blocking stream socket whose readiness events (read, write, connect, close)
// arrive as calls on the thread that created or attached it, through WSAAsyncSelect and a hidden
// message window per thread. The base of the frame socket; owner-thread only (the thread that created
// or attached the handle), except Handle(), HasSocket() and OnOwnerThread().
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "common/net/host_lookup_win32.h"

namespace tesmora {

class AsyncSocket {
public:
    static constexpr long kAllEvents = FD_READ | FD_WRITE | FD_OOB | FD_ACCEPT | FD_CONNECT | FD_CLOSE;

    AsyncSocket() = default;
    AsyncSocket(const AsyncSocket&) = delete;
    AsyncSocket& operator=(const AsyncSocket&) = delete;
    virtual ~AsyncSocket();

    SOCKET Handle() const { return handle_; }
    bool HasSocket() const { return handle_ != INVALID_SOCKET; }

    // A new IPv4 TCP socket registered on this thread for `events`.
    bool CreateHandle(long events = kAllEvents);
    // Changes the registered events (e.g. to read, write, connect and close only).
    bool AsyncSelect(long events);
    // Starts a connect to a host (dotted address or name) and a port. True when the connect is under
    // way or done; the outcome arrives through OnConnect. False with the socket error set, at once
    // for port 0 (WSAEINVAL). A numeric address is connected to at once; a name is looked up on a
    // worker thread first (the caller's thread never waits for a name server), and a name that
    // does not resolve arrives through OnConnect with the lookup's error.
    bool Connect(const wchar_t* host, uint16_t port);
    // The same with the port as decimal text (see ParsePortNumber); never looked up as a service
    // name, so a text that is no port fails at once.
    bool Connect(const wchar_t* host, const wchar_t* port);
    // Gives the handle away (no more events here); this object is left without a socket.
    SOCKET Detach();
    // Takes a handle and registers it on the calling thread for `events`.
    bool Attach(SOCKET handle, long events = kAllEvents);
    // Closes the handle, if any (no notification: derived classes add theirs).
    void CloseHandle();
    // The calling thread is the one the handle is registered on.
    bool OnOwnerThread() const { return ownerThread_ == ::GetCurrentThreadId(); }

protected:
    // An event of our own, beyond Winsock's FD_ bits (which end at 0x200).
    static constexpr long kDeferredCloseEvent = 0x8000;

    // Posts `event` to this socket's registration, behind every message already posted to the
    // thread (a frame posted to an owner window on the same thread is handled first). It arrives
    // through Dispatch like Winsock's own events, and is dropped like them when the handle was closed
    // or handed over meanwhile. False when it could not be posted.
    bool PostEvent(long event, int error = 0);

    virtual void OnReceive(int /*error*/) {}
    virtual void OnSend(int /*error*/) {}
    virtual void OnConnect(int /*error*/) {}
    virtual void OnClose(int /*error*/) {}
    virtual void OnDeferredClose(int /*error*/) {}

private:
    friend struct SocketWindowDispatch;
    // A host name's lookup is done; the event's error field carries the lookup's number.
    static constexpr long kLookupDoneEvent = 0x4000;

    void Dispatch(long event, int error);
    // The non-blocking connect itself.
    bool ConnectTo(sockaddr_in address, uint16_t port);
    void OnLookupDone(uint16_t number);

    SOCKET handle_ = INVALID_SOCKET;
    DWORD ownerThread_ = 0;
    // Lookups under way, or done and not yet read. Only the newest one's answer is connected to;
    // one superseded by a later connect or a close is only waited for (when this object goes).
    struct PendingLookup {
        uint16_t number;
        std::unique_ptr<HostLookup> lookup;
    };
    std::vector<PendingLookup> lookups_;
    uint16_t lastLookup_ = 0;
    uint16_t awaitedLookup_ = 0;  // 0: no connect waits for a lookup
    uint16_t awaitedPort_ = 0;
};

// Starts Winsock 2.2 for the process (once; later calls only count). False if it is not there.
bool StartSocketLibrary();

}  // namespace tesmora
