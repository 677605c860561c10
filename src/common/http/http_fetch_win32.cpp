// HttpFetch over WinINet (see http_fetch_win32.h). The calling thread only.
#include "common/http/http_fetch_win32.h"

#include <windows.h>
#include <wininet.h>

#include <optional>

#include "common/http/content_disposition.h"
#include "common/http/http_query.h"
#include "common/http/http_url.h"
#include "common/platform/wide_text_win32.h"
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

struct InternetHandle {
    HINTERNET handle = nullptr;
    explicit InternetHandle(HINTERNET h) : handle(h) {}
    ~InternetHandle() {
        if (handle) ::InternetCloseHandle(handle);
    }
    InternetHandle(const InternetHandle&) = delete;
    InternetHandle& operator=(const InternetHandle&) = delete;
    explicit operator bool() const { return handle != nullptr; }
};

void SetTimeouts(HINTERNET internet) {
    DWORD timeout = kTimeoutMilliseconds;
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

void DispatchPendingMessages() {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // Leave it for the thread's own loop; taking it here would lose the program's end.
            ::PostQuitMessage(int(message.wParam));
            return;
        }
        if (!CWindow::PreTranslateChain(message)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    }
}

// False when the body runs past `maxBytes` (what was read is dropped).
bool ReadBody(HINTERNET request, std::string& body, bool dispatchMessages, size_t maxBytes) {
    char piece[kPieceBytes];
    for (;;) {
        DWORD got = 0;
        if (!::InternetReadFile(request, piece, kPieceBytes, &got) || got == 0) break;
        if (got > maxBytes - body.size()) {
            body.clear();
            body.shrink_to_fit();
            return false;
        }
        body.append(piece, got);
        if (dispatchMessages) DispatchPendingMessages();
    }
    return true;
}

}  // namespace

int HttpFetch(const std::wstring& url, const std::wstring& query, std::string& body, std::wstring& fileName,
              const HttpFetchStyle& style) {
    HttpFetchReply reply;
    const int result = HttpFetch(url, query, reply, style);
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

    std::optional<HttpUrl> parts = ParseHttpUrl(ToU16(url));
    if (!parts) return kHttpBadUrl;
    if (style.strictCertificates && !parts->secure) return kHttpNotSecure;

    InternetHandle internet(::InternetOpenW(parts->secure ? nullptr : style.agent,
                                            INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!internet) return kHttpNoInternet;
    SetTimeouts(internet.handle);

    for (int redirections = 0;; ++redirections) {
        const std::wstring host = ToWide(parts->host);
        const std::wstring user = ToWide(parts->user);
        const std::wstring password = ToWide(parts->password);
        const bool withCredentials = !parts->secure && !user.empty();
        InternetHandle connection(::InternetConnectW(
            internet.handle, host.c_str(), parts->port, withCredentials ? user.c_str() : nullptr,
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
        InternetHandle request(::HttpOpenRequestW(connection.handle, L"GET", object.c_str(), L"HTTP/1.0",
                                                  nullptr, nullptr, flags, 0));
        if (!request) return kHttpRequestFailed;
        // Set on the request too: not every WinINet hands the root's time-outs down, and a server that
        // stops sending halfway must not hold the caller for good.
        SetTimeouts(request.handle);
        bool sent = SendRequest(request.handle);
        if (!sent && style.strictCertificates) {
            return IsSecurityError(::GetLastError()) ? kHttpNotSecure : kHttpRequestFailed;
        }
        if (!sent && parts->secure && ::GetLastError() == kInvalidCertificateAuthority) {
            sent = SendIgnoringCertificate(request.handle);
        }
        if (!sent) return kHttpRequestFailed;

        const std::wstring status = QueryHeader(request.handle, HTTP_QUERY_STATUS_CODE);
        const int result = HttpResultForStatus(ToU16(status));
        const bool redirection = result == kHttpRedirected || status == L"307" || status == L"308";
        if (redirection && style.strictCertificates && redirections < kMaxStrictRedirections) {
            const std::optional<HttpUrl> next =
                ResolveHttpLocation(*parts, ToU16(QueryHeader(request.handle, HTTP_QUERY_LOCATION, 4096)));
            if (!next) return kHttpRedirected;
            if (!next->secure) return kHttpNotSecure;
            parts = next;
            continue;
        }
        if (result != kHttpOk) return result;

        const std::wstring length = QueryHeader(request.handle, HTTP_QUERY_CONTENT_LENGTH);
        if (!length.empty() && length.size() <= 18 &&
            length.find_first_not_of(L"0123456789") == std::wstring::npos) {
            reply.contentLength = std::stoull(length);
        }
        if (!ReadBody(request.handle, body, style.dispatchMessages, style.maxBodyBytes))
            return kHttpBodyTooLarge;
        // The name comes from the server: made safe here, before any caller could join it to a folder.
        fileName = ToWide(CleanServerFileName(FileNameFromContentDisposition(
            ToU16(QueryHeader(request.handle, HTTP_QUERY_CONTENT_DISPOSITION)))));
        if (fileName.size() > kMaxFetchFileName) fileName.resize(kMaxFetchFileName);
        return kHttpOk;
    }
}

}  // namespace tesmora
