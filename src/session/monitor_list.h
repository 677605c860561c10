// The teacher PC's monitor list ("N,x,y,w,h,..."). Any thread.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace tesmora {

struct MonitorRect {
    int32_t left, top, right, bottom;
    bool operator==(const MonitorRect&) const = default;
};

// More monitors than any teacher PC has: a list announcing more is refused before anything is
// allocated for it.
inline constexpr int32_t kMaxMonitors = 64;

// The rectangles (right = x + width, bottom = y + height), or nothing when the field count is not
// 4 x N + 1, N is negative or above kMaxMonitors.
std::optional<std::vector<MonitorRect>> ParseMonitorList(std::u16string_view payload);

}  // namespace tesmora
