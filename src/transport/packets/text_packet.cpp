// Type 1, the command text: u32 n; n UTF-16 code units of digest; u32 m; m bytes of cipher text whose
// plain text is the text's UTF-16LE bytes. Every packet is keyed afresh, so each text is encrypted
// from the start of the key stream. One thread at a time.
#include <cstring>
#include <vector>

#include "common/bytes/byte_reader.h"
#include "common/bytes/byte_writer.h"
#include "common/digest/hash.h"
#include "transport/cipher_constants.h"
#include "transport/packet_cipher.h"
#include "transport/packets/packet_codec.h"

namespace tesmora {

namespace {

void KeyWithPacketPassword(PacketCipher& crypt) {
    const std::vector<uint8_t> password = Utf16LeBytes(kPacketPassword);
    crypt.DeriveKey(password.data(), static_cast<uint32_t>(password.size()));
}

bool WriteText(const PacketFields& f, ByteWriter& w, CipherProvider& provider) {
    if (!FitsU32(f.digest.size()) || !FitsU32(uint64_t(f.text.size()) * 2)) return false;
    w.U32(static_cast<uint32_t>(f.digest.size()));
    w.Utf16(f.digest);
    std::vector<uint8_t> scratch = Utf16LeBytes(f.text);
    PacketCipher crypt(provider);
    KeyWithPacketPassword(crypt);
    // Never let a text onto the wire unencrypted.
    if (!crypt.Encrypt(scratch.data(), static_cast<uint32_t>(scratch.size()))) return false;
    w.U32(static_cast<uint32_t>(scratch.size()));
    w.Bytes(scratch.data(), scratch.size());
    return true;
}

void ReadText(ByteReader& r, PacketFields& f, CipherProvider& provider) {
    // The digest is kept as it came; nobody compares it with the text.
    f.digest = CutAtNul(r.Utf16(r.U32()));
    const uint32_t m = r.U32();
    const uint8_t* cipher = r.Bytes(m);
    if (cipher == nullptr) return;
    // Two zero bytes behind the plain text end it even when m is odd.
    std::vector<uint8_t> plain(size_t(m) + 2, 0);
    if (m != 0) std::memcpy(plain.data(), cipher, m);
    PacketCipher crypt(provider);
    KeyWithPacketPassword(crypt);
    if (!crypt.Decrypt(plain.data(), m)) {
        r.Fail();
        return;
    }
    ByteReader text(plain.data(), plain.size());
    f.text = CutAtNul(text.Utf16(plain.size() / 2));
}

}  // namespace

const PacketCodec kTextPacketCodec = {WriteText, ReadText};

std::u16string TextPacketDigest(std::u16string_view text) {
    // The digest covers only the first N bytes of the 2N encoded bytes: that is what the peers
    // compute, so it is kept even though it sees half the text.
    std::u16string digest;
    Hash hash;
    if (!hash.HasContext() || !hash.CreateHash() || !FitsU32(text.size())) return digest;
    const std::vector<uint8_t> bytes = Utf16LeBytes(text);
    hash.HashData(bytes.data(), static_cast<uint32_t>(text.size()));
    hash.GetHex(digest);
    return digest;
}

}  // namespace tesmora
