// The teacher ID as the login dialog accepts it: trimmed, not empty, none of the characters the
// classroom service reserves, at most 20 characters. Portable; any thread.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tesmora {

inline constexpr size_t kMaxTeacherIdLength = 20;
// Comma, backslash, less-than, greater-than, ampersand, vertical bar, colon, slash, asterisk, question
// mark and double quotation mark.
inline constexpr std::u16string_view kForbiddenIdCharacters = u",\\<>&|:/*?\"";

// `text` without Unicode white space at either end.
std::u16string TrimWhiteSpace(std::u16string_view text);

// 0 when the (already trimmed) ID may be used, otherwise the string id of the message that says
// why not: 1103 empty, 1104 a forbidden character, 1105 longer than 20 characters (UTF-16 units).
unsigned TeacherIdProblem(std::u16string_view trimmedId);

}  // namespace tesmora
