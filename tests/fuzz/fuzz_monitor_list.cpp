// Fuzz target: any text as the teacher PC's monitor list. A list is either refused or holds exactly
// the announced number of monitors (never more than the bound); far edges are sums of the teacher's
// numbers, which must be clamped to 32 bits, never wrapped.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "session/monitor_list.h"

using namespace tesmora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::u16string payload(size / 2, u'\0');
    for (size_t i = 0; i < payload.size(); ++i) payload[i] = char16_t(data[2 * i] | (data[2 * i + 1] << 8));
    const auto monitors = ParseMonitorList(payload);
    if (!monitors) return 0;
    if (monitors->size() > size_t(kMaxMonitors)) std::abort();
    // The sums themselves are checked by the undefined-behaviour sanitizer: they must not wrap.
    return 0;
}
