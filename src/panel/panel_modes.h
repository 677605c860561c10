// Which feature buttons the panel shows, and where, in each of its modes (connected, uploading,
// remote control) for the two layouts: the shipped one, which offers only the screen upload (and the
// keyboard and monitor buttons while remote control runs), and the full one that config.ini's
// "layout=full" chooses, a taller panel with every command button, laid out for touch. Constant
// data and pure functions: any thread.
#pragma once

#include <string_view>

#include "panel/panel_layout.h"

namespace tesmora {

enum class PanelLayout { kShipped, kFull };
enum class PanelMode { kConnected, kUploading, kRemoteControl };

// config.ini's "layout" text: "full" (any case, blanks around it ignored) chooses the full panel;
// anything else, and no key at all, the shipped one.
PanelLayout ParsePanelLayout(std::u16string_view text);

// The panel's outline in design pixels: its height and where the bottom strip begins.
struct PanelShape {
    int height;
    int bottomStripTop;
};
PanelShape PanelShapeFor(PanelLayout layout);

// The feature buttons in the order the panel places them (every button but close and logo).
std::span<const int> FeatureButtonIds();
// Where a feature button sits in the layout (design pixels).
PanelPoint FeatureButtonPosition(PanelLayout layout, int id);
// Whether a feature button shows in the mode. Remote control and the screen upload exclude each
// other, so each mode hides the other's start button; the keyboard and monitor buttons belong to
// remote control and show only while it runs.
bool FeatureButtonShown(PanelLayout layout, PanelMode mode, int id);

}  // namespace tesmora
