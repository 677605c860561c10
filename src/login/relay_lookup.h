// The relay-server lookup: which relay (address and port) serves a teacher ID, asked of the vendor's
// web server over https and then plain http, and what the login dialog keeps of the answer in
// setting.ini. The decisions are here; the web request, the code page, the strings and the INI file
// come through the two small interfaces below. UI thread (it blocks for the web requests).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "login/relay_reply.h"

namespace tesmora {

// The vendor's web server when config.ini names none (host[:port], no scheme).
inline constexpr std::u16string_view kDefaultWebServer = u"rs.tesmoraorlu.com";
inline constexpr std::u16string_view kRelayLookupPath = u"/tesmora/rsinfo/checkRsInfo.jsp";
// What the lookup reads when the web server cannot be reached at all.
inline constexpr std::u16string_view kUnreachableReply =
    u"result:false\ncode:404\nmessage:Failed to access to the URL page.";
inline constexpr std::u16string_view kUnreachableCode = u"404";
// The code of the answer made when strict certificates are on and the service cannot be reached
// securely: not 404, so the remembered relay is not used and the dialog shows why it stays.
inline constexpr std::u16string_view kNotSecureCode = u"-107";

// How sure the lookup must be of whom it asks: kLenient takes a certificate nobody signed and tries
// plain http after https; kStrict (config.ini's "strictcertificates") reaches the service over
// trusted https or not at all.
enum class CertificatePolicy { kLenient, kStrict };

// What the lookup needs from the system.
class RelayLookupHost {
public:
    virtual ~RelayLookupHost() = default;
    // One web request (HttpFetch): its result code, and on 0 the body bytes.
    virtual int Fetch(const std::u16string& url, const std::u16string& query, std::string& body) = 0;
    // Text to and from the system's ANSI code page (characters it lacks become "?").
    virtual std::string EncodeAnsi(std::u16string_view text) = 0;
    virtual std::u16string DecodeAnsi(std::string_view bytes) = 0;
    // The millisecond tick count.
    virtual uint32_t TickCount() = 0;
    // A string of the loaded language.
    virtual std::u16string LoadText(unsigned id) = 0;
};

// setting.ini's section "default", as the lookup reads and writes it.
class LookupSettings {
public:
    virtual ~LookupSettings() = default;
    // The value of `key`, empty when missing.
    virtual std::u16string Read(std::u16string_view key) = 0;
    virtual void Write(std::u16string_view key, std::u16string_view value) = 0;
};

// The web server named by config.ini's "webserver" text: trimmed, with a scheme and trailing
// slashes an administrator may have typed removed; the default when nothing is left.
std::u16string WebServerFromSetting(std::u16string_view setting);
// "https://" + web server + the lookup path.
std::u16string RelayLookupUrl(std::u16string_view webServer);
// The same URL with every "https://" made "http://".
std::u16string PlainHttpUrl(std::u16string_view url);

// "val1=<tick>&val2=<digest>&val3=<ID>": val1 the tick count as signed 32-bit decimal text, val2 the
// lower-case MD5 hex of the ANSI bytes of val1 + "." + ID, val3 the ID as typed.
std::u16string LookupQuery(uint32_t tickCount, std::u16string_view teacherId, RelayLookupHost& host);

// Asks over https, then once over plain http; reads the reply (ANSI text, trimmed) or, when neither
// request succeeded, the unreachable reply. A reply without any "result:" line (a captive portal's
// page, an error page sent with status 200) is no answer of the service and counts as unreachable too.
// Under CertificatePolicy::kStrict (the host's fetch then refuses untrusted certificates) there is no
// plain http attempt, and an https request that fails for want of security (kHttpNotSecure) gives a failed
// answer with code kNotSecureCode and the local string IDS_LOOKUP_NOT_SECURE: whoever answered may
// not name the relay, nor may the remembered one be taken in its place silently.
// Always completes.
LookupAnswer LookupRelay(std::u16string_view teacherId, std::u16string_view webServer, RelayLookupHost& host,
                         CertificatePolicy policy = CertificatePolicy::kLenient);

// Keeps what the answer says: success stores rsip and rsport; an unreachable service (code 404)
// takes the remembered rsip and rsport (empty when none) into the answer. Answers whether the dialog
// may close; false (any other failure) means the answer's message is to be shown.
bool ApplyLookupAnswer(LookupAnswer& answer, LookupSettings& settings);

}  // namespace tesmora
