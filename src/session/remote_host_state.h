// What the remote knows of the teacher program: its version, its last sign of life and the size of
// its screen with the part grid. The portable half of the remote-host record; the Windows half adds
// the screen image, its lock and the socket holder. UI thread, except where the record's owner says.
#pragma once

#include <string>

// 40 seconds in days, the unit in which the panel keeps times.
inline constexpr double kTeacherSilenceLimitDays = 0.000462962962962963;

struct RemoteHostState {
    std::u16string teacherVersion = u"0";
    double lastReceived = 0;  // days
    bool lastReceivedValid = false;
    int imageWidth = 0;
    int imageHeight = 0;
    int partWidth = 0;
    int partHeight = 0;
    int bitsPerPixel = 32;
};
