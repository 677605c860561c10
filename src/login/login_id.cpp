// Teacher ID rules (see login_id.h).
#include "login/login_id.h"

#include "resource.h"

namespace tesmora {

namespace {

bool IsWhiteSpace(char16_t c) {
    return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F ||
           c == 0x3000;
}

}  // namespace

std::u16string TrimWhiteSpace(std::u16string_view text) {
    while (!text.empty() && IsWhiteSpace(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsWhiteSpace(text.back())) text.remove_suffix(1);
    return std::u16string(text);
}

unsigned TeacherIdProblem(std::u16string_view trimmedId) {
    if (trimmedId.empty()) return IDS_ENTER_TEACHER_ID;
    if (trimmedId.find_first_of(kForbiddenIdCharacters) != std::u16string_view::npos) {
        return IDS_BAD_ID_CHARACTERS;
    }
    if (trimmedId.size() > kMaxTeacherIdLength) return IDS_ID_TOO_LONG;
    return 0;
}

}  // namespace tesmora
