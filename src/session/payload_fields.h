// The fields of a command payload: cut at commas, where consecutive commas count as one (so empty
// fields do not exist). Quotes are kept; the replies that must lose theirs use SplitString. Any
// thread.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tesmora {

std::vector<std::u16string> SplitPayload(std::u16string_view payload);

// A number as decimal text ("%d").
std::u16string DecimalText(long long value);

}  // namespace tesmora
