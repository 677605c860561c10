// The values the control panel and the capture thread share: single 32-bit values read and written
// whole, and the upload settings, which change only while no capture thread runs. Any thread.
#pragma once

#include <atomic>
#include <cstdint>

struct UploadSettings {
    int32_t left = 0, top = 0, right = 0, bottom = 0;  // capture rectangle; all four edges belong to it
    int32_t width = 0, height = 0;                     // grid (and screen bitmap) size
    int32_t quality = 70;                              // JPEG quality, 0 to 100
};

struct UploadState {
    std::atomic<int32_t> uploadFlag{0};       // 1 while the capture thread is meant to run
    std::atomic<int32_t> frameCounter{0};     // number of the next frame
    std::atomic<int32_t> runningCaptures{0};  // capture threads that have not ended yet
    UploadSettings settings;
};

// The program's one screen upload, shared by the panel and its capture thread.
UploadState& ScreenUpload();
