// The note thread and its hidden frame (see note_thread_win32.h).
#include "note/note_thread_win32.h"

#include "common/ui/window_win32.h"
#include "common/window_messages.h"
#include "note/note_toolbar_win32.h"
#include "resource.h"

namespace tesmora {

namespace {

constexpr wchar_t kFrameClass[] = L"TesmoraNoteThread";
constexpr DWORD kFrameStyle = 0x02CC0000;  // caption, system menu, sizing border, clip-children

// NoteThreadWindow: the never-shown frame that anchors the note thread. The panel's requests arrive
// here as posted messages and go to the toolbar; its close (WM_CLOSE) ends the thread's message loop,
// after which the thread destroys its windows (never from inside a modal loop that may be running).
// Note thread only.
class NoteThreadWindow : public Window {
public:
    explicit NoteThreadWindow(NoteToolbar& toolbar) : toolbar_(toolbar) {}

    bool CreateFrame() {
        if (!RegisterWindowClass(kFrameClass, 0, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH))))
            return false;
        if (!Create(0, kFrameClass, L"Note Thread", kFrameStyle, 0, 0, 100, 100, nullptr, 0)) return false;
        HICON icon = ::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME));
        ::SendMessageW(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
        ::SendMessageW(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
        return true;
    }

protected:
    std::span<const MessageEntry> MessageTable() const override {
        static const MessageEntry table[] = {
            OnMessage(WM_NOTE_SHOW_TOOLBAR, &NoteThreadWindow::OnShowToolbar),
            OnMessage(WM_NOTE_DROP_TO_TOUCH, &NoteThreadWindow::OnDropToTouch),
            OnMessage(WM_CLOSE, &NoteThreadWindow::OnClose),
        };
        return table;
    }

private:
    LRESULT OnShowToolbar(WPARAM wParam, LPARAM) {
        if (wParam == kCrossThreadCheck && toolbar_.Handle()) toolbar_.ShowToolbar();
        return 0;
    }
    LRESULT OnDropToTouch(WPARAM wParam, LPARAM) {
        if (wParam == kCrossThreadCheck && toolbar_.Handle()) toolbar_.DropToTouchMode();
        return 0;
    }
    LRESULT OnClose(WPARAM, LPARAM) {
        ::PostQuitMessage(0);
        return 0;
    }

    NoteToolbar& toolbar_;
};

}  // namespace

void NoteThread::SetHidingPanel(void* self, bool hiding) {
    static_cast<NoteThread*>(self)->hidingPanel_ = hiding;
}

void NoteThread::Run() {
    {
        NoteToolbar toolbar(panel_, &NoteThread::SetHidingPanel, this);
        NoteThreadWindow frame(toolbar);
        if (frame.CreateFrame() && toolbar.Create(nullptr)) {
            toolbar.ShowToolbar();
            toolbar_ = toolbar.Handle();
            MarkReady(frame.Handle());
            RunLoop();
        }
        toolbar_ = nullptr;
        // The toolbar (and with it the overlay) goes first, then the frame at the end of the scope.
        if (toolbar.Handle()) toolbar.DestroyDialog();
    }
    hidingPanel_ = false;
}

void NoteThread::PostToFrame(UINT message) {
    if (HWND frame = Window()) ::PostMessageW(frame, message, kCrossThreadCheck, 0);
}

void NoteThread::ShowToolbar() {
    PostToFrame(WM_NOTE_SHOW_TOOLBAR);
}

void NoteThread::DropToTouchMode() {
    PostToFrame(WM_NOTE_DROP_TO_TOUCH);
}

}  // namespace tesmora
