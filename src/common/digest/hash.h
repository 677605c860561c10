// Hash: an MD5 hash on the system provider, rendered as 32 lower-case hexadecimal digits. The
// packet digest and the relay lookup use it. Without a provider context every step is skipped and
// the digest stays empty. Short-lived, one thread. Implemented per platform (hash_win32.cpp uses
// CryptoAPI; hash_native.cpp our own MD5).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace tesmora {

class Hash {
public:
    Hash();
    Hash(const Hash&) = delete;
    Hash& operator=(const Hash&) = delete;
    ~Hash();

    bool HasContext() const;
    bool CreateHash();
    bool HashData(const uint8_t* data, uint32_t length);
    // Appends the digest as "%2.2x" per byte and destroys the hash. False, nothing appended,
    // without a hash.
    bool GetHex(std::u16string& out);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace tesmora
