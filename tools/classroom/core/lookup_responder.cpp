// Relay-lookup answers. Any thread.
#include "core/lookup_responder.h"

#include "core/lookup_rule.h"
#include "core/text_codec.h"

namespace tesmora::classroom {

LookupResponder::LookupResponder(const Scenario& scenario, std::string relayHost, uint16_t relayPort)
    : scenario_(scenario), relayHost_(std::move(relayHost)), relayPort_(relayPort) {}

LookupResponse LookupResponder::Lines(bool success, std::string_view code, std::string_view message) const {
    const bool crlf = scenario_.lookup.crlfQuoted;
    const auto line = [crlf](std::string_view key, std::string_view value) {
        return std::string(key) + ":" + (crlf ? "\"" + std::string(value) + "\"" : std::string(value)) +
               (crlf ? "\r\n" : "\n");
    };
    std::string text =
        line("result", success ? "true" : "false") + line("code", code) + line("message", message);
    if (success) text += line("rsip", relayHost_) + line("rsport", std::to_string(relayPort_));
    LookupResponse response;
    response.body = ToCodePage(text, scenario_.lookup.codePage).value_or(text);
    response.contentType = scenario_.lookup.codePage == 949 ? "text/plain; charset=euc-kr" : "text/plain";
    return response;
}

LookupResponse LookupResponder::Answer(std::string_view rawQuery, Event& event) const {
    const LookupQuery query = ParseLookupQuery(rawQuery);
    event.Str("val1", query.val1.value_or(""))
        .Str("val2", query.val2.value_or(""))
        .Str("val3", query.val3.value_or(""));

    // What a real service would conclude from the request itself.
    std::string verdict = "ok";
    if (!query.val1 || !query.val2 || !query.val3 || query.val3->empty() || !IsTickText(*query.val1)) {
        verdict = "malformed";
    } else if (scenario_.lookup.checkVal2) {
        const auto expected = ExpectedVal2(*query.val1, *query.val3, scenario_.lookup.codePage);
        if (!expected || *expected != *query.val2) {
            verdict = "val2-mismatch";
            event.Str("expected_val2", expected.value_or("(code page unknown)"));
        }
    }
    if (verdict == "ok" && !scenario_.KnowsTeacher(*query.val3)) verdict = "unknown-id";
    event.Str("check", verdict);

    LookupResponse response;
    switch (scenario_.lookup.reply) {
        case LookupReply::kOk:
        case LookupReply::kCut:
        case LookupReply::kCutChunked:
        case LookupReply::kTrickle:
            if (verdict == "ok") {
                response = Lines(true, "200", "OK");
            } else if (verdict == "unknown-id") {
                response = Lines(false, "2", kLookupBadIdText);
            } else {
                response = Lines(false, "1", kLookupDeniedText);
            }
            break;
        case LookupReply::kDenied:
            response = Lines(false, "1", kLookupDeniedText);
            break;
        case LookupReply::kBadId:
            response = Lines(false, "2", kLookupBadIdText);
            break;
        case LookupReply::kBadUniqueCode:
            response = Lines(false, "3", kLookupBadUniqueCodeText);
            break;
        case LookupReply::kFail:
            response = Lines(false, scenario_.lookup.code, scenario_.lookup.message);
            break;
        case LookupReply::kNoKeys:
            response.body = "<html><body>Service ready.</body></html>\n";
            response.contentType = "text/html";
            break;
        case LookupReply::kRedirect:
            response.status = 302;
            response.location = "/tesmora/rsinfo/moved.jsp";
            break;
        case LookupReply::kNotFound:
            response.status = 404;
            response.body = "not found\n";
            break;
        case LookupReply::kBusy:
            response.status = 503;
            response.body = "busy\n";
            break;
        case LookupReply::kHang:
            response.hang = true;
            break;
        case LookupReply::kGarbage: {
            // Bytes of every value, zero bytes and line ends among them, the same on every run.
            uint32_t state = 0x2545F491u;
            response.body.resize(64 * 1024);
            for (char& c : response.body) {
                state ^= state << 13;
                state ^= state >> 17;
                state ^= state << 5;
                c = char(state >> 24);
            }
            response.contentType = "application/octet-stream";
            break;
        }
    }
    if (scenario_.lookup.reply == LookupReply::kCut || scenario_.lookup.reply == LookupReply::kCutChunked) {
        // Inside the address, where a fragment still reads as one: "rsip:127.0".
        const size_t rsip = response.body.find("rsip:");
        response.cutAt = rsip == std::string::npos ? response.body.size() / 2 : rsip + 8;
        response.delivery =
            scenario_.lookup.reply == LookupReply::kCut ? LookupDelivery::kCut : LookupDelivery::kCutChunked;
        event.Int("cut_at", int64_t(response.cutAt));
    }
    if (scenario_.lookup.reply == LookupReply::kTrickle) response.delivery = LookupDelivery::kTrickle;
    event.Int("status", response.status).Bool("hang", response.hang);
    return response;
}

}  // namespace tesmora::classroom
