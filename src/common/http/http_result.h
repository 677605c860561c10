// The result codes of HttpFetch and the rule that turns the server's status line into one of them.
// Portable; any thread.
#pragma once

#include <string_view>

namespace tesmora {

inline constexpr int kHttpOk = 0;                // status 200, body read
inline constexpr int kHttpBadUrl = -100;         // URL unparsable, or a scheme other than http or https
inline constexpr int kHttpNoInternet = -101;     // no internet handle
inline constexpr int kHttpNoConnection = -102;   // no connection to the host
inline constexpr int kHttpRequestFailed = -103;  // query not encodable, request not opened or not sent
inline constexpr int kHttpBodyTooLarge = -104;   // the body ran past the caller's bound; nothing kept
inline constexpr int kHttpBadStatus = -105;      // a status other than 200, 301, 302, 303
inline constexpr int kHttpRedirected = -106;     // a redirection the HTTP layer did not follow
// Strict certificates only: the service could not be reached securely (a certificate the system does
// not trust, a failed secure channel, a plain http URL, or a redirection to plain http).
inline constexpr int kHttpNotSecure = -107;
inline constexpr int kHttpBodyCut = -108;   // the body ended early: a failed read, or short of its length
inline constexpr int kHttpTimedOut = -109;  // the whole request ran past its deadline

// The result for the status code as the server's status line writes it (decimal text; anything that
// does not start with digits counts as status 0).
int HttpResultForStatus(std::u16string_view statusText);

}  // namespace tesmora
