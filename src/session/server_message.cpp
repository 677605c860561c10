// The login server's Korean messages in the user's language.
#include "server_message.h"

#include "common/text/remove_all.h"
#include "resource.h"

namespace tesmora {

namespace {

struct KnownMessage {
    std::u16string_view text;
    int stringId;
};

constexpr KnownMessage kKnownMessages[] = {
    {u"로그인 정보를 찾는 동안 오류가 발생했습니다.", IDS_LOGIN_LOOKUP_ERROR},
    {u"일치하는 선생님 정보를 찾을 수 없습니다.", IDS_NO_MATCHING_TEACHER},
    {u"로그인 서버와 Tesmora 종류가 다릅니다.\n프로그램을 확인해 주세요.", IDS_WRONG_PRODUCT_KIND},
    {u"Teacher와 Student의 연결방식이 다릅니다.", IDS_CONNECTION_KIND_DIFFERS},
};

constexpr std::u16string_view kNotRunningPrefix = u"실행중인 ";
constexpr std::u16string_view kNotRunningEnding = u"가 없습니다.\n선생님 ID를 확인해주세요.";

// Replaces the first "%s" of a loaded string.
std::u16string FillPlaceholder(std::u16string format, std::u16string_view value) {
    size_t at = format.find(u"%s");
    if (at != std::u16string::npos) format.replace(at, 2, value);
    return format;
}

}  // namespace

std::u16string TranslateServerMessage(std::u16string_view text, std::u16string_view language,
                                      const std::function<std::u16string(int stringId)>& loadString) {
    if (text.empty() || language == u"Kor") return std::u16string(text);
    for (const KnownMessage& known : kKnownMessages) {
        if (text == known.text) return loadString(known.stringId);
    }
    size_t ending = text.find(kNotRunningEnding);
    if (ending != std::u16string_view::npos && ending > 0) {
        // Each removal is one pass: the text is the teacher's, and a frame of 32 MiB of these
        // phrases, shifted along once per occurrence, froze the panel for minutes.
        const std::u16string name = RemoveAll(RemoveAll(text, kNotRunningPrefix), kNotRunningEnding);
        return FillPlaceholder(loadString(IDS_TEACHER_NOT_RUNNING), name);
    }
    return std::u16string(text);
}

}  // namespace tesmora
