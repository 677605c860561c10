// The custom message box's geometry (see message_box_layout.h).
#include "common/widgets/message_box_layout.h"

#include "common/ui/scale.h"

namespace tesmora {

MessageBoxLayout LayoutMessageBox(int type, float s) {
    auto S = [s](int v) { return ScaledBy(v, s); };
    MessageBoxLayout layout;
    layout.width = S(504);
    layout.height = S(234);
    layout.title = {S(6), S(12), S(231), S(22)};
    layout.close = {S(474), S(8), S(22), S(22)};
    layout.titleBandHeight = S(39);
    layout.panel = {S(16), S(52), S(471), S(124)};
    layout.icon = {S(39), S(85), S(55), S(50)};
    layout.textBox = {S(110), S(63), S(460) - S(110), S(163) - S(63)};
    layout.fontHeight = S(13);

    auto button = [&](int id, int x) { layout.buttons.push_back({id, {S(x), S(183), S(67), S(34)}}); };
    switch (type) {
        case kMsgBoxTypeOk:
            button(kMsgBoxIdOk, 418);
            break;
        case kMsgBoxTypeYesNoCancel:
            button(kMsgBoxIdYes, 272);
            button(kMsgBoxIdNo, 345);
            button(kMsgBoxIdCancel, 418);
            break;
        case kMsgBoxTypeYesNo:
            button(kMsgBoxIdYes, 345);
            button(kMsgBoxIdNo, 418);
            break;
        default:
            break;
    }
    return layout;
}

int MessageBoxAnswerForCommand(int id) {
    switch (id) {
        case kMsgBoxIdOk:
            return kAnswerOk;
        case kMsgBoxIdCancel:
        case kMsgBoxIdClose:
            return kAnswerCancel;
        case kMsgBoxIdYes:
            return kAnswerYes;
        case kMsgBoxIdNo:
            return kAnswerNo;
        default:
            return 0;
    }
}

int MessageTextTop(const LayoutRect& textBox, int measuredHeight) {
    int top = textBox.y + (textBox.height - measuredHeight) / 2;
    return top < textBox.y ? textBox.y : top;
}

}  // namespace tesmora
