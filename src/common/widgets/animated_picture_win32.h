// AnimatedPicture: a picture control that shows a picture from memory: any picture the platform's OLE
// decoder reads, and GIF animations, whose frames it finds with the GIF block walk, decodes one by
// one and plays on an animation thread of its own (a Worker the control owns). The picture is drawn
// into an off-screen surface that the control copies to the screen when it paints.
// Threads: the control's UI thread loads, starts, stops and paints; the animation thread only draws
// into the surface (under the surface lock) and asks the control to repaint. The control stops and
// joins the thread before the frames or the surface go (a load, the window's end, the control's end).
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

#include "common/threads/worker.h"
#include "common/ui/handles_win32.h"
#include "common/ui/window_win32.h"

namespace tesmora {

class AnimatedPicture : public Window {
public:
    AnimatedPicture();
    ~AnimatedPicture() override;

    // UI thread. Stops any animation, releases the previous picture and loads this one (the bytes are
    // copied). False when nothing could be decoded; the control then shows nothing.
    bool Load(const uint8_t* data, size_t size);
    // UI thread. An animated GIF starts playing; any other picture is drawn once into the surface.
    bool Draw();
    // UI thread. Starts the animation thread (for a GIF with more than one frame).
    bool StartAnimation();
    // UI thread. Ends the animation thread and waits for it: it is woken from the wait on its frame.
    void StopAnimation();

    bool IsGif() const { return isGif_; }
    bool IsInitialised() const { return initialised_; }
    bool IsPlaying() const { return playing_.load(); }
    size_t FrameCount() const { return frames_.size(); }
    SIZE PictureSize() const { return pictureSize_; }
    // How many times a picture was drawn into the surface since the load. Any thread.
    unsigned DrawCount() const { return drawCount_.load(); }
    // The colour of a surface pixel, as last drawn. Any thread.
    COLORREF SurfacePixel(int x, int y);
    // Called on the animation thread after each frame is drawn, with the frame's index. Set before the
    // animation starts.
    void SetFrameObserver(std::function<void(size_t)> observer) { frameObserver_ = std::move(observer); }

protected:
    std::span<const MessageEntry> MessageTable() const override;

private:
    struct Frame {
        IPicture* picture = nullptr;
        SIZE size{0, 0};
        POINT offset{0, 0};
        uint32_t delay = 0;  // hundredths of a second
        int disposal = 0;
    };

    LRESULT OnPaint(WPARAM, LPARAM);
    LRESULT OnEraseBackground(WPARAM, LPARAM);
    LRESULT OnDestroy(WPARAM, LPARAM);

    void Unload();
    bool LoadGif();
    bool PrepareSurface();
    bool RenderFrame(const Frame& frame);
    void FillBackground(const RECT& rect);
    void Animate(std::stop_token stop);

    COLORREF background_ = RGB(255, 255, 255);
    SIZE pictureSize_{0, 0};
    std::vector<uint8_t> data_;  // the loaded block
    size_t globalTableSize_ = 0;
    bool isGif_ = false;
    bool initialised_ = false;
    std::atomic<bool> playing_{false};
    bool loop_ = true;
    size_t currentFrame_ = 0;

    std::mutex surfaceLock_;  // the surface and the saved area: animation thread draws, UI thread paints
    UniqueMemoryDc surfaceDc_;
    UniqueBitmap surfaceBitmap_;
    HGDIOBJ surfacePrevious_ = nullptr;
    UniqueMemoryDc savedDc_;
    UniqueBitmap savedBitmap_;
    HGDIOBJ savedPrevious_ = nullptr;

    std::vector<Frame> frames_;
    HWND animationWindow_ = nullptr;  // the control's window, fixed while the thread runs
    UniqueHandle stopEvent_;          // set by a stop request: ends the wait on a frame at once
    std::atomic<unsigned> drawCount_{0};
    std::function<void(size_t)> frameObserver_;
    Worker animation_;  // last: joined before what the thread reads goes
};

}  // namespace tesmora
