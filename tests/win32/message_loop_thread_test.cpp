// The message-loop thread's owner contract: a close asked for before the thread's window exists
// still ends its loop, the owner's join answers what the thread sends it meanwhile, and a thread
// that gives up its window never leaves the owner waiting.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <chrono>

#include "common/threads/message_loop_thread_win32.h"

using namespace tesmora;

namespace {

constexpr UINT kAskOwner = WM_APP + 7;

// A plain window: the system's close destroys it, and its end ends the thread's loop.
LRESULT CALLBACK LoopWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) ::PostQuitMessage(0);
    if (message == kAskOwner) return 42;
    return ::DefWindowProcW(window, message, wParam, lParam);
}

HWND MakeWindow(HWND parent) {
    static const ATOM registered = [] {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = LoopWindowProc;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"TesmoraLoopThreadTest";
        return ::RegisterClassW(&windowClass);
    }();
    (void)registered;
    return ::CreateWindowExW(0, L"TesmoraLoopThreadTest", L"", 0, 0, 0, 0, 0, parent, nullptr,
                             ::GetModuleHandleW(nullptr), nullptr);
}

class TestLoop : public MessageLoopThread {
public:
    TestLoop(HWND owner, bool makeWindow) : owner_(owner), makeWindow_(makeWindow) {}
    ~TestLoop() { CloseAndJoin(); }

    std::atomic<bool> loopEnded{false};
    std::atomic<LRESULT> ownerAnswer{0};

private:
    void Run() override {
        ::Sleep(100);  // the owner asks for the close before the window exists
        if (!makeWindow_) return;
        HWND window = MakeWindow(nullptr);
        MarkReady(window);
        WaitForGo();
        RunLoop();
        loopEnded = true;
        // The owner is inside its join by now: it must still answer.
        ownerAnswer = ::SendMessageW(owner_, kAskOwner, 0, 0);
    }

    HWND owner_;
    bool makeWindow_;
};

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

TEST(MessageLoopThread, EarlyCloseEndsTheLoopAndTheJoinAnswersTheThread) {
    HWND owner = MakeWindow(HWND_MESSAGE);
    ASSERT_NE(owner, nullptr);
    const auto start = std::chrono::steady_clock::now();
    {
        TestLoop loop(owner, true);
        ASSERT_TRUE(loop.Start());
        EXPECT_FALSE(loop.Settled());
        loop.CloseAndJoin();  // asks before the window exists, waits for it, then closes it
        EXPECT_TRUE(loop.Ready());
        EXPECT_TRUE(loop.Ended());
        EXPECT_TRUE(loop.loopEnded);
        EXPECT_EQ(loop.ownerAnswer, 42);
        EXPECT_EQ(loop.Window(), nullptr);
    }
    EXPECT_LT(SecondsSince(start), 5.0);
    ::DestroyWindow(owner);
}

TEST(MessageLoopThread, AThreadThatGivesUpItsWindowSettlesWithoutIt) {
    TestLoop loop(nullptr, false);
    ASSERT_TRUE(loop.Start());
    loop.RequestClose();  // returns once the thread gave up
    EXPECT_TRUE(loop.Settled());
    EXPECT_FALSE(loop.Ready());
    loop.JoinServing();
    EXPECT_TRUE(loop.Ended());
    EXPECT_FALSE(loop.PostToThread(WM_NULL, 0, 0));
    EXPECT_TRUE(loop.Start());  // joined: the owner may start it again
}
