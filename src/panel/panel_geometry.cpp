// The panel's placement arithmetic (see panel_geometry.h).
#include "panel/panel_geometry.h"

namespace tesmora {

PanelCorner RestoredPanelCorner(PanelRect logo, int savedWidth, int savedHeight, int screenWidth,
                                int screenHeight) {
    PanelRect r = logo;
    if (r.left < 0) {
        r.right -= r.left;
        r.left = 0;
    }
    if (r.top < 0) {
        r.bottom -= r.top;
        r.top = 0;
    }
    // The logo is smaller than the panel, so its right and bottom edges are compared with where
    // the panel's left and top edges may at most be.
    if (r.right > screenWidth - savedWidth) r.left = screenWidth - savedWidth;
    if (r.bottom > screenHeight - savedHeight) r.top = screenHeight - savedHeight;
    return {r.left, r.top};
}

bool BottomRightCornerOnScreen(PanelRect window, int screenWidth, int screenHeight) {
    return window.right >= 0 && window.bottom >= 0 && window.right <= screenWidth &&
           window.bottom <= screenHeight;
}

}  // namespace tesmora
