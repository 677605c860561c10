// PacketCipher: the payload cipher of type 1 packets. RC4 under a key derived from the packet password,
// with two engines that give identical bytes: the system provider, and the built-in RC4 keyed with
// MD5(packet password). A known-answer self-test, run by DeriveKey, picks the engine. Short-lived,
// one thread.
#pragma once

#include <cstdint>
#include <memory>

#include "cipher_provider.h"

namespace tesmora {

class PacketCipher {
public:
    explicit PacketCipher(CipherProvider& provider);  // SystemCipherProvider() outside tests
    PacketCipher(const PacketCipher&) = delete;
    PacketCipher& operator=(const PacketCipher&) = delete;
    virtual ~PacketCipher();

    // Runs SelfTest; with the provider trusted, derives the provider key from the bytes. With the
    // built-in engine the bytes are not used: every caller passes the packet password.
    bool DeriveKey(const uint8_t* bytes, uint32_t length);
    bool Encrypt(uint8_t* buffer, uint32_t length);
    bool Decrypt(uint8_t* buffer, uint32_t length);

    // Decides the engine: true (built-in) unless the provider encrypts the known answer correctly.
    // A provider that keeps its verdict is tested once per process.
    bool SelfTest();
    bool UsesBuiltIn() const { return useBuiltIn_; }

private:
    bool RunKnownAnswerTest();  // true: use the built-in engine

    CipherProvider& provider_;
    bool useBuiltIn_ = true;
    std::unique_ptr<ProviderKey> key_;
};

}  // namespace tesmora
