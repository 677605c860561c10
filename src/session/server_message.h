// The login server's Korean messages in the user's language. UI thread (it loads strings).
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace tesmora {

// Returns the text to show for a login server's message: unchanged when empty or when the language
// is "Kor"; a known message replaced by the loaded language's string of the same meaning; the
// "teacher program is not running" message rebuilt from string 1112 around the program's name.
std::u16string TranslateServerMessage(std::u16string_view text, std::u16string_view language,
                                      const std::function<std::u16string(int stringId)>& loadString);

}  // namespace tesmora
