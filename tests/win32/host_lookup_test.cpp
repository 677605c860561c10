// Connects by host name under Wine: the name is looked up off the caller's thread, a name that does
// not resolve arrives as a failed connect, and a name server that never answers holds no thread
// (that case runs through silent_name_server.sh, in a network of its own whose name server takes
// every question and answers none).
#include <gtest/gtest.h>

#include <cstdlib>

#include "loopback_win32.h"
#include "test_window_win32.h"
#include "transport/frame_socket_win32.h"

using namespace tesmora;

namespace {

const auto* const socketEnvironment = ::testing::AddGlobalTestEnvironment(new SocketLibraryEnvironment);

// A frame socket owned by `owner`, its connect started to `host` at the listener's port.
bool StartConnect(FrameSocket& socket, RecordingOwner& owner, const wchar_t* host, const Listener& listener) {
    if (!socket.Create() || !socket.AsyncSelect(FrameSocket::kConnectionEvents)) return false;
    socket.SetOwner(owner.Window());
    return socket.Connect(host, listener.PortText().c_str());
}

TEST(HostLookup, NamesConnectLaterAndAnUnknownNameArrivesAsAFailedConnect) {
    Listener listener;
    RecordingOwner owner;
    FrameSocket named;
    ASSERT_TRUE(StartConnect(named, owner, L"localhost", listener));
    // The connect starts once the answer is back on this thread; the listener's backlog takes it.
    ASSERT_TRUE(PumpUntil([&] { return owner.Count(WM_SOCKET_CONNECT, &named) == 1; }));
    EXPECT_EQ(owner.events.back().value, 0);
    SOCKET peer = listener.Accept();
    EXPECT_NE(peer, INVALID_SOCKET);
    closesocket(peer);

    FrameSocket unknown;
    EXPECT_TRUE(StartConnect(unknown, owner, L"tesmora-teacher.invalid", listener));
    ASSERT_TRUE(PumpUntil([&] { return owner.Count(WM_SOCKET_CONNECT, &unknown) == 1; }, 20000));
    EXPECT_NE(owner.events.back().value, 0);

    // A connect started again before the first lookup answered: only the newest one is made.
    FrameSocket twice;
    ASSERT_TRUE(StartConnect(twice, owner, L"tesmora-teacher.invalid", listener));
    EXPECT_TRUE(twice.Connect(L"localhost", listener.PortText().c_str()));
    ASSERT_TRUE(PumpUntil([&] { return owner.Count(WM_SOCKET_CONNECT, &twice) == 1; }));
    EXPECT_EQ(owner.events.back().value, 0);
    peer = listener.Accept();
    PumpFor(300);
    EXPECT_EQ(owner.Count(WM_SOCKET_CONNECT, &twice), 1u);
    closesocket(peer);
}

TEST(SilentNameServer, ANameLeavesTheThreadFreeWhileNumbersConnectAtOnce) {
    if (!std::getenv("TESMORA_SILENT_NAME_SERVER")) GTEST_SKIP() << "runs through silent_name_server.sh";
    Listener listener;
    RecordingOwner owner;
    FrameSocket named;
    const ULONGLONG start = ::GetTickCount64();
    EXPECT_TRUE(StartConnect(named, owner, L"teacher.tesmora.test", listener));
    EXPECT_LT(::GetTickCount64() - start, 500u) << "the connect waited for the name server";

    FrameSocket numeric;
    ASSERT_TRUE(StartConnect(numeric, owner, L"127.0.0.1", listener));
    SOCKET peer = listener.Accept();
    ASSERT_TRUE(PumpUntil([&] { return owner.Count(WM_SOCKET_CONNECT, &numeric) == 1; }, 1000));
    EXPECT_EQ(owner.Count(WM_SOCKET_CONNECT, &named), 0u) << "the name server answered after all";
    closesocket(peer);

    ASSERT_TRUE(PumpUntil([&] { return owner.Count(WM_SOCKET_CONNECT, &named) == 1; }, 30000));
    EXPECT_NE(owner.events.back().value, 0);
    EXPECT_GE(::GetTickCount64() - start, 2000u) << "the name server was not silent";
}

}  // namespace
