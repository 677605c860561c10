// The picture control and its animation thread (see animated_picture_win32.h).
#include "common/widgets/animated_picture_win32.h"

#include <cstring>

#include "common/widgets/gif_blocks.h"

namespace tesmora {

namespace {

constexpr int kHimetricPerInch = 2540;

// Decodes a picture with the platform's OLE decoder from a stream over a movable copy of the bytes.
IPicture* DecodePicture(const uint8_t* data, size_t size) {
    if (!data || size == 0 || size > 0x7FFFFFFF) return nullptr;
    HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, size);
    if (!block) return nullptr;
    void* target = ::GlobalLock(block);
    if (!target) {
        ::GlobalFree(block);
        return nullptr;
    }
    memcpy(target, data, size);
    ::GlobalUnlock(block);
    IStream* stream = nullptr;
    if (FAILED(::CreateStreamOnHGlobal(block, TRUE, &stream))) {
        ::GlobalFree(block);
        return nullptr;
    }
    IPicture* picture = nullptr;
    HRESULT result = ::OleLoadPicture(stream, static_cast<LONG>(size), FALSE, IID_IPicture,
                                      reinterpret_cast<void**>(&picture));
    stream->Release();
    return SUCCEEDED(result) ? picture : nullptr;
}

// The picture's size in pixels, from its size in hundredths of millimetres and the screen's density.
SIZE PicturePixelSize(IPicture* picture) {
    OLE_XSIZE_HIMETRIC width = 0;
    OLE_YSIZE_HIMETRIC height = 0;
    picture->get_Width(&width);
    picture->get_Height(&height);
    HDC screen = ::GetDC(nullptr);
    int dpiX = ::GetDeviceCaps(screen, LOGPIXELSX);
    int dpiY = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    return SIZE{::MulDiv(width, dpiX, kHimetricPerInch), ::MulDiv(height, dpiY, kHimetricPerInch)};
}

}  // namespace

AnimatedPicture::AnimatedPicture() {
    stopEvent_.Reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));  // manual reset, not signalled
}

AnimatedPicture::~AnimatedPicture() {
    Unload();
}

std::span<const Window::MessageEntry> AnimatedPicture::MessageTable() const {
    static const MessageEntry table[] = {
        OnMessage(WM_PAINT, &AnimatedPicture::OnPaint),
        OnMessage(WM_ERASEBKGND, &AnimatedPicture::OnEraseBackground),
        OnMessage(WM_DESTROY, &AnimatedPicture::OnDestroy),
    };
    return table;
}

void AnimatedPicture::Unload() {
    // The thread uses the frames and the surface: they go only after it has ended.
    StopAnimation();
    for (Frame& frame : frames_) {
        if (frame.picture) frame.picture->Release();
    }
    frames_.clear();
    std::lock_guard lock(surfaceLock_);
    if (surfaceDc_ && surfacePrevious_) ::SelectObject(surfaceDc_.Get(), surfacePrevious_);
    surfacePrevious_ = nullptr;
    surfaceBitmap_.Reset();
    surfaceDc_.Reset();
    if (savedDc_ && savedPrevious_) ::SelectObject(savedDc_.Get(), savedPrevious_);
    savedPrevious_ = nullptr;
    savedBitmap_.Reset();
    savedDc_.Reset();
    data_.clear();
    globalTableSize_ = 0;
    isGif_ = false;
    initialised_ = false;
    pictureSize_ = SIZE{0, 0};
    currentFrame_ = 0;
    drawCount_ = 0;
}

bool AnimatedPicture::Load(const uint8_t* data, size_t size) {
    Unload();
    loop_ = true;
    if (!data || size == 0) return false;
    data_.assign(data, data + size);

    if (IsGifSignature(data_.data(), data_.size())) {
        isGif_ = true;
        if (!LoadGif()) {
            Unload();
            return false;
        }
    } else {
        Frame frame;
        frame.picture = DecodePicture(data_.data(), data_.size());
        if (!frame.picture) {
            Unload();
            return false;
        }
        frame.size = pictureSize_ = PicturePixelSize(frame.picture);
        frames_.push_back(frame);
    }
    if (!PrepareSurface()) {
        Unload();
        return false;
    }
    initialised_ = true;
    return true;
}

bool AnimatedPicture::LoadGif() {
    GifFile file;
    if (!ParseGifBlocks(data_.data(), data_.size(), file)) return false;  // no frame: a failed load
    pictureSize_ = SIZE{file.width, file.height};
    globalTableSize_ = file.globalTableSize;
    if (pictureSize_.cx < 1 || pictureSize_.cy < 1) return false;

    if (file.frames.size() == 1) {
        Frame frame;
        frame.picture = DecodePicture(data_.data(), data_.size());
        if (!frame.picture) return false;
        frame.size = pictureSize_;
        frame.delay = file.frames[0].delay;
        frame.disposal = file.frames[0].disposal;
        frames_.push_back(frame);
        return true;
    }
    for (const GifFrame& found : file.frames) {
        std::vector<uint8_t> single = BuildFrameGif(data_.data(), data_.size(), file, found);
        Frame frame;
        frame.picture = DecodePicture(single.data(), single.size());
        if (!frame.picture) continue;  // a frame that does not decode is left out
        frame.size = SIZE{found.width, found.height};
        frame.offset = POINT{found.left, found.top};
        frame.delay = found.delay;
        frame.disposal = found.disposal;
        frames_.push_back(frame);
    }
    return !frames_.empty();
}

bool AnimatedPicture::PrepareSurface() {
    if (Handle()) {
        ::SetWindowPos(Handle(), nullptr, 0, 0, pictureSize_.cx, pictureSize_.cy,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    std::lock_guard lock(surfaceLock_);
    HDC screen = ::GetDC(nullptr);
    surfaceDc_.Reset(::CreateCompatibleDC(screen));
    surfaceBitmap_.Reset(::CreateCompatibleBitmap(screen, pictureSize_.cx, pictureSize_.cy));
    ::ReleaseDC(nullptr, screen);
    if (!surfaceDc_ || !surfaceBitmap_) return false;
    surfacePrevious_ = ::SelectObject(surfaceDc_.Get(), surfaceBitmap_.Get());
    background_ = ::GetSysColor(COLOR_BTNFACE);
    RECT all{0, 0, pictureSize_.cx, pictureSize_.cy};
    // The brush value 5 stands for a system colour (index 4, the menu colour, which is the dialog face
    // on current systems), not for a brush object.
    ::FillRect(surfaceDc_.Get(), &all, reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(5)));
    return true;
}

bool AnimatedPicture::RenderFrame(const Frame& frame) {
    if (!frame.picture || !surfaceDc_) return false;
    OLE_XSIZE_HIMETRIC width = 0;
    OLE_YSIZE_HIMETRIC height = 0;
    frame.picture->get_Width(&width);
    frame.picture->get_Height(&height);
    HRESULT result = frame.picture->Render(surfaceDc_.Get(), frame.offset.x, frame.offset.y, frame.size.cx,
                                           frame.size.cy, 0, height, width, -height, nullptr);
    if (FAILED(result)) return false;
    ++drawCount_;
    return true;
}

void AnimatedPicture::FillBackground(const RECT& rect) {
    HBRUSH brush = ::CreateSolidBrush(background_);
    ::FillRect(surfaceDc_.Get(), &rect, brush);
    ::DeleteObject(brush);
}

bool AnimatedPicture::Draw() {
    if (!initialised_ || frames_.empty()) return false;
    if (isGif_ && frames_.size() > 1) return StartAnimation();
    bool drawn;
    {
        std::lock_guard lock(surfaceLock_);
        drawn = RenderFrame(frames_[0]);
    }
    if (drawn && Handle()) Invalidate(false);
    return drawn;
}

bool AnimatedPicture::StartAnimation() {
    if (!initialised_ || !isGif_ || frames_.size() < 2 || animation_.Running()) return false;
    if (!stopEvent_) return false;
    playing_ = true;
    animationWindow_ = Handle();
    if (!animation_.Start([this](std::stop_token stop) { Animate(stop); })) {
        playing_ = false;
        return false;
    }
    return true;
}

void AnimatedPicture::StopAnimation() {
    if (!animation_.Running()) return;
    animation_.RequestStop();
    ::SetEvent(stopEvent_.Get());  // ends the thread's wait on its frame at once
    animation_.Join();
    ::ResetEvent(stopEvent_.Get());
    playing_ = false;
}

void AnimatedPicture::Animate(std::stop_token stop) {
    size_t index = currentFrame_ < frames_.size() ? currentFrame_ : 0;
    while (!stop.stop_requested()) {
        const Frame& frame = frames_[index];
        RECT area{frame.offset.x, frame.offset.y, frame.offset.x + frame.size.cx,
                  frame.offset.y + frame.size.cy};
        if (frame.picture) {
            bool drawn;
            {
                std::lock_guard lock(surfaceLock_);
                if (frame.disposal == 3) {
                    // Keep what lies under the frame, to put it back when the frame is disposed of.
                    savedDc_.Reset(::CreateCompatibleDC(surfaceDc_.Get()));
                    savedBitmap_.Reset(
                        ::CreateCompatibleBitmap(surfaceDc_.Get(), frame.size.cx, frame.size.cy));
                    if (savedDc_ && savedBitmap_) {
                        savedPrevious_ = ::SelectObject(savedDc_.Get(), savedBitmap_.Get());
                        ::BitBlt(savedDc_.Get(), 0, 0, frame.size.cx, frame.size.cy, surfaceDc_.Get(),
                                 area.left, area.top, SRCCOPY);
                    }
                }
                drawn = RenderFrame(frame);
            }
            if (drawn) {
                if (animationWindow_) ::InvalidateRect(animationWindow_, nullptr, FALSE);
                if (frameObserver_) frameObserver_(index);
            }
        }

        DWORD wait = GifFrameWaitMilliseconds(frame.delay);
        ::WaitForSingleObject(stopEvent_.Get(), wait == kGifWaitForever ? INFINITE : wait);
        if (stop.stop_requested()) break;

        {
            std::lock_guard lock(surfaceLock_);
            if (frame.disposal == 2) {
                FillBackground(area);
            } else if (frame.disposal == 3 && savedDc_) {
                ::BitBlt(surfaceDc_.Get(), area.left, area.top, frame.size.cx, frame.size.cy, savedDc_.Get(),
                         0, 0, SRCCOPY);
                if (savedPrevious_) ::SelectObject(savedDc_.Get(), savedPrevious_);
                savedPrevious_ = nullptr;
                savedBitmap_.Reset();
                savedDc_.Reset();
            }
        }
        ++index;
        if (index >= frames_.size()) {
            if (!loop_) break;
            std::lock_guard lock(surfaceLock_);
            FillBackground(RECT{0, 0, pictureSize_.cx, pictureSize_.cy});
            index = 0;
        }
        currentFrame_ = index;
    }
    playing_ = false;
}

COLORREF AnimatedPicture::SurfacePixel(int x, int y) {
    std::lock_guard lock(surfaceLock_);
    return surfaceDc_ ? ::GetPixel(surfaceDc_.Get(), x, y) : CLR_INVALID;
}

LRESULT AnimatedPicture::OnPaint(WPARAM, LPARAM) {
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(Handle(), &paint);
    {
        std::lock_guard lock(surfaceLock_);
        if (surfaceDc_) ::BitBlt(dc, 0, 0, pictureSize_.cx, pictureSize_.cy, surfaceDc_.Get(), 0, 0, SRCCOPY);
    }
    ::EndPaint(Handle(), &paint);
    return 0;
}

LRESULT AnimatedPicture::OnEraseBackground(WPARAM, LPARAM) {
    return initialised_ ? 1 : Default();
}

LRESULT AnimatedPicture::OnDestroy(WPARAM, LPARAM) {
    StopAnimation();  // the thread repaints this window
    return Default();
}

}  // namespace tesmora
