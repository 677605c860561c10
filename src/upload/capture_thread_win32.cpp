// The capture thread of screen upload.
#include "capture_thread_win32.h"

#include <winsock2.h>

#include <cstdio>

#include "common/platform/clock.h"
#include "common/platform/debug_print_win32.h"
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

// A step with the grid and the next frame's number: a log shows when a capture began and ended.
void TraceCapture(const char* what, const CaptureJob& job) {
    char line[96];
    std::snprintf(line, sizeof line, "%s grid=%dx%d frame=%d", what, int(job.settings.width),
                  int(job.settings.height), int(job.frameCounter->load()));
    TraceStep("capture", line);
}

// The screen grab with its time kept, for the trace of each frame: on a slow display the grab, not
// the encoder, is what limits the frames a second.
class TimedGrabber : public ScreenGrabber {
public:
    explicit TimedGrabber(GdiScreenGrabber& grabber) : grabber_(grabber) {}
    bool Grab() override {
        begun_ = MonotonicMicroseconds();
        const bool grabbed = grabber_.Grab();
        grabbed_ = MonotonicMicroseconds();
        return grabbed;
    }
    PixelView Screen() override { return grabber_.Screen(); }
    // Microseconds of the last grab, and from its start until now.
    long long GrabMicroseconds() const { return grabbed_ - begun_; }
    long long SinceGrabMicroseconds() const { return MonotonicMicroseconds() - begun_; }

private:
    GdiScreenGrabber& grabber_;
    int64_t begun_ = 0;
    int64_t grabbed_ = 0;
};

void CaptureLoop(const CaptureJob& job, std::stop_token stop) {
    const UploadSettings& settings = job.settings;
    GdiScreenGrabber screen(settings);
    TimedGrabber grabber(screen);
    UploadPipeline pipeline(uint32_t(settings.width), uint32_t(settings.height));
    std::unique_ptr<StripEncoder> encoder = job.makeEncoder ? job.makeEncoder() : MakeProgramEncoder();
    if (!screen.IsReady() || !encoder) return;
    Packet packet;
    packet.SetType(kPacketImage);
    CaptureCycle cycle(pipeline, grabber, *encoder, [&](int32_t number, const std::vector<uint8_t>& body) {
        packet.SetSequence(uint32_t(number));
        packet.SetSize(uint32_t(body.size()));
        packet.SetData(body.data(), uint32_t(body.size()));
        const long long grabUs = grabber.GrabMicroseconds(), readyUs = grabber.SinceGrabMicroseconds();
        SendMessageW(job.panel, WM_UPLOAD_FRAME, reinterpret_cast<WPARAM>(&packet), 0);
        char line[160];
        std::snprintf(line, sizeof line,
                      "Remocon capture frame: number=%d bytes=%u grab_us=%lld ready_us=%lld sent_us=%lld\n",
                      int(number), unsigned(body.size()), grabUs, readyUs, grabber.SinceGrabMicroseconds());
        DebugPrintUtf8(line);
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
