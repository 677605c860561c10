// Where a position on the remote view lands on the teacher PC: the view's scales and offsets, the
// monitor it shows, and the filter that drops mouse moves landing on the last forwarded teacher pixel.
// View thread only.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "session/monitor_list.h"
#include "transport/packet.h"

namespace tesmora {

inline constexpr uint16_t kMouseMove = 0x200;
inline constexpr uint16_t kMouseWheel = 0x20A;

// The monitor the view shows and maps to. An index outside the current list (a shorter list
// arrived after the teacher picked a later monitor) falls back to the first monitor, so that the
// picture and the place a tap lands always belong to one real monitor; no list at all gives nothing.
std::optional<MonitorRect> ShownMonitor(const std::vector<MonitorRect>& monitors, int32_t selectedIndex);

struct TeacherPoint {
    int32_t x, y;
    bool operator==(const TeacherPoint&) const = default;
};

class ViewMapping {
public:
    // The whole screen image over a w x h view (the size handler). The offsets stay as they are.
    void FitImage(int32_t imageWidth, int32_t imageHeight, int32_t viewWidth, int32_t viewHeight);
    // One monitor of the teacher PC over a w x h view.
    void FitMonitor(const MonitorRect& monitor, int32_t viewWidth, int32_t viewHeight);
    // View-client pixel to teacher pixel: the scaled value truncated toward zero, plus the offset.
    TeacherPoint Map(int32_t x, int32_t y) const;

    double ScaleX() const { return scaleX_; }
    double ScaleY() const { return scaleY_; }

private:
    double scaleX_ = 1.0;
    double scaleY_ = 1.0;
    int32_t offsetX_ = 0;
    int32_t offsetY_ = 0;
};

// Turns mouse messages on the view into records for the teacher PC. A finger resting on the pad
// makes a stream of moves to one teacher pixel; only the first of them is forwarded. Also remembers
// which buttons the teacher PC believes are held, so that they can be released when the view loses
// the focus or the mouse, or remote control stops: a button whose release the view never sees would
// stay held on the teacher PC.
class MouseForwarder {
public:
    // The record for `message` at client position (x, y), or nothing for a repeated move.
    std::optional<PointerEventRecord> Forward(const ViewMapping& mapping, uint16_t message, uint32_t flags,
                                              int32_t x, int32_t y, int16_t wheelDelta = 0);

    // A button-up at the last forwarded position for every button still held (left, right, middle),
    // each with the buttons still held after it as its flags; forgets them.
    std::vector<PointerEventRecord> ReleaseHeldButtons();
    bool AnyButtonHeld() const { return held_ != 0; }

private:
    TeacherPoint lastMove_{0, 0};
    TeacherPoint lastAt_{0, 0};
    uint32_t held_ = 0;  // the mouse flags of the held buttons
};

}  // namespace tesmora
