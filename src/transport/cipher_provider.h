// The operating system's cryptographic provider, as the payload cipher uses it. On Windows this is
// CryptoAPI with the "Microsoft Enhanced Cryptographic Provider v1.0"; elsewhere our own MD5 and RC4
// follow the same calls. Each implementation lives in its own file, chosen at link time.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

namespace tesmora {

// An RC4 key derived by the provider from the MD5 of some bytes; releases key, hash and context.
class ProviderKey {
public:
    virtual ~ProviderKey() = default;
    // In place, with the final flag: every call starts at the beginning of the key stream.
    virtual bool Encrypt(uint8_t* buffer, uint32_t length) = 0;
    virtual bool Decrypt(uint8_t* buffer, uint32_t length) = 0;
};

// What the known-answer test decided about a provider.
enum class SelfTestVerdict {
    kNotYet,      // not run yet (or not kept)
    kTrusted,     // the provider encrypts packets
    kUseBuiltIn,  // the provider failed: the built-in engine encrypts packets
};

// How often a provider is put to the known-answer test.
enum class SelfTestRuns {
    kEveryKey,        // before every key it derives
    kOncePerProcess,  // once; the first verdict is kept
};

class CipherProvider {
public:
    virtual ~CipherProvider() = default;

    // The verdict of the known-answer test, once a provider that keeps it has run the test. Any
    // thread.
    bool KeepsSelfTestVerdict() const { return runs_ == SelfTestRuns::kOncePerProcess; }
    SelfTestVerdict KeptVerdict() const { return keptVerdict_.load(); }
    void KeepVerdict(SelfTestVerdict verdict) { keptVerdict_.store(verdict); }

    // Opens the self-test's key container, creating (or deleting and re-creating) it if needed,
    // then releases it.
    virtual bool OpenSelfTestContainer() = 0;
    // Makes sure the default key container exists (acquire, or create it), then releases it.
    virtual bool ProbeDefaultContainer() = 0;
    // Acquires the default container, hashes the bytes with MD5 and derives an exportable
    // 128-bit RC4 key from the hash. nullptr if any step fails.
    virtual std::unique_ptr<ProviderKey> DeriveRc4Key(const uint8_t* bytes, uint32_t length) = 0;

protected:
    // A provider whose known-answer test is costly keeps the first verdict for the process: both
    // engines put the same bytes on the wire, so only time depends on how often it is asked.
    explicit CipherProvider(SelfTestRuns runs = SelfTestRuns::kEveryKey) : runs_(runs) {}

private:
    const SelfTestRuns runs_;
    std::atomic<SelfTestVerdict> keptVerdict_{SelfTestVerdict::kNotYet};
};

// The provider of this platform (process-wide, any thread).
CipherProvider& SystemCipherProvider();

}  // namespace tesmora
