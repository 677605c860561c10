// Fuzz target: any bytes found in an INI file go through the encoding detection and, under every
// encoding, the conversion. Nothing may be read past the bytes, the result must always be FF FE
// followed by whole UTF-16 units, and decoded UTF-8 must be well-formed UTF-16.
#include <cstdlib>
#include <vector>

#include "common/config/ini_encoding.h"

using namespace tesmora;

namespace {

// Stands in for the system's ANSI conversion: every byte one character.
std::u16string Latin1(std::span<const uint8_t> bytes) {
    return std::u16string(bytes.begin(), bytes.end());
}

void CheckConverted(const std::vector<uint8_t>& converted) {
    if (converted.size() < 2 || converted[0] != 0xFF || converted[1] != 0xFE || converted.size() % 2 != 0) {
        std::abort();
    }
    if (DetectIniEncoding(converted) != IniEncoding::Utf16LeMarked) std::abort();
}

void CheckWellFormed(const std::u16string& text) {
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            if (i + 1 >= text.size() || text[i + 1] < 0xDC00 || text[i + 1] > 0xDFFF) std::abort();
            ++i;
        } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
            std::abort();
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // An exactly sized copy, so that the sanitizer sees any read past the file's end.
    const std::vector<uint8_t> file(data, data + size);
    const std::span<const uint8_t> bytes(file);

    const IniEncoding detected = DetectIniEncoding(bytes);
    CheckConverted(ConvertIniToUtf16Le(bytes, detected, Latin1));
    for (IniEncoding encoding :
         {IniEncoding::Utf16LeMarked, IniEncoding::Utf16BeMarked, IniEncoding::Utf16LeUnmarked,
          IniEncoding::Utf16BeUnmarked, IniEncoding::Utf8, IniEncoding::Ansi}) {
        CheckConverted(ConvertIniToUtf16Le(bytes, encoding, Latin1));
    }
    CheckWellFormed(DecodeUtf8(bytes));
    return 0;
}
