// The panel's layout table and its scale arithmetic (see panel_layout.h).
#include "panel/panel_layout.h"

#include <array>

#include "common/ui/scale.h"
#include "resource.h"

namespace tesmora {

namespace {

constexpr std::array<PanelButtonPlace, 10> kButtons{{
    {IDC_BTN_CLOSE, false, true, 18, 18, 47, 6, IDB_PANEL_CLOSE, IDB_PANEL_CLOSE, IDB_PANEL_CLOSE,
     IDB_PANEL_CLOSE, 0},
    {IDC_BTN_LOGO, true, false, 18, 18, 28, 6, IDB_PANEL_LOGO, IDB_PANEL_LOGO, IDB_PANEL_LOGO, IDB_PANEL_LOGO,
     0},
    {IDC_BTN_REMOTE, true, false, 55, 55, 5, 32, IDB_REMOTE, IDB_REMOTE_HOVER, IDB_REMOTE_DISABLED,
     IDB_REMOTE_CHECKED, IDS_TIP_REMOTE},
    {IDC_BTN_UPLOAD, true, true, 55, 55, 5, 32, IDB_UPLOAD, IDB_UPLOAD_HOVER, IDB_UPLOAD_DISABLED,
     IDB_UPLOAD_CHECKED, IDS_TIP_UPLOAD},
    {IDC_BTN_SHARE, true, false, 55, 55, 5, 150, IDB_SHARE, IDB_SHARE_HOVER, IDB_SHARE_DISABLED,
     IDB_SHARE_CHECKED, IDS_TIP_SHARE},
    {IDC_BTN_TOUCH, true, false, 55, 55, 5, 209, IDB_TOUCH, IDB_TOUCH_HOVER, IDB_TOUCH_DISABLED,
     IDB_TOUCH_CHECKED, IDS_TIP_TOUCH},
    {IDC_BTN_KEYBOARD, false, false, 55, 27, 5, 91, IDB_KEYBOARD, IDB_KEYBOARD_HOVER, IDB_KEYBOARD,
     IDB_KEYBOARD, IDS_TIP_KEYBOARD},
    {IDC_BTN_MONITOR, false, false, 55, 27, 5, 121, IDB_MONITOR, IDB_MONITOR_HOVER, IDB_MONITOR, IDB_MONITOR,
     IDS_TIP_MONITOR},
    {IDC_BTN_NOTE, false, false, 55, 27, 5, 91, IDB_NOTE, IDB_NOTE_HOVER, IDB_NOTE, IDB_NOTE, IDS_TIP_NOTE},
    {IDC_BTN_SOUND, true, false, 55, 27, 5, 121, IDB_SOUND, IDB_SOUND_HOVER, IDB_SOUND, IDB_SOUND_CHECKED,
     IDS_TIP_SOUND},
}};

}  // namespace

std::span<const PanelButtonPlace> PanelButtons() {
    return kButtons;
}

const PanelButtonPlace* FindPanelButton(int id) {
    for (const PanelButtonPlace& button : kButtons) {
        if (button.id == id) return &button;
    }
    return nullptr;
}

float ChoosePanelScaleFactor(int screenWidth, int screenHeight, const std::u16string& overrideText) {
    float chosen = ParseScaleFactorOverride(overrideText);
    return chosen != 0.0f ? chosen : ScaleFactorForScreen(screenWidth, screenHeight);
}

PanelPoint PanelHomePosition(int screenWidth, float scale) {
    return {screenWidth - ScaledBy(kPanelWidth, scale), 0};
}

int DragStripBottom(bool logoMode, float scale) {
    return ScaledBy(logoMode ? kLogoSide : kPanelDragStripHeight, scale);
}

int TitleRoomWidth(float scale) {
    const PanelButtonPlace* close = FindPanelButton(IDC_BTN_CLOSE);
    return ScaledBy(close->x, scale) - ScaledBy(kTitleX, scale) - 1;
}

int FittingFontHeight(int preferred, int smallest, int room, const std::function<int(int)>& measureWidth) {
    for (int height = preferred; height > smallest; --height) {
        if (measureWidth(height) <= room) return height;
    }
    return smallest;
}

}  // namespace tesmora
