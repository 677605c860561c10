// Where the login dialog puts its parts at a scale factor: every size, position and font height is
// a design value times s, rounded down. Portable; any thread.
#pragma once

#include "common/widgets/message_box_layout.h"

namespace tesmora {

struct LoginDialogLayout {
    int width = 0, height = 0;  // client size
    int headerHeight = 0;       // the dark band; also the rows that drag the dialog
    LayoutRect title;           // 1011
    LayoutRect close;           // 1628
    LayoutRect message;         // 1064
    LayoutRect label;           // 1000
    LayoutRect edit;            // 1036
    LayoutRect connect;         // 1
    LayoutRect cancel;          // 2
    LayoutRect banner;          // bitmap 163
    LayoutRect inputFrame;      // bitmap 162, around the edit
    LayoutRect separator;       // bitmap 164, above the buttons
    int headerFontHeight = 0;
    int textFontHeight = 0;  // the bold text font and the plain font
};

LoginDialogLayout LayoutLoginDialog(float scale);

}  // namespace tesmora
