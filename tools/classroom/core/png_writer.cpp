// The least PNG: signature, IHDR, one IDAT, IEND. Any thread.
#include "core/png_writer.h"

#include <zlib.h>

#include <cstdio>
#include <memory>
#include <vector>

namespace tesmora::classroom {

namespace {

void PutU32BigEndian(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(uint8_t(v >> 24));
    out.push_back(uint8_t(v >> 16));
    out.push_back(uint8_t(v >> 8));
    out.push_back(uint8_t(v));
}

void PutChunk(std::vector<uint8_t>& out, const char type[4], const std::vector<uint8_t>& data) {
    PutU32BigEndian(out, uint32_t(data.size()));
    const size_t typeAt = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    const uLong crc = crc32(0, out.data() + typeAt, uInt(4 + data.size()));
    PutU32BigEndian(out, uint32_t(crc));
}

}  // namespace

bool WritePng(const PixelImage& picture, const std::string& path) {
    if (picture.Empty()) return false;
    // Each row: filter byte 0, then RGB.
    std::vector<uint8_t> raw;
    raw.reserve(size_t(picture.height) * (1 + size_t(picture.width) * 3));
    for (uint32_t y = 0; y < picture.height; ++y) {
        raw.push_back(0);
        const uint8_t* p = picture.Row(y);
        for (uint32_t x = 0; x < picture.width; ++x, p += 4) {
            raw.push_back(p[2]);
            raw.push_back(p[1]);
            raw.push_back(p[0]);
        }
    }
    uLongf packedSize = compressBound(uLong(raw.size()));
    std::vector<uint8_t> packed(packedSize);
    if (compress2(packed.data(), &packedSize, raw.data(), uLong(raw.size()), Z_BEST_SPEED) != Z_OK)
        return false;
    packed.resize(packedSize);

    std::vector<uint8_t> header;
    PutU32BigEndian(header, picture.width);
    PutU32BigEndian(header, picture.height);
    header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, no filter set, no interlace

    std::vector<uint8_t> file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    PutChunk(file, "IHDR", header);
    PutChunk(file, "IDAT", packed);
    PutChunk(file, "IEND", {});

    const std::string temporary = path + ".part";
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> out(std::fopen(temporary.c_str(), "wb"), std::fclose);
    if (!out) return false;
    const bool written = std::fwrite(file.data(), 1, file.size(), out.get()) == file.size();
    if (std::fclose(out.release()) != 0 || !written) return false;
    return std::rename(temporary.c_str(), path.c_str()) == 0;
}

}  // namespace tesmora::classroom
