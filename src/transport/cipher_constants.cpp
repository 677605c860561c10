// The fixed texts of the payload cipher and the built-in packet key. Any thread; the built-in key
// is computed once, on first use, and only read afterwards.
#include "cipher_constants.h"

namespace tesmora {

// RC4 keyed with MD5 of the key phrase's 30 UTF-16LE bytes, applied to the 10 bytes of "Hello",
// each cipher byte rendered with "%X" (the last byte is 0x06 and renders as "6").
const std::u16string_view kSelfTestExpectedAnswer = u"CA8BB7A9D558694A166";

std::vector<uint8_t> Utf16LeBytes(std::u16string_view text) {
    std::vector<uint8_t> bytes;
    bytes.reserve(text.size() * 2);
    for (char16_t c : text) {
        bytes.push_back(uint8_t(c));
        bytes.push_back(uint8_t(c >> 8));
    }
    return bytes;
}

std::u16string RenderUpperHexNoPad(const uint8_t* bytes, size_t length) {
    static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
    std::u16string text;
    text.reserve(length * 2);
    for (size_t i = 0; i < length; ++i) {
        if (bytes[i] >= 0x10) text.push_back(kDigits[bytes[i] >> 4]);
        text.push_back(kDigits[bytes[i] & 0x0F]);
    }
    return text;
}

const Md5Digest& BuiltInPacketKey() {
    // Initialised once, thread-safely, before the first packet is written; read-only afterwards.
    static const Md5Digest key = [] {
        const std::vector<uint8_t> password = Utf16LeBytes(kPacketPassword);
        return ComputeMd5(password.data(), password.size());
    }();
    return key;
}

}  // namespace tesmora
