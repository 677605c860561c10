// The capture thread of screen upload: up to ten times a second it grabs the pad's screen, sends the
// parts that changed as one JPEG strip and hands each frame to the panel with the sent message
// WM_UPLOAD_FRAME (wParam: the type 12 Packet, valid until the message returns). It runs on a
// Worker owned by the panel's upload control and ends within a cycle once asked to stop.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

#include "common/threads/join_serving_win32.h"
#include "common/threads/worker.h"
#include "upload/capture_cycle.h"
#include "upload/upload_state.h"

namespace tesmora {

// What one capture reads. The settings are copied into the thread; the two counters belong to the
// worker's owner, which destroys (or joins) the worker before them.
struct CaptureJob {
    HWND panel = nullptr;
    UploadSettings settings;
    std::atomic<int32_t>* frameCounter = nullptr;            // the number of the next frame
    const std::atomic<int32_t>* lastAcknowledged = nullptr;  // the teacher's latest "[RH00002]"
    // Makes the strip encoder on the capture thread; empty: the program's own encoder.
    std::function<std::unique_ptr<StripEncoder>()> makeEncoder;
};

// Starts the capture on `worker`. False when the job is incomplete, or when the worker still holds a
// thread (a new capture never starts beside one that has not ended) or cannot start one.
bool StartCapture(Worker& worker, CaptureJob job);

// The panel joins it with JoinServingSentMessages (common/threads/join_serving_win32.h), so that a
// capture thread waiting for the panel to take its frame can finish.

}  // namespace tesmora
