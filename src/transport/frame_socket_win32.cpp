// The frame socket over the asynchronous socket base: receive, scan, send, flush, close.
#include "frame_socket_win32.h"

#include <memory>
#include <new>

#include "common/platform/debug_print_win32.h"
#include "common/window_messages.h"
#include "transport/frame.h"

namespace tesmora {

namespace {

bool IsConnectionLoss(int error) {
    switch (error) {
        case WSAENETDOWN:
        case WSAENETRESET:
        case WSAECONNABORTED:
        case WSAECONNRESET:
        case WSAENOBUFS:
        case WSAENOTCONN:
            return true;
        default:
            return false;
    }
}

}  // namespace

FrameSocket::~FrameSocket() {
    // The owner may already be gone; the base closes the handle without telling anyone.
    owner_ = nullptr;
}

bool FrameSocket::Create() {
    if (!CreateHandle(kAllEvents)) return false;
    BOOL reuse = TRUE;
    setsockopt(Handle(), SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&reuse), sizeof reuse);
    sockaddr_in any{};
    any.sin_family = AF_INET;
    any.sin_addr.s_addr = htonl(INADDR_ANY);
    any.sin_port = 0;
    if (bind(Handle(), reinterpret_cast<const sockaddr*>(&any), sizeof any) != 0) {
        int error = WSAGetLastError();
        Close();
        WSASetLastError(error);
        return false;
    }
    return true;
}

int FrameSocket::Send(const uint8_t* data, int length) {
    if (length <= 0) return 0;
    if (!HasSocket()) return -1;
    // Older bytes still wait: queue behind them so nothing overtakes them on the wire, then try to
    // move the queue along at once.
    if (pending_.Count() > 0) {
        if (!pending_.Append(data, length)) {
            ReportSendFailure(WSAENOBUFS);
            return -1;
        }
        Flush();
        return -1;
    }
    int taken = ::send(Handle(), reinterpret_cast<const char*>(data), length, 0);
    if (taken == SOCKET_ERROR) {
        int error = WSAGetLastError();
        if (error != WSAEWOULDBLOCK) {
            ReportSendFailure(error);
            return -1;
        }
        taken = 0;
    }
    if (taken < length) {
        if (!pending_.Append(data + taken, length - taken)) {
            ReportSendFailure(WSAENOBUFS);
            return -1;
        }
        // Winsock announces the next writable event only after a send has met WSAEWOULDBLOCK; a
        // send that merely took part of the bytes announces nothing, so keep offering the rest
        // until the network refuses, or the rest would wait for an event that never comes.
        if (taken > 0) Flush();
    }
    return taken == 0 ? -1 : taken;
}

void FrameSocket::Close() {
    if (!HasSocket()) return;
    if (!OnOwnerThread()) {
        DebugPrintUtf8("Remocon socket: close refused on a thread that does not own the socket\n");
        return;
    }
    closing_ = false;
    undelivered_ = false;
    CloseHandle();
    receiver_.Reset();
    pending_.Reset();
    if (owner_) SendMessageW(owner_, WM_SOCKET_CLOSE, reinterpret_cast<WPARAM>(this), 0);
}

void FrameSocket::AdoptBuffers(FrameSocket& other) {
    receiver_.AdoptFrom(other.receiver_);
    pending_.AdoptFrom(other.pending_);
}

void FrameSocket::OnReceive(int /*error*/) {
    if (closing_) return;
    if (ReceiveWaiting()) ScanFrames();
}

bool FrameSocket::ReceiveWaiting() {
    u_long waiting = 0;
    if (ioctlsocket(Handle(), FIONREAD, &waiting) != 0 || waiting == 0) return true;
    std::unique_ptr<uint8_t[]> block(new (std::nothrow) uint8_t[waiting]);
    if (!block) {
        CloseAfterDelivered();
        return false;
    }
    int got = recv(Handle(), reinterpret_cast<char*>(block.get()), static_cast<int>(waiting), 0);
    if (got < 0) return true;  // the readable event comes again
    if (got == 0 || static_cast<u_long>(got) < waiting) {
        CloseAfterDelivered();
        return false;
    }
    // The frames wholly inside this read are copied once, straight into their blocks. A broken
    // stream, or a frame announcing more than the bound, ends the connection after the frames cut
    // off before it.
    const auto result = receiver_.Receive(block.get(), static_cast<size_t>(got),
                                          [this](uint8_t* frame) { DeliverFrame(frame); });
    if (EndIfUndelivered()) return false;
    if (result != FrameReceiver::ScanResult::kNeedMore) {
        CloseAfterDelivered();
        return false;
    }
    return true;
}

void FrameSocket::ScanFrames() {
    const auto result = receiver_.Scan([this](uint8_t* frame) { DeliverFrame(frame); });
    if (!EndIfUndelivered() && result != FrameReceiver::ScanResult::kNeedMore) CloseAfterDelivered();
}

void FrameSocket::DeliverFrame(uint8_t* frame) {
    if (!owner_ || undelivered_) {
        FreeFrameBlock(frame);
        return;
    }
    if (!PostMessageW(owner_, WM_SOCKET_RECEIVE, reinterpret_cast<WPARAM>(this),
                      reinterpret_cast<LPARAM>(frame))) {
        // The owner's queue holds 10,000 messages, which one large read of tiny frames can exceed.
        FreeFrameBlock(frame);
        undelivered_ = true;
    }
}

bool FrameSocket::EndIfUndelivered() {
    if (!undelivered_) return false;
    DebugPrintUtf8("Remocon socket: a frame could not be handed on; the connection ends\n");
    // Behind the frames already queued when the queue takes it, or at once when it is still full.
    CloseAfterDelivered();
    return true;
}

void FrameSocket::OnSend(int /*error*/) {
    Flush();
}

void FrameSocket::Flush() {
    // Offer the pending bytes until all are taken or the network refuses with WSAEWOULDBLOCK (which
    // arms the next writable event).
    int failure = 0;
    while (HasSocket() && pending_.Count() > 0 && failure == 0) {
        long taken = pending_.Flush([this, &failure](const uint8_t* data, uint32_t length) -> long {
            int n = ::send(Handle(), reinterpret_cast<const char*>(data), static_cast<int>(length), 0);
            if (n == SOCKET_ERROR) {
                int error = WSAGetLastError();
                if (error != WSAEWOULDBLOCK) failure = error;
                return -1;
            }
            return n;
        });
        if (taken <= 0) break;
    }
    // Closing takes the send lock, so it waits until the flush has let go of it.
    if (failure != 0) ReportSendFailure(failure);
}

void FrameSocket::ReportSendFailure(int error) {
    DebugPrint(IsConnectionLoss(error) ? L"연결 끊김 발생:%d\n" : L"NOT WSAEWOULDBLOCK:%d\n", error);
    Close();
}

void FrameSocket::OnConnect(int error) {
    if (owner_) SendMessageW(owner_, WM_SOCKET_CONNECT, reinterpret_cast<WPARAM>(this), error);
}

void FrameSocket::OnClose(int /*error*/) {
    if (!HasSocket() || closing_) return;
    // Frames that arrived just before the peer closed still reach the owner, and before the close.
    if (ReceiveWaiting()) ScanFrames();
    CloseAfterDelivered();
}

void FrameSocket::CloseAfterDelivered() {
    if (!HasSocket() || closing_) return;
    closing_ = true;
    if (!PostEvent(kDeferredCloseEvent)) OnDeferredClose(0);
}

void FrameSocket::OnDeferredClose(int /*error*/) {
    if (!HasSocket()) return;  // the owner closed it meanwhile, and was told then
    shutdown(Handle(), SD_BOTH);
    Close();
}

}  // namespace tesmora
