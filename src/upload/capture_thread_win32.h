// The capture thread of screen upload: up to ten times a second it grabs the pad's screen, sends the
// parts that changed as one JPEG strip and hands each frame to the panel with the sent message
// WM_UPLOAD_FRAME (wParam: the type 12 CPacket, valid until the message returns). It ends within a
// cycle once the upload flag is cleared.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>

#include "upload/upload_state.h"

struct CaptureThreadStart {
    HWND panel = nullptr;
    UploadState* state = nullptr;                      // outlives the thread
    const std::atomic<int32_t>* lastAcknowledged = nullptr;  // the teacher's latest "[RH00002]"
};

// Starts a capture thread with the panel's current settings; the running-capture count goes up at
// once. False when the thread could not be started (the count is back where it was).
bool StartCaptureThread(const CaptureThreadStart& start);
