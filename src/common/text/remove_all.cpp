// Removing every occurrence of a piece from a text in one pass.
#include "common/text/remove_all.h"

namespace tesmora {

std::u16string RemoveAll(std::u16string_view text, std::u16string_view piece) {
    if (piece.empty()) return std::u16string(text);
    std::u16string kept;
    kept.reserve(text.size());
    size_t from = 0;
    for (size_t at = text.find(piece); at != std::u16string_view::npos; at = text.find(piece, from)) {
        kept.append(text.substr(from, at - from));
        from = at + piece.size();
    }
    kept.append(text.substr(from));
    return kept;
}

}  // namespace tesmora
