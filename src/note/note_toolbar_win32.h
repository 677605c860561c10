// NoteToolbar: the note toolbar, a small always-on-top tool window through which the teacher
// switches between touch, writing and whiteboard mode, picks pen or eraser, width and colour,
// toggles semi-transparent drawing, clears or undoes strokes and saves the drawing as a picture. It
// makes and closes the overlay as the mode changes and asks before a modified drawing is left. The
// panel reaches it only by posting the hidden frame (show yourself, drop to touch mode). Note thread
// only.
#pragma once

#include <windows.h>

#include <array>
#include <memory>
#include <optional>
#include <string>

#include "common/ui/dialog_win32.h"
#include "common/ui/handles_win32.h"
#include "common/widgets/image_button_win32.h"
#include "note/note_modes.h"
#include "note/note_overlay_win32.h"

namespace tesmora {

class NoteToolbar : public Dialog {
public:
    static constexpr UINT_PTR kOrderTimer = 2;

    // `panel`: the control panel window (hidden for a snapshot, the overlay sits below it);
    // `hidePanel` tells the panel that the note tool wants it hidden for a moment.
    NoteToolbar(HWND panel, void (*hidePanel)(void*, bool), void* hideContext);
    ~NoteToolbar() override;

    // Places the toolbar at the right edge of the screen (or leaves it where the teacher dragged it,
    // while that is still on the screen), sized for the mode, shown and topmost.
    void ShowToolbar();
    // Remote control starts: the drawing closes without the question, touch mode, hidden. Deferred to
    // the end of a question or save that is under way.
    void DropToTouchMode();

    NoteMode Mode() const { return mode_; }
    bool PreTranslateMessage(MSG& message) override;

protected:
    BOOL OnInitDialog() override;
    std::span<const MessageEntry> MessageTable() const override;
    bool OnUnhandledCommand(UINT id, UINT code) override;
    void OnOK() override;
    void OnCancel() override {}

private:
    LRESULT OnPaint(WPARAM, LPARAM);
    LRESULT OnEraseBackground(WPARAM, LPARAM);
    LRESULT OnNcHitTest(WPARAM, LPARAM);
    LRESULT OnCtlColorStatic(WPARAM, LPARAM);
    LRESULT OnTimer(WPARAM, LPARAM);
    LRESULT OnClose(WPARAM, LPARAM);
    LRESULT OnDestroy(WPARAM, LPARAM);

    void SwitchMode(NoteModeCommand command);
    // Saves the drawing; false when the picture could not be written (the teacher was told).
    bool Save();
    void SyncButtons();
    void SetCheck(int id, bool checked);
    void StartDrawing(NoteMode mode);
    void DropNow();
    void CloseDrawing();
    void PlaceOverlayBelowPanel();

    HWND panel_;
    void (*hidePanel_)(void*, bool);
    void* hideContext_;
    int positioned_ = 0;
    std::array<ImageButton, 22> buttons_;
    NoteMode mode_ = NoteMode::Touch;
    int tool_ = 0;
    uint32_t colour_ = 0;
    int widthIndex_ = 1;
    std::unique_ptr<NoteOverlay> overlay_;
    std::optional<GdiplusSession> gdiplus_;
    UniqueFont font_;
    UniqueBrush backBrush_, titleBrush_, panelBrush_;
    bool busy_ = false;         // a question or a save is under way (a modal loop may run)
    bool dropPending_ = false;  // remote control started meanwhile
};

}  // namespace tesmora
