// QueryOsVersion over NetWkstaGetInfo and GetVersionExW. Main thread, at start-up.
#include "common/platform/os_version_win32.h"

#include <windows.h>
// after windows.h, which it builds on
#include <lm.h>

namespace tesmora {

OsVersion QueryOsVersion() {
    OsVersion version;

    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (GetVersionExW(&info)) {
        version.platformId = static_cast<int>(info.dwPlatformId);
        version.major = static_cast<int>(info.dwMajorVersion);
        version.minor = static_cast<int>(info.dwMinorVersion);
        version.build = static_cast<int>(info.dwBuildNumber);
    }

    LPBYTE buffer = nullptr;
    if (NetWkstaGetInfo(nullptr, 100, &buffer) == NERR_Success && buffer != nullptr) {
        const auto* workstation = reinterpret_cast<const WKSTA_INFO_100*>(buffer);
        version.major = static_cast<int>(workstation->wki100_ver_major);
        version.minor = static_cast<int>(workstation->wki100_ver_minor);
    }
    if (buffer != nullptr) {
        NetApiBufferFree(buffer);
    }
    return version;
}

}  // namespace tesmora
