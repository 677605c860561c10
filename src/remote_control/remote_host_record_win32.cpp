// The remote-host record (see remote_host_record_win32.h). Panel thread, except the image lock.
#include "remote_control/remote_host_record_win32.h"

namespace tesmora {

RemoteHostRecord::RemoteHostRecord(RemoteHostState& state) : state_(state) {
    ::InitializeCriticalSection(&imageLock_);
}

RemoteHostRecord::~RemoteHostRecord() {
    screenImage_.Release();
    ::DeleteCriticalSection(&imageLock_);
}

bool RemoteHostRecord::EnsureScreenImage(int width, int height) {
    if (width < 1 || height < 1) return false;
    // A screen size can reach the panel while a remote view still paints from the image (the view
    // thread outlives the channel by a moment): the image is replaced only under its lock.
    LockImage();
    bool ready = screenImage_.Bits() && screenImage_.Width() == width && screenImage_.Height() == height;
    if (!ready) {
        ready = screenImage_.Create(width, height, 32);
        damage_.AddAll();
    }
    UnlockImage();
    return ready;
}

}  // namespace tesmora
