// The start-up test of the operating-system version record.
#include "common/platform/os_version.h"

namespace tesmora {

bool IsSupportedOsVersion(const OsVersion& version) {
    if (version.platformId != kPlatformWindowsNt) {
        return false;
    }
    return version.major > 5 || (version.major == 5 && version.minor >= 1);
}

}  // namespace tesmora
