// SetCompatLayer: enters a compatibility layer in the per-user compatibility entry of a program file.
// UI thread, once at start-up.
#pragma once

#include <string>

namespace tesmora {

inline constexpr wchar_t kCompatLayersKey[] =
    L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Layers";

// Adds `layer` to the entry named `programPath` below HKEY_CURRENT_USER\<kCompatLayersKey>, keeping
// the layers already listed. True when the entry holds the layer afterwards. An entry that cannot be
// read is left alone rather than overwritten.
bool SetCompatLayer(const std::wstring& programPath, const std::wstring& layer);

// The same below another key of HKEY_CURRENT_USER (tests use a private key).
bool SetCompatLayerIn(const std::wstring& layersKey, const std::wstring& programPath,
                      const std::wstring& layer);

}  // namespace tesmora
