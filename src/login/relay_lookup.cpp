// The relay-server lookup's decisions (see relay_lookup.h).
#include "login/relay_lookup.h"

#include "common/config/config_keys.h"
#include "common/http/http_result.h"
#include "common/text/replace_all.h"
#include "login/login_id.h"
#include "common/digest/hash.h"
#include "resource.h"

namespace tesmora {

namespace {

std::u16string Ascii(const std::string& text) {
    return std::u16string(text.begin(), text.end());
}

}  // namespace

std::u16string WebServerFromSetting(std::u16string_view setting) {
    std::u16string server = TrimWhiteSpace(setting);
    for (std::u16string_view scheme : {u"https://", u"http://"}) {
        if (server.size() >= scheme.size()) {
            bool same = true;
            for (size_t i = 0; i < scheme.size() && same; ++i) {
                char16_t c = server[i];
                if (c >= u'A' && c <= u'Z') c = char16_t(c - u'A' + u'a');
                same = c == scheme[i];
            }
            if (same) {
                server.erase(0, scheme.size());
                break;
            }
        }
    }
    while (!server.empty() && server.back() == u'/') server.pop_back();
    return server.empty() ? std::u16string(kDefaultWebServer) : server;
}

std::u16string RelayLookupUrl(std::u16string_view webServer) {
    return u"https://" + std::u16string(webServer) + std::u16string(kRelayLookupPath);
}

std::u16string PlainHttpUrl(std::u16string_view url) {
    return ReplaceAll(url, u"https://", u"http://");
}

std::u16string LookupQuery(uint32_t tickCount, std::u16string_view teacherId, RelayLookupHost& host) {
    const std::u16string val1 = Ascii(std::to_string(static_cast<int32_t>(tickCount)));
    const std::string signedBytes = host.EncodeAnsi(val1 + u"." + std::u16string(teacherId));
    std::u16string val2;
    Hash hash;
    if (hash.CreateHash() &&
        hash.HashData(reinterpret_cast<const uint8_t*>(signedBytes.data()), uint32_t(signedBytes.size()))) {
        hash.GetHex(val2);
    }
    return u"val1=" + val1 + u"&val2=" + val2 + u"&val3=" + std::u16string(teacherId);
}

LookupAnswer LookupRelay(std::u16string_view teacherId, std::u16string_view webServer, RelayLookupHost& host,
                         CertificatePolicy policy) {
    const std::u16string query = LookupQuery(host.TickCount(), teacherId, host);
    const std::u16string url = RelayLookupUrl(webServer);
    std::string body;
    int result = host.Fetch(url, query, body);
    if (result != 0 && policy == CertificatePolicy::kLenient)
        result = host.Fetch(PlainHttpUrl(url), query, body);

    const StringLoader load = [&host](unsigned id) { return host.LoadText(id); };
    if (result == kHttpNotSecure) {
        LookupAnswer answer;
        answer.result = u"false";
        answer.code = std::u16string(kNotSecureCode);
        answer.message = load(IDS_LOOKUP_NOT_SECURE);
        answer.hasResult = true;
        return answer;
    }
    if (result == 0) {
        // The body is handed over as a zero-terminated text: what follows a zero byte is not read.
        const std::string_view bytes(body.c_str());
        LookupAnswer answer = ParseLookupReply(TrimWhiteSpace(host.DecodeAnsi(bytes)), load);
        if (answer.hasResult) return answer;
    }
    return ParseLookupReply(kUnreachableReply, load);
}

bool ApplyLookupAnswer(LookupAnswer& answer, LookupSettings& settings) {
    if (answer.result != u"false") {
        settings.Write(kRelayAddressKey, answer.relayAddress);
        settings.Write(kRelayPortKey, answer.relayPort);
        return true;
    }
    if (answer.code == kUnreachableCode) {
        answer.relayAddress = settings.Read(kRelayAddressKey);
        answer.relayPort = settings.Read(kRelayPortKey);
        return true;
    }
    return false;
}

}  // namespace tesmora
