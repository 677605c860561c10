// EndpointWatch: tells the panel when Windows changes the default audio endpoint the sound upload
// captures from (headphones plugged in, a device chosen in the sound settings), so that the capture
// moves to the new device without the teacher doing anything. The system calls it on a thread of its
// own; it only posts WM_SOUND_DEVICE_CHANGED (kCrossThreadCheck) to the panel. Watch and Stop: the
// panel's thread (COM initialised there).
#pragma once

#include <windows.h>

#include "sound/sound_capture_win32.h"

struct IMMDeviceEnumerator;

namespace tesmora {

inline constexpr unsigned WM_SOUND_DEVICE_CHANGED = 0x8151;

class EndpointNotifier;

class EndpointWatch {
public:
    EndpointWatch() = default;
    EndpointWatch(const EndpointWatch&) = delete;
    EndpointWatch& operator=(const EndpointWatch&) = delete;
    ~EndpointWatch() { Stop(); }

    // Watches the default endpoint of `source` in the console role; false when the system offers no
    // notifications (the capture then still ends, and says so, when its device goes away).
    bool Watch(HWND panel, SoundSource source);
    void Stop();

private:
    IMMDeviceEnumerator* enumerator_ = nullptr;
    EndpointNotifier* notifier_ = nullptr;
};

}  // namespace tesmora
