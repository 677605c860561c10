// The teacher PC's monitor list.
#include "monitor_list.h"

#include <algorithm>
#include <string>

#include "session/command_tag.h"
#include "session/payload_fields.h"

namespace tesmora {

std::optional<std::vector<MonitorRect>> ParseMonitorList(std::u16string_view payload) {
    std::vector<std::u16string> fields = SplitPayload(payload);
    if (fields.empty()) return std::nullopt;
    int32_t count = ParseDecimal(fields[0]);
    if (count < 0 || count > kMaxMonitors) return std::nullopt;
    if (fields.size() != size_t(count) * 4 + 1) return std::nullopt;
    std::vector<MonitorRect> monitors(size_t(count), MonitorRect{0, 0, 0, 0});
    for (size_t k = 0; k < monitors.size(); ++k) {
        // Sums are taken in 64 bits and clamped: the teacher's numbers are not trusted to fit.
        auto field = [&](size_t part) { return int64_t(ParseDecimal(fields[1 + 4 * k + part])); };
        auto clamp = [](int64_t v) {
            return int32_t(v > INT32_MAX ? INT32_MAX : v < INT32_MIN ? INT32_MIN : v);
        };
        int64_t x = field(0), y = field(1), width = field(2), height = field(3);
        monitors[k] = MonitorRect{clamp(x), clamp(y), clamp(x + width), clamp(y + height)};
    }
    return monitors;
}

std::vector<MonitorRect> ClipMonitorsToScreen(const std::vector<MonitorRect>& monitors, int32_t width,
                                              int32_t height) {
    std::vector<MonitorRect> clipped;
    for (const MonitorRect& m : monitors) {
        const MonitorRect cut{std::max(m.left, 0), std::max(m.top, 0), std::min(m.right, width),
                              std::min(m.bottom, height)};
        if (cut.left < cut.right && cut.top < cut.bottom) clipped.push_back(cut);
    }
    return clipped;
}

}  // namespace tesmora
