// Where the panel may be: the restore from the logo that pulls the panel back inside the screen,
// and the display-change test that brings a panel whose corner left the screen home. Pure
// functions: any thread.
#pragma once

namespace tesmora {

struct PanelRect {
    int left, top, right, bottom;
    bool operator==(const PanelRect&) const = default;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
};

// The top-left corner at which the panel of `savedWidth` x `savedHeight` reappears when the logo at
// `logo` restores on a `screenWidth` x `screenHeight` screen: the logo's place, shifted so that
// neither edge is left of or above the screen, and pulled in from the right and bottom edges so
// that the whole panel is on the screen.
struct PanelCorner {
    int x, y;
    bool operator==(const PanelCorner&) const = default;
};
PanelCorner RestoredPanelCorner(PanelRect logo, int savedWidth, int savedHeight, int screenWidth,
                                int screenHeight);

// True when the window's bottom-right corner still lies on a `screenWidth` x `screenHeight` screen.
// A window flush with the right or bottom edge is on the screen.
bool BottomRightCornerOnScreen(PanelRect window, int screenWidth, int screenHeight);

}  // namespace tesmora
