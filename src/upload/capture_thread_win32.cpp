// The capture thread of screen upload.
#include "capture_thread_win32.h"

#include <winsock2.h>

#include <cstdio>

#include "common/ui/handles_win32.h"
#include "common/window_messages.h"
#include "transport/packet.h"
#include "upload/capture_loop.h"
#include "upload/jpeg_strip_encoder.h"
#include "upload/screen_grabber_win32.h"

namespace tesmora {

namespace {

std::unique_ptr<StripEncoder> MakeProgramEncoder() {
    auto encoder = std::make_unique<JpegStripEncoder>();
    if (!encoder->IsReady()) return nullptr;
    return encoder;
}

// A line for the debugger output with the tick count: a log shows when a capture began and ended.
void TraceCapture(const char* what, const CaptureJob& job) {
    char line[128];
    std::snprintf(line, sizeof line, "Remocon capture: %s tick=%lu grid=%dx%d frame=%d\n", what,
                  GetTickCount(), int(job.settings.width), int(job.settings.height),
                  int(job.frameCounter->load()));
    OutputDebugStringA(line);
}

void CaptureLoop(const CaptureJob& job, std::stop_token stop) {
    const UploadSettings& settings = job.settings;
    GdiScreenGrabber grabber(settings);
    UploadPipeline pipeline(uint32_t(settings.width), uint32_t(settings.height));
    std::unique_ptr<StripEncoder> encoder = job.makeEncoder ? job.makeEncoder() : MakeProgramEncoder();
    if (!grabber.IsReady() || !encoder) return;
    CPacket packet;
    packet.SetType(kPacketImage);
    CaptureCycle cycle(pipeline, grabber, *encoder, [&](int32_t number, const std::vector<uint8_t>& body) {
        packet.SetSequence(uint32_t(number));
        packet.SetSize(uint32_t(body.size()));
        packet.SetData(body.data(), uint32_t(body.size()));
        SendMessageW(job.panel, WM_UPLOAD_FRAME, reinterpret_cast<WPARAM>(&packet), 0);
    });
    RunCaptureCycles(cycle, stop, *job.frameCounter, *job.lastAcknowledged, settings.quality);
    packet.SetData(nullptr, 0);  // the body belongs to the pipeline
}

}  // namespace

bool StartCapture(Worker& worker, CaptureJob job) {
    if (!job.panel || !job.frameCounter || !job.lastAcknowledged) return false;
    if (job.settings.width < 1 || job.settings.height < 1) return false;
    return worker.Start([job = std::move(job)](std::stop_token stop) {
        TraceCapture("started", job);
        WSADATA wsa;
        if (WSAStartup(MAKEWORD(2, 2), &wsa) == 0) {
            CaptureLoop(job, stop);
            WSACleanup();
        }
        TraceCapture("ended", job);
    });
}

}  // namespace tesmora
