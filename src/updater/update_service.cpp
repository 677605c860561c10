// The update service's address (see update_service.h). UI thread.
#include "updater/update_service.h"

namespace tesmora {

namespace {

std::u16string_view CleanServer(std::u16string_view text) {
    auto blank = [](char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    for (std::u16string_view scheme : {u"https://", u"http://"}) {
        if (text.size() >= scheme.size()) {
            bool same = true;
            for (size_t i = 0; i < scheme.size(); ++i) {
                char16_t c = text[i];
                if (c >= u'A' && c <= u'Z') c = char16_t(c - u'A' + u'a');
                same = same && c == scheme[i];
            }
            if (same) text.remove_prefix(scheme.size());
        }
    }
    while (!text.empty() && (text.back() == u'/' || blank(text.back()))) text.remove_suffix(1);
    return text;
}

}  // namespace

std::u16string UpdateServerFromSettings(std::u16string_view updateServer, std::u16string_view webServer) {
    for (std::u16string_view setting : {updateServer, webServer}) {
        const std::u16string_view server = CleanServer(setting);
        if (!server.empty()) return std::u16string(server);
    }
    return std::u16string(kDefaultUpdateServer);
}

std::u16string PlainUrl(std::u16string_view url) {
    constexpr std::u16string_view kSecure = u"https://";
    if (url.substr(0, kSecure.size()) != kSecure) return std::u16string(url);
    return u"http://" + std::u16string(url.substr(kSecure.size()));
}

}  // namespace tesmora
