// The fixed texts of the payload cipher: the packet password every type 1 packet is keyed with, the
// known-answer test that decides whether the system provider is trusted, and the built-in key.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/digest/md5.h"

namespace tesmora {

inline constexpr std::u16string_view kPacketPassword = u"pjrwksndqvz!!@@";
inline constexpr std::u16string_view kSelfTestPlainText = u"Hello";
inline constexpr std::u16string_view kSelfTestKeyPhrase = u"mzqkwpbrhlnxsoa";
// "%X" rendering of RC4(MD5(key phrase bytes)) over the plain text's 10 bytes (computed by us).
extern const std::u16string_view kSelfTestExpectedAnswer;

// UTF-16LE bytes of a text.
std::vector<uint8_t> Utf16LeBytes(std::u16string_view text);
// Each byte as upper-case hexadecimal without leading zeros ("%X"): 05 D3 renders as "5D3".
std::u16string RenderUpperHexNoPad(const uint8_t* bytes, size_t length);

// MD5 of the packet password's 30 UTF-16LE bytes, computed once and kept for the process.
const Md5Digest& BuiltInPacketKey();

}  // namespace tesmora
