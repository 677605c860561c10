// Content-Disposition file name (see content_disposition.h).
#include "common/http/content_disposition.h"

namespace tesmora {

namespace {

bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f';
}

}  // namespace

std::u16string FileNameFromContentDisposition(std::u16string_view header) {
    constexpr std::u16string_view kKey = u"filename=";
    const size_t at = header.find(kKey);
    if (at == std::u16string_view::npos) return {};
    std::u16string_view name = header.substr(at + kKey.size());
    name = name.substr(0, name.find(u';'));
    while (!name.empty() && IsBlank(name.front())) name.remove_prefix(1);
    while (!name.empty() && IsBlank(name.back())) name.remove_suffix(1);
    return std::u16string(name);
}

std::u16string CleanServerFileName(std::u16string_view name) {
    while (!name.empty() && IsBlank(name.front())) name.remove_prefix(1);
    while (!name.empty() && IsBlank(name.back())) name.remove_suffix(1);
    if (name.size() >= 2 && name.front() == u'"' && name.back() == u'"')
        name = name.substr(1, name.size() - 2);
    const size_t cut = name.find_last_of(u"\\/:");
    if (cut != std::u16string_view::npos) name.remove_prefix(cut + 1);
    while (!name.empty() && IsBlank(name.front())) name.remove_prefix(1);
    while (!name.empty() && (IsBlank(name.back()) || name.back() == u'.')) name.remove_suffix(1);
    for (char16_t c : name) {
        if (c < 0x20 || c == 0x7F || std::u16string_view(u"<>\"|?*").find(c) != std::u16string_view::npos) {
            return {};
        }
    }
    return std::u16string(name);
}

}  // namespace tesmora
