// The capture thread of screen upload.
#include "capture_thread_win32.h"

#include <winsock2.h>

#include <process.h>

#include <cstdio>
#include <memory>

#include "common/ui/handles_win32.h"
#include "common/window_messages.h"
#include "transport/packet.h"
#include "upload/jpeg_strip_encoder.h"
#include "upload/screen_grabber_win32.h"

namespace {

constexpr DWORD kCycleMs = 100;

void CaptureLoop(const CaptureThreadStart& start) {
    UploadState& state = *start.state;
    const UploadSettings settings = state.settings;
    WSADATA wsa;
    if (WSAStartup(MAKEWORD(2, 2), &wsa) != 0) return;
    {
        GdiplusSession gdiplus;
        GdiScreenGrabber grabber(settings);
        UploadPipeline pipeline(uint32_t(settings.width), uint32_t(settings.height));
        JpegStripEncoder encoder;
        if (gdiplus.Started() && grabber.IsReady() && encoder.IsReady()) {
            CPacket packet;
            packet.SetType(kPacketImage);
            CaptureCycle cycle(pipeline, grabber, encoder, [&](int32_t number, const std::vector<uint8_t>& body) {
                packet.SetSequence(uint32_t(number));
                packet.SetSize(uint32_t(body.size()));
                packet.SetData(body.data(), uint32_t(body.size()));
                SendMessageW(start.panel, WM_UPLOAD_FRAME, reinterpret_cast<WPARAM>(&packet), 0);
            });
            while (state.uploadFlag.load() != 0) {
                DWORD t0 = GetTickCount();
                CycleOutcome outcome = cycle.Run(state.frameCounter, start.lastAcknowledged->load(), settings.quality);
                if (outcome == CycleOutcome::kGrabFailed) continue;  // the next cycle starts at once
                DWORD elapsed = GetTickCount() - t0;
                if (elapsed < kCycleMs) Sleep(kCycleMs - elapsed);
            }
            packet.SetData(nullptr, 0);  // the body belongs to the pipeline
        }
    }
    WSACleanup();
}

// Lines for the debugger output with the tick count: a log shows when a capture began and ended.
void TraceCapture(const char* what, const UploadState& state) {
    char line[128];
    std::snprintf(line, sizeof line, "Remocon capture: %s tick=%lu grid=%dx%d frame=%d\n", what, GetTickCount(),
                  int(state.settings.width), int(state.settings.height), int(state.frameCounter.load()));
    OutputDebugStringA(line);
}

unsigned __stdcall CaptureThread(void* argument) {
    std::unique_ptr<CaptureThreadStart> start(static_cast<CaptureThreadStart*>(argument));
    TraceCapture("started", *start->state);
    CaptureLoop(*start);
    TraceCapture("ended", *start->state);
    start->state->runningCaptures.fetch_sub(1);
    return 0;
}

}  // namespace

bool StartCaptureThread(const CaptureThreadStart& start) {
    if (!start.panel || !start.state || !start.lastAcknowledged) return false;
    if (start.state->settings.width < 1 || start.state->settings.height < 1) return false;
    start.state->runningCaptures.fetch_add(1);
    auto* argument = new CaptureThreadStart(start);
    uintptr_t thread = _beginthreadex(nullptr, 0, CaptureThread, argument, 0, nullptr);
    if (thread == 0) {
        delete argument;
        start.state->runningCaptures.fetch_sub(1);
        return false;
    }
    CloseHandle(reinterpret_cast<HANDLE>(thread));
    return true;
}
