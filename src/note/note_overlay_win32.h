// NoteOverlay: the note overlay, a borderless window over one whole display showing a frozen
// snapshot of the screen (writing mode) or a white board with a cyan frame (whiteboard mode), on
// which the teacher draws strokes with the pen or removes them with the eraser. A mouse move draws
// one segment (or restores one eraser square) straight on the window; a repaint replays every
// stroke into an off-screen picture copied in one step, so it never flickers stroke by stroke. The
// toolbar makes, drives and closes it. Note thread only.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "common/ui/dib_surface_win32.h"
#include "common/ui/handles_win32.h"
#include "common/ui/window_win32.h"
#include "note/stroke.h"
#include "note/stroke_history.h"

namespace tesmora {

class NoteOverlay : public Window {
public:
    // What the overlay starts from: a picture of the display to write on, or a white board.
    enum class Background { kScreenSnapshot, kWhiteboard };

    // `panel` is the control panel, hidden while the snapshot is taken; `hidePanel(bool)` tells the
    // panel beforehand that the hiding is wanted (it otherwise keeps itself shown).
    NoteOverlay(HWND panel, void (*hidePanel)(void*, bool), void* hideContext);
    ~NoteOverlay() override;

    // Makes the window over the chosen display, on the given background.
    bool CreateOverlay(Background background);

    void SetTool(int tool);
    void SetWidthIndex(int index);
    void SetPenColour(uint32_t colour) { penColour_ = colour; }
    // Flips the flag for the strokes to come; answers the new value.
    int ToggleSemiTransparent();
    // Removes every stroke; one undo brings them all back.
    void ClearStrokes();
    // Takes back the newest stroke that shows, or the last "clear all"; false when there is nothing
    // to take back. The drawing stays modified.
    bool UndoLastStroke();
    // Deletes the strokes and the window.
    void CloseOverlay();

    bool Modified() const { return modified_ != 0; }
    void SetLastSavedPath(const std::wstring& path) { lastSavedPath_ = path; }
    // Saving succeeded: the drawing no longer counts as modified.
    void MarkSaved() { modified_ = 0; }
    size_t StrokeCount() const { return history_.Count(); }
    int Width() const { return canvas_.Width(); }
    int Height() const { return canvas_.Height(); }

    // Renders background and strokes, as a repaint shows them, into `target` (of the canvas size).
    void RenderTo(HDC target) const;

    bool PreTranslateMessage(MSG& message) override;

protected:
    std::span<const MessageEntry> MessageTable() const override;

private:
    LRESULT OnPaint(WPARAM, LPARAM);
    LRESULT OnLButtonDown(WPARAM, LPARAM);
    LRESULT OnMouseMove(WPARAM, LPARAM);
    LRESULT OnLButtonUp(WPARAM, LPARAM);
    LRESULT OnSetCursor(WPARAM, LPARAM);
    void TakeSnapshot();
    void DrawWhiteboard();
    void RestoreLive(int x, int y);

    HWND panel_;
    void (*hidePanel_)(void*, bool);
    void* hideContext_;
    DibSurface canvas_;
    int tool_ = kNoteToolPen;
    uint32_t penColour_ = 0;
    int widthIndex_ = 1;
    int penWidth_ = NotePenWidth(kNoteToolPen, 1);
    int drawing_ = 0;
    POINT current_{-1, -1};
    POINT last_{-1, -1};
    UniqueMemoryDc backgroundDc_;
    UniqueBitmap backgroundBitmap_;
    HGDIOBJ backgroundPrevious_ = nullptr;
    StrokeHistory history_;  // drawing order; the last is the current one
    Stroke* currentStroke_ = nullptr;
    HCURSOR cursor_ = nullptr;
    int modified_ = 0;
    std::wstring lastSavedPath_;
    int semiTransparent_ = 0;
};

}  // namespace tesmora
