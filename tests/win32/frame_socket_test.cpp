// The frame socket on real loopback connections under Wine: frames of every packet type in order,
// byte-by-byte arrival, broken streams, sends that meet a full network buffer, and the hand-over of
// a live connection to a socket on another thread.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <deque>
#include <thread>

#include "loopback_win32.h"
#include "test_window_win32.h"
#include "transport/packet.h"
#include "transport/frame_socket_win32.h"

using namespace tesmora;

namespace {

const auto* const socketEnvironment = ::testing::AddGlobalTestEnvironment(new SocketLibraryEnvironment);

std::vector<uint8_t> Pattern(size_t length, uint8_t seed) {
    std::vector<uint8_t> bytes(length);
    for (size_t i = 0; i < length; ++i) bytes[i] = uint8_t(i * 31 + seed + (i >> 12));
    return bytes;
}

// A frame holding `length` body bytes of one packet type (12), built by hand so that the stream
// tests do not depend on the packet layer.
std::vector<uint8_t> RawFrame(uint8_t tick, uint32_t bodyLength, uint8_t seed) {
    std::vector<uint8_t> frame(8 + bodyLength);
    auto mark = MakeFrameMark(tick);
    std::memcpy(frame.data(), mark.data(), 4);
    uint32_t length = bodyLength + 4;
    std::memcpy(frame.data() + 4, &length, 4);
    auto body = Pattern(bodyLength, seed);
    std::memcpy(frame.data() + 8, body.data(), bodyLength);
    frame[8] = 12;
    return frame;
}

class TcpSocketTest : public ::testing::Test {
protected:
    // A frame socket on this thread connected to a plain blocking peer.
    // A small send buffer makes a large send meet a full network buffer. (Only the sender's: tiny
    // windows on both ends make TCP itself stall for hundreds of milliseconds per window.)
    SOCKET ConnectToRawPeer(FrameSocket& socket, int sendBufferSize = 0) {
        EXPECT_TRUE(socket.Create());
        if (sendBufferSize) {
            setsockopt(socket.Handle(), SOL_SOCKET, SO_SNDBUF, reinterpret_cast<const char*>(&sendBufferSize),
                       sizeof sendBufferSize);
        }
        EXPECT_TRUE(socket.AsyncSelect(FrameSocket::kConnectionEvents));
        socket.SetOwner(owner_.Window());
        EXPECT_TRUE(socket.Connect(L"127.0.0.1", listener_.PortText().c_str()));
        SOCKET peer = listener_.Accept();
        EXPECT_TRUE(PumpUntil([&] { return owner_.Count(WM_SOCKET_CONNECT, &socket) == 1; }));
        return peer;
    }

    // A frame socket on this thread fed by a plain blocking client.
    SOCKET AttachFromRawPeer(FrameSocket& socket) {
        SOCKET peer = ConnectRaw(listener_);
        EXPECT_TRUE(socket.Attach(listener_.Accept()));
        socket.SetOwner(owner_.Window());
        return peer;
    }

    Listener listener_;
    RecordingOwner owner_;
};

TEST_F(TcpSocketTest, PacketsOfEveryTypeArriveInOrderAndIntact) {
    // Two frame sockets: one connects, the other is attached to the accepted handle.
    FrameSocket server;
    FrameSocket sender;
    EXPECT_TRUE(sender.Create());
    EXPECT_TRUE(sender.AsyncSelect(FrameSocket::kConnectionEvents));
    sender.SetOwner(owner_.Window());
    EXPECT_TRUE(sender.Connect(L"127.0.0.1", listener_.PortText().c_str()));
    ASSERT_TRUE(server.Attach(listener_.Accept()));
    server.SetOwner(owner_.Window());
    ASSERT_TRUE(PumpUntil([&] { return owner_.Count(WM_SOCKET_CONNECT, &sender) == 1; }));
    EXPECT_EQ(owner_.events.back().value, 0);

    std::vector<std::unique_ptr<Packet>> packets;
    packets.push_back(std::make_unique<Packet>(u"[RC00003]"));
    packets.push_back(std::make_unique<Packet>(u"[UR00001]0,안녕하세요"));
    auto typed = [&](uint8_t type) {
        packets.push_back(std::make_unique<Packet>());
        packets.back()->SetType(type);
        return packets.back().get();
    };
    typed(2)->Values() = {1, 2, 3};
    Packet* three = typed(3);
    three->Values() = {1, 2, 3, 4, 5};
    three->ShortValues() = {6, 7, 8, 9};
    three->FirstBytes() = {1, 2, 3};
    three->SecondBytes() = {4, 5};
    packets.push_back(std::make_unique<Packet>(std::vector<KeyEventRecord>{{0x100, 65, 1, 0x1E0001}}));
    std::deque<PointerEventRecord> pointer{{513, 1, -5, 700, 0}, {522, 0, 10, 20, -120}};
    packets.push_back(std::make_unique<Packet>(pointer));
    std::vector<uint8_t> small = Pattern(300, 7);
    Packet* seven = typed(7);
    seven->Values() = {1, 2, 3, 4, 0, 6, 7, 99};
    seven->FirstBytes().assign(16, 0xAB);
    seven->SetData(small.data(), uint32_t(small.size()));
    Packet* eight = typed(8);
    eight->Values() = {42};
    eight->SetSize(uint32_t(small.size()));
    eight->SetSequence(5);
    eight->SetData(small.data(), uint32_t(small.size()));
    Packet* nine = typed(9);
    nine->Values() = {1, 2, 3};
    nine->SetText(u"nine");
    nine->SetData(small.data(), uint32_t(small.size()));
    typed(10)->Values() = {11, 12};
    Packet* sound = typed(11);
    sound->SetSize(uint32_t(small.size()));
    sound->SetData(small.data(), uint32_t(small.size()));
    std::vector<uint8_t> big = Pattern(6 * 1024 * 1024 + 13, 3);
    Packet* image = typed(12);
    image->SetSize(uint32_t(big.size()));
    image->SetSequence(77);
    image->SetData(big.data(), uint32_t(big.size()));

    for (const auto& packet : packets) packet->Write(sender);
    ASSERT_TRUE(PumpUntil([&] { return owner_.Count(WM_SOCKET_RECEIVE, &server) == packets.size(); }, 20000));

    auto frames = owner_.Frames(&server);
    for (size_t i = 0; i < packets.size(); ++i) {
        SCOPED_TRACE(i);
        Packet read;
        ASSERT_TRUE(read.ReadBody(frames[i].data(), frames[i].size()));
        const Packet& sent = *packets[i];
        EXPECT_EQ(read.Type(), sent.Type());
        EXPECT_EQ(read.Text(), sent.Text());
        EXPECT_EQ(read.Values(), sent.Values());
        EXPECT_EQ(read.ShortValues(), sent.ShortValues());
        EXPECT_EQ(read.FirstBytes(), sent.FirstBytes());
        EXPECT_EQ(read.SecondBytes(), sent.SecondBytes());
        EXPECT_EQ(read.KeyEvents(), sent.KeyEvents());
        EXPECT_EQ(read.PointerEvents(), sent.PointerEvents());
        EXPECT_EQ(read.Sequence(), sent.Sequence());
        ASSERT_EQ(read.DataLength(), sent.DataLength());
        if (sent.DataLength()) {
            EXPECT_EQ(0, std::memcmp(read.Data(), sent.Data(), sent.DataLength()));
        }
    }
    EXPECT_EQ(owner_.Count(WM_SOCKET_CLOSE), 0u);
}

TEST_F(TcpSocketTest, PortTextIsADecimalNumberNeverAServiceName) {
    // Blanks around the digits, as a relay reply or a hand-edited setting.ini carries them.
    for (const std::wstring& text : {L" " + listener_.PortText() + L" ", listener_.PortText() + L"\r\n"}) {
        FrameSocket socket;
        ASSERT_TRUE(socket.Create());
        socket.SetOwner(owner_.Window());
        EXPECT_TRUE(socket.Connect(L"127.0.0.1", text.c_str()));
        SOCKET peer = listener_.Accept();
        EXPECT_NE(peer, INVALID_SOCKET);
        closesocket(peer);
    }
    // No port: the connect fails at once, before anything is looked up or sent.
    for (const wchar_t* text : {L"http", L"0", L"65536", L"", L"-1", L"80 80"}) {
        FrameSocket socket;
        ASSERT_TRUE(socket.Create());
        EXPECT_FALSE(socket.Connect(L"127.0.0.1", text)) << text;
        EXPECT_EQ(WSAGetLastError(), WSAEINVAL) << text;
    }
}

TEST_F(TcpSocketTest, FrameArrivingByteByByteIsDeliveredOnceWhenComplete) {
    FrameSocket server;
    SOCKET peer = AttachFromRawPeer(server);
    auto frame = RawFrame(0x5C, 40, 1);
    for (size_t i = 0; i < frame.size(); ++i) {
        ASSERT_TRUE(SendAllRaw(peer, {frame[i]}));
        PumpUntil([&] { return server.ReceiveCount() == i + 1 || owner_.Count(WM_SOCKET_RECEIVE) > 0; },
                  1000);
        if (i + 1 < frame.size()) {
            ASSERT_EQ(owner_.Count(WM_SOCKET_RECEIVE), 0u) << "after byte " << i;
        }
    }
    ASSERT_TRUE(PumpUntil([&] { return owner_.Count(WM_SOCKET_RECEIVE) == 1; }));
    EXPECT_EQ(owner_.Frames(&server)[0], std::vector<uint8_t>(frame.begin() + 4, frame.end()));
    EXPECT_EQ(server.ReceiveCount(), 0u);
    closesocket(peer);
}

TEST_F(TcpSocketTest, BrokenStreamClosesWithExactlyOneNotification) {
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
    };
    auto withLength = [](std::vector<uint8_t> mark, uint32_t length) {
        for (int i = 0; i < 4; ++i) mark.push_back(uint8_t(length >> (8 * i)));
        mark.push_back(1);
        return mark;
    };
    const Case cases[] = {
        {"mark that does not match its tick", withLength({0xA2, 0xA1, 0xA5, 0x60}, 5)},
        {"zero length", withLength({0xA2, 0xA1, 0xA5, 0x5C}, 0)},
        {"length shorter than its own field", withLength({0xA0, 0xA0, 0xA0, 0x00}, 3)},
        {"length above the bound", withLength({0xA2, 0xA1, 0xA5, 0x5C}, kMaxFrameLength + 1)},
        {"length of 2 GB", withLength({0xA2, 0xA1, 0xA5, 0x5C}, 0x80000000u)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        owner_.events.clear();
        FrameSocket server;
        SOCKET peer = AttachFromRawPeer(server);
        ASSERT_TRUE(SendAllRaw(peer, c.bytes));
        ASSERT_TRUE(PumpUntil([&] { return owner_.Count(WM_SOCKET_CLOSE, &server) > 0; }));
        PumpFor(200);
        EXPECT_EQ(owner_.Count(WM_SOCKET_CLOSE, &server), 1u);
        EXPECT_EQ(owner_.Count(WM_SOCKET_RECEIVE, &server), 0u);
        EXPECT_FALSE(server.HasSocket());
        server.Close();  // closing again tells nobody
        EXPECT_EQ(owner_.Count(WM_SOCKET_CLOSE, &server), 1u);
        closesocket(peer);
    }
}

// Five frames of one type byte each, in one arrival.
std::vector<uint8_t> FiveTinyFrames() {
    std::vector<uint8_t> frames;
    for (uint8_t i = 0; i < 5; ++i) {
        const auto frame = RawFrame(i, 1, i);
        frames.insert(frames.end(), frame.begin(), frame.end());
    }
    return frames;
}

TEST_F(TcpSocketTest, AFrameTheOwnerCannotTakeEndsTheConnection) {
    FrameSocket socket;
    SOCKET peer = ConnectToRawPeer(socket);
    HWND gone = ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ::DestroyWindow(gone);
    socket.SetOwner(gone);
    ASSERT_TRUE(SendAllRaw(peer, FiveTinyFrames()));
    EXPECT_TRUE(PumpUntil([&] { return !socket.HasSocket(); }));
    EXPECT_TRUE(ReceiveRaw(peer, 1).empty()) << "the peer sees the connection end";
    closesocket(peer);
}

TEST_F(TcpSocketTest, AFullMessageQueueEndsTheConnectionAsLost) {
    FrameSocket socket;
    SOCKET peer = ConnectToRawPeer(socket);
    owner_.events.clear();
    // Fill the thread's queue until the system refuses a message (10,000 on Windows).
    constexpr UINT kFiller = WM_APP + 50;
    int queued = 0;
    while (queued < 20000 && ::PostMessageW(owner_.Window(), kFiller, 0, 0)) ++queued;
    MSG message;
    if (queued == 20000) {
        while (::PeekMessageW(&message, owner_.Window(), kFiller, kFiller, PM_REMOVE)) {
        }
        closesocket(peer);
        GTEST_SKIP() << "this system's message queues have no limit (Wine's have none)";
    }
    // Room for the readable event and one frame.
    for (int i = 0; i < 2; ++i) ::PeekMessageW(&message, owner_.Window(), kFiller, kFiller, PM_REMOVE);
    ASSERT_TRUE(SendAllRaw(peer, FiveTinyFrames()));
    // Only the socket's own events are handled, so the queue stays full of fillers.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (socket.HasSocket() && std::chrono::steady_clock::now() < deadline) {
        if (::PeekMessageW(&message, nullptr, 0x9000, 0xBFFF, PM_REMOVE)) {
            ::DispatchMessageW(&message);
        } else {
            ::Sleep(1);
        }
    }
    EXPECT_FALSE(socket.HasSocket());
    PumpFor(100);
    EXPECT_EQ(owner_.Count(WM_SOCKET_CLOSE, &socket), 1u);
    EXPECT_LT(owner_.Count(WM_SOCKET_RECEIVE, &socket), 5u);
    EXPECT_TRUE(ReceiveRaw(peer, 1).empty());
    closesocket(peer);
}

TEST_F(TcpSocketTest, FramesSentJustBeforeThePeerClosesAreHandledBeforeTheClose) {
    // The teacher's last words ("[DV10000]" with its reason) followed at once by its close: the owner
    // must see the words first. Also when the stream breaks right after good frames.
    struct Case {
        const char* name;
        std::vector<uint8_t> after;  // sent after the frames, before the close
    } cases[] = {{"peer closes", {}}, {"stream breaks", {0xA2, 0xA1, 0xA5, 0x60, 5, 0, 0, 0, 1}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        owner_.events.clear();
        FrameSocket server;
        SOCKET peer = AttachFromRawPeer(server);
        std::vector<uint8_t> bytes;
        for (uint8_t i = 0; i < 3; ++i) {
            const auto frame = RawFrame(i, 100 + i, i);
            bytes.insert(bytes.end(), frame.begin(), frame.end());
        }
        bytes.insert(bytes.end(), c.after.begin(), c.after.end());
        ASSERT_TRUE(SendAllRaw(peer, bytes));
        shutdown(peer, SD_SEND);
        closesocket(peer);
        ASSERT_TRUE(PumpUntil([&] { return owner_.Count(WM_SOCKET_CLOSE, &server) > 0; }));
        PumpFor(100);
        std::vector<UINT> order;
        for (const auto& e : owner_.events) order.push_back(e.message);
        EXPECT_EQ(order, (std::vector<UINT>{WM_SOCKET_RECEIVE, WM_SOCKET_RECEIVE, WM_SOCKET_RECEIVE,
                                            WM_SOCKET_CLOSE}));
        EXPECT_FALSE(server.HasSocket());
    }
}

TEST_F(TcpSocketTest, OwnersOwnCloseWhileAPeerCloseWaitsTellsItOnce) {
    FrameSocket server;
    SOCKET peer = AttachFromRawPeer(server);
    ASSERT_TRUE(SendAllRaw(peer, RawFrame(7, 20, 7)));
    closesocket(peer);
    // Dispatch until the frame has arrived; the close then waits behind it in the queue.
    ASSERT_TRUE(PumpUntil([&] { return owner_.Count(WM_SOCKET_RECEIVE, &server) == 1; }));
    server.Close();  // the owner ends the connection itself first
    PumpFor(200);
    EXPECT_EQ(owner_.Count(WM_SOCKET_CLOSE, &server), 1u);
}

TEST_F(TcpSocketTest, CloseNotifiesOnlyWhenThereIsASocket) {
    FrameSocket socket;
    socket.SetOwner(owner_.Window());
    socket.Close();
    EXPECT_EQ(owner_.Count(WM_SOCKET_CLOSE), 0u);
    ASSERT_TRUE(socket.Create());
    socket.Close();
    socket.Close();
    EXPECT_EQ(owner_.Count(WM_SOCKET_CLOSE, &socket), 1u);
    // A closed socket is reused: Create again keeps the buffers.
    ASSERT_TRUE(socket.Create());
    EXPECT_EQ(socket.ReceiveCapacity(), 40960u);
}

TEST_F(TcpSocketTest, SendThatMeetsAFullBufferCompletesInOrderOnTheWritableEvent) {
    FrameSocket client;
    SOCKET peer = ConnectToRawPeer(client, 16384);
    auto first = RawFrame(1, 8 * 1024 * 1024, 1);
    auto second = RawFrame(2, 1000, 2);
    int taken = client.Send(first.data(), int(first.size()));
    EXPECT_LT(taken, int(first.size()));
    EXPECT_GT(client.PendingCount(), 0u);
    EXPECT_EQ(client.Send(second.data(), int(second.size())), -1);  // queued behind the first

    std::vector<uint8_t> received;
    std::jthread reader([&] { received = ReceiveRaw(peer, first.size() + second.size()); });
    ASSERT_TRUE(PumpUntil([&] { return client.PendingCount() == 0; }, 30000));
    reader.join();
    std::vector<uint8_t> expected = first;
    expected.insert(expected.end(), second.begin(), second.end());
    ASSERT_EQ(received.size(), expected.size());
    EXPECT_TRUE(received == expected);
    EXPECT_EQ(client.PendingCapacity() % 40960, 0u);
    EXPECT_EQ(owner_.Count(WM_SOCKET_CLOSE), 0u);
    closesocket(peer);
}

// The hand-over used when remote control borrows the teacher connection: the handle moves to a
// socket on another thread together with the bytes waiting on either side.
TEST_F(TcpSocketTest, HandOverToAnotherThreadKeepsHandleAndBufferedBytes) {
    FrameSocket giver;
    SOCKET peer = ConnectToRawPeer(giver, 16384);
    auto incoming = RawFrame(9, 200, 9);
    ASSERT_TRUE(SendAllRaw(peer, std::vector<uint8_t>(incoming.begin(), incoming.begin() + 50)));
    ASSERT_TRUE(PumpUntil([&] { return giver.ReceiveCount() == 50; }));
    auto outgoing = RawFrame(3, 16 * 1024 * 1024, 3);
    giver.Send(outgoing.data(), int(outgoing.size()));
    uint32_t pendingBefore = giver.PendingCount();
    ASSERT_GT(pendingBefore, 0u);

    SOCKET handle = giver.Detach();
    ASSERT_NE(handle, INVALID_SOCKET);
    EXPECT_FALSE(giver.HasSocket());

    std::vector<uint8_t> received;
    std::jthread reader([&] { received = ReceiveRaw(peer, outgoing.size()); });

    std::vector<std::vector<uint8_t>> frames;
    uint32_t adoptedPending = 0;
    uint32_t adoptedReceive = 0;
    std::jthread taker([&] {
        RecordingOwner owner;
        FrameSocket taker;
        taker.AdoptBuffers(giver);
        adoptedPending = taker.PendingCount();
        adoptedReceive = taker.ReceiveCount();
        ASSERT_TRUE(taker.Attach(handle));
        taker.SetOwner(owner.Window());
        PumpUntil([&] { return owner.Count(WM_SOCKET_RECEIVE) == 1 && taker.PendingCount() == 0; }, 30000);
        frames = owner.Frames(&taker);
        taker.Detach();  // the test closes the handle itself
    });
    // The rest of the frame arrives only after the hand-over.
    PumpFor(100);
    ASSERT_TRUE(SendAllRaw(peer, std::vector<uint8_t>(incoming.begin() + 50, incoming.end())));
    taker.join();
    reader.join();

    EXPECT_EQ(adoptedPending, pendingBefore);
    EXPECT_EQ(adoptedReceive, 50u);
    EXPECT_EQ(giver.ReceiveCapacity(), 0u);
    EXPECT_EQ(giver.PendingCapacity(), 0u);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0], std::vector<uint8_t>(incoming.begin() + 4, incoming.end()));
    EXPECT_TRUE(received == outgoing);
    EXPECT_EQ(owner_.Count(WM_SOCKET_CLOSE), 0u);
    closesocket(handle);
    closesocket(peer);
}

}  // namespace
