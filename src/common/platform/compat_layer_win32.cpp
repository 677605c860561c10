// SetCompatLayer over RegistryKey and the portable rule of compat_layer.h.
#include "common/platform/compat_layer_win32.h"

#include "common/platform/compat_layer.h"
#include "common/platform/debug_print_win32.h"
#include "common/platform/registry_win32.h"
#include "common/platform/wide_text_win32.h"

namespace tesmora {

bool SetCompatLayer(const std::wstring& programPath, const std::wstring& layer) {
    return SetCompatLayerIn(kCompatLayersKey, programPath, layer);
}

bool SetCompatLayerIn(const std::wstring& layersKey, const std::wstring& programPath,
                      const std::wstring& layer) {
    RegistryKey registry(HKEY_CURRENT_USER);
    if (!registry.Open(layersKey) && !registry.Create(layersKey)) {
        DebugPrint(L"Can't create registry key: %s\n", layersKey.c_str());
        return false;
    }
    std::wstring current;
    registry.Read(programPath, current, L"");
    // A value too long for the read buffer (or otherwise unreadable) holds layers set by someone
    // else; writing our layer alone would erase them.
    if (registry.LastError() != ERROR_SUCCESS && registry.LastError() != ERROR_FILE_NOT_FOUND) {
        DebugPrint(L"Can't read compatibility entry: %s (%ld)\n", programPath.c_str(), registry.LastError());
        return false;
    }
    const std::optional<std::u16string> updated = AddCompatLayer(ToU16(current), ToU16(layer));
    if (!updated) {
        return true;
    }
    return registry.Write(programPath, ToWide(*updated));
}

}  // namespace tesmora
