// Where the custom message box puts its parts at a given scale factor: the window, the title band,
// the message panel, the icon, the text box and the answer buttons of each box type, and the top of a
// measured message text. Portable; any thread.
#pragma once

#include <vector>

namespace tesmora {

// Control ids of the message box template (the resource header repeats them).
inline constexpr int kMsgBoxIdOk = 1;
inline constexpr int kMsgBoxIdCancel = 2;
inline constexpr int kMsgBoxIdTitle = 1011;
inline constexpr int kMsgBoxIdYes = 1246;
inline constexpr int kMsgBoxIdNo = 1247;
inline constexpr int kMsgBoxIdClose = 1628;

// The platform's answer codes.
inline constexpr int kAnswerOk = 1;
inline constexpr int kAnswerCancel = 2;
inline constexpr int kAnswerYes = 6;
inline constexpr int kAnswerNo = 7;

// Box types with answer buttons; any other type shows none.
inline constexpr int kMsgBoxTypeOk = 0;
inline constexpr int kMsgBoxTypeYesNoCancel = 3;
inline constexpr int kMsgBoxTypeYesNo = 4;

struct LayoutRect {
    int x = 0, y = 0, width = 0, height = 0;
    int Right() const { return x + width; }
    int Bottom() const { return y + height; }
    bool operator==(const LayoutRect&) const = default;
};

struct MsgBoxButtonPlace {
    int id = 0;
    LayoutRect rect;
    bool operator==(const MsgBoxButtonPlace&) const = default;
};

struct MessageBoxLayout {
    int width = 0, height = 0;  // client size
    LayoutRect title;           // control 1011
    LayoutRect close;           // button 1628
    int titleBandHeight = 0;    // also the rows that drag the box
    LayoutRect panel;
    LayoutRect icon;
    LayoutRect textBox;                      // where the message text is measured and wrapped
    int fontHeight = 0;                      // title and body fonts
    std::vector<MsgBoxButtonPlace> buttons;  // shown for this type, left to right
};

MessageBoxLayout LayoutMessageBox(int type, float scale);

// The answer that a command of the box gives: OK and Enter 1; Cancel, Esc and the close button 2;
// Yes 6; No 7. 0 for a command that does not end the box.
int MessageBoxAnswerForCommand(int id);

// The top of the message text: centred in the text box when it fits, else at the top of the box.
int MessageTextTop(const LayoutRect& textBox, int measuredHeight);

}  // namespace tesmora
