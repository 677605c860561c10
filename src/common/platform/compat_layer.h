// The rule by which a compatibility layer is added to a program's per-user compatibility entry (a
// list of layer names separated by single spaces). Any thread.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tesmora {

// The entry's new value, or nothing when `current` already contains `layer` (case-sensitive
// substring, as the system compares it) and must stay as it is.
std::optional<std::u16string> AddCompatLayer(std::u16string_view current, std::u16string_view layer);

}  // namespace tesmora
