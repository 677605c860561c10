// DesktopSource. One thread.
#include "core/desktop_source.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <sstream>

#include "core/jpeg_codec.h"

namespace tesmora::classroom {

namespace {

struct Colour {
    uint8_t r, g, b;
};
constexpr Colour kMonitorColours[] = {{36, 84, 150}, {46, 120, 82}, {128, 70, 56}, {96, 64, 128}};

bool EndsWith(const std::string& text, const std::string& suffix) {
    if (text.size() < suffix.size()) return false;
    std::string tail = text.substr(text.size() - suffix.size());
    std::transform(tail.begin(), tail.end(), tail.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return tail == suffix;
}

// Binary PPM ("P6", maxval 255).
bool ReadPpm(const std::string& bytes, PixelImage& picture, std::string& error) {
    std::istringstream in(bytes);
    std::string magic;
    uint32_t width = 0, height = 0, maxval = 0;
    in >> magic;
    const auto skipComments = [&in] {
        in >> std::ws;
        while (in.peek() == '#') {
            std::string line;
            std::getline(in, line);
            in >> std::ws;
        }
    };
    skipComments();
    in >> width;
    skipComments();
    in >> height;
    skipComments();
    in >> maxval;
    if (magic != "P6" || !in || maxval != 255) return error = "not a binary PPM with maxval 255", false;
    in.get();
    if (!picture.Reset(width, height)) return error = "PPM picture size not acceptable", false;
    const size_t offset = size_t(in.tellg());
    if (bytes.size() < offset + size_t(width) * height * 3) return error = "PPM picture is cut short", false;
    const auto* p = reinterpret_cast<const uint8_t*>(bytes.data()) + offset;
    for (uint32_t y = 0; y < height; ++y) {
        uint8_t* row = picture.Row(y);
        for (uint32_t x = 0; x < width; ++x, p += 3, row += 4) {
            row[0] = p[2];
            row[1] = p[1];
            row[2] = p[0];
        }
    }
    return true;
}

}  // namespace

bool DesktopSource::LoadPicture(const std::string& path, PixelImage& picture, std::string& error) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return error = "cannot read the desktop picture " + path, false;
    const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (EndsWith(path, ".ppm")) return ReadPpm(bytes, picture, error);
    if (EndsWith(path, ".jpg") || EndsWith(path, ".jpeg")) {
        JpegDecoder decoder;
        return decoder.Decode(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), kMaxPicturePixels,
                              picture, error);
    }
    return error = "the desktop picture must be a .jpg, .jpeg or .ppm file", false;
}

bool DesktopSource::Init(const TeacherBehaviour& teacher, std::string& error) {
    monitors_ = teacher.monitors;
    synthetic_ = teacher.desktop == "synthetic";
    PixelImage picture;
    if (!synthetic_) {
        if (!LoadPicture(teacher.desktop, picture, error)) return false;
        if (!teacher.monitorsGiven) monitors_ = {{0, 0, int32_t(picture.width), int32_t(picture.height)}};
    }
    uint32_t width = 0, height = 0;
    for (const auto& m : monitors_) {
        width = std::max<uint32_t>(width, uint32_t(m.x + m.width));
        height = std::max<uint32_t>(height, uint32_t(m.y + m.height));
    }
    if (!base_.Reset(width, height)) return error = "the monitors make too large a desktop", false;
    if (synthetic_) {
        DrawSyntheticBase();
    } else {
        base_.Blit(picture, 0, 0);
    }
    return true;
}

void DesktopSource::DrawSyntheticBase() {
    for (size_t i = 0; i < monitors_.size(); ++i) {
        const auto& m = monitors_[i];
        const Colour c = kMonitorColours[i % std::size(kMonitorColours)];
        for (int32_t y = 0; y < m.height; ++y) {
            const int shade = 60 + 140 * y / std::max(1, m.height);
            base_.Fill(uint32_t(m.x), uint32_t(m.y + y), uint32_t(m.width), 1, uint8_t(c.r * shade / 200),
                       uint8_t(c.g * shade / 200), uint8_t(c.b * shade / 200));
        }
        // A window with a title bar, and a taskbar.
        const uint32_t wx = uint32_t(m.x + m.width / 8), wy = uint32_t(m.y + m.height / 8);
        base_.Fill(wx, wy, uint32_t(m.width / 2), uint32_t(m.height / 2), 240, 240, 236);
        base_.Fill(wx, wy, uint32_t(m.width / 2), 28, 70, 76, 96);
        base_.Fill(uint32_t(m.x), uint32_t(m.y + m.height - std::min(40, m.height)), uint32_t(m.width),
                   uint32_t(std::min(40, m.height)), 32, 32, 36);
    }
}

void DesktopSource::SetPointer(int32_t x, int32_t y) {
    pointerX_ = x;
    pointerY_ = y;
}

void DesktopSource::Render(std::chrono::milliseconds elapsed, PixelImage& out) const {
    if (out.width != base_.width || out.height != base_.height) out.Reset(base_.width, base_.height);
    out.pixels = base_.pixels;
    if (synthetic_) {
        const int64_t t = elapsed.count();
        for (const auto& m : monitors_) {
            // A square that travels back and forth through the window, 12 pixels per 100 ms.
            const int32_t range = std::max(1, m.width / 2 - 64);
            const int32_t step = int32_t((t / 100 * 12) % (2 * range));
            const int32_t offset = step < range ? step : 2 * range - step;
            out.Fill(uint32_t(m.x + m.width / 8 + offset), uint32_t(m.y + m.height / 8 + 60), 64, 64, 240,
                     150, 30);
            // A clock bar in the taskbar: one segment per second, ten seconds round.
            const uint32_t segments = uint32_t((t / 1000) % 10 + 1);
            out.Fill(uint32_t(m.x + m.width - 220), uint32_t(m.y + m.height - 30), segments * 20, 20, 90, 200,
                     120);
        }
    }
    if (pointerX_ >= 0 && pointerY_ >= 0) {
        const auto x = uint32_t(pointerX_), y = uint32_t(pointerY_);
        out.Fill(x >= 12 ? x - 12 : 0, y, 25, 2, 255, 255, 255);
        out.Fill(x, y >= 12 ? y - 12 : 0, 2, 25, 255, 255, 255);
    }
}

}  // namespace tesmora::classroom
