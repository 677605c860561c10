// The picture control under Wine: GIF frames decoded through the OLE picture decoder, the animation's
// timing (a delay of 3 plays as 100 ms, 20 as 200 ms), a one-frame GIF drawn once, failed loads, and
// the loading dialog with the program's own animation.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <mutex>
#include <vector>

#include "common/ui/resource_module_win32.h"
#include "common/ui/scale.h"
#include "common/widgets/gif_blocks.h"
#include "common/widgets/loading_dialog_win32.h"
#include "common/widgets/animated_picture_win32.h"
#include "widget_test_support_win32.h"

using namespace tesmora;

namespace {

using Bytes = std::vector<uint8_t>;

constexpr COLORREF kRed = RGB(220, 30, 40);
constexpr COLORREF kBlue = RGB(20, 40, 210);

// An uncompressed GIF frame: a clear code before every pixel keeps the LZW code width at 3 bits.
void AppendImage(Bytes& out, int width, int height, uint8_t colourIndex) {
    out.insert(out.end(),
               {0x2C, 0, 0, 0, 0, static_cast<uint8_t>(width), 0, static_cast<uint8_t>(height), 0, 0, 2});
    Bytes packed;
    uint32_t bits = 0;
    int count = 0;
    auto put = [&](uint32_t code) {
        bits |= code << count;
        count += 3;
        while (count >= 8) {
            packed.push_back(static_cast<uint8_t>(bits & 0xFF));
            bits >>= 8;
            count -= 8;
        }
    };
    for (int i = 0; i < width * height; ++i) {
        put(4);  // clear
        put(colourIndex);
    }
    put(5);  // end of information
    if (count > 0) packed.push_back(static_cast<uint8_t>(bits & 0xFF));
    for (size_t at = 0; at < packed.size(); at += 255) {
        size_t n = std::min<size_t>(255, packed.size() - at);
        out.push_back(static_cast<uint8_t>(n));
        out.insert(out.end(), packed.begin() + static_cast<long>(at),
                   packed.begin() + static_cast<long>(at + n));
    }
    out.push_back(0);
}

Bytes MakeGif(const std::vector<std::pair<uint8_t, uint16_t>>& frames) {
    Bytes out = {'G', 'I', 'F', '8', '9', 'a', 16, 0, 16, 0, 0x81, 0, 0};
    const COLORREF table[4] = {RGB(255, 255, 255), kRed, kBlue, RGB(0, 0, 0)};
    for (COLORREF c : table) out.insert(out.end(), {GetRValue(c), GetGValue(c), GetBValue(c)});
    for (auto [colour, delay] : frames) {
        out.insert(out.end(), {0x21, 0xF9, 4, 1 << 2, static_cast<uint8_t>(delay & 0xFF),
                               static_cast<uint8_t>(delay >> 8), 0, 0});
        AppendImage(out, 16, 16, colour);
    }
    out.push_back(0x3B);
    return out;
}

class PictureHost : public Window {
public:
    PictureHost() {
        RegisterWindowClass(L"TesmoraPictureHost", 0, ::GetSysColorBrush(COLOR_BTNFACE));
        // Hidden: the tests read the control's surface, and hidden windows go at once under Wine.
        Create(0, L"TesmoraPictureHost", L"Picture host", WS_POPUP, 50, 50, 120, 120, nullptr, 0);
        HWND stat = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 10, 10, 10, 10, Handle(),
                                      nullptr, nullptr, nullptr);
        picture.SubclassWindow(stat);
    }
    AnimatedPicture picture;
};

double Milliseconds(std::chrono::steady_clock::time_point from, std::chrono::steady_clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

}  // namespace

TEST(PictureEx, AnimationShowsDelayThreeFor100AndTwentyFor200Milliseconds) {
    PictureHost host;
    Bytes gif = MakeGif({{1, 3}, {2, 20}});
    ASSERT_TRUE(host.picture.Load(gif.data(), gif.size()));
    EXPECT_TRUE(host.picture.IsGif());
    ASSERT_EQ(host.picture.FrameCount(), 2u);
    EXPECT_EQ(host.picture.PictureSize().cx, 16);

    std::mutex lock;
    std::vector<std::pair<size_t, std::chrono::steady_clock::time_point>> shown;
    std::vector<COLORREF> colours;
    host.picture.SetFrameObserver([&](size_t frame) {
        COLORREF colour = host.picture.SurfacePixel(8, 8);
        std::lock_guard guard(lock);
        shown.emplace_back(frame, std::chrono::steady_clock::now());
        colours.push_back(colour);
    });
    ASSERT_TRUE(host.picture.Draw());
    EXPECT_TRUE(host.picture.IsPlaying());
    ::Sleep(1700);
    host.picture.StopAnimation();
    EXPECT_FALSE(host.picture.IsPlaying());

    std::lock_guard guard(lock);
    ASSERT_GE(shown.size(), 6u);
    std::vector<double> first, second;
    for (size_t i = 1; i < shown.size(); ++i) {
        double span = Milliseconds(shown[i - 1].second, shown[i].second);
        (shown[i - 1].first == 0 ? first : second).push_back(span);
        EXPECT_EQ(colours[i], shown[i].first == 0 ? kRed : kBlue) << i;
    }
    EXPECT_NEAR(Median(first), 100.0, 35.0);
    EXPECT_NEAR(Median(second), 200.0, 45.0);
}

TEST(PictureEx, OneFrameGifIsDrawnOnceAndNeverAnimated) {
    PictureHost host;
    Bytes gif = MakeGif({{2, 20}});
    ASSERT_TRUE(host.picture.Load(gif.data(), gif.size()));
    EXPECT_EQ(host.picture.FrameCount(), 1u);
    EXPECT_FALSE(host.picture.StartAnimation());
    ASSERT_TRUE(host.picture.Draw());
    EXPECT_FALSE(host.picture.IsPlaying());
    ::Sleep(400);
    EXPECT_EQ(host.picture.DrawCount(), 1u);
    EXPECT_EQ(host.picture.SurfacePixel(8, 8), kBlue);
    // The control took the picture's size.
    RECT rect{};
    ::GetClientRect(host.picture.Handle(), &rect);
    EXPECT_EQ(rect.right, 16);
    EXPECT_EQ(rect.bottom, 16);
}

TEST(PictureEx, LoadFailsWithoutADecodableFrame) {
    PictureHost host;
    Bytes noFrames = {'G', 'I', 'F', '8', '9', 'a', 16, 0, 16, 0, 0, 0, 0, 0x3B};
    EXPECT_FALSE(host.picture.Load(noFrames.data(), noFrames.size()));
    EXPECT_FALSE(host.picture.IsInitialised());
    Bytes garbage(64, 0x5A);
    EXPECT_FALSE(host.picture.Load(garbage.data(), garbage.size()));
    // Frames the block walk finds but the decoder refuses (an LZW code size beyond what GIF allows)
    // are left out; with none left the load fails.
    Bytes broken = MakeGif({{1, 3}, {2, 3}});
    GifFile file;
    ASSERT_TRUE(ParseGifBlocks(broken.data(), broken.size(), file));
    broken[file.frames[1].imageOffset + 10] = 11;
    ASSERT_TRUE(host.picture.Load(broken.data(), broken.size()));
    EXPECT_EQ(host.picture.FrameCount(), 1u);
    broken[file.frames[0].imageOffset + 10] = 11;
    EXPECT_FALSE(host.picture.Load(broken.data(), broken.size()));
    EXPECT_EQ(host.picture.FrameCount(), 0u);
}

TEST(PictureEx, StoppingIsQuickAndDestroyingWhilePlayingIsSafe) {
    auto host = std::make_unique<PictureHost>();
    Bytes gif = MakeGif({{1, 500}, {2, 500}});
    ASSERT_TRUE(host->picture.Load(gif.data(), gif.size()));
    ASSERT_TRUE(host->picture.StartAnimation());
    ::Sleep(50);
    auto start = std::chrono::steady_clock::now();
    host.reset();  // window and control go while the thread waits on a 5 s frame
    EXPECT_LT(Milliseconds(start, std::chrono::steady_clock::now()), 1000.0);
}

TEST(LoadingDialog, PlaysTheProgramsAnimationBesideItsText) {
    SetScaleFactor(1.0f);
    const void* data = nullptr;
    DWORD size = 0;
    ASSERT_TRUE(FindResourceBytes(kLoadingGifType, kLoadingGifId, data, size));
    GifFile file;
    ASSERT_TRUE(ParseGifBlocks(static_cast<const uint8_t*>(data), size, file));
    EXPECT_EQ(file.width, 48);
    EXPECT_EQ(file.height, 48);
    ASSERT_EQ(file.frames.size(), 8u);
    for (const GifFrame& frame : file.frames) EXPECT_EQ(frame.delay, 20u);

    LoadingDialog loading;
    ASSERT_TRUE(loading.ShowProgress(nullptr, L"Tesmora Orlu Teacher와 연결중 입니다."));
    EXPECT_TRUE(::IsWindowVisible(loading.Handle()));
    EXPECT_TRUE(loading.Picture().IsPlaying());
    EXPECT_EQ(loading.Picture().FrameCount(), 8u);

    RECT window{};
    ::GetWindowRect(loading.Handle(), &window);
    EXPECT_EQ(window.right - window.left, 360);
    EXPECT_EQ(window.bottom - window.top, 95);
    HWND picture = ::GetDlgItem(loading.Handle(), kLoadingPictureId);
    RECT pictureRect = ChildRect(loading.Handle(), picture);
    EXPECT_EQ(pictureRect.bottom - pictureRect.top, 48);
    EXPECT_EQ(pictureRect.top, (95 - 48) / 2);
    RECT textRect = ChildRect(loading.Handle(), ::GetDlgItem(loading.Handle(), kLoadingTextId));
    EXPECT_EQ(textRect.left, pictureRect.right + 10);
    EXPECT_EQ(textRect.right - textRect.left, 250);
    wchar_t text[64]{};
    ::GetDlgItemTextW(loading.Handle(), kLoadingTextId, text, 64);
    EXPECT_STREQ(text, L"Tesmora Orlu Teacher와 연결중 입니다.");

    // Every later use re-texts the same dialog.
    HWND first = loading.Handle();
    ASSERT_TRUE(loading.ShowProgress(nullptr, L"로그인 서버와 연결 중입니다."));
    EXPECT_EQ(loading.Handle(), first);
    loading.HideProgress();
    EXPECT_FALSE(::IsWindowVisible(loading.Handle()));
}
