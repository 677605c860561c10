// Hash of the native build, on our own MD5. The context always exists here. Short-lived, one
// thread.
#include <new>
#include <optional>

#include "common/digest/hash.h"
#include "common/digest/md5.h"

namespace tesmora {

struct Hash::Impl {
    std::optional<Md5> md5;  // present between CreateHash and GetHex
};

Hash::Hash() : impl_(new (std::nothrow) Impl) {}

Hash::~Hash() = default;

bool Hash::HasContext() const {
    return impl_ != nullptr;
}

bool Hash::CreateHash() {
    if (!impl_) return false;
    impl_->md5.emplace();
    return true;
}

bool Hash::HashData(const uint8_t* data, uint32_t length) {
    if (!impl_ || !impl_->md5) return false;
    impl_->md5->Update(data, length);
    return true;
}

bool Hash::GetHex(std::u16string& out) {
    if (!impl_ || !impl_->md5) return false;
    out += Md5Hex(impl_->md5->Final());
    impl_->md5.reset();
    return true;
}

}  // namespace tesmora
