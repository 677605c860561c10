// ImageButton: a push button or check box whose whole face is one of four pictures chosen by state
// (disabled > checked > hover > normal), stretched to the button with GDI+; no text, focus rectangle
// or frame. It may carry a tooltip, and it swallows the F4 system key. Clicks, focus, the check state
// and notifications are an ordinary button's; check boxes do not toggle themselves (the owner sets the
// check state). GDI+ must be started while buttons paint. UI thread only.
#pragma once

#include <windows.h>

#include <string>

#include "common/ui/window_win32.h"

namespace tesmora {

class ImageButton : public Window {
public:
    // The picture a paint draws.
    enum class Face { Normal, Hover, Disabled, Checked };

    ImageButton() = default;
    ~ImageButton() override;

    // A child button with an empty caption, `style` on top of WS_CHILD (e.g. WS_VISIBLE, BS_CHECKBOX),
    // with a tooltip control.
    bool Create(HWND parent, int id, DWORD style, int x, int y, int width, int height);
    // Takes over an existing dialog button; such a button has no tooltip control.
    bool Attach(HWND button);

    // Loads the four bitmaps from the resource module; picture size is the normal picture's.
    bool LoadBitmaps(UINT normalId, UINT hoverId, UINT disabledId, UINT checkedId);
    // Activates the tooltip and registers the whole button as its tool with `text`.
    void SetTooltipText(const std::wstring& text);

    Face CurrentFace() const;
    bool Hovered() const { return hover_; }
    SIZE PictureSize() const { return SIZE{pictureWidth_, pictureHeight_}; }
    HWND Tooltip() const { return tooltip_; }

    bool PreTranslateMessage(MSG& message) override;

protected:
    std::span<const MessageEntry> MessageTable() const override;

private:
    LRESULT OnPaint(WPARAM, LPARAM);
    LRESULT OnEraseBackground(WPARAM, LPARAM);
    LRESULT OnMouseMove(WPARAM, LPARAM);
    LRESULT OnMouseHover(WPARAM, LPARAM);
    LRESULT OnMouseLeave(WPARAM, LPARAM);
    LRESULT OnEnable(WPARAM, LPARAM);
    LRESULT OnSize(WPARAM, LPARAM);
    LRESULT OnDestroy(WPARAM, LPARAM);
    LRESULT OnStateChange(WPARAM, LPARAM);
    void CreateTooltip();
    void DeletePictures();
    HBITMAP PictureFor(Face face) const;

    HBITMAP normal_ = nullptr;
    HBITMAP hoverPicture_ = nullptr;
    HBITMAP disabled_ = nullptr;
    HBITMAP checked_ = nullptr;
    int pictureWidth_ = 0;
    int pictureHeight_ = 0;
    int scalingMode_ = HALFTONE;
    int buttonWidth_ = 0;
    int buttonHeight_ = 0;
    std::wstring tooltipText_;
    HWND tooltip_ = nullptr;
    bool hover_ = false;
    bool enabled_ = true;
};

}  // namespace tesmora
