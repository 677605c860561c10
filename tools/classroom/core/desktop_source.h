// The teacher PC's desktop as remote control shows it: one or more monitors side by side, drawn
// as a synthetic desktop with a moving square and a running clock bar (so that only a few parts
// change between frames), or a picture file. The remote's last pointer position is drawn as a
// cross, so input is visible on the pad. One thread (the teacher session's).
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "core/pixel_image.h"
#include "core/scenario.h"

namespace tesmora::classroom {

class DesktopSource {
public:
    // False with a reason when the picture file cannot be read or the monitors do not fit.
    bool Init(const TeacherBehaviour& teacher, std::string& error);

    uint32_t Width() const { return base_.width; }
    uint32_t Height() const { return base_.height; }
    const std::vector<TeacherMonitor>& Monitors() const { return monitors_; }

    void SetPointer(int32_t x, int32_t y);
    // The desktop as it looks `elapsed` after remote control started.
    void Render(std::chrono::milliseconds elapsed, PixelImage& out) const;

private:
    bool LoadPicture(const std::string& path, PixelImage& picture, std::string& error);
    void DrawSyntheticBase();

    bool synthetic_ = true;
    std::vector<TeacherMonitor> monitors_;
    PixelImage base_;
    int32_t pointerX_ = -1;
    int32_t pointerY_ = -1;
};

}  // namespace tesmora::classroom
