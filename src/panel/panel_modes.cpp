// The panel's layouts and modes (see panel_modes.h).
#include "panel/panel_modes.h"

#include <algorithm>
#include <array>

#include "resource.h"

namespace tesmora {

namespace {

constexpr std::array<int, 8> kFeatureButtons{IDC_BTN_REMOTE,   IDC_BTN_UPLOAD,  IDC_BTN_SHARE, IDC_BTN_TOUCH,
                                             IDC_BTN_KEYBOARD, IDC_BTN_MONITOR, IDC_BTN_NOTE,  IDC_BTN_SOUND};

// The full panel: one column, large buttons for the features teachers start most. The keyboard and
// monitor buttons take the upload button's place while remote control runs (they never show
// together).
struct FullPlace {
    int id;
    int x, y;
};
constexpr std::array<FullPlace, 8> kFullPlaces{{
    {IDC_BTN_REMOTE, 5, 32},
    {IDC_BTN_UPLOAD, 5, 91},
    {IDC_BTN_KEYBOARD, 5, 91},
    {IDC_BTN_MONITOR, 5, 121},
    {IDC_BTN_NOTE, 5, 150},
    {IDC_BTN_SOUND, 5, 181},
    {IDC_BTN_SHARE, 5, 212},
    {IDC_BTN_TOUCH, 5, 271},
}};
constexpr PanelShape kFullShape{348, 330};

bool IsSpace(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

}  // namespace

PanelLayout ParsePanelLayout(std::u16string_view text) {
    while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsSpace(text.back())) text.remove_suffix(1);
    constexpr std::u16string_view kFull = u"full";
    if (text.size() != kFull.size()) return PanelLayout::kShipped;
    for (size_t i = 0; i < kFull.size(); ++i) {
        char16_t c = text[i];
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
        if (c != kFull[i]) return PanelLayout::kShipped;
    }
    return PanelLayout::kFull;
}

PanelShape PanelShapeFor(PanelLayout layout) {
    return layout == PanelLayout::kFull ? kFullShape : PanelShape{kPanelHeight, kPanelBottomStripTop};
}

std::span<const int> FeatureButtonIds() {
    return kFeatureButtons;
}

PanelPoint FeatureButtonPosition(PanelLayout layout, int id) {
    if (layout == PanelLayout::kFull) {
        for (const FullPlace& place : kFullPlaces) {
            if (place.id == id) return {place.x, place.y};
        }
    }
    const PanelButtonPlace* place = FindPanelButton(id);
    return place ? PanelPoint{place->x, place->y} : PanelPoint{0, 0};
}

bool FeatureButtonShown(PanelLayout layout, PanelMode mode, int id) {
    bool remoteControlButton = id == IDC_BTN_KEYBOARD || id == IDC_BTN_MONITOR;
    if (remoteControlButton) return mode == PanelMode::kRemoteControl;
    if (id == IDC_BTN_UPLOAD) return mode != PanelMode::kRemoteControl;
    if (layout == PanelLayout::kShipped) return false;  // it offers nothing else
    if (id == IDC_BTN_REMOTE) return mode != PanelMode::kUploading;
    return std::find(kFeatureButtons.begin(), kFeatureButtons.end(), id) != kFeatureButtons.end();
}

}  // namespace tesmora
