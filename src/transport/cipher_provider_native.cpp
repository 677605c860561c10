// The cipher provider of the native build: our own MD5 and RC4 behind the same calls the Windows
// provider makes, so that the provider engine of PacketCipher is exercised off Windows too. It has no
// key containers, so opening and probing them always succeeds. Any thread.
#include <new>

#include "cipher_provider.h"
#include "common/digest/md5.h"
#include "rc4.h"

namespace tesmora {

namespace {

class NativeProviderKey : public ProviderKey {
public:
    explicit NativeProviderKey(const Md5Digest& key) : key_(key) {}

    bool Encrypt(uint8_t* buffer, uint32_t length) override {
        Rc4Apply(key_.data(), key_.size(), buffer, length);
        return true;
    }
    bool Decrypt(uint8_t* buffer, uint32_t length) override { return Encrypt(buffer, length); }

private:
    Md5Digest key_;  // 128-bit RC4 key: the whole MD5 digest, as the default key length takes it
};

class NativeCipherProvider : public CipherProvider {
public:
    // Our own code gives the same answer every time: the first verdict stands for the process (the
    // simulated classroom would otherwise run the known-answer test for every packet it reads).
    NativeCipherProvider() : CipherProvider(SelfTestRuns::kOncePerProcess) {}
    bool OpenSelfTestContainer() override { return true; }
    bool ProbeDefaultContainer() override { return true; }
    std::unique_ptr<ProviderKey> DeriveRc4Key(const uint8_t* bytes, uint32_t length) override {
        return std::unique_ptr<ProviderKey>(new (std::nothrow) NativeProviderKey(ComputeMd5(bytes, length)));
    }
};

}  // namespace

CipherProvider& SystemCipherProvider() {
    // Stateless: one instance serves every thread.
    static NativeCipherProvider provider;
    return provider;
}

}  // namespace tesmora
