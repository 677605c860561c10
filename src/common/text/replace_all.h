// Replacing every occurrence of a piece of a text in one pass. Any thread.
#pragma once

#include <string>
#include <string_view>

namespace tesmora {

// `text` with the occurrences of `piece` found from left to right replaced by `replacement`; what a
// replacement brings together or puts in is not looked at again. Linear in the text's length. An
// empty piece replaces nothing.
std::string ReplaceAll(std::string_view text, std::string_view piece, std::string_view replacement);
std::u16string ReplaceAll(std::u16string_view text, std::u16string_view piece,
                          std::u16string_view replacement);

}  // namespace tesmora
