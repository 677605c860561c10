// HttpFetch over WinINet (see http_fetch_win32.h). The calling thread only.
#include "common/http/http_fetch_win32.h"

#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <cwctype>
#include <optional>

#include "common/http/content_disposition.h"
#include "common/http/http_query.h"
#include "common/http/http_url.h"
#include "common/platform/clock.h"
#include "common/platform/wide_text_win32.h"
#include "common/ui/handles_win32.h"
#include "common/ui/window_win32.h"

namespace tesmora {

namespace {

constexpr DWORD kTimeoutMilliseconds = 30000;
constexpr DWORD kPieceBytes = 4096;
// Status line and header values are read into buffers of this many characters, terminator included.
constexpr DWORD kHeaderBufferCharacters = 250;
constexpr DWORD kInvalidCertificateAuthority = 12045;  // ERROR_INTERNET_INVALID_CA
// Unknown authority, revocation, wrong usage, name mismatch, invalid date, weak signature: the
// lookup and update servers of a school network often present certificates nobody signed.
constexpr DWORD kIgnoreCertificateProblems = 0x13380;
// What a strict request reports as "not reached securely" rather than as a plain failure: the
// certificate errors (date, name, redirection to http, authority, the collected errors, revocation
// unknown or failed, invalid, revoked) and a secure channel that could not be set up at all.
constexpr DWORD kSecurityErrors[] = {12037, 12038, 12040, 12045, 12055, 12056, 12057, 12157, 12169, 12170};
// A strict request follows redirections itself (each one checked to stay on https) up to this many.
constexpr int kMaxStrictRedirections = 10;

constexpr wchar_t kRequestHeaders[] =
    L"Accept: */*\r\n"
    L"Accept-Language: ko\r\n"
    L"User-Agent: Mozilla/4.0 (compatible; MSIE 5.01; Windows NT 5.0)\r\n"
    L"Connection: Close\r\n";

struct InternetHandleTraits {
    using Type = HINTERNET;
    static Type Invalid() { return nullptr; }
    static void Close(Type h) { ::InternetCloseHandle(h); }
};
using InternetHandle = UniqueResource<InternetHandleTraits>;

// The whole request's deadline, and what each blocking step may still take of it.
class Deadline {
public:
    explicit Deadline(uint32_t milliseconds) : end_(MonotonicMilliseconds() + milliseconds) {}
    // A step's time-out: the rest of the deadline, at most kTimeoutMilliseconds; 0 once it has passed.
    DWORD StepTimeout() const {
        const uint64_t now = MonotonicMilliseconds();
        return now >= end_ ? 0 : DWORD(std::min<uint64_t>(end_ - now, kTimeoutMilliseconds));
    }
    bool Passed() const { return MonotonicMilliseconds() >= end_; }

private:
    uint64_t end_;
};

void SetTimeouts(HINTERNET internet, DWORD timeout) {
    for (DWORD option :
         {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT}) {
        ::InternetSetOptionW(internet, option, &timeout, sizeof timeout);
    }
}

bool SendRequest(HINTERNET request) {
    return ::HttpSendRequestW(request, kRequestHeaders, DWORD(-1), nullptr, 0) != FALSE;
}

// The https retry: accept the certificate problems a self-signed or private authority brings.
bool SendIgnoringCertificate(HINTERNET request) {
    DWORD flags = 0;
    DWORD size = sizeof flags;
    if (!::InternetQueryOptionW(request, INTERNET_OPTION_SECURITY_FLAGS, &flags, &size)) return false;
    flags |= kIgnoreCertificateProblems;
    if (!::InternetSetOptionW(request, INTERNET_OPTION_SECURITY_FLAGS, &flags, sizeof flags)) return false;
    return SendRequest(request);
}

bool IsSecurityError(DWORD error) {
    for (DWORD known : kSecurityErrors) {
        if (error == known) return true;
    }
    return false;
}

// A header value (or the status code) cut to what the fixed buffer holds (or to `maxCharacters`);
// empty when missing.
std::wstring QueryHeader(HINTERNET request, DWORD what, size_t maxCharacters = kHeaderBufferCharacters - 1) {
    wchar_t buffer[kHeaderBufferCharacters]{};
    DWORD size = sizeof buffer - sizeof(wchar_t);
    DWORD index = 0;
    if (!::HttpQueryInfoW(request, what, buffer, &size, &index)) {
        // Too long for the buffer: take what fits, as a fixed buffer would.
        if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER) return {};
        std::wstring whole(size / sizeof(wchar_t) + 1, L'\0');
        DWORD wholeSize = DWORD(whole.size() * sizeof(wchar_t));
        index = 0;
        if (!::HttpQueryInfoW(request, what, whole.data(), &wholeSize, &index)) return {};
        whole.resize(wholeSize / sizeof(wchar_t));
        return whole.substr(0, maxCharacters);
    }
    return std::wstring(buffer, size / sizeof(wchar_t));
}

bool IsChunked(std::wstring transferEncoding) {
    for (wchar_t& c : transferEncoding) c = wchar_t(::towlower(c));
    return transferEncoding.find(L"chunked") != std::wstring::npos;
}

void DispatchPendingMessages() {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // Leave it for the thread's own loop; taking it here would lose the program's end.
            ::PostQuitMessage(int(message.wParam));
            return;
        }
        if (!Window::PreTranslateChain(message)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    }
}

enum class BodyEnd {
    kWhole,     // the server ended it (WinINet checks an announced length or the chunks' end)
    kCut,       // a read failed: the connection broke off, or fell silent for a step's time-out
    kTooLarge,  // past the style's bound; what was read is dropped
    kTimedOut,  // past the request's deadline
};

// Reads what has arrived, never waiting for more than is there: a read of a whole piece would wait
// for the piece to fill, and a server that trickles could stretch one read far past the deadline.
BodyEnd ReadBody(HINTERNET request, std::string& body, const HttpFetchStyle& style,
                 const Deadline& deadline) {
    char piece[kPieceBytes];
    for (;;) {
        DWORD step = deadline.StepTimeout();
        if (step == 0) return BodyEnd::kTimedOut;
        // The wait for the next bytes ends by the deadline too.
        ::InternetSetOptionW(request, INTERNET_OPTION_RECEIVE_TIMEOUT, &step, sizeof step);
        DWORD available = 0;
        if (!::InternetQueryDataAvailable(request, &available, 0, 0)) {
            return deadline.Passed() ? BodyEnd::kTimedOut : BodyEnd::kCut;
        }
        if (available == 0) return BodyEnd::kWhole;
        DWORD got = 0;
        if (!::InternetReadFile(request, piece, std::min(available, kPieceBytes), &got)) {
            return deadline.Passed() ? BodyEnd::kTimedOut : BodyEnd::kCut;
        }
        if (got == 0) return BodyEnd::kWhole;
        if (got > style.maxBodyBytes - body.size()) {
            body.clear();
            body.shrink_to_fit();
            return BodyEnd::kTooLarge;
        }
        body.append(piece, got);
        if (style.dispatchMessages) DispatchPendingMessages();
    }
}

}  // namespace

int HttpFetch(const std::wstring& url, const std::wstring& query, std::string& body, std::wstring& fileName,
              const HttpFetchStyle& style) {
    HttpFetchReply reply;
    const int result = HttpFetch(url, query, reply, style);
    body.clear();
    fileName.clear();
    // Part of a reply reads as a different reply (a relay address cut to "192.168.1"): none at all.
    if (result == kHttpOk && !reply.whole) return kHttpBodyCut;
    body = std::move(reply.body);
    fileName = std::move(reply.fileName);
    return result;
}

int HttpFetch(const std::wstring& url, const std::wstring& query, HttpFetchReply& reply,
              const HttpFetchStyle& style) {
    std::string& body = reply.body;
    std::wstring& fileName = reply.fileName;
    body.clear();
    fileName.clear();
    reply.contentLength.reset();
    reply.whole = false;
    const Deadline deadline(style.deadlineMilliseconds);

    std::optional<HttpUrl> parts = ParseHttpUrl(ToU16(url));
    if (!parts) return kHttpBadUrl;
    if (style.strictCertificates && !parts->secure) return kHttpNotSecure;

    InternetHandle internet(::InternetOpenW(parts->secure ? nullptr : style.agent,
                                            INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!internet) return kHttpNoInternet;

    for (int redirections = 0;; ++redirections) {
        const DWORD step = deadline.StepTimeout();
        if (step == 0) return kHttpTimedOut;
        SetTimeouts(internet.Get(), step);
        const std::wstring host = ToWide(parts->host);
        const std::wstring user = ToWide(parts->user);
        const std::wstring password = ToWide(parts->password);
        const bool withCredentials = !parts->secure && !user.empty();
        InternetHandle connection(::InternetConnectW(
            internet.Get(), host.c_str(), parts->port, withCredentials ? user.c_str() : nullptr,
            withCredentials ? password.c_str() : nullptr, INTERNET_SERVICE_HTTP, 0, 0));
        if (!connection) return kHttpNoConnection;

        // A redirection's Location carries its own query.
        std::wstring object = ToWide(parts->path);
        if (redirections == 0) {
            const std::optional<std::string> encoded = EncodeHttpQuery(ToU16(query));
            if (!encoded) return kHttpRequestFailed;
            if (!encoded->empty()) object += L"?" + std::wstring(encoded->begin(), encoded->end());
        }

        // Every answer comes from the server: a stale update list or relay from the cache would be wrong.
        DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE;
        if (parts->secure) flags |= INTERNET_FLAG_SECURE;
        // The HTTP layer would follow a redirection to plain http without a word (Wine does), sending
        // the request where anyone can read and answer it.
        if (style.strictCertificates) flags |= INTERNET_FLAG_NO_AUTO_REDIRECT;
        InternetHandle request(::HttpOpenRequestW(connection.Get(), L"GET", object.c_str(), L"HTTP/1.0",
                                                  nullptr, nullptr, flags, 0));
        if (!request) return kHttpRequestFailed;
        // Set on the request too: not every WinINet hands the root's time-outs down, and a server that
        // stops sending halfway must not hold the caller for good.
        SetTimeouts(request.Get(), step);
        bool sent = SendRequest(request.Get());
        if (!sent && style.strictCertificates) {
            return IsSecurityError(::GetLastError()) ? kHttpNotSecure : kHttpRequestFailed;
        }
        if (!sent && parts->secure && ::GetLastError() == kInvalidCertificateAuthority) {
            sent = SendIgnoringCertificate(request.Get());
        }
        if (!sent) return kHttpRequestFailed;

        const std::wstring status = QueryHeader(request.Get(), HTTP_QUERY_STATUS_CODE);
        const int result = HttpResultForStatus(ToU16(status));
        const bool redirection = result == kHttpRedirected || status == L"307" || status == L"308";
        if (redirection && style.strictCertificates && redirections < kMaxStrictRedirections) {
            const std::optional<HttpUrl> next =
                ResolveHttpLocation(*parts, ToU16(QueryHeader(request.Get(), HTTP_QUERY_LOCATION, 4096)));
            if (!next) return kHttpRedirected;
            if (!next->secure) return kHttpNotSecure;
            parts = next;
            continue;
        }
        if (result != kHttpOk) return result;

        const std::wstring length = QueryHeader(request.Get(), HTTP_QUERY_CONTENT_LENGTH);
        if (!length.empty() && length.size() <= 18 &&
            length.find_first_not_of(L"0123456789") == std::wstring::npos) {
            reply.contentLength = std::stoull(length);
        }
        switch (ReadBody(request.Get(), body, style, deadline)) {
            case BodyEnd::kTooLarge:
                return kHttpBodyTooLarge;
            case BodyEnd::kTimedOut:
                body.clear();
                return kHttpTimedOut;
            case BodyEnd::kCut:
                break;
            case BodyEnd::kWhole:
                // WinINet ends a body at a closed connection without a word: short of its announced
                // length, or between or inside chunks. Chunks answer an HTTP/1.0 request only from a
                // server that breaks the protocol, and their end cannot be told from a break here.
                reply.whole = (!reply.contentLength || body.size() >= *reply.contentLength) &&
                              !IsChunked(QueryHeader(request.Get(), HTTP_QUERY_TRANSFER_ENCODING));
                break;
        }
        // The name comes from the server: made safe here, before any caller could join it to a folder.
        fileName = ToWide(CleanServerFileName(FileNameFromContentDisposition(
            ToU16(QueryHeader(request.Get(), HTTP_QUERY_CONTENT_DISPOSITION)))));
        if (fileName.size() > kMaxFetchFileName) fileName.resize(kMaxFetchFileName);
        return kHttpOk;
    }
}

}  // namespace tesmora
