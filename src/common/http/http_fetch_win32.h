// HttpFetch: the one blocking web request of both programs. One GET over WinINet with fixed headers
// and HTTP/1.0, 30-second time-outs, one retry past an untrusted https certificate; the body comes
// back as bytes with the server's file name, failures as the negative codes of http_result.h. Every
// call opens and closes its own handles. Called on a user-interface thread, which it blocks; the
// updater's style keeps that thread's windows alive between body pieces.
#pragma once

#include <string>

#include "common/http/http_result.h"

// Where the two programs' requests differ.
struct HttpFetchStyle {
    const wchar_t* agent;   // agent name of the internet handle for http (https requests send none)
    bool dispatchMessages;  // dispatch the thread's pending window messages between body pieces
};
inline constexpr HttpFetchStyle kRemoteFetchStyle{L"Tesmora", false};
inline constexpr HttpFetchStyle kUpdaterFetchStyle{L"TesmoraUpdater", true};

// The file name buffer of the original interface held 512 characters, terminator included.
inline constexpr size_t kMaxFetchFileName = 511;

// GETs `url` with `query` (form text, encoded here; empty: the bare path) appended. On kHttpOk `body`
// holds the response body (body.size() bytes; c_str() puts one zero byte after it) and `fileName` the
// Content-Disposition file name or nothing. On failure both are left empty.
int HttpFetch(const std::wstring& url, const std::wstring& query, std::string& body, std::wstring& fileName,
              const HttpFetchStyle& style = kRemoteFetchStyle);
