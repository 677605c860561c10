// Unit tests of the payload cipher: our MD5 and RC4 against published vectors, the stored
// self-test answer, engine selection by PacketCipher, and Hash's rendering.
#include "transport/packet_cipher.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "transport/cipher_constants.h"
#include "common/digest/hash.h"
#include "transport/packet.h"
#include "transport/rc4.h"

using namespace tesmora;

namespace {

using Bytes = std::vector<uint8_t>;

std::string Hex(const Bytes& bytes) {
    std::string hex;
    for (uint8_t b : bytes) hex += {"0123456789abcdef"[b >> 4], "0123456789abcdef"[b & 15]};
    return hex;
}

// A provider that is missing, gets the known answer wrong, or refuses the packet key after the test.
struct FakeProvider : CipherProvider {
    enum Fault { kNone, kMissing, kWrongCipher, kRefusesPacketKey } fault;
    int derivations = 0;
    explicit FakeProvider(Fault f) : fault(f) {}

    bool OpenSelfTestContainer() override { return fault != kMissing; }
    bool ProbeDefaultContainer() override { return fault != kMissing; }
    std::unique_ptr<ProviderKey> DeriveRc4Key(const uint8_t* bytes, uint32_t length) override {
        if (fault == kMissing || (fault == kRefusesPacketKey && ++derivations > 1)) return nullptr;
        struct Key : ProviderKey {
            Md5Digest key;
            bool Encrypt(uint8_t* b, uint32_t n) override {
                Rc4Apply(key.data(), 16, b, n);
                return true;
            }
            bool Decrypt(uint8_t* b, uint32_t n) override { return Encrypt(b, n); }
        };
        auto key = std::make_unique<Key>();
        key->key = ComputeMd5(bytes, length);
        key->key[0] ^= fault == kWrongCipher;
        return key;
    }
};

}  // namespace

TEST(Md5AndRc4, PublishedVectors) {
    const std::pair<std::string, std::string> md5Cases[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
    };
    for (const auto& [text, digest] : md5Cases) {
        const Bytes bytes(text.begin(), text.end());
        const Md5Digest oneGo = ComputeMd5(bytes.data(), bytes.size());
        EXPECT_EQ(Hex(Bytes(oneGo.begin(), oneGo.end())), digest) << text;
        Md5 pieces;  // the same bytes in uneven pieces across the 64-byte blocks
        for (size_t at = 0, step = 1; at < bytes.size(); at += step, step = step * 3 % 61 + 1)
            pieces.Update(bytes.data() + at, std::min(step, bytes.size() - at));
        EXPECT_EQ(pieces.Final(), oneGo) << text;
    }
    const std::string rc4Cases[][3] = {{"Key", "Plaintext", "bbf316e8d940af0ad3"},
                                       {"Secret", "Attack at dawn", "45a01f645fc35b383552544b9bf5"}};
    for (const auto& [key, plain, cipher] : rc4Cases) {
        Bytes buffer(plain.begin(), plain.end());
        Rc4Apply(reinterpret_cast<const uint8_t*>(key.data()), key.size(), buffer.data(), buffer.size());
        EXPECT_EQ(Hex(buffer), cipher) << key;
    }
}

TEST(CipherConstants, StoredAnswerAndBuiltInKeyFollowFromTheirPhrases) {
    // Recomputed so that a changed key phrase or plain text cannot leave a stale answer behind.
    const Bytes phrase = Utf16LeBytes(kSelfTestKeyPhrase);
    const Md5Digest key = ComputeMd5(phrase.data(), phrase.size());
    Bytes cipher = Utf16LeBytes(kSelfTestPlainText);
    ASSERT_EQ(phrase.size(), 30u);
    ASSERT_EQ(cipher.size(), 10u);
    Rc4Apply(key.data(), key.size(), cipher.data(), cipher.size());
    EXPECT_EQ(RenderUpperHexNoPad(cipher.data(), cipher.size()), kSelfTestExpectedAnswer);
    EXPECT_EQ(Hex(Bytes(BuiltInPacketKey().begin(), BuiltInPacketKey().end())),
              "16f3dbde64f5a8b356bd4eded75d7cfd");  // MD5 of the password's 30 bytes

    const std::pair<Bytes, std::u16string> rendered[] = {
        {{0x05, 0xD3}, u"5D3"}, {{0x0A}, u"A"}, {{0x00}, u"0"}, {{0xFF, 0x00, 0x10}, u"FF010"}};
    for (const auto& [bytes, text] : rendered)
        EXPECT_EQ(RenderUpperHexNoPad(bytes.data(), bytes.size()), text);
}

TEST(PacketCipher, EveryEngineGivesTheSameBytes) {
    const struct {
        FakeProvider::Fault fault;
        bool builtIn;
    } cases[] = {{FakeProvider::kNone, false},
                 {FakeProvider::kMissing, true},
                 {FakeProvider::kWrongCipher, true},
                 {FakeProvider::kRefusesPacketKey, true}};
    const Bytes password = Utf16LeBytes(kPacketPassword);
    const Bytes plain = Utf16LeBytes(u"[RC00003]");
    for (const auto& c : cases) {
        FakeProvider provider(c.fault);
        PacketCipher crypt(provider);
        EXPECT_TRUE(crypt.DeriveKey(password.data(), uint32_t(password.size()))) << c.fault;
        EXPECT_EQ(crypt.UsesBuiltIn(), c.builtIn) << c.fault;
        Bytes buffer = plain, again = plain;
        ASSERT_TRUE(crypt.Encrypt(buffer.data(), uint32_t(buffer.size())));
        EXPECT_EQ(Hex(buffer), "ed3e1bcbc2888304503e90ee253db5dcaa9a") << c.fault;  // independent RC4
        crypt.Encrypt(again.data(), uint32_t(again.size()));
        EXPECT_EQ(again, buffer) << c.fault;  // every call starts the key stream afresh
        EXPECT_TRUE(crypt.Encrypt(nullptr, 0));

        PacketCipher system(SystemCipherProvider());  // the other end, on the system's engine
        system.DeriveKey(password.data(), uint32_t(password.size()));
        ASSERT_TRUE(system.Decrypt(buffer.data(), uint32_t(buffer.size())));
        EXPECT_EQ(buffer, plain) << c.fault;
        const Bytes frame = Packet(u"[RC00009]start").BuildFrame(0, provider);
        Packet read;
        ASSERT_TRUE(read.ReadBody(frame.data() + 4, frame.size() - 4, provider)) << c.fault;
        EXPECT_EQ(read.Text(), u"[RC00009]start") << c.fault;
    }
    EXPECT_FALSE(PacketCipher(SystemCipherProvider()).SelfTest());  // the native provider is trusted
}

TEST(Hash, RendersLowerHexAndNeedsAHash) {
    Hash hash;
    std::u16string out = u"x";
    EXPECT_FALSE(hash.GetHex(out));
    ASSERT_TRUE(hash.CreateHash());
    EXPECT_TRUE(hash.GetHex(out));  // MD5 of nothing: its bytes 0x0b and 0x04 keep their zeros
    EXPECT_EQ(out, u"xd41d8cd98f00b204e9800998ecf8427e");
    EXPECT_FALSE(hash.GetHex(out));  // the hash was destroyed with the first digest
    EXPECT_EQ(out.size(), 33u);
    EXPECT_EQ(Md5Hex(Md5Digest{0x0F}).substr(0, 4), u"0f00");
}
