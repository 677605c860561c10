// UTF-8/UTF-16 conversion by hand, code pages through glibc's iconv. Any thread.
#include "core/text_codec.h"
#include "common/text/utf8.h"

#include <iconv.h>

#include <cerrno>
#include <string>

namespace tesmora::classroom {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Decodes one code point at `i` and advances past it; invalid sequences give U+FFFD for one byte.
char32_t NextCodePoint(std::string_view s, size_t& i) {
    const auto b0 = uint8_t(s[i]);
    size_t length = b0 < 0x80 ? 1 : (b0 >> 5) == 0x6 ? 2 : (b0 >> 4) == 0xE ? 3 : (b0 >> 3) == 0x1E ? 4 : 0;
    if (length == 0 || i + length > s.size()) {
        ++i;
        return kReplacement;
    }
    char32_t c = length == 1 ? b0 : length == 2 ? (b0 & 0x1F) : length == 3 ? (b0 & 0x0F) : (b0 & 0x07);
    for (size_t k = 1; k < length; ++k) {
        const auto b = uint8_t(s[i + k]);
        if ((b & 0xC0) != 0x80) {
            ++i;
            return kReplacement;
        }
        c = (c << 6) | (b & 0x3F);
    }
    static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < kSmallest[length] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        ++i;
        return kReplacement;
    }
    i += length;
    return c;
}

std::string IconvName(int codePage) {
    switch (codePage) {
        case 949:
            return "CP949";
        case 932:
            return "CP932";
        case 65001:
            return "UTF-8";
        default:
            return "WINDOWS-" + std::to_string(codePage);
    }
}

class Converter {
public:
    explicit Converter(int codePage) : handle_(iconv_open(IconvName(codePage).c_str(), "UTF-8")) {}
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    ~Converter() {
        if (Ok()) iconv_close(handle_);
    }
    bool Ok() const { return handle_ != reinterpret_cast<iconv_t>(-1); }

    // One character at a time, so that a character the page lacks costs exactly one "?".
    bool Convert(const std::string& character, std::string& out) {
        iconv(handle_, nullptr, nullptr, nullptr, nullptr);
        char buffer[16];
        char* in = const_cast<char*>(character.data());
        size_t inLeft = character.size();
        char* o = buffer;
        size_t outLeft = sizeof buffer;
        if (iconv(handle_, &in, &inLeft, &o, &outLeft) == size_t(-1) || inLeft != 0) return false;
        char* flushOut = o;
        iconv(handle_, nullptr, nullptr, &flushOut, &outLeft);
        out.append(buffer, size_t(flushOut - buffer));
        return true;
    }

private:
    iconv_t handle_;
};

}  // namespace

std::u16string FromUtf8(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const char32_t c = NextCodePoint(text, i);
        if (c >= 0x10000) {
            out += char16_t(0xD800 + ((c - 0x10000) >> 10));
            out += char16_t(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out += char16_t(c);
        }
    }
    return out;
}

std::optional<std::string> ToCodePage(std::string_view utf8, int codePage) {
    Converter converter(codePage);
    if (!converter.Ok()) return std::nullopt;
    std::string out;
    for (size_t i = 0; i < utf8.size();) {
        const char32_t c = NextCodePoint(utf8, i);
        std::string character;
        AppendUtf8(character, c);
        if (c == kReplacement || !converter.Convert(character, out)) out += '?';
    }
    return out;
}

bool IsCodePageAvailable(int codePage) {
    return Converter(codePage).Ok();
}

}  // namespace tesmora::classroom
