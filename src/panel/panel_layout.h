// The control panel's geometry in design pixels: the panel and its strips, the ten feature buttons
// with their pictures, places and tooltips, and the arithmetic that turns them into screen pixels
// for a scale factor (scale, home position at the top-right corner, the drag strip). Constant data
// and pure functions: any thread.
#pragma once

#include <functional>
#include <span>
#include <string>

namespace tesmora {

// The panel in design pixels.
inline constexpr int kPanelWidth = 65;
inline constexpr int kPanelHeight = 106;
inline constexpr int kPanelTopStripHeight = 28;  // bitmap 188
inline constexpr int kPanelBottomStripTop = 89;  // bitmap 191 starts here
inline constexpr int kPanelBottomStripHeight = 18;
inline constexpr int kPanelDragStripHeight = 38;  // the user drags the panel by this strip
inline constexpr int kLogoSide = 70;              // the collapsed panel, the logo picture's side
inline constexpr int kTitleX = 6, kTitleY = 12, kTitleWidth = 159, kTitleHeight = 14;
inline constexpr int kTitleFontHeight = 14;
inline constexpr int kBoldFontHeight = 12;

// One button the panel creates. The created buttons have no caption; check boxes keep the check
// state their owner sets.
struct PanelButtonPlace {
    int id;
    bool checkBox;
    bool visibleAtStart;
    int width, height;
    int x, y;
    unsigned normal, hover, disabled, checked;  // bitmap ids
    int tooltip;                                // string id, 0 for none
};

// The ten buttons in the order the panel creates them: close and logo first, then the large
// buttons, then the small ones.
std::span<const PanelButtonPlace> PanelButtons();
const PanelButtonPlace* FindPanelButton(int id);

// The UI scale factor: the screen's factor, unless config.ini's "scalefactor" text names another.
float ChoosePanelScaleFactor(int screenWidth, int screenHeight, const std::u16string& overrideText);

struct PanelPoint {
    int x, y;
    bool operator==(const PanelPoint&) const = default;
};
// Where the panel sits when placed by the program: flush with the screen's right edge, at the top.
PanelPoint PanelHomePosition(int screenWidth, float scale);

// The bottom of the strip (client coordinates) by which the panel is dragged: the title strip, or
// the whole logo while collapsed.
int DragStripBottom(bool logoMode, float scale);

// The room for the title text, from its left edge to the close button, in screen pixels.
int TitleRoomWidth(float scale);

// The largest font height from `preferred` down to `smallest` whose text, as `measureWidth(height)`
// answers, fits into `room` pixels; `smallest` when none does. The title keeps its font where it
// fits and shrinks only as far as needed where a substitute face draws it wider.
int FittingFontHeight(int preferred, int smallest, int room, const std::function<int(int)>& measureWidth);

}  // namespace tesmora
