// CPacket: serialisation of every packet type into one frame, and reading a received frame back.
// A packet is used by one thread at a time.
#include "packet.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstring>
#include <new>

#include "cipher_constants.h"
#include "cipher_provider.h"
#include "common/bytes/byte_reader.h"
#include "common/bytes/byte_writer.h"
#include "crypt.h"
#include "frame.h"
#include "common/digest/hash.h"

namespace tesmora {

namespace {

constexpr size_t kPacketWriterStep = 1024;
constexpr size_t kKeyEventWireSize = 14;
constexpr size_t kPointerEventWireSize = 16;
constexpr size_t kType7HashSize = 16;
constexpr size_t kType7EIndex = 4;  // E among A..G
constexpr size_t kType7IIndex = 7;  // I follows A..G in Values()

constexpr bool FitsU32(uint64_t n) {
    return n <= 0xFFFFFFFFull;
}

uint32_t ValueAt(const std::vector<uint32_t>& values, size_t i) {
    return i < values.size() ? values[i] : 0;
}

void WriteValues(ByteWriter& w, const std::vector<uint32_t>& values, size_t first, size_t count) {
    for (size_t i = first; i < first + count; ++i) w.U32(ValueAt(values, i));
}

void ReadValues(ByteReader& r, std::vector<uint32_t>& values, size_t count) {
    for (size_t i = 0; i < count; ++i) values.push_back(r.U32());
}

std::u16string CutAtNul(std::u16string text) {
    const size_t nul = text.find(u'\0');
    if (nul != std::u16string::npos) text.resize(nul);
    return text;
}

// A byte list of type 3 travels behind a 16-bit length: a longer list is cut to what the length
// can say, so that the length and the bytes that follow it always agree.
void WriteShortByteList(ByteWriter& w, const std::vector<uint8_t>& bytes) {
    const uint16_t n = bytes.size() > 0xFFFF ? uint16_t(0xFFFF) : uint16_t(bytes.size());
    w.U16(n);
    w.Bytes(bytes.data(), n);
}

std::vector<uint8_t> ReadShortByteList(ByteReader& r) {
    const uint16_t n = r.U16();
    const uint8_t* p = r.Bytes(n);
    return p ? std::vector<uint8_t>(p, p + n) : std::vector<uint8_t>();
}

struct FrameBlockDeleter {
    void operator()(uint8_t* block) const { FreeFrameBlock(block); }
};

}  // namespace

uint8_t CurrentTickByte() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<uint8_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

CPacket::CPacket() = default;

CPacket::CPacket(std::u16string_view text) : type_(kPacketText), text_(text) {
    // The digest covers only the first N bytes of the 2N encoded bytes: that is what the peers
    // compute, so it is kept even though it sees half the text.
    CHash hash;
    if (!hash.HasContext() || !hash.CreateHash()) return;
    const std::vector<uint8_t> bytes = Utf16LeBytes(text_);
    if (!FitsU32(text_.size())) return;
    hash.HashData(bytes.data(), static_cast<uint32_t>(text_.size()));
    hash.GetHex(digest_);
}

CPacket::CPacket(std::vector<KeyEventRecord> events)
    : type_(kPacketKeyEvents), keyEvents_(std::move(events)) {}

CPacket::CPacket(std::deque<PointerEventRecord>& events) : type_(kPacketPointerEvents) {
    pointerEvents_.reserve(events.size());
    while (!events.empty()) {
        pointerEvents_.push_back(events.front());
        events.pop_front();
    }
}

CPacket::~CPacket() = default;

void CPacket::SetData(const uint8_t* data, uint32_t length) {
    ownedData_.reset();
    data_ = data;
    dataLength_ = length;
}

std::vector<uint8_t> CPacket::BuildFrame(uint8_t tick) const {
    return BuildFrame(tick, SystemCipherProvider());
}

std::vector<uint8_t> CPacket::BuildFrame(uint8_t tick, CipherProvider& provider) const {
    ByteWriter w(kPacketWriterStep);
    const auto mark = MakeFrameMark(tick);
    w.Bytes(mark.data(), mark.size());
    w.U32(0);  // L, patched once the fields are written
    w.U8(type_);

    // A borrowed block that is not there is sent as an empty one rather than read through.
    const uint32_t m = data_ != nullptr ? dataLength_ : 0;
    const auto writeData = [&] {
        w.U32(m);
        w.Bytes(data_, m);
    };
    const auto writeImageLayout = [&] {
        w.U32(size_);
        w.U32(m);
        w.U32(sequence_);
        w.Bytes(data_, m);
    };

    switch (type_) {
        case kPacketText: {
            if (!FitsU32(digest_.size()) || !FitsU32(uint64_t(text_.size()) * 2)) return {};
            w.U32(static_cast<uint32_t>(digest_.size()));
            w.Utf16(digest_);
            std::vector<uint8_t> scratch = Utf16LeBytes(text_);
            const std::vector<uint8_t> password = Utf16LeBytes(kPacketPassword);
            CCrypt crypt(provider);
            crypt.DeriveKey(password.data(), static_cast<uint32_t>(password.size()));
            // Never let a text onto the wire unencrypted.
            if (!crypt.Encrypt(scratch.data(), static_cast<uint32_t>(scratch.size()))) return {};
            w.U32(static_cast<uint32_t>(scratch.size()));
            w.Bytes(scratch.data(), scratch.size());
            break;
        }
        case 2:
            WriteValues(w, values_, 0, 3);
            break;
        case 3:
            WriteValues(w, values_, 0, 5);
            for (size_t i = 0; i < 4; ++i) w.U16(i < shortValues_.size() ? shortValues_[i] : 0);
            WriteShortByteList(w, firstBytes_);
            WriteShortByteList(w, secondBytes_);
            break;
        case kPacketKeyEvents:
            if (!FitsU32(keyEvents_.size())) return {};
            w.U32(static_cast<uint32_t>(keyEvents_.size()));
            for (const KeyEventRecord& e : keyEvents_) {
                w.U16(e.message);
                w.U32(e.keyCode);
                w.U32(e.repeatCount);
                w.U32(e.keyFlags);
            }
            break;
        case kPacketPointerEvents:
            if (!FitsU32(pointerEvents_.size())) return {};
            w.U32(static_cast<uint32_t>(pointerEvents_.size()));
            for (const PointerEventRecord& e : pointerEvents_) {
                w.U16(e.message);
                w.U32(e.keyStateFlags);
                w.I32(e.x);
                w.I32(e.y);
                w.I16(e.wheelDelta);
            }
            break;
        case 7: {
            WriteValues(w, values_, 0, 7);
            uint8_t h[kType7HashSize] = {};
            if (!firstBytes_.empty())
                std::memcpy(h, firstBytes_.data(), std::min(firstBytes_.size(), kType7HashSize));
            w.Bytes(h, kType7HashSize);
            if (ValueAt(values_, kType7EIndex) == 0) w.U32(ValueAt(values_, kType7IIndex));
            writeData();
            break;
        }
        case 8:
            w.U32(ValueAt(values_, 0));
            writeImageLayout();
            break;
        case 9:
            if (!FitsU32(text_.size())) return {};
            WriteValues(w, values_, 0, 3);
            w.U32(static_cast<uint32_t>(text_.size()));
            w.Utf16(text_);
            writeData();
            break;
        case 10:
            WriteValues(w, values_, 0, 2);
            break;
        case kPacketSound:
            w.U32(size_);
            writeData();
            break;
        case kPacketImage:
            writeImageLayout();
            break;
        default:
            return {};
    }

    if (!FitsU32(uint64_t(w.Size()) - kFrameMarkSize)) return {};
    w.PatchU32(kFrameMarkSize, static_cast<uint32_t>(w.Size() - kFrameMarkSize));
    return w.Take();
}

void CPacket::Write(FrameSink& sink) const {
    const std::vector<uint8_t> frame = BuildFrame(CurrentTickByte());
    // Nothing that cannot be framed whole reaches the peer; the connection ends instead.
    if (frame.empty() || frame.size() > size_t(INT_MAX)) {
        sink.Close();
        return;
    }
    sink.Send(frame.data(), static_cast<int>(frame.size()));
}

bool CPacket::Read(uint8_t* block) {
    if (block == nullptr) return ReadBody(nullptr, 0);
    const std::unique_ptr<uint8_t, FrameBlockDeleter> owner(block);
    return ReadBody(block, FrameBlockLength(block));
}

bool CPacket::ReadBody(const uint8_t* block, size_t length) {
    return ReadBody(block, length, SystemCipherProvider());
}

bool CPacket::ReadBody(const uint8_t* block, size_t length, CipherProvider& provider) {
    const auto clear = [this] {
        type_ = kPacketNone;
        digest_.clear();
        text_.clear();
        keyEvents_.clear();
        pointerEvents_.clear();
        size_ = 0;
        sequence_ = 0;
        SetData(nullptr, 0);
        values_.clear();
        shortValues_.clear();
        firstBytes_.clear();
        secondBytes_.clear();
    };
    clear();

    ByteReader r(block, length);
    r.U32();  // L: the block's length is already known
    const uint8_t type = r.U8();
    if (!r.Ok()) return false;

    // Copies a data block out of the frame; its length was read from the wire and is checked
    // against what remains before anything is allocated.
    const auto readData = [&](uint32_t m) {
        const uint8_t* p = r.Bytes(m);
        if (p == nullptr || m == 0) return;
        ownedData_.reset(new (std::nothrow) uint8_t[m]);
        if (!ownedData_) {
            r.Fail();
            return;
        }
        std::memcpy(ownedData_.get(), p, m);
        data_ = ownedData_.get();
        dataLength_ = m;
    };
    const auto readImageLayout = [&] {
        size_ = r.U32();
        const uint32_t m = r.U32();
        sequence_ = r.U32();
        readData(m);
    };

    switch (type) {
        case kPacketText: {
            digest_ = CutAtNul(r.Utf16(r.U32()));
            const uint32_t m = r.U32();
            const uint8_t* cipher = r.Bytes(m);
            if (cipher == nullptr) break;
            // Two zero bytes behind the plain text end it even when m is odd.
            std::vector<uint8_t> plain(size_t(m) + 2, 0);
            if (m != 0) std::memcpy(plain.data(), cipher, m);
            const std::vector<uint8_t> password = Utf16LeBytes(kPacketPassword);
            CCrypt crypt(provider);
            crypt.DeriveKey(password.data(), static_cast<uint32_t>(password.size()));
            if (!crypt.Decrypt(plain.data(), m)) {
                r.Fail();
                break;
            }
            ByteReader text(plain.data(), plain.size());
            text_ = CutAtNul(text.Utf16(plain.size() / 2));
            break;
        }
        case 2:
            ReadValues(r, values_, 3);
            break;
        case 3:
            ReadValues(r, values_, 5);
            for (int i = 0; i < 4; ++i) shortValues_.push_back(r.U16());
            firstBytes_ = ReadShortByteList(r);
            secondBytes_ = ReadShortByteList(r);
            break;
        case kPacketKeyEvents: {
            const uint32_t count = r.U32();
            if (count > r.Remaining() / kKeyEventWireSize) {
                r.Fail();
                break;
            }
            keyEvents_.reserve(count);
            for (uint32_t i = 0; i < count; ++i) {
                KeyEventRecord e;
                e.message = r.U16();
                e.keyCode = r.U32();
                e.repeatCount = r.U32();
                e.keyFlags = r.U32();
                keyEvents_.push_back(e);
            }
            break;
        }
        case kPacketPointerEvents: {
            const uint32_t count = r.U32();
            if (count > r.Remaining() / kPointerEventWireSize) {
                r.Fail();
                break;
            }
            pointerEvents_.reserve(count);
            for (uint32_t i = 0; i < count; ++i) {
                PointerEventRecord e;
                e.message = r.U16();
                e.keyStateFlags = r.U32();
                e.x = r.I32();
                e.y = r.I32();
                e.wheelDelta = r.I16();
                pointerEvents_.push_back(e);
            }
            break;
        }
        case 7: {
            ReadValues(r, values_, 7);
            const uint8_t* h = r.Bytes(kType7HashSize);
            if (h != nullptr) firstBytes_.assign(h, h + kType7HashSize);
            if (values_[kType7EIndex] == 0) values_.push_back(r.U32());
            readData(r.U32());
            break;
        }
        case 8:
            ReadValues(r, values_, 1);
            readImageLayout();
            break;
        case 9: {
            ReadValues(r, values_, 3);
            text_ = CutAtNul(r.Utf16(r.U32()));
            readData(r.U32());
            break;
        }
        case 10:
            ReadValues(r, values_, 2);
            break;
        case kPacketSound: {
            size_ = r.U32();
            readData(r.U32());
            break;
        }
        case kPacketImage:
            readImageLayout();
            break;
        default:
            // Not part of the wire table: the type is kept so the caller can see what came.
            type_ = type;
            return false;
    }

    if (!r.Ok()) {
        clear();
        return false;
    }
    type_ = type;
    return true;
}

}  // namespace tesmora
