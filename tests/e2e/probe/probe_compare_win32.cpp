// The compare action of the UI probe (see probe_compare_win32.h).
#include "probe_compare_win32.h"

// GDI+ needs the COM declarations that the lean Windows headers leave out, so they come first.
// clang-format off
#include <objidl.h>
#include <gdiplus.h>
// clang-format on

#include <cstdint>
#include <cstdio>
#include <memory>

namespace {

// GDI+ for the length of one action; the pictures must be gone before it ends.
class GdiplusSession {
public:
    GdiplusSession() {
        Gdiplus::GdiplusStartupInput input;
        started_ = Gdiplus::GdiplusStartup(&token_, &input, nullptr) == Gdiplus::Ok;
    }
    ~GdiplusSession() {
        if (started_) Gdiplus::GdiplusShutdown(token_);
    }
    GdiplusSession(const GdiplusSession&) = delete;
    GdiplusSession& operator=(const GdiplusSession&) = delete;

    bool Started() const { return started_; }

private:
    ULONG_PTR token_ = 0;
    bool started_ = false;
};

// A picture file decoded, or null with the reason in `error`. GDI+ only says "not Ok" for a missing
// file, so the file is looked at first to tell the two apart.
std::unique_ptr<Gdiplus::Bitmap> LoadPicture(const std::wstring& path, std::wstring& error) {
    DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        error = L"compare: no such file: " + path;
        return nullptr;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        error = L"compare: a folder, not a picture: " + path;
        return nullptr;
    }
    auto picture = std::make_unique<Gdiplus::Bitmap>(path.c_str(), FALSE);
    Gdiplus::Status status = picture->GetLastStatus();
    if (status != Gdiplus::Ok || picture->GetWidth() == 0 || picture->GetHeight() == 0) {
        error = L"compare: not a picture GDI+ can read (status " + std::to_wstring(status) + L"): " + path;
        return nullptr;
    }
    return picture;
}

// A picture's pixels as 32-bit ARGB rows (bytes B, G, R, A), whatever the file's own format, for as
// long as the object lives.
class LockedPixels {
public:
    explicit LockedPixels(Gdiplus::Bitmap& picture) : picture_(picture) {
        Gdiplus::Rect all(0, 0, static_cast<INT>(picture.GetWidth()), static_cast<INT>(picture.GetHeight()));
        locked_ =
            picture.LockBits(&all, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB, &data_) == Gdiplus::Ok;
    }
    ~LockedPixels() {
        if (locked_) picture_.UnlockBits(&data_);
    }
    LockedPixels(const LockedPixels&) = delete;
    LockedPixels& operator=(const LockedPixels&) = delete;

    bool Locked() const { return locked_; }
    // The stride may be negative (bottom-up pictures), hence the signed arithmetic.
    const uint8_t* Row(UINT y) const {
        return static_cast<const uint8_t*>(data_.Scan0) + static_cast<ptrdiff_t>(y) * data_.Stride;
    }

private:
    Gdiplus::Bitmap& picture_;
    Gdiplus::BitmapData data_{};
    bool locked_ = false;
};

struct Difference {
    uint64_t sums[3] = {0, 0, 0};  // R, G, B
    int peak = 0;                  // the largest difference of one channel at one pixel
    uint64_t changed = 0;          // pixels that differ in any of R, G, B
};

Difference Measure(const LockedPixels& a, const LockedPixels& b, UINT width, UINT height) {
    Difference result;
    uint64_t sumB = 0, sumG = 0, sumR = 0;
    int peak = 0;
    uint64_t changed = 0;
    for (UINT y = 0; y < height; ++y) {
        const uint8_t* rowA = a.Row(y);
        const uint8_t* rowB = b.Row(y);
        for (UINT x = 0; x < width; ++x) {
            const uint8_t* pa = rowA + x * 4;
            const uint8_t* pb = rowB + x * 4;
            int db = pa[0] > pb[0] ? pa[0] - pb[0] : pb[0] - pa[0];
            int dg = pa[1] > pb[1] ? pa[1] - pb[1] : pb[1] - pa[1];
            int dr = pa[2] > pb[2] ? pa[2] - pb[2] : pb[2] - pa[2];
            sumB += db;
            sumG += dg;
            sumR += dr;
            int largest = db > dg ? db : dg;
            if (dr > largest) largest = dr;
            if (largest > peak) peak = largest;
            changed += largest != 0;
        }
    }
    result.sums[0] = sumR;
    result.sums[1] = sumG;
    result.sums[2] = sumB;
    result.peak = peak;
    result.changed = changed;
    return result;
}

std::wstring Decimal(double value, const wchar_t* format = L"%.4f") {
    wchar_t text[64];
    std::swprintf(text, 64, format, value);
    return text;
}

std::wstring SizeText(UINT width, UINT height) {
    return std::to_wstring(width) + L'x' + std::to_wstring(height);
}

}  // namespace

int RunCompare(const ProbeOptions& options) {
    if (options.arguments.size() != 2)
        return Fail(L"compare wants two picture files: compare A B [--limit X]");
    GdiplusSession gdiplus;
    if (!gdiplus.Started()) return Fail(L"compare: GDI+ did not start");

    std::wstring error;
    std::unique_ptr<Gdiplus::Bitmap> first = LoadPicture(options.arguments[0], error);
    if (!first) return Fail(error);
    std::unique_ptr<Gdiplus::Bitmap> second = LoadPicture(options.arguments[1], error);
    if (!second) return Fail(error);
    UINT width = first->GetWidth();
    UINT height = first->GetHeight();
    if (second->GetWidth() != width || second->GetHeight() != height) {
        return Fail(L"compare: sizes differ: " + SizeText(width, height) + L" and " +
                    SizeText(second->GetWidth(), second->GetHeight()));
    }

    double mae[3] = {0, 0, 0};
    Difference difference;
    {
        LockedPixels pixelsA(*first);
        LockedPixels pixelsB(*second);
        if (!pixelsA.Locked() || !pixelsB.Locked()) return Fail(L"compare: the pixels could not be read");
        difference = Measure(pixelsA, pixelsB, width, height);
    }
    const double pixels = static_cast<double>(width) * height;
    double largest = 0;
    for (int channel = 0; channel < 3; ++channel) {
        mae[channel] = static_cast<double>(difference.sums[channel]) / pixels;
        if (mae[channel] > largest) largest = mae[channel];
    }

    PrintRecord({{L"mae", Decimal(mae[0]) + L',' + Decimal(mae[1]) + L',' + Decimal(mae[2])},
                 {L"max", Decimal(largest)},
                 {L"peak", std::to_wstring(difference.peak)},
                 {L"changed", std::to_wstring(difference.changed)},
                 {L"width", std::to_wstring(width)},
                 {L"height", std::to_wstring(height)},
                 {L"pixels", std::to_wstring(static_cast<uint64_t>(width) * height)}});
    if (options.limit && largest >= *options.limit) {
        return Fail(L"compare: a mean absolute error of " + Decimal(largest) + L" reaches the limit " +
                    Decimal(*options.limit, L"%g"));
    }
    return 0;
}
