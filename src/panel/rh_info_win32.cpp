// The remote-host record (see rh_info_win32.h). Panel thread, except the image lock.
#include "panel/rh_info_win32.h"

namespace tesmora {

CRHInfo::CRHInfo(RemoteHostState& state) : state_(state) {
    ::InitializeCriticalSection(&imageLock_);
}

CRHInfo::~CRHInfo() {
    screenImage_.Release();
    ::DeleteCriticalSection(&imageLock_);
}

bool CRHInfo::EnsureScreenImage(int width, int height) {
    if (width < 1 || height < 1) return false;
    if (screenImage_.Bits() && screenImage_.Width() == width && screenImage_.Height() == height) return true;
    return screenImage_.Create(width, height, 32);
}

}  // namespace tesmora
