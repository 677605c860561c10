// The login dialog's geometry (see login_layout.h).
#include "login/login_layout.h"

#include "common/ui/scale.h"

namespace tesmora {

namespace {

LayoutRect Rect(int x, int y, int width, int height, float s) {
    return LayoutRect{ScaledBy(x, s), ScaledBy(y, s), ScaledBy(width, s), ScaledBy(height, s)};
}

}  // namespace

LoginDialogLayout LayoutLoginDialog(float s) {
    LoginDialogLayout l;
    l.width = ScaledBy(378, s);
    l.height = ScaledBy(304, s);
    l.headerHeight = ScaledBy(39, s);
    l.title = Rect(6, 12, 287, 13, s);
    l.close = Rect(347, 8, 22, 22, s);
    l.message = Rect(23, 148, 334, 18, s);
    l.label = Rect(21, 186, 89, 12, s);
    l.edit = Rect(132, 186, 194, 18, s);
    l.connect = Rect(220, 260, 67, 34, s);
    l.cancel = Rect(289, 260, 67, 34, s);
    l.banner = Rect(0, 39, 376, 89, s);
    l.inputFrame = Rect(104, 178, 252, 29, s);
    l.separator = Rect(18, 250, 341, 2, s);
    l.headerFontHeight = ScaledBy(13, s);
    l.textFontHeight = ScaledBy(12, s);
    return l;
}

}  // namespace tesmora
