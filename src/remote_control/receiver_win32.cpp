// The receiver thread (see receiver_win32.h).
#include "remote_control/receiver_win32.h"

#include <shellapi.h>

#include <cstdio>
#include <new>
#include <string>

#include "common/platform/clock.h"
#include "common/platform/debug_print_win32.h"
#include "common/window_messages.h"
#include "remote_control/remote_host_record_win32.h"
#include "remote_control/control_thread_win32.h"
#include "session/command_tag.h"
#include "session/payload_fields.h"
#include "session/remote_host_state.h"

namespace tesmora {

namespace {

constexpr DWORD kCycleMilliseconds = 5;

// The 32-bit screen image as rows from the top (the DIB's rows run bottom-up).
PixelView ScreenRows(DibSurface& image) {
    const std::ptrdiff_t stride = static_cast<std::ptrdiff_t>(image.RowStride());
    return PixelView{image.Bits() + stride * (image.Height() - 1), -stride, uint32_t(image.Width()),
                     uint32_t(image.Height())};
}

}  // namespace

void RemoteControlReceiver::Run(std::stop_token stop) {
    while (comm_.Running() && !stop.stop_requested()) {
        try {
            if (auto packet = comm_.TakeInbound()) {
                if (packet->Type() == kPacketText) {
                    OnText(packet->Text());
                } else if (packet->Type() == kPacketImage) {
                    OnFrame(*packet);
                }
            }
        } catch (const std::bad_alloc&) {
            // The teacher sized something the pad cannot hold: the connection ends, not the program.
            ::PostMessageW(comm_.Handle(), WM_RC_END_AS_LOST, kCrossThreadCheck, 0);
        }
        ::Sleep(kCycleMilliseconds);
    }
}

void RemoteControlReceiver::TeacherAlive() {
    HWND panel = comm_.PanelWindow();
    if (panel) ::PostMessageW(panel, WM_RC_TEACHER_ALIVE, kCrossThreadCheck, 0);
}

void RemoteControlReceiver::OnText(std::u16string_view text) {
    if (text.size() < 9) return;
    const std::u16string_view tag = text.substr(0, 9);
    const std::u16string_view payload = text.substr(9);
    HWND panel = comm_.PanelWindow();
    if (tag == kTagKeepAliveAnswer) {
        TeacherAlive();
    } else if (tag == kTagTeacherScreenSize) {
        OnScreenSize(payload);
    } else if (tag == kTagStudentTouchState || tag == kTagBroadcastState) {
        if (panel) {
            ::PostMessageW(panel, tag == kTagStudentTouchState ? WM_TOUCH_STATE : WM_SHARE_STATE,
                           kCrossThreadCheck, ParseDecimal(payload));
        }
    } else if (tag == kTagMonitorList) {
        // The text is lent to the panel until it has handled it.
        std::u16string list(payload);
        if (panel) ::SendMessageW(panel, WM_MONITOR_LIST, kCrossThreadCheck, reinterpret_cast<LPARAM>(&list));
    } else if (tag == kTagOpenKeyboard) {
        ::ShellExecuteW(nullptr, L"open", L"tabtip.exe", L"", nullptr, SW_SHOWNORMAL);
    }
}

void RemoteControlReceiver::OnScreenSize(std::u16string_view payload) {
    auto fields = SplitPayload(payload);
    if (fields.size() == 2) {
        const int width = ParseDecimal(fields[0]);
        const int height = ParseDecimal(fields[1]);
        RemoteHostRecord& record = comm_.Record();
        record.LockImage();
        // A size beyond what the remote makes a picture for leaves no picture (and so no grid): frames
        // then place nothing, as before any size arrived.
        if (!IsTeacherScreenSizeUsable(width, height) || !record.ScreenImage().Create(width, height, 32)) {
            record.ScreenImage().Release();
        }
        record.Damage().AddAll();
        record.UnlockImage();
    }
    HWND view = comm_.ViewWindow();
    if (view) {
        ::PostMessageW(view, WM_SIZE, SIZE_RESTORED,
                       MAKELPARAM(::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)));
    }
}

void RemoteControlReceiver::OnFrame(const Packet& packet) {
    const int32_t number = static_cast<int32_t>(packet.Sequence());
    const int64_t start = MonotonicMicroseconds();
    ImageFrameBody body;
    PlaceOutcome outcome = PlaceOutcome::kNotPlaced;
    if (ReadImageFrameBody(packet.Data(), packet.DataLength(), body)) {
        RemoteHostRecord& record = comm_.Record();
        record.LockImage();
        DibSurface& image = record.ScreenImage();
        // The grid is the picture's: whoever made it (the handshake's screen size on the panel, or
        // one sent again on this channel) made it at the teacher's size. A teacher that tells its
        // size only at the handshake still has its frames placed.
        const PartGrid grid = image.Bits()
                                  ? PartGrid::ForScreen(uint32_t(image.Width()), uint32_t(image.Height()))
                                  : PartGrid{};
        if (!grid.IsEmpty()) {
            outcome =
                decoder_.DecodeAndPlace(body.jpeg, body.jpegLength, body.parts, grid, ScreenRows(image));
        }
        if (outcome != PlaceOutcome::kNotPlaced) {
            for (uint32_t part : body.parts) {
                const int32_t left = int32_t(grid.PartX(part)), top = int32_t(grid.PartY(part));
                record.Damage().Add(
                    {left, top, left + int32_t(grid.partWidth), top + int32_t(grid.partHeight)});
            }
        }
        record.UnlockImage();
    }
    const int64_t placed = MonotonicMicroseconds();
    HWND view = comm_.ViewWindow();
    // The view scales what changed and repaints it before the frame is acknowledged.
    if (view && ::IsWindow(view)) ::SendMessageW(view, WM_RC_IMAGE_CHANGED, kCrossThreadCheck, 0);
    const int64_t painted = MonotonicMicroseconds();
    TeacherAlive();
    char line[160];
    std::snprintf(line, sizeof line,
                  "Remocon rc frame: n=%d parts=%zu outcome=%d decode_place_us=%lld paint_us=%lld\n", number,
                  body.parts.size(), static_cast<int>(outcome), static_cast<long long>(placed - start),
                  static_cast<long long>(painted - placed));
    DebugPrintUtf8(line);
    // Acknowledged once it is on the screen, whether or not it decoded.
    ::SendMessageW(comm_.Handle(), WM_RC_FRAME_SHOWN, 0, number);
}

}  // namespace tesmora
