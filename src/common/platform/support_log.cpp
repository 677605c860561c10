// The support log's rules (see support_log.h). Any thread.
#include "common/platform/support_log.h"

#include <algorithm>
#include <cstdio>

#include "common/text/utf8.h"

namespace tesmora {

bool SupportLogEnabled(std::u16string_view setting) {
    while (!setting.empty() && (setting.front() == u' ' || setting.front() == u'\t'))
        setting.remove_prefix(1);
    while (!setting.empty() && (setting.back() == u' ' || setting.back() == u'\t')) setting.remove_suffix(1);
    std::u16string lower(setting);
    for (char16_t& c : lower) {
        if (c >= u'A' && c <= u'Z') c = char16_t(c - u'A' + u'a');
    }
    return lower == u"1" || lower == u"yes" || lower == u"on" || lower == u"true";
}

std::string SupportLogLine(const SupportLogTime& time, std::u16string_view text) {
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d %02d:%02d:%02d.%03d ", time.year % 10000,
                  time.month % 100, time.day % 100, time.hour % 100, time.minute % 100, time.second % 100,
                  time.millisecond % 1000);
    std::u16string flat(text);
    while (!flat.empty() && (flat.back() == u'\n' || flat.back() == u'\r')) flat.pop_back();
    for (char16_t& c : flat) {
        if (c < 0x20 || c == 0x7F) c = u' ';
    }
    return stamp + ToUtf8(flat) + "\r\n";
}

bool SupportLogMustRotate(uint64_t currentBytes, uint64_t lineBytes, uint64_t maxBytes) {
    return currentBytes > 0 && lineBytes > maxBytes - std::min(currentBytes, maxBytes);
}

}  // namespace tesmora
