// The sound thread of sound upload: captures what the pad plays (a shared-mode loopback stream on the
// default playback endpoint), turns it into blocks with SoundBlockBuilder and hands each block to the
// panel as a type 11 packet with the sent message WM_AUDIO_PACKET (wParam: the Packet, valid until
// the message returns). It runs on a Worker owned by the panel's sound control, in a COM apartment of
// its own, and ends within a poll once its owner clears the running flag or asks the worker to stop;
// however it ends, it tells the panel (WM_SOUND_ENDED).
// OpenDefaultPlaybackEndpoint: the owner's thread (COM initialised there).
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>

#include "common/threads/worker.h"

struct IMMDevice;

namespace tesmora {

// The sound thread's last act: posted to the panel with kCrossThreadCheck and the job's generation,
// whether the capture ended as asked or by itself (the job's result tells which way). The value only
// matters inside the program.
inline constexpr unsigned WM_SOUND_ENDED = 0x8150;

// One reference to an endpoint, released when the last holder lets go.
using EndpointRef = std::shared_ptr<IMMDevice>;

// Where the sound comes from: what the pad plays (a loopback stream on the default playback
// endpoint), or, for tests under a system whose audio stack has no loopback capture (Wine 8 refuses
// the capture client of a render endpoint), the default recording endpoint, which a test points at
// the monitor of the sink the pad plays into.
enum class SoundSource { kPlaybackLoopback, kDefaultRecording };

// The source the environment asks for: kDefaultRecording only when TESMORA_SOUND_SOURCE is
// "recording" (a test's choice; programs in use never set it).
SoundSource SoundSourceFromEnvironment();

// The default audio endpoint of the source in the console role; empty when the enumerator or the
// endpoint cannot be had (a machine without a playback device). `error` receives the failure.
EndpointRef OpenDefaultEndpoint(SoundSource source, HRESULT& error);

// What one capture reads. The endpoint reference is the thread's own; the counters belong to the
// worker's owner, which joins the worker before it destroys them.
struct SoundJob {
    HWND panel = nullptr;
    EndpointRef device;
    SoundSource source = SoundSource::kPlaybackLoopback;
    const std::atomic<int32_t>* running = nullptr;  // 1 while the capture is wanted
    std::atomic<uint64_t>* capturedFrames = nullptr;
    std::atomic<long>* result = nullptr;  // E_UNEXPECTED until the capture ends
    uint32_t generation = 0;              // carried by WM_SOUND_ENDED
};

// Starts the capture on `worker`. False when the job is incomplete or the worker cannot start a
// thread (it still holds one, or the system refuses).
bool StartSoundCapture(Worker& worker, SoundJob job);

}  // namespace tesmora
