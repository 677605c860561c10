// What the remote knows of the teacher program: its version, its last sign of life and the size of
// its screen with the part grid. The portable half of the remote-host record; the Windows half adds
// the screen image, its lock and the socket holder. UI thread, except where the record's owner says.
#pragma once

#include <cstdint>
#include <string>

// Longer than this without a sign of life from the teacher ends the session.
inline constexpr uint32_t kTeacherSilenceLimitMs = 40000;

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
