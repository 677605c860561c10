// Fuzz target: any bytes as the relay-lookup service's reply. Read directly as UTF-16 text and, as the
// lookup does, as a body in a one-byte code page. Every field must come out trimmed, without quotes or
// line breaks; the lookup must always end with a "result:" answer; and a body without a "result:"
// line must leave the remembered relay in setting.ini untouched.
#include <cstdlib>
#include <map>
#include <string>

#include "login/relay_lookup.h"
#include "login/relay_reply.h"

using namespace tesmora;

namespace {

bool IsBlank(char16_t c) {
    return (c >= 0x09 && c <= 0x0D) || c == 0x20;
}

void CheckField(const std::u16string& field) {
    if (field.empty()) return;
    if (IsBlank(field.front()) || IsBlank(field.back())) std::abort();
    if (field.find(u'"') != std::u16string::npos || field.find(u'\n') != std::u16string::npos) std::abort();
}

void CheckAnswer(const LookupAnswer& answer) {
    CheckField(answer.result);
    CheckField(answer.code);
    CheckField(answer.message);
    CheckField(answer.relayAddress);
    CheckField(answer.relayPort);
}

std::u16string LocalText(unsigned id) {
    return u"local " + std::u16string(1, char16_t(u'0' + id % 10));
}

class ReplyingSystem : public RelayLookupHost, public LookupSettings {
public:
    explicit ReplyingSystem(std::string body) : body_(std::move(body)) {}
    int Fetch(const std::u16string&, const std::u16string&, std::string& body) override {
        body = body_;
        return 0;
    }
    std::string EncodeAnsi(std::u16string_view text) override {
        std::string bytes;
        for (char16_t c : text) bytes += c < 0x100 ? char(c) : '?';
        return bytes;
    }
    std::u16string DecodeAnsi(std::string_view bytes) override {
        return std::u16string(reinterpret_cast<const unsigned char*>(bytes.data()),
                              reinterpret_cast<const unsigned char*>(bytes.data()) + bytes.size());
    }
    uint32_t TickCount() override { return 0x80000000u; }
    std::u16string LoadText(unsigned id) override { return LocalText(id); }
    std::u16string Read(std::u16string_view key) override { return setting[std::u16string(key)]; }
    void Write(std::u16string_view key, std::u16string_view value) override {
        setting[std::u16string(key)] = value;
    }

    std::map<std::u16string, std::u16string> setting{{u"rsip", u"10.0.0.5"}, {u"rsport", u"9000"}};

private:
    std::string body_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::u16string units(size / 2, u'\0');
    for (size_t i = 0; i < units.size(); ++i) units[i] = char16_t(data[2 * i] | (data[2 * i + 1] << 8));
    CheckAnswer(ParseLookupReply(units, LocalText));

    const std::string body(reinterpret_cast<const char*>(data), size);
    ReplyingSystem system(body);
    LookupAnswer answer = LookupRelay(u"demo-teacher", u"rs.example.com", system);
    if (!answer.hasResult) std::abort();
    CheckAnswer(answer);
    const bool bodyHasResult = ParseLookupReply(system.DecodeAnsi(body.c_str()), LocalText).hasResult;
    ApplyLookupAnswer(answer, system);
    if (!bodyHasResult && (system.setting[u"rsip"] != u"10.0.0.5" || system.setting[u"rsport"] != u"9000")) {
        std::abort();
    }
    return 0;
}
