// Where a position on the remote view lands on the teacher PC. View thread only.
#include "remote_control/view_mapping.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tesmora {

namespace {

// Teacher pixels per view pixel. A view not yet measured (zero size) maps everything to the offsets
// rather than dividing by zero.
double Ratio(int64_t teacherPixels, int32_t viewPixels) {
    if (viewPixels <= 0) return 0.0;
    return static_cast<double>(teacherPixels) / viewPixels;
}

int32_t ScaleTruncated(int32_t value, double scale) {
    const double scaled = std::trunc(value * scale);
    if (!(scaled == scaled)) return 0;  // NaN
    constexpr double kMin = std::numeric_limits<int32_t>::min();
    constexpr double kMax = std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(std::clamp(scaled, kMin, kMax));
}

struct Button {
    uint16_t down, up, doubleClick;
    uint32_t flag;  // in the mouse message's flags
};
constexpr Button kButtons[] = {
    {0x201, 0x202, 0x203, 0x01}, {0x204, 0x205, 0x206, 0x02}, {0x207, 0x208, 0x209, 0x10}};

}  // namespace

std::optional<MonitorRect> ShownMonitor(const std::vector<MonitorRect>& monitors, int32_t selectedIndex) {
    if (monitors.empty()) return std::nullopt;
    if (selectedIndex < 0 || static_cast<size_t>(selectedIndex) >= monitors.size()) return monitors.front();
    return monitors[static_cast<size_t>(selectedIndex)];
}

void ViewMapping::FitImage(int32_t imageWidth, int32_t imageHeight, int32_t viewWidth, int32_t viewHeight) {
    scaleX_ = Ratio(imageWidth, viewWidth);
    scaleY_ = Ratio(imageHeight, viewHeight);
}

void ViewMapping::FitMonitor(const MonitorRect& monitor, int32_t viewWidth, int32_t viewHeight) {
    offsetX_ = monitor.left;
    offsetY_ = monitor.top;
    scaleX_ = Ratio(int64_t{monitor.right} - monitor.left, viewWidth);
    scaleY_ = Ratio(int64_t{monitor.bottom} - monitor.top, viewHeight);
}

TeacherPoint ViewMapping::Map(int32_t x, int32_t y) const {
    // Wrap-around rather than overflow for absurd offsets: the sum is done in unsigned arithmetic.
    const auto add = [](int32_t a, int32_t b) {
        return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
    };
    return {add(ScaleTruncated(x, scaleX_), offsetX_), add(ScaleTruncated(y, scaleY_), offsetY_)};
}

std::optional<PointerEventRecord> MouseForwarder::Forward(const ViewMapping& mapping, uint16_t message,
                                                          uint32_t flags, int32_t x, int32_t y,
                                                          int16_t wheelDelta) {
    const TeacherPoint at = mapping.Map(x, y);
    if (message == kMouseMove) {
        if (at == lastMove_) return std::nullopt;
        lastMove_ = at;
    }
    for (const Button& button : kButtons) {
        if (message == button.down || message == button.doubleClick) held_ |= button.flag;
        if (message == button.up) held_ &= ~button.flag;
    }
    lastAt_ = at;
    const int16_t extra = message == kMouseWheel ? wheelDelta : int16_t{0};
    return PointerEventRecord{message, flags, at.x, at.y, extra};
}

std::vector<PointerEventRecord> MouseForwarder::ReleaseHeldButtons() {
    std::vector<PointerEventRecord> releases;
    for (const Button& button : kButtons) {
        if ((held_ & button.flag) == 0) continue;
        held_ &= ~button.flag;
        releases.push_back({button.up, held_, lastAt_.x, lastAt_.y, 0});
    }
    return releases;
}

}  // namespace tesmora
