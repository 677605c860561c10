// The payload cipher on the system's cryptographic provider under Wine: the known-answer self-test
// trusts it, it gives the same bytes as the built-in engine, and the digest helper works on it.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

#include "transport/cipher_constants.h"
#include "transport/packet_cipher.h"
#include "common/digest/hash.h"
#include "transport/rc4.h"

using namespace tesmora;

namespace {

std::vector<uint8_t> PasswordBytes() {
    return Utf16LeBytes(kPacketPassword);
}

// The system provider with or without a kept verdict of its own, so that each test really asks it
// whatever earlier tests in the process did.
class SystemProviderView : public CipherProvider {
public:
    explicit SystemProviderView(SelfTestRuns runs) : CipherProvider(runs) {}
    bool OpenSelfTestContainer() override { return SystemCipherProvider().OpenSelfTestContainer(); }
    bool ProbeDefaultContainer() override { return SystemCipherProvider().ProbeDefaultContainer(); }
    std::unique_ptr<ProviderKey> DeriveRc4Key(const uint8_t* bytes, uint32_t length) override {
        return SystemCipherProvider().DeriveRc4Key(bytes, length);
    }
};

class SystemCipherProviderTest : public ::testing::Test {
protected:
    // The self-test keys on the user's default key container, which a used machine has; a new
    // Wine prefix gets it here.
    void SetUp() override { ASSERT_TRUE(SystemCipherProvider().ProbeDefaultContainer()); }
    SystemProviderView uncached_{SelfTestRuns::kEveryKey};
};

TEST_F(SystemCipherProviderTest, SelfTestTrustsTheProviderAndBothEnginesAgree) {
    PacketCipher provider(uncached_);
    auto password = PasswordBytes();
    ASSERT_TRUE(provider.DeriveKey(password.data(), uint32_t(password.size())));
    ASSERT_FALSE(provider.UsesBuiltIn()) << "the provider failed the known-answer test";

    std::vector<uint8_t> text = Utf16LeBytes(u"[RC00009]start 안녕");
    std::vector<uint8_t> byProvider = text;
    ASSERT_TRUE(provider.Encrypt(byProvider.data(), uint32_t(byProvider.size())));
    std::vector<uint8_t> byBuiltIn = text;
    const Md5Digest& key = BuiltInPacketKey();
    Rc4Apply(key.data(), key.size(), byBuiltIn.data(), byBuiltIn.size());
    EXPECT_EQ(byProvider, byBuiltIn);
    EXPECT_NE(byProvider, text);

    PacketCipher other(uncached_);
    ASSERT_TRUE(other.DeriveKey(password.data(), uint32_t(password.size())));
    ASSERT_TRUE(other.Decrypt(byProvider.data(), uint32_t(byProvider.size())));
    EXPECT_EQ(byProvider, text);
}

TEST_F(SystemCipherProviderTest, ZeroBytesEncryptToNothing) {
    PacketCipher crypt(uncached_);
    auto password = PasswordBytes();
    ASSERT_TRUE(crypt.DeriveKey(password.data(), uint32_t(password.size())));
    ASSERT_FALSE(crypt.UsesBuiltIn());
    uint8_t none[1] = {0x55};
    EXPECT_TRUE(crypt.Encrypt(none, 0));
    EXPECT_EQ(none[0], 0x55);
}

TEST_F(SystemCipherProviderTest, HashRendersLowerCaseDigest) {
    Hash hash;
    ASSERT_TRUE(hash.HasContext());
    ASSERT_TRUE(hash.CreateHash());
    const uint8_t abc[] = {'a', 'b', 'c'};
    ASSERT_TRUE(hash.HashData(abc, 3));
    std::u16string hex = u"x";
    ASSERT_TRUE(hash.GetHex(hex));
    EXPECT_EQ(hex, u"x900150983cd24fb0d6963f7d28e17f72");
    EXPECT_FALSE(hash.GetHex(hex)) << "the hash is destroyed once rendered";
}

// Not a pass/fail timing: it prints the cost of keying one packet on the provider with the
// self-test run every time and with its verdict kept, the figures behind keeping it.
TEST_F(SystemCipherProviderTest, ReportsTheCostOfKeyingOnePacket) {
    auto password = PasswordBytes();
    auto perPacket = [&](CipherProvider& provider) {
        const int rounds = 40;
        auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < rounds; ++i) {
            PacketCipher crypt(provider);
            crypt.DeriveKey(password.data(), uint32_t(password.size()));
            EXPECT_FALSE(crypt.UsesBuiltIn());
            uint8_t buffer[18] = {};
            crypt.Encrypt(buffer, sizeof buffer);
        }
        return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count() /
               rounds;
    };
    double everyTime = perPacket(uncached_);
    SystemProviderView keeping(SelfTestRuns::kOncePerProcess);
    double kept = perPacket(keeping);
    std::printf(
        "keying one type 1 packet on the provider: %.0f us with the self-test, %.0f us with its "
        "verdict kept\n",
        everyTime, kept);
}

}  // namespace
