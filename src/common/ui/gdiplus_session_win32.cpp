// GDI+ start-up and shut-down for GdiplusSession (see handles_win32.h). Any thread.
#include "common/ui/handles_win32.h"

#include <objidl.h>
#include <gdiplus.h>

namespace tesmora {

GdiplusSession::GdiplusSession() {
    Gdiplus::GdiplusStartupInput input;
    if (Gdiplus::GdiplusStartup(&token_, &input, nullptr) != Gdiplus::Ok) token_ = 0;
}

GdiplusSession::~GdiplusSession() {
    if (token_) Gdiplus::GdiplusShutdown(token_);
}

GdiplusSession& GdiplusSession::operator=(GdiplusSession&& other) noexcept {
    if (this != &other) {
        if (token_) Gdiplus::GdiplusShutdown(token_);
        token_ = std::exchange(other.token_, 0);
    }
    return *this;
}

}  // namespace tesmora
