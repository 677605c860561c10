// The system provider of the payload cipher: CryptoAPI with the "Microsoft Enhanced Cryptographic
// Provider v1.0" (PROV_RSA_FULL). Each derived key holds its own context, hash and key handles and
// releases them (key, hash, context) when it ends. Any thread.
#include <windows.h>
#include <wincrypt.h>

#include <memory>

#include "transport/cipher_provider.h"

namespace tesmora {

namespace {

constexpr const wchar_t* kProviderName = MS_ENHANCED_PROV_W;
constexpr const wchar_t* kSelfTestContainer = L"TesmoraKeyContainer";

bool Acquire(HCRYPTPROV& context, const wchar_t* container, DWORD flags) {
    context = 0;
    return CryptAcquireContextW(&context, container, kProviderName, PROV_RSA_FULL, flags) != FALSE;
}

class CryptoApiKey : public ProviderKey {
public:
    ~CryptoApiKey() override {
        if (key_) CryptDestroyKey(key_);
        if (hash_) CryptDestroyHash(hash_);
        if (context_) CryptReleaseContext(context_, 0);
    }

    bool Derive(const uint8_t* bytes, uint32_t length) {
        return Acquire(context_, nullptr, 0) && CryptCreateHash(context_, CALG_MD5, 0, 0, &hash_) &&
               CryptHashData(hash_, bytes, length, 0) &&
               CryptDeriveKey(context_, CALG_RC4, hash_, CRYPT_EXPORTABLE, &key_);
    }

    bool Encrypt(uint8_t* buffer, uint32_t length) override {
        DWORD size = length;
        return CryptEncrypt(key_, 0, TRUE, 0, buffer, &size, length) != FALSE;
    }

    bool Decrypt(uint8_t* buffer, uint32_t length) override {
        DWORD size = length;
        return CryptDecrypt(key_, 0, TRUE, 0, buffer, &size) != FALSE;
    }

private:
    HCRYPTPROV context_ = 0;
    HCRYPTHASH hash_ = 0;
    HCRYPTKEY key_ = 0;
};

class CryptoApiProvider : public CipherProvider {
public:
    // Keying a packet on the provider costs milliseconds under some systems; the self-test's
    // verdict is kept for the process (see CipherProvider).
    CryptoApiProvider() : CipherProvider(SelfTestRuns::kOncePerProcess) {}

    bool OpenSelfTestContainer() override {
        HCRYPTPROV context = 0;
        if (!Acquire(context, kSelfTestContainer, 0) &&
            !Acquire(context, kSelfTestContainer, CRYPT_NEWKEYSET)) {
            HCRYPTPROV unused = 0;
            if (!Acquire(unused, kSelfTestContainer, CRYPT_DELETEKEYSET)) return false;
            if (!Acquire(context, kSelfTestContainer, CRYPT_NEWKEYSET)) return false;
        }
        CryptReleaseContext(context, 0);
        return true;
    }

    bool ProbeDefaultContainer() override {
        HCRYPTPROV context = 0;
        // Another program may create the container between our two tries (two starting at once on
        // a new account): then it is there to acquire.
        if (!Acquire(context, nullptr, 0) && !Acquire(context, nullptr, CRYPT_NEWKEYSET) &&
            !Acquire(context, nullptr, 0)) {
            return false;
        }
        CryptReleaseContext(context, 0);
        return true;
    }

    std::unique_ptr<ProviderKey> DeriveRc4Key(const uint8_t* bytes, uint32_t length) override {
        auto key = std::make_unique<CryptoApiKey>();
        if (!key->Derive(bytes, length)) return nullptr;
        return key;
    }
};

}  // namespace

CipherProvider& SystemCipherProvider() {
    static CryptoApiProvider provider;
    return provider;
}

}  // namespace tesmora
