// The relay-lookup service's decisions: given the raw query of a request, what to answer (the
// relay's address as key:value lines, one of the failure replies the scenario asks for) and what
// to log. Portable: the HTTP servers only carry the answer. Any thread (it reads only).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/event_log.h"
#include "core/scenario.h"

namespace tesmora::classroom {

// How the body goes out.
enum class LookupDelivery {
    kWhole,
    kCut,         // Content-Length of the whole body, `cutAt` bytes sent, the connection closed
    kCutChunked,  // chunked, `cutAt` bytes sent, closed before the last chunk
    kTrickle,     // Content-Length of the whole body, one byte a second
};

struct LookupResponse {
    int status = 200;
    std::string body;  // in the remote's ANSI code page
    std::string contentType = "text/plain";
    std::string location;  // for a redirection
    bool hang = false;     // give no answer at all
    LookupDelivery delivery = LookupDelivery::kWhole;
    size_t cutAt = 0;  // kCut, kCutChunked: the bytes sent before the connection closes
};

class LookupResponder {
public:
    LookupResponder(const Scenario& scenario, std::string relayHost, uint16_t relayPort);

    // Fills `event` with what the request carried and how it was judged.
    LookupResponse Answer(std::string_view rawQuery, Event& event) const;

private:
    LookupResponse Lines(bool success, std::string_view code, std::string_view message) const;

    const Scenario& scenario_;
    std::string relayHost_;
    uint16_t relayPort_;
};

// The service's own failure texts; the remote maps them to its language.
inline constexpr std::string_view kLookupDeniedText = "잘못된 접근입니다.";
inline constexpr std::string_view kLookupBadIdText =
    "유효하지않은  선생님 ID 입니다.";  // two blanks, as served
inline constexpr std::string_view kLookupBadUniqueCodeText = "유효하지않은 고유코드 입니다.";

}  // namespace tesmora::classroom
