// Replacing every occurrence of a piece of a text in one pass.
#include "common/text/replace_all.h"

#include "common/text/remove_all.h"

namespace tesmora {

namespace {

template <typename Char>
std::basic_string<Char> ReplaceEach(std::basic_string_view<Char> text, std::basic_string_view<Char> piece,
                                    std::basic_string_view<Char> replacement) {
    if (piece.empty()) return std::basic_string<Char>(text);
    std::basic_string<Char> out;
    out.reserve(text.size());
    size_t from = 0;
    for (size_t at = text.find(piece); at != std::basic_string_view<Char>::npos;
         at = text.find(piece, from)) {
        out.append(text.substr(from, at - from)).append(replacement);
        from = at + piece.size();
    }
    out.append(text.substr(from));
    return out;
}

}  // namespace

std::string ReplaceAll(std::string_view text, std::string_view piece, std::string_view replacement) {
    return ReplaceEach(text, piece, replacement);
}

std::u16string ReplaceAll(std::u16string_view text, std::u16string_view piece,
                          std::u16string_view replacement) {
    return ReplaceEach(text, piece, replacement);
}

std::u16string RemoveAll(std::u16string_view text, std::u16string_view piece) {
    return ReplaceEach(text, piece, std::u16string_view());
}

}  // namespace tesmora
