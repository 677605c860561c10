// The query text of a request as it goes on the wire: UTF-8, percent-encoded with lower-case digits
// except for a small unreserved set, with the form's "=" and "&" kept. Portable; any thread.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "common/text/utf8.h"  // ToUtf8, used with the query encoding

namespace tesmora {

// The longest encoded query a request may carry.
inline constexpr size_t kMaxEncodedQuery = 1023;

// Every UTF-8 byte of `query` outside ! % ' ( ) * - . / 0-9 : A-Z _ a-z ~ written as "%xx"; nothing
// when that is longer than kMaxEncodedQuery. Then every "%3d" becomes "=" again and every "%26"
// "&", so that the form's separators survive. A "%" in the text is copied as it is.
std::optional<std::string> EncodeHttpQuery(std::u16string_view query);

}  // namespace tesmora
