// Where the custom message box puts its answer buttons and its text, at the factors 1 and 1.4, and
// which answer each command gives.
#include "common/widgets/message_box_layout.h"

#include <gtest/gtest.h>

using namespace tesmora;

namespace {

std::vector<int> Ids(const MessageBoxLayout& layout) {
    std::vector<int> ids;
    for (const auto& button : layout.buttons) ids.push_back(button.id);
    return ids;
}

}  // namespace

TEST(MessageBoxLayout, ButtonsOfEachTypeAtFactorOne) {
    MessageBoxLayout ok = LayoutMessageBox(kMsgBoxTypeOk, 1.0f);
    ASSERT_EQ(Ids(ok), std::vector<int>{kMsgBoxIdOk});
    EXPECT_EQ(ok.buttons[0].rect, (LayoutRect{418, 183, 67, 34}));

    MessageBoxLayout ync = LayoutMessageBox(kMsgBoxTypeYesNoCancel, 1.0f);
    ASSERT_EQ(Ids(ync), (std::vector<int>{kMsgBoxIdYes, kMsgBoxIdNo, kMsgBoxIdCancel}));
    EXPECT_EQ(ync.buttons[0].rect.x, 272);
    EXPECT_EQ(ync.buttons[1].rect.x, 345);
    EXPECT_EQ(ync.buttons[2].rect.x, 418);

    MessageBoxLayout yn = LayoutMessageBox(kMsgBoxTypeYesNo, 1.0f);
    ASSERT_EQ(Ids(yn), (std::vector<int>{kMsgBoxIdYes, kMsgBoxIdNo}));
    EXPECT_EQ(yn.buttons[0].rect.x, 345);
    EXPECT_EQ(yn.buttons[1].rect.x, 418);

    for (int type : {1, 2, 5, -1}) EXPECT_TRUE(LayoutMessageBox(type, 1.0f).buttons.empty()) << type;
}

TEST(MessageBoxLayout, EverythingScalesWithFloorAtOnePointFour) {
    MessageBoxLayout l = LayoutMessageBox(kMsgBoxTypeYesNoCancel, 1.4f);
    EXPECT_EQ(l.width, 705);
    EXPECT_EQ(l.height, 327);
    EXPECT_EQ(l.close, (LayoutRect{663, 11, 30, 30}));
    EXPECT_EQ(l.title, (LayoutRect{8, 16, 323, 30}));
    EXPECT_EQ(l.titleBandHeight, 54);
    EXPECT_EQ(l.panel, (LayoutRect{22, 72, 659, 173}));
    EXPECT_EQ(l.icon, (LayoutRect{54, 119, 77, 70}));
    EXPECT_EQ(l.textBox, (LayoutRect{154, 88, 644 - 154, 228 - 88}));
    EXPECT_EQ(l.fontHeight, 18);
    EXPECT_EQ(l.buttons[0].rect, (LayoutRect{380, 256, 93, 47}));
    EXPECT_EQ(l.buttons[1].rect, (LayoutRect{483, 256, 93, 47}));
    EXPECT_EQ(l.buttons[2].rect, (LayoutRect{585, 256, 93, 47}));
    // The buttons stay inside the box and do not overlap.
    for (size_t i = 0; i < l.buttons.size(); ++i) {
        EXPECT_LE(l.buttons[i].rect.Right(), l.width);
        EXPECT_LE(l.buttons[i].rect.Bottom(), l.height);
        if (i > 0) {
            EXPECT_LE(l.buttons[i - 1].rect.Right(), l.buttons[i].rect.x);
        }
    }
}

TEST(MessageBoxLayout, AnswersOfTheCommands) {
    EXPECT_EQ(MessageBoxAnswerForCommand(kMsgBoxIdOk), 1);
    EXPECT_EQ(MessageBoxAnswerForCommand(kMsgBoxIdCancel), 2);
    EXPECT_EQ(MessageBoxAnswerForCommand(kMsgBoxIdClose), 2);
    EXPECT_EQ(MessageBoxAnswerForCommand(kMsgBoxIdYes), 6);
    EXPECT_EQ(MessageBoxAnswerForCommand(kMsgBoxIdNo), 7);
    EXPECT_EQ(MessageBoxAnswerForCommand(kMsgBoxIdTitle), 0);
}

TEST(MessageBoxLayout, ShortTextIsCentredAndTallTextStartsAtTheTop) {
    LayoutRect box = LayoutMessageBox(0, 1.0f).textBox;  // y 63, height 100
    EXPECT_EQ(MessageTextTop(box, 16), 63 + 42);
    EXPECT_EQ(MessageTextTop(box, 100), 63);
    EXPECT_EQ(MessageTextTop(box, 250), 63);
}
