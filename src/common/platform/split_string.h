// SplitString: cuts a field list (relay replies, session texts) into tokens. Any thread.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tesmora {

// Empties `tokens`, removes every double quote from `text`, and appends the non-empty pieces between
// any of the `delimiters`. Answers the token count plus one, or 0 when there is no token, so that a
// caller expecting two fields compares with 3.
int SplitString(std::u16string_view text, std::u16string_view delimiters,
                std::vector<std::u16string>& tokens);

}  // namespace tesmora
