// The device-enumerator identifiers the sound thread and the endpoint watch both use, by their fixed
// values, so that nothing depends on which of them a tool chain's import libraries carry. Any thread.
#pragma once

#include <windows.h>

namespace tesmora {

inline constexpr GUID kDeviceEnumeratorClass = {
    0xBCDE0395, 0xE52F, 0x467C, {0x8E, 0x3D, 0xC4, 0x57, 0x92, 0x91, 0x69, 0x2E}};
inline constexpr GUID kDeviceEnumeratorInterface = {
    0xA95664D2, 0x9614, 0x4F35, {0xA7, 0x46, 0xDE, 0x8D, 0xB6, 0x36, 0x17, 0xE6}};

}  // namespace tesmora
