// The relay lookup's request as the service reads it: the query val1=...&val2=...&val3=... with
// val3 (the teacher ID) percent-encoded UTF-8, and the rule that val2 is the lower-case MD5 hex of
// val1 + "." + ID in the remote's ANSI code page. Any thread.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tesmora::classroom {

// "%xx" becomes the byte; a "%" without two hex digits stays as it is; "+" stays "+" (the remote
// writes a blank as %20).
std::string PercentDecode(std::string_view text);

struct LookupQuery {
    std::optional<std::string> val1;
    std::optional<std::string> val2;
    std::optional<std::string> val3;  // decoded: UTF-8 bytes as sent
};
LookupQuery ParseLookupQuery(std::string_view rawQuery);

// A tick count as the remote writes it: signed 32-bit decimal text.
bool IsTickText(std::string_view val1);

// The val2 the remote must send; nothing when the code page is unknown here.
std::optional<std::string> ExpectedVal2(std::string_view val1, std::string_view teacherIdUtf8, int codePage);

}  // namespace tesmora::classroom
