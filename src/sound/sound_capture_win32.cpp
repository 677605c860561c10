// The sound thread of sound upload (see sound_capture_win32.h).
#include "sound/sound_capture_win32.h"

#include <audioclient.h>
#include <mmdeviceapi.h>
#include <mmreg.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <optional>
#include <vector>

#include "common/platform/clock.h"
#include "common/platform/debug_print_win32.h"
#include "common/ui/handles_win32.h"
#include "common/window_messages.h"
#include "sound/audio_ids_win32.h"
#include "sound/capture_format.h"
#include "sound/sound_block.h"
#include "transport/packet.h"

namespace tesmora {

namespace {

// The interfaces and formats by their fixed identifiers, so that nothing depends on which of them a
// tool chain's import libraries carry.
constexpr GUID kAudioClientInterface = {
    0x1CB9AD4C, 0xDBFA, 0x4C32, {0xB1, 0x78, 0xC2, 0xF5, 0x68, 0xA7, 0x03, 0xB2}};
constexpr GUID kCaptureClientInterface = {
    0xC8ADBD64, 0xE71E, 0x48A0, {0xA4, 0xDE, 0x18, 0x5C, 0x39, 0x5C, 0xD3, 0x17}};
constexpr GUID kSubFormatPcm = {0x00000001, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
constexpr GUID kSubFormatFloat = {
    0x00000003, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};

constexpr DWORD kLoopbackFlag = 0x20000;  // capture what the endpoint plays
constexpr DWORD kIdleSleepMs = 1;
// How often an idle stream is asked whether its device still works.
constexpr uint64_t kHealthCheckMs = 200;
// The stream's buffer, in 100 ns units: room for 200 ms of sound, so that a sound thread kept from
// running for a while by a busy pad finds its sound still there instead of lost. The thread still
// takes every packet as soon as it is ready; the buffer only fills when it cannot.
constexpr REFERENCE_TIME kStreamBufferDuration = 2'000'000;

struct CoTaskFree {
    void operator()(WAVEFORMATEX* format) const { ::CoTaskMemFree(format); }
};
using FormatPtr = std::unique_ptr<WAVEFORMATEX, CoTaskFree>;

// Hands each finished block to the panel and returns once the panel has written it.
class PanelSoundSink : public SoundBlockSink {
public:
    explicit PanelSoundSink(HWND panel) : panel_(panel) {}
    ~PanelSoundSink() override { packet_.SetData(nullptr, 0); }  // the bytes are the builder's

    void SendBlock(std::span<const uint8_t> block) override {
        PrepareSoundPacket(packet_, block);
        ::SendMessageW(panel_, WM_AUDIO_PACKET, reinterpret_cast<WPARAM>(&packet_), 0);
        packet_.SetData(nullptr, 0);
    }

private:
    HWND panel_;
    Packet packet_;
};

bool IsSubFormat(const WAVEFORMATEX& format, const GUID& subFormat) {
    if (format.wFormatTag != WAVE_FORMAT_EXTENSIBLE || format.cbSize < 22) return false;
    const auto& extensible = reinterpret_cast<const WAVEFORMATEXTENSIBLE&>(format);
    return ::IsEqualGUID(extensible.SubFormat, subFormat) != 0;
}

WaveFields FieldsOf(const WAVEFORMATEX& format) {
    WaveFields fields;
    const bool pcm = format.wFormatTag == WAVE_FORMAT_PCM || IsSubFormat(format, kSubFormatPcm);
    const bool real = format.wFormatTag == WAVE_FORMAT_IEEE_FLOAT || IsSubFormat(format, kSubFormatFloat);
    fields.kind = pcm ? WaveFields::Kind::kPcm : real ? WaveFields::Kind::kFloat : WaveFields::Kind::kOther;
    fields.extensible = format.wFormatTag == WAVE_FORMAT_EXTENSIBLE && format.cbSize >= 22;
    fields.channels = format.nChannels;
    fields.sampleRate = format.nSamplesPerSec;
    fields.bitsPerSample = format.wBitsPerSample;
    fields.blockAlign = format.nBlockAlign;
    fields.bytesPerSecond = format.nAvgBytesPerSec;
    if (fields.extensible) {
        const auto& extensible = reinterpret_cast<const WAVEFORMATEXTENSIBLE&>(format);
        fields.validBits = extensible.Samples.wValidBitsPerSample;
        fields.channelMask = extensible.dwChannelMask;
    }
    return fields;
}

// The teacher program plays 16-bit sound: a float mix is asked for as 16-bit stereo PCM at its rate.
void ApplyPcm16(WAVEFORMATEXTENSIBLE& format, const WaveFields& pcm) {
    format.SubFormat = kSubFormatPcm;
    format.Samples.wValidBitsPerSample = pcm.validBits;
    format.dwChannelMask = pcm.channelMask;
    format.Format.wBitsPerSample = pcm.bitsPerSample;
    format.Format.nChannels = pcm.channels;
    format.Format.nBlockAlign = pcm.blockAlign;
    format.Format.nAvgBytesPerSec = pcm.bytesPerSecond;
}

HRESULT ActivateClient(IMMDevice& device, ComPtr<IAudioClient>& client) {
    void* object = nullptr;
    HRESULT hr = device.Activate(kAudioClientInterface, CLSCTX_ALL, nullptr, &object);
    if (FAILED(hr)) return hr;
    client.reset(static_cast<IAudioClient*>(object));
    return S_OK;
}

uint64_t ThreadCpuMicroseconds() {
    FILETIME created, exited, kernel, user;
    if (!::GetThreadTimes(::GetCurrentThread(), &created, &exited, &kernel, &user)) return 0;
    auto value = [](const FILETIME& time) {
        return (uint64_t{time.dwHighDateTime} << 32) | time.dwLowDateTime;
    };
    return (value(kernel) + value(user)) / 10;
}

// Opens the loopback stream and captures until the owner stops it. Answers the capture's result:
// 0 when it ended as asked or the mix format is not the extensible one, else the failure.
HRESULT Capture(const SoundJob& job, std::stop_token stop) {
    ComPtr<IAudioClient> client;
    HRESULT hr = ActivateClient(*job.device, client);
    if (FAILED(hr)) return hr;
    FormatPtr mixFormat;
    {
        WAVEFORMATEX* format = nullptr;
        hr = client->GetMixFormat(&format);
        if (FAILED(hr)) return hr;
        mixFormat.reset(format);
    }
    if (mixFormat->wFormatTag != WAVE_FORMAT_EXTENSIBLE || mixFormat->cbSize < 22) return S_OK;
    const WaveFields mix = FieldsOf(*mixFormat);
    WAVEFORMATEXTENSIBLE asked = reinterpret_cast<const WAVEFORMATEXTENSIBLE&>(*mixFormat);
    if (mix.kind == WaveFields::Kind::kFloat) ApplyPcm16(asked, RewriteToPcm16(mix));

    WAVEFORMATEX* closest = nullptr;
    hr = client->IsFormatSupported(AUDCLNT_SHAREMODE_SHARED, &asked.Format, &closest);
    FormatPtr closestMatch(closest);
    const FormatSupport support = hr == S_OK                      ? FormatSupport::kSupported
                                  : hr == S_FALSE && closestMatch ? FormatSupport::kClosestOffered
                                                                  : FormatSupport::kRefused;
    const std::optional<WaveFields> closestFields =
        closestMatch ? std::optional<WaveFields>(FieldsOf(*closestMatch)) : std::nullopt;
    const std::vector<CaptureFormat> order =
        CaptureFormatOrder(support, mix, FieldsOf(asked.Format), closestFields);
    if (order.empty()) return FAILED(hr) ? hr : AUDCLNT_E_UNSUPPORTED_FORMAT;

    // The first format the stream starts with is the one captured in; a client whose start failed
    // is not used again.
    const DWORD streamFlags = job.source == SoundSource::kPlaybackLoopback ? kLoopbackFlag : 0;
    const WAVEFORMATEX* used = nullptr;
    for (CaptureFormat candidate : order) {
        const WAVEFORMATEX* format = candidate == CaptureFormat::kAsked     ? &asked.Format
                                     : candidate == CaptureFormat::kClosest ? closestMatch.get()
                                                                            : mixFormat.get();
        if (!client && FAILED(hr = ActivateClient(*job.device, client))) return hr;
        hr = client->Initialize(AUDCLNT_SHAREMODE_SHARED, streamFlags, kStreamBufferDuration, 0, format,
                                nullptr);
        if (SUCCEEDED(hr)) {
            used = format;
            break;
        }
        client.reset();
    }
    if (!used) return hr;
    const MixFormat captured = *DescribeCaptureFormat(FieldsOf(*used));
    char line[160];
    std::snprintf(line, sizeof line, "format rate=%lu channels=%u bits=%u %s%s", used->nSamplesPerSec,
                  used->nChannels, used->wBitsPerSample,
                  captured.encoding == SampleEncoding::kPcm16 ? "pcm" : "float",
                  used == mixFormat.get() ? " (the mix as it is)" : "");
    TraceStep("sound", line);

    ComPtr<IAudioCaptureClient> capture;
    {
        void* object = nullptr;
        hr = client->GetService(kCaptureClientInterface, &object);
        if (FAILED(hr)) return hr;
        capture.reset(static_cast<IAudioCaptureClient*>(object));
    }
    hr = client->Start();
    if (FAILED(hr)) return hr;

    PanelSoundSink sink(job.panel);
    SoundBlockBuilder builder(captured, sink);
    if (!builder.IsUsable()) {
        client->Stop();
        return AUDCLNT_E_UNSUPPORTED_FORMAT;
    }
    const uint64_t cpuAtStart = ThreadCpuMicroseconds();
    const uint64_t startedAt = MonotonicMilliseconds();
    HRESULT result = S_OK;
    uint64_t checkedAt = startedAt;
    while (job.running->load() == 1 && !stop.stop_requested()) {
        UINT32 waiting = 0;
        result = capture->GetNextPacketSize(&waiting);
        if (FAILED(result)) break;
        if (waiting == 0) {
            // A stream whose device went away may go on answering "nothing yet" for ever (Wine does
            // when its sound server ends): while nothing comes, the client is asked now and then how
            // it is, and a failure ends the capture like any other.
            if (const uint64_t now = MonotonicMilliseconds(); now - checkedAt >= kHealthCheckMs) {
                checkedAt = now;
                UINT32 padding = 0;
                result = client->GetCurrentPadding(&padding);
                if (FAILED(result)) break;
            }
            ::Sleep(kIdleSleepMs);
            builder.OnIdlePoll();
            continue;
        }
        BYTE* data = nullptr;
        UINT32 frames = 0;
        DWORD flags = 0;
        result = capture->GetBuffer(&data, &frames, &flags, nullptr, nullptr);
        if (FAILED(result)) break;
        const size_t bytes = data ? size_t{frames} * used->nBlockAlign : 0;
        const bool accepted = builder.OnCapturedPacket({data, bytes}, frames, flags);
        job.capturedFrames->fetch_add(frames);
        result = capture->ReleaseBuffer(frames);
        if (!accepted) result = E_UNEXPECTED;
        if (!accepted || FAILED(result)) break;
    }
    client->Stop();

    // What capturing cost the thread, per second of capture: the figure the performance notes quote.
    const uint64_t cpu = ThreadCpuMicroseconds() - cpuAtStart;
    const uint64_t wall = MonotonicMilliseconds() - startedAt;
    std::snprintf(line, sizeof line, "captured frames=%llu wall_ms=%llu cpu_us=%llu",
                  static_cast<unsigned long long>(builder.FrameCounter()),
                  static_cast<unsigned long long>(wall), static_cast<unsigned long long>(cpu));
    TraceStep("sound", line);
    return FAILED(result) ? result : S_OK;
}

}  // namespace

SoundSource SoundSourceFromEnvironment() {
    wchar_t value[16] = {};
    const DWORD length = ::GetEnvironmentVariableW(L"TESMORA_SOUND_SOURCE", value, 16);
    return length > 0 && length < 16 && std::wcscmp(value, L"recording") == 0
               ? SoundSource::kDefaultRecording
               : SoundSource::kPlaybackLoopback;
}

EndpointRef OpenDefaultEndpoint(SoundSource source, HRESULT& error) {
    IMMDeviceEnumerator* found = nullptr;
    error = ::CoCreateInstance(kDeviceEnumeratorClass, nullptr, CLSCTX_ALL, kDeviceEnumeratorInterface,
                               reinterpret_cast<void**>(&found));
    const ComPtr<IMMDeviceEnumerator> enumerator(found);
    if (FAILED(error) || !enumerator) return nullptr;
    IMMDevice* device = nullptr;
    const EDataFlow flow = source == SoundSource::kPlaybackLoopback ? eRender : eCapture;
    error = enumerator->GetDefaultAudioEndpoint(flow, eConsole, &device);
    if (FAILED(error) || !device) return nullptr;
    return EndpointRef(device, ComRelease<IMMDevice>());
}

bool StartSoundCapture(Worker& worker, SoundJob job) {
    if (!job.panel || !job.device || !job.running || !job.capturedFrames || !job.result) return false;
    job.result->store(E_UNEXPECTED);
    return worker.Start([job = std::move(job)](std::stop_token stop) mutable {
        TraceStep("sound", "started");
        // The thread's own apartment: the capture's objects live and die on it.
        const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        const HRESULT result = Capture(job, stop);
        job.result->store(result);
        job.device.reset();  // released inside the apartment it was used in
        if (SUCCEEDED(com)) ::CoUninitialize();
        char line[64];
        std::snprintf(line, sizeof line, "ended result=0x%08lX", static_cast<unsigned long>(result));
        TraceStep("sound", line);
        ::PostMessageW(job.panel, WM_SOUND_ENDED, kCrossThreadCheck, static_cast<LPARAM>(job.generation));
    });
}

}  // namespace tesmora
