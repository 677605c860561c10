// The operating-system version record, filled once at program start by QueryOsVersion (Windows
// build) before any other thread runs, and only read afterwards.
#pragma once

namespace tesmora {

inline constexpr int kPlatformWindowsNt = 2;

struct OsVersion {
    int platformId = 0;
    int major = 0;
    int minor = 0;
    int build = 0;
};

// True for the Windows NT family from version 5.1 (XP) on: the oldest system the programs run on.
bool IsSupportedOsVersion(const OsVersion& version);

}  // namespace tesmora
