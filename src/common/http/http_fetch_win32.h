// HttpFetch: the one blocking web request of both programs. One GET over WinINet with fixed headers
// and HTTP/1.0, 30-second time-outs per step and a deadline for the whole request, one retry past an
// untrusted https certificate unless the style is strict; the body comes back as bytes with the
// server's file name, failures as the negative codes of http_result.h. Every call opens and closes its
// own handles. Called on a user-interface thread, which it blocks; the updater's style keeps that
// thread's windows alive between body pieces.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "common/http/http_result.h"

namespace tesmora {

// Where the two programs' requests differ.
struct HttpFetchStyle {
    const wchar_t* agent;   // agent name of the internet handle for http (https requests send none)
    bool dispatchMessages;  // dispatch the thread's pending window messages between body pieces
    size_t maxBodyBytes;    // a longer body fails with kHttpBodyTooLarge instead of filling memory
    // config.ini's strictcertificates: no retry past an untrusted certificate, no plain http URL, and
    // redirections followed here, none of them to plain http; all of these fail with kHttpNotSecure.
    bool strictCertificates = false;
    // The whole request, from the connect to the body's last byte: a server that keeps sending a byte
    // now and then (each within the 30-second step time-out) cannot hold the caller longer. Past it
    // the request fails with kHttpTimedOut.
    uint32_t deadlineMilliseconds = 30000;
};
// The remote only asks for the relay: a reply of a few lines. 1 MiB still takes any error or portal
// page whole, so that the lookup can tell it is no reply. 30 seconds for the whole request, the time
// one step alone may take: the lookup's two attempts hold the login dialog for at most about a minute.
inline constexpr HttpFetchStyle kRemoteFetchStyle{L"Tesmora", false, 1u << 20, false, 30000};
// The updater's lists and downloads are held in memory until its downloads stream to files; the
// largest install package is a few tens of MB. Its window stays alive while it reads, so its deadline
// only has to end a download that trickles: 30 minutes still bring 40 MB over a link of 200 kbit/s.
inline constexpr HttpFetchStyle kUpdaterFetchStyle{L"TesmoraUpdater", true, 256u << 20, false,
                                                   30u * 60 * 1000};

// The file name buffer of the original interface held 512 characters, terminator included.
inline constexpr size_t kMaxFetchFileName = 511;

// GETs `url` with `query` (form text, encoded here; empty: the bare path) appended. On kHttpOk `body`
// holds the whole response body (body.size() bytes; c_str() puts one zero byte after it) and
// `fileName` the Content-Disposition file name or nothing. On failure both are left empty; a body
// longer than the style's bound is a failure (kHttpBodyTooLarge), found out before more than one piece
// past it is read; a body that ends early (a failed read, fewer bytes than the Content-Length) is
// kHttpBodyCut, and so is a chunked one (chunks never answer an HTTP/1.0 request, and WinINet ends a
// broken chunked body as if it were whole); a request that runs past the style's deadline is
// kHttpTimedOut.
int HttpFetch(const std::wstring& url, const std::wstring& query, std::string& body, std::wstring& fileName,
              const HttpFetchStyle& style = kRemoteFetchStyle);

// What a download needs besides the body. A connection that breaks off mid-body ends in kHttpOk with
// the bytes that came and `whole` false, so that the caller can tell a download cut short (and fetch
// it again later) from a service that cannot be reached; a caller that takes the body as it stands
// must check `whole` first.
struct HttpFetchReply {
    std::string body;
    std::wstring fileName;                  // already through CleanServerFileName
    std::optional<uint64_t> contentLength;  // the Content-Length header, when the server sent one
    // The body ended as the server announced it, or with the connection when it announced no length
    // (false for a chunked body, whose end WinINet does not tell from a break).
    bool whole = false;
};
int HttpFetch(const std::wstring& url, const std::wstring& query, HttpFetchReply& reply,
              const HttpFetchStyle& style);

}  // namespace tesmora
