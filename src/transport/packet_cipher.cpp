// PacketCipher: the payload cipher of type 1 packets and the known-answer test that picks its engine.
// Short-lived, one thread.
#include "packet_cipher.h"

#include <cstring>

#include "cipher_constants.h"
#include "rc4.h"

namespace tesmora {

PacketCipher::PacketCipher(CipherProvider& provider) : provider_(provider) {}

PacketCipher::~PacketCipher() {
    key_.reset();
}

bool PacketCipher::SelfTest() {
    if (provider_.KeepsSelfTestVerdict() && provider_.KeptVerdict() != SelfTestVerdict::kNotYet) {
        useBuiltIn_ = provider_.KeptVerdict() == SelfTestVerdict::kUseBuiltIn;
        return useBuiltIn_;
    }
    useBuiltIn_ = RunKnownAnswerTest();
    if (provider_.KeepsSelfTestVerdict())
        provider_.KeepVerdict(useBuiltIn_ ? SelfTestVerdict::kUseBuiltIn : SelfTestVerdict::kTrusted);
    return useBuiltIn_;
}

bool PacketCipher::RunKnownAnswerTest() {
    const std::vector<uint8_t> plain = Utf16LeBytes(kSelfTestPlainText);
    const std::vector<uint8_t> phrase = Utf16LeBytes(kSelfTestKeyPhrase);
    uint8_t cipher[10];
    static_assert(sizeof(cipher) == kSelfTestPlainText.size() * 2);
    std::memcpy(cipher, plain.data(), sizeof(cipher));

    if (!provider_.OpenSelfTestContainer()) return true;
    bool encrypted = false;
    {
        // The test key (with its hash and context) is released before the answer is judged.
        std::unique_ptr<ProviderKey> testKey =
            provider_.DeriveRc4Key(phrase.data(), static_cast<uint32_t>(phrase.size()));
        encrypted = testKey && testKey->Encrypt(cipher, sizeof(cipher));
    }
    if (!encrypted) return true;
    // Only a provider that produces exactly the known answer is trusted with packets.
    return RenderUpperHexNoPad(cipher, sizeof(cipher)) != kSelfTestExpectedAnswer;
}

bool PacketCipher::DeriveKey(const uint8_t* bytes, uint32_t length) {
    key_.reset();
    if (SelfTest()) return true;
    if (provider_.ProbeDefaultContainer()) key_ = provider_.DeriveRc4Key(bytes, length);
    if (!key_) {
        // The provider passed the known answer but cannot key this object. Both engines give the
        // same bytes under the packet password, so the built-in one takes over rather than leaving
        // the text unencrypted on the wire.
        useBuiltIn_ = true;
    }
    return true;
}

bool PacketCipher::Encrypt(uint8_t* buffer, uint32_t length) {
    if (useBuiltIn_) {
        const Md5Digest& key = BuiltInPacketKey();
        Rc4Apply(key.data(), key.size(), buffer, length);
        return true;
    }
    return key_ && key_->Encrypt(buffer, length);
}

bool PacketCipher::Decrypt(uint8_t* buffer, uint32_t length) {
    if (useBuiltIn_) {
        // RC4 is its own inverse.
        return Encrypt(buffer, length);
    }
    return key_ && key_->Decrypt(buffer, length);
}

}  // namespace tesmora
