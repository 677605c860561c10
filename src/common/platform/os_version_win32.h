// QueryOsVersion: the operating-system version record, asked once at program start on the main
// thread before any other thread runs.
#pragma once

#include "common/platform/os_version.h"

namespace tesmora {

// Platform id and build from the version information; major and minor from the workstation
// information when available, since that reports the true version even under compatibility settings.
OsVersion QueryOsVersion();

}  // namespace tesmora
