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

// The monitors as far as they lie on the teacher's screen image of `width` x `height`: each one cut
// to the image, and one with nothing left on it (empty, inverted or wholly outside) dropped. The
// shown monitor sizes the view's copy of it, so a teacher's numbers must not size a picture beyond
// the screen image (a 12000 x 12000 monitor made a 576 MB bitmap, repainted every frame).
std::vector<MonitorRect> ClipMonitorsToScreen(const std::vector<MonitorRect>& monitors, int32_t width,
                                              int32_t height);

}  // namespace tesmora
