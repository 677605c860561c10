// RegistryKey: one registry key opened below a root, read and written as strings, optionally refusing
// every write. One object per thread; the updater's process-wide one lives on its UI thread.
#pragma once

#include <windows.h>

#include <string>

namespace tesmora {

class RegistryKey {
public:
    // Before any open, the current key is `root` itself.
    explicit RegistryKey(HKEY root = HKEY_CURRENT_USER);
    ~RegistryKey();
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    // Opens `path` (one trailing backslash ignored) below the current key, with full access or, when
    // read-only, with query, enumerate and notify rights. On success the new key replaces the
    // current one; on failure the current key stays. Answers success.
    bool Open(const std::wstring& path);
    // As Open, but creates the key when missing. Refused (false) when read-only.
    bool Create(const std::wstring& path);
    // Reads a string value of at most 99 characters into `value`; a missing, longer or unreadable
    // value gives `fallback`. Always answers true; LastError() tells what happened.
    bool Read(const std::wstring& name, std::wstring& value, const std::wstring& fallback);
    // Writes `value` as a string value. False when read-only or when the system refuses.
    bool Write(const std::wstring& name, const std::wstring& value);
    // Closes an opened key; the current key is the root again.
    void Close();

    void SetReadOnly(bool readOnly) { readOnly_ = readOnly; }
    LONG LastError() const { return lastError_; }
    HKEY Key() const { return key_; }

private:
    bool Replace(LONG result, HKEY opened);

    LONG lastError_ = ERROR_SUCCESS;
    HKEY key_;
    bool readOnly_ = false;
    HKEY root_;  // never closed: a predefined key is shared by the whole process
};

}  // namespace tesmora
