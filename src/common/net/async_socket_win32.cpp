// Readiness events of non-blocking sockets, delivered on the thread that registered them: each
// thread that creates or attaches a socket gets one hidden message window; Winsock posts the events
// there and the window calls the socket object found in the process-wide handle table.
#include "async_socket_win32.h"

#include <ws2tcpip.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>
#include <string_view>

#include "common/text/port_number.h"

namespace tesmora {

namespace {

// Each handle maps to its object, the window of the thread that registered it and the message
// number its events arrive with. Every registration gets a new message number, so an event still
// queued for a closed handle is not delivered to a new socket that the system gave the same handle
// value, and an event queued before a hand-over to another thread is not delivered on the old one.
struct Registration {
    AsyncSocket* socket;
    HWND window;
    UINT message;
};

constexpr UINT kFirstNotifyMessage = 0x9000;
constexpr UINT kLastNotifyMessage = 0xBFFF;

UINT NextNotifyMessage() {
    static UINT next = kFirstNotifyMessage;  // under tableLock
    UINT message = next;
    next = next == kLastNotifyMessage ? kFirstNotifyMessage : next + 1;
    return message;
}

std::mutex tableLock;
std::map<SOCKET, Registration>& SocketTable() {
    static std::map<SOCKET, Registration> table;
    return table;
}

AsyncSocket* FindSocket(SOCKET handle, HWND window, UINT message) {
    std::lock_guard<std::mutex> guard(tableLock);
    auto found = SocketTable().find(handle);
    if (found == SocketTable().end() || found->second.window != window || found->second.message != message) {
        return nullptr;
    }
    return found->second.socket;
}

// The message number the handle's events will arrive with.
UINT Register(SOCKET handle, AsyncSocket* socket, HWND window) {
    std::lock_guard<std::mutex> guard(tableLock);
    UINT message = NextNotifyMessage();
    SocketTable()[handle] = Registration{socket, window, message};
    return message;
}

bool FindRegistration(SOCKET handle, Registration& found) {
    std::lock_guard<std::mutex> guard(tableLock);
    auto entry = SocketTable().find(handle);
    if (entry == SocketTable().end()) return false;
    found = entry->second;
    return true;
}

UINT RegisteredMessage(SOCKET handle) {
    std::lock_guard<std::mutex> guard(tableLock);
    auto found = SocketTable().find(handle);
    return found == SocketTable().end() ? 0 : found->second.message;
}

void Unregister(SOCKET handle) {
    std::lock_guard<std::mutex> guard(tableLock);
    SocketTable().erase(handle);
}

constexpr wchar_t kWindowClass[] = L"TesmoraSocketWindow";

}  // namespace

struct SocketWindowDispatch {
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message < kFirstNotifyMessage || message > kLastNotifyMessage) {
            return DefWindowProcW(window, message, wParam, lParam);
        }
        if (AsyncSocket* socket = FindSocket(static_cast<SOCKET>(wParam), window, message)) {
            socket->Dispatch(WSAGETSELECTEVENT(lParam), WSAGETSELECTERROR(lParam));
        }
        return 0;
    }
};

namespace {

// The hidden window of the calling thread, made on first use and destroyed when the thread ends.
class ThreadSocketWindow {
public:
    ~ThreadSocketWindow() {
        if (window_) DestroyWindow(window_);
    }
    HWND Get() {
        if (!window_) {
            static const ATOM registered = [] {
                WNDCLASSW windowClass{};
                windowClass.lpfnWndProc = SocketWindowDispatch::Proc;
                windowClass.hInstance = GetModuleHandleW(nullptr);
                windowClass.lpszClassName = kWindowClass;
                return RegisterClassW(&windowClass);
            }();
            (void)registered;
            window_ = CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                      GetModuleHandleW(nullptr), nullptr);
        }
        return window_;
    }

private:
    HWND window_ = nullptr;
};

thread_local ThreadSocketWindow threadWindow;

}  // namespace

AsyncSocket::~AsyncSocket() {
    CloseHandle();
}

bool AsyncSocket::CreateHandle(long events) {
    if (HasSocket()) return false;
    SOCKET handle = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (handle == INVALID_SOCKET) return false;
    if (!Attach(handle, events)) {
        int error = WSAGetLastError();
        closesocket(handle);
        WSASetLastError(error);
        return false;
    }
    return true;
}

bool AsyncSocket::AsyncSelect(long events) {
    if (!HasSocket()) return false;
    return WSAAsyncSelect(handle_, threadWindow.Get(), RegisteredMessage(handle_), events) == 0;
}

bool AsyncSocket::Connect(const wchar_t* host, uint16_t port) {
    if (!HasSocket()) return false;
    if (port == 0) {
        WSASetLastError(WSAEINVAL);
        return false;
    }
    awaitedLookup_ = 0;  // a lookup for an earlier connect no longer counts
    sockaddr_in address{};
    if (NumericHostAddress(host, address)) return ConnectTo(address, port);

    // Lookups of earlier connects that have answered are released; one still under way is kept.
    std::erase_if(lookups_, [](const PendingLookup& pending) { return pending.lookup->Finished(); });
    Registration registration{};
    if (!FindRegistration(handle_, registration)) {
        WSASetLastError(WSAENOTSOCK);
        return false;
    }
    lastLookup_ = lastLookup_ == 0xFFFF ? 1 : lastLookup_ + 1;
    auto lookup = std::make_unique<HostLookup>();
    if (!lookup->Start(host ? host : L"", registration.window, registration.message,
                       static_cast<WPARAM>(handle_), WSAMAKESELECTREPLY(kLookupDoneEvent, lastLookup_))) {
        WSASetLastError(WSAENOBUFS);
        return false;
    }
    lookups_.push_back(PendingLookup{lastLookup_, std::move(lookup)});
    awaitedLookup_ = lastLookup_;
    awaitedPort_ = port;
    WSASetLastError(WSAEWOULDBLOCK);
    return true;
}

bool AsyncSocket::ConnectTo(sockaddr_in address, uint16_t port) {
    address.sin_port = htons(port);
    int result = ::connect(handle_, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    int error = WSAGetLastError();
    if (result == 0) return true;
    WSASetLastError(error);
    return error == WSAEWOULDBLOCK;
}

void AsyncSocket::OnLookupDone(uint16_t number) {
    auto found = std::find_if(lookups_.begin(), lookups_.end(),
                              [number](const PendingLookup& pending) { return pending.number == number; });
    if (found == lookups_.end()) return;
    sockaddr_in address{};
    const int error = found->lookup->Answer(address);
    lookups_.erase(found);
    if (number != awaitedLookup_ || !HasSocket()) return;
    awaitedLookup_ = 0;
    // A failed lookup or connect is told like a connect that failed later.
    if (error != 0) {
        OnConnect(error);
    } else if (!ConnectTo(address, awaitedPort_)) {
        OnConnect(WSAGetLastError());
    }
}

bool AsyncSocket::Connect(const wchar_t* host, const wchar_t* port) {
    static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide text is UTF-16");
    const auto* text = reinterpret_cast<const char16_t*>(port ? port : L"");
    return Connect(host, ParsePortNumber(std::u16string_view(text)));
}

SOCKET AsyncSocket::Detach() {
    SOCKET handle = handle_;
    if (handle == INVALID_SOCKET) return handle;
    // No more events to this thread's window; the next owner registers again.
    WSAAsyncSelect(handle, threadWindow.Get(), 0, 0);
    Unregister(handle);
    handle_ = INVALID_SOCKET;
    awaitedLookup_ = 0;
    return handle;
}

bool AsyncSocket::Attach(SOCKET handle, long events) {
    if (HasSocket() || handle == INVALID_SOCKET) return false;
    handle_ = handle;
    ownerThread_ = ::GetCurrentThreadId();
    Register(handle, this, threadWindow.Get());
    if (!AsyncSelect(events)) {
        Unregister(handle);
        handle_ = INVALID_SOCKET;
        return false;
    }
    return true;
}

void AsyncSocket::CloseHandle() {
    if (!HasSocket()) return;
    SOCKET handle = handle_;
    handle_ = INVALID_SOCKET;
    awaitedLookup_ = 0;
    Unregister(handle);
    closesocket(handle);
}

bool AsyncSocket::PostEvent(long event, int error) {
    Registration registration{};
    if (!HasSocket() || !FindRegistration(handle_, registration)) return false;
    return PostMessageW(registration.window, registration.message, static_cast<WPARAM>(handle_),
                        WSAMAKESELECTREPLY(event, error)) != FALSE;
}

void AsyncSocket::Dispatch(long event, int error) {
    switch (event) {
        case FD_READ:
            OnReceive(error);
            break;
        case FD_WRITE:
            OnSend(error);
            break;
        case FD_CONNECT:
            OnConnect(error);
            break;
        case FD_CLOSE:
            OnClose(error);
            break;
        case kDeferredCloseEvent:
            OnDeferredClose(error);
            break;
        case kLookupDoneEvent:
            OnLookupDone(static_cast<uint16_t>(error));
            break;
        default:
            break;  // out-of-band data and accepts are not used
    }
}

bool StartSocketLibrary() {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
}

}  // namespace tesmora
