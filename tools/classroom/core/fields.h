// Payload fields of command texts: comma-separated, no quoting. The remote's own reading skips
// empty fields; the classroom checks what the remote sent more strictly and keeps them. Any thread.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tesmora::classroom {

std::vector<std::u16string_view> SplitFields(std::u16string_view payload, bool keepEmpty);

// Digits only, optionally one leading minus; nothing for anything else or a value outside int32.
std::optional<int32_t> ParseStrictInt(std::u16string_view text);

std::u16string DecimalText(int64_t value);

}  // namespace tesmora::classroom
