// Hash on CryptoAPI: a verify-only context on the enhanced provider, an MD5 hash, the digest as
// lower-case hexadecimal. Short-lived, one thread.
#include <windows.h>
#include <wincrypt.h>

#include <cstdio>

#include "common/digest/hash.h"

namespace tesmora {

struct Hash::Impl {
    HCRYPTPROV context = 0;
    HCRYPTHASH hash = 0;
    HCRYPTKEY key = 0;  // never used; released like the others
};

namespace {

bool AcquireVerify(HCRYPTPROV& context, DWORD extraFlags) {
    return CryptAcquireContextW(&context, nullptr, MS_ENHANCED_PROV_W, PROV_RSA_FULL,
                                CRYPT_VERIFYCONTEXT | extraFlags) != FALSE;
}

}  // namespace

Hash::Hash() : impl_(std::make_unique<Impl>()) {
    HCRYPTPROV& context = impl_->context;
    if (AcquireVerify(context, 0) || AcquireVerify(context, CRYPT_NEWKEYSET)) return;
    HCRYPTPROV unused = 0;
    if (AcquireVerify(unused, CRYPT_DELETEKEYSET) && AcquireVerify(context, CRYPT_NEWKEYSET)) return;
    context = 0;
}

Hash::~Hash() {
    if (impl_->hash) CryptDestroyHash(impl_->hash);
    if (impl_->key) CryptDestroyKey(impl_->key);
    if (impl_->context) CryptReleaseContext(impl_->context, 0);
}

bool Hash::HasContext() const {
    return impl_->context != 0;
}

bool Hash::CreateHash() {
    if (!impl_->context) return false;
    if (impl_->hash) {
        CryptDestroyHash(impl_->hash);
        impl_->hash = 0;
    }
    return CryptCreateHash(impl_->context, CALG_MD5, 0, 0, &impl_->hash) != FALSE;
}

bool Hash::HashData(const uint8_t* data, uint32_t length) {
    if (!impl_->hash) return false;
    return CryptHashData(impl_->hash, data, length, 0) != FALSE;
}

bool Hash::GetHex(std::u16string& out) {
    if (!impl_->hash) return false;
    DWORD size = 0;
    DWORD sizeLength = sizeof size;
    BYTE digest[64];
    DWORD digestLength = sizeof digest;
    bool ok = CryptGetHashParam(impl_->hash, HP_HASHSIZE, reinterpret_cast<BYTE*>(&size), &sizeLength, 0) &&
              size <= sizeof digest && CryptGetHashParam(impl_->hash, HP_HASHVAL, digest, &digestLength, 0);
    CryptDestroyHash(impl_->hash);
    impl_->hash = 0;
    if (!ok) return false;
    static const char16_t kDigits[] = u"0123456789abcdef";
    for (DWORD i = 0; i < digestLength; ++i) {
        out.push_back(kDigits[digest[i] >> 4]);
        out.push_back(kDigits[digest[i] & 0x0F]);
    }
    return true;
}

}  // namespace tesmora
