// Fuzz target: a monitor list as it reaches the remote view: parsed, cut to the teacher's screen
// image, the shown monitor chosen and the view fitted to it. The first 10 bytes give the screen
// image's size (either side 0 to 16,384: no image or one the remote would make), the view's size (0 to
// 4,095 a side) and the selected index; the rest is the list's text (UTF-16LE). What the view copies
// never reaches past the screen image, and a tap anywhere on the view lands on the shown monitor.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "remote_control/view_mapping.h"
#include "session/monitor_list.h"
#include "session/remote_host_state.h"

using namespace tesmora;

namespace {

uint16_t U16(const uint8_t* at) {
    return uint16_t(at[0] | at[1] << 8);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 10) return 0;
    int32_t width = U16(data) % (kMaxTeacherScreenSide + 1);
    int32_t height = U16(data + 2) % (kMaxTeacherScreenSide + 1);
    if (!IsTeacherScreenSizeUsable(width, height)) width = height = 0;  // no picture is made then
    const int32_t viewWidth = U16(data + 4) % 4096;
    const int32_t viewHeight = U16(data + 6) % 4096;
    const int32_t selected = int16_t(U16(data + 8));
    std::u16string payload((size - 10) / 2, u'\0');
    for (size_t i = 0; i < payload.size(); ++i) payload[i] = char16_t(U16(data + 10 + 2 * i));

    const auto parsed = ParseMonitorList(payload);
    if (!parsed) return 0;
    const std::vector<MonitorRect> monitors = ClipMonitorsToScreen(*parsed, width, height);
    if (monitors.size() > parsed->size()) std::abort();
    for (const MonitorRect& m : monitors) {
        if (m.left < 0 || m.top < 0 || m.right > width || m.bottom > height) std::abort();
        if (m.left >= m.right || m.top >= m.bottom) std::abort();
    }
    const auto shown = ShownMonitor(monitors, selected);
    if (!shown || viewWidth == 0 || viewHeight == 0) return 0;
    ViewMapping mapping;
    mapping.FitMonitor(*shown, viewWidth, viewHeight);
    for (const TeacherPoint at : {mapping.Map(0, 0), mapping.Map(viewWidth - 1, viewHeight - 1)}) {
        if (at.x < shown->left || at.x >= shown->right || at.y < shown->top || at.y >= shown->bottom) {
            std::abort();
        }
    }
    return 0;
}
