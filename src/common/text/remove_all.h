// Removing every occurrence of a piece from a text in one pass (ReplaceAll with nothing in its place,
// see replace_all.h; both live in replace_all.cpp). Any thread.
#pragma once

#include <string>
#include <string_view>

namespace tesmora {

// `text` without the occurrences of `piece` found from left to right (an occurrence that the
// removals bring together is not looked for again). Linear in the text's length: a text of one
// repeated piece costs no more than a copy. An empty piece removes nothing.
std::u16string RemoveAll(std::u16string_view text, std::u16string_view piece);

}  // namespace tesmora
