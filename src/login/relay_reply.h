// The relay-lookup service's reply: key:value lines read into the five answer fields, with the
// service's Korean failure texts swapped for the loaded language's strings. Outside data: any text
// must parse. Portable; any thread.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace tesmora {

struct LookupAnswer {
    std::u16string result;        // "false": the lookup failed; anything else counts as success
    std::u16string code;          // the service's code; "404" also when the service was unreachable
    std::u16string message;       // shown when the lookup failed
    std::u16string relayAddress;  // rsip
    std::u16string relayPort;     // rsport, decimal text
    bool hasResult = false;       // a "result:" line was there at all
};

// The text of a string id in the loaded language (empty when there is none).
using StringLoader = std::function<std::u16string(unsigned id)>;

// Reads the reply text: double quotes dropped, lines split at "\n" and trimmed; a line that starts
// with "result:", "message:", "code:", "rsip:" or "rsport:" (tested in that order) fills its field
// with the rest of the line (every occurrence of the key removed, trimmed again); a later line wins.
// Other lines are ignored.
LookupAnswer ParseLookupReply(std::u16string_view text, const StringLoader& loadString);

// The message as the dialog shows it: the service's three known texts, or the code "1" or "2"
// (the code read before the message line), become strings 1113 to 1115; an empty message, and every
// other one, stays as it is.
std::u16string TranslateLookupMessage(const std::u16string& message, const std::u16string& code,
                                      const StringLoader& loadString);

}  // namespace tesmora
