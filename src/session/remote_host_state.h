// What the remote knows of the teacher program: its version, its last sign of life and the size of
// its screen with the part grid. The portable half of the remote-host record; the Windows half adds
// the screen image, its lock and the socket holder. UI thread, except where the record's owner says.
#pragma once

#include <cstdint>
#include <string>

namespace tesmora {

// Longer than this without a sign of life from the teacher ends the session.
inline constexpr uint32_t kTeacherSilenceLimitMs = 40000;

// The teacher's screen as "[RH00001]" may announce it, before the remote allocates a 32-bit picture
// of it. The desktop may span several monitors: three 3840 x 2160 monitors side by side (11520 x 2160)
// and one 7680 x 4320 monitor (33.2 million pixels, 133 MB at 32 bits) still fit; a larger size is
// not taken (no picture is made for it).
inline constexpr int kMaxTeacherScreenSide = 16384;
inline constexpr int kMaxTeacherScreenPixels = 36'000'000;

// True for a size the remote makes a picture for: each side 1..kMaxTeacherScreenSide and at most
// kMaxTeacherScreenPixels in all.
inline bool IsTeacherScreenSizeUsable(int width, int height) {
    return width >= 1 && height >= 1 && width <= kMaxTeacherScreenSide && height <= kMaxTeacherScreenSide &&
           int64_t(width) * height <= kMaxTeacherScreenPixels;
}

struct RemoteHostState {
    std::u16string teacherVersion = u"0";
    uint32_t lastReceivedTick = 0;  // the host's TickCount
    bool lastReceivedValid = false;
    int imageWidth = 0;
    int imageHeight = 0;
    int partWidth = 0;
    int partHeight = 0;
    int bitsPerPixel = 32;
};

}  // namespace tesmora
