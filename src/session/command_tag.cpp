// Command tags: splitting a received text into tag and payload, the catalogue of known tags, and
// the decimal conversion of numeric payloads. Any thread.
#include "command_tag.h"

#include <array>
#include <climits>

namespace tesmora {

namespace {

constexpr std::array<std::u16string_view, 29> kCatalogue = {
    kTagRemoteVersion,
    kTagKeepAlive,
    kTagRemoteControlStart,
    kTagRemoteControlEnd,
    kTagImageShown,
    kTagOpenKeyboard,
    kTagUploadSettings,
    kTagUploadSwitch,
    kTagPadScreenSize,
    kTagSoundSwitch,
    kTagBroadcastSwitch,
    kTagStudentTouchSwitch,
    kTagTypedCharacter,
    kTagInputModeSwitch,
    kTagTeacherScreenSize,
    kTagImageAcknowledged,
    kTagStudentTouchState,
    kTagBroadcastState,
    kTagMonitorList,
    kTagKeepAliveAnswer,
    kTagTeacherStatusIgnored,
    kTagTeacherNoticeIgnored,
    kTagAccepted,
    kTagTeacherVersion,
    kTagRefused,
    kTagTeacherEnds,
    kTagIdentification,
    kTagLoginResult,
    kTagTeacherAddress,
};

// White space as the C library's decimal conversion skips it.
bool IsCSpace(char16_t c) {
    return c == u' ' || (c >= u'\t' && c <= u'\r');
}

}  // namespace

std::optional<CommandText> SplitCommand(std::u16string_view text) {
    if (text.size() < kCommandTagLength) return std::nullopt;
    return CommandText{text.substr(0, kCommandTagLength), text.substr(kCommandTagLength)};
}

bool IsKnownTag(std::u16string_view tag) {
    for (std::u16string_view known : kCatalogue) {
        if (tag == known) return true;
    }
    return false;
}

int32_t ParseDecimal(std::u16string_view text) {
    size_t i = 0;
    while (i < text.size() && IsCSpace(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    // The magnitude stops growing one past INT32_MAX, which is exactly INT32_MIN's magnitude.
    constexpr uint32_t kLimit = uint32_t(INT32_MAX) + 1;
    uint32_t magnitude = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        const uint32_t digit = uint32_t(text[i] - u'0');
        magnitude = magnitude > (kLimit - digit) / 10 ? kLimit : magnitude * 10 + digit;
    }
    if (negative) return magnitude >= kLimit ? INT32_MIN : -static_cast<int32_t>(magnitude);
    return magnitude >= kLimit ? INT32_MAX : static_cast<int32_t>(magnitude);
}

}  // namespace tesmora
