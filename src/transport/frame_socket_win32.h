// FrameSocket: the frame socket of every connection to the login server and the teacher program.
// It connects, sends whole frames without blocking (what the network does not take waits in the
// pending-send buffer), cuts the received stream into frames and hands each one to its owner window
// as a posted WM_SOCKET_RECEIVE; WM_SOCKET_CONNECT and WM_SOCKET_CLOSE are sent. A close that comes
// from the stream (the peer closed, or sent what cannot be read) is told only after the frames
// received before it: order of arrival is order of handling.
// Owner thread only (the thread that created or attached the handle), except where noted; the owner
// window lives on that thread.
#pragma once

#include <cstdint>

#include "common/net/async_socket_win32.h"
#include "transport/frame_receiver.h"
#include "transport/frame_sink.h"
#include "transport/pending_send_buffer.h"

namespace tesmora {

class FrameSocket : public AsyncSocket, public FrameSink {
public:
    // The events an owner keeps once it opens a connection: read, write, connect and close.
    static constexpr long kConnectionEvents = FD_READ | FD_WRITE | FD_CONNECT | FD_CLOSE;

    FrameSocket() = default;
    ~FrameSocket() override;

    // A new socket bound to any local address with a system-chosen port, SO_REUSEADDR on. On a
    // failed bind the socket is closed (the owner is told) and the bind's error stays the last
    // socket error.
    bool Create();

    // The base's hand-over, with a close waiting behind delivered frames forgotten: its event belongs
    // to the old registration and is dropped with it.
    SOCKET Detach() {
        closing_ = false;
        return AsyncSocket::Detach();
    }
    bool Attach(SOCKET handle, long events = kAllEvents) {
        closing_ = false;
        undelivered_ = false;
        return AsyncSocket::Attach(handle, events);
    }

    void SetOwner(HWND owner) { owner_ = owner; }

    // Never blocks. Answers the bytes the network took now, or -1 (the rest waits and goes out, in
    // order, on the writable event; a hard failure closes the socket).
    int Send(const uint8_t* data, int length) override;
    // Closes the socket, drops both buffers' contents and sends WM_SOCKET_CLOSE to the owner; does
    // nothing (and sends nothing) without a socket. Owner thread only: a call from another thread
    // closes nothing (that thread asks the owner with a message instead), so two threads can never
    // close the handle twice or free the buffers under the owner.
    void Close() override;

    // Takes over the other socket's receive and pending buffers with their counts; the other is left
    // without buffers. Used with Detach/Attach when the connection moves to another thread.
    void AdoptBuffers(FrameSocket& other);

    uint32_t ReceiveCapacity() const { return receiver_.Capacity(); }
    uint32_t ReceiveCount() const { return receiver_.Count(); }
    uint32_t PendingCapacity() const { return pending_.Capacity(); }
    uint32_t PendingCount() const { return pending_.Count(); }

protected:
    void OnReceive(int error) override;
    void OnSend(int error) override;
    void OnConnect(int error) override;
    void OnClose(int error) override;
    void OnDeferredClose(int error) override;

private:
    // Stops reading and closes once the frames already posted to the owner have been handled: the
    // close waits in the thread's queue behind them. Without a socket, or already closing, nothing.
    void CloseAfterDelivered();
    // Reads what is waiting and hands the frames it completes to the owner; false when the connection
    // was closed because of what was read.
    bool ReceiveWaiting();
    // Hands the frames complete in the receive buffer to the owner.
    void ScanFrames();
    // Posts one frame to the owner, who frees it; freed here when there is no owner to take it. A
    // frame the owner's queue does not take (it is full) marks the stream undelivered.
    void DeliverFrame(uint8_t* frame);
    // After a scan: a frame could not be handed on, so the connection ends as if it were lost.
    bool EndIfUndelivered();
    void Flush();
    void ReportSendFailure(int error);

    HWND owner_ = nullptr;
    bool closing_ = false;  // a close waits behind the delivered frames; nothing more is read
    // A frame was dropped because the owner's queue refused it: the frames after it are dropped too
    // (a stream with a hole is no stream), and the connection ends once the scan is done.
    bool undelivered_ = false;
    FrameReceiver receiver_;
    PendingSendBuffer pending_;
};

}  // namespace tesmora
