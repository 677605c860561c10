// Reading the relay-lookup reply (see relay_reply.h).
#include "login/relay_reply.h"

#include <vector>

#include "common/platform/split_string.h"
#include "common/text/remove_all.h"
#include "login/login_id.h"
#include "resource.h"

namespace tesmora {

namespace {

// The service's own texts, as it sends them (the second with two blanks after its first word).
constexpr std::u16string_view kServiceBadAccess = u"잘못된 접근입니다.";
constexpr std::u16string_view kServiceBadTeacherId = u"유효하지않은  선생님 ID 입니다.";
constexpr std::u16string_view kServiceBadUniqueCode = u"유효하지않은 고유코드 입니다.";

}  // namespace

std::u16string TranslateLookupMessage(const std::u16string& message, const std::u16string& code,
                                      const StringLoader& loadString) {
    if (message.empty()) return message;
    unsigned id = 0;
    if (message == kServiceBadAccess) {
        id = IDS_BAD_ACCESS;
    } else if (message == kServiceBadTeacherId) {
        id = IDS_BAD_TEACHER_ID;
    } else if (message == kServiceBadUniqueCode) {
        id = IDS_BAD_UNIQUE_CODE;
    } else if (code == u"1") {
        id = IDS_BAD_ACCESS;
    } else if (code == u"2") {
        id = IDS_BAD_TEACHER_ID;
    }
    if (id == 0) return message;
    std::u16string local = loadString ? loadString(id) : std::u16string();
    return local.empty() ? message : local;  // a language library without the string: the service's text
}

LookupAnswer ParseLookupReply(std::u16string_view text, const StringLoader& loadString) {
    LookupAnswer answer;
    std::vector<std::u16string> lines;
    SplitString(text, u"\n", lines);
    for (const std::u16string& raw : lines) {
        const std::u16string line = TrimWhiteSpace(raw);
        // One pass per line: a reply line of one key repeated must not cost a shift per occurrence.
        const auto value = [&line](std::u16string_view key) { return TrimWhiteSpace(RemoveAll(line, key)); };
        if (line.starts_with(u"result:")) {
            answer.result = value(u"result:");
            answer.hasResult = true;
        } else if (line.starts_with(u"message:")) {
            answer.message = TranslateLookupMessage(value(u"message:"), answer.code, loadString);
        } else if (line.starts_with(u"code:")) {
            answer.code = value(u"code:");
        } else if (line.starts_with(u"rsip:")) {
            answer.relayAddress = value(u"rsip:");
        } else if (line.starts_with(u"rsport:")) {
            answer.relayPort = value(u"rsport:");
        }
    }
    return answer;
}

}  // namespace tesmora
