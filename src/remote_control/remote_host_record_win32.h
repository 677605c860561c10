// RemoteHostRecord: the remote-host record the panel shares with the remote-control threads: what is known of
// the teacher program (the portable RemoteHostState, kept by the teacher session), the teacher PC's
// screen image and the lock that guards it, the socket holder that carries the teacher connection's
// buffers across a hand-over, and the references of the two remote-control threads. One instance
// lives exactly as long as the panel. The panel's thread owns it; the screen image is shared under
// the image lock once remote control runs.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "common/ui/dib_surface_win32.h"
#include "remote_control/damage_list.h"
#include "session/remote_host_state.h"
#include "transport/frame_socket_win32.h"

namespace tesmora {

class ViewThread;
class ControlThread;

class RemoteHostRecord {
public:
    explicit RemoteHostRecord(RemoteHostState& state);
    RemoteHostRecord(const RemoteHostRecord&) = delete;
    RemoteHostRecord& operator=(const RemoteHostRecord&) = delete;
    virtual ~RemoteHostRecord();

    RemoteHostState& State() { return state_; }
    const RemoteHostState& State() const { return state_; }

    // Makes the screen image exist at this size with 32 bits per pixel; an image of the same size is
    // kept. False when the size is below 1 or the system refuses. Takes the image lock itself.
    bool EnsureScreenImage(int width, int height);
    // Under the image lock.
    DibSurface& ScreenImage() { return screenImage_; }
    // What changed in the screen image since the view last took it. Under the image lock.
    DamageList& Damage() { return damage_; }

    // Any thread.
    void LockImage() { ::EnterCriticalSection(&imageLock_); }
    void UnlockImage() { ::LeaveCriticalSection(&imageLock_); }

    std::wstring name;                       // always empty; window titles of remote control use it
    ViewThread* viewThread = nullptr;        // set while remote control runs
    ControlThread* controlThread = nullptr;  // set while remote control runs
    FrameSocket socketHolder;                // never owns a socket; carries buffers only

private:
    RemoteHostState& state_;
    CRITICAL_SECTION imageLock_;
    DibSurface screenImage_;
    DamageList damage_;
};

}  // namespace tesmora
