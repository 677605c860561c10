// Unit tests of the student-pad switches: the text of a press and who sets the button (and only after
// a send that went out), for teachers on either side of the version gate, and the teacher PC's answer.
#include "session/pad_switches.h"

#include <gtest/gtest.h>

#include "common/window_messages.h"
#include "panel/pad_switch_answer.h"

using namespace tesmora;

TEST(PadSwitches, PressTextAndButtonByCheckStateAndTeacherVersion) {
    const struct {
        PadSwitch which;
        bool checked;
        std::u16string_view version;
        std::u16string_view text;
        std::optional<bool> newCheck;
    } cases[] = {
        // Up to 2.0.1.1027 the teacher does not answer: the panel toggles the button itself.
        {PadSwitch::kTouch, false, u"2.0.1.1027", u"[RC00013]on", true},
        {PadSwitch::kTouch, true, u"2.0.1.1027", u"[RC00013]off", false},
        {PadSwitch::kBroadcast, false, u"2.0.1.1027", u"[RC00012]on", true},
        {PadSwitch::kBroadcast, true, u"2.0.1.1027", u"[RC00012]off", false},
        {PadSwitch::kTouch, false, u"", u"[RC00013]on", true},  // version not yet known
        // Newer teachers answer: the button waits for it.
        {PadSwitch::kTouch, false, u"2.0.1.1028", u"[RC00013]on", std::nullopt},
        {PadSwitch::kTouch, true, u"2.0.1.1028", u"[RC00013]off", std::nullopt},
        {PadSwitch::kBroadcast, false, u"2.0.1.1028", u"[RC00012]on", std::nullopt},
        {PadSwitch::kBroadcast, true, u"2.0.1.1028", u"[RC00012]off", std::nullopt},
        // The comparison is ordinal, as the teachers in the field expect.
        {PadSwitch::kTouch, true, u"2.0.1.999", u"[RC00013]off", std::nullopt},
        {PadSwitch::kTouch, true, u"2.0.1.10270", u"[RC00013]off", std::nullopt},
        {PadSwitch::kTouch, true, u"10.0.0.0", u"[RC00013]off", false},
    };
    for (const auto& c : cases) {
        const PadSwitchPress press = DecidePadSwitchPress(c.which, c.checked, c.version);
        EXPECT_EQ(press.text, c.text);
        EXPECT_EQ(press.newCheck, c.newCheck);
        // The button follows only a text that went out; a skipped one leaves it as it was.
        EXPECT_EQ(PadSwitchCheckAfterSend(press, true), c.newCheck);
        EXPECT_EQ(PadSwitchCheckAfterSend(press, false), std::nullopt);
    }
}

TEST(PadSwitches, TeacherAnswerCountsOnlyWithTheCheckValue) {
    const struct {
        uintptr_t wParam;
        intptr_t lParam;
        std::optional<bool> check;
    } cases[] = {
        {kCrossThreadCheck, 1, true},  {kCrossThreadCheck, 0, false},
        {kCrossThreadCheck, 2, false}, {kCrossThreadCheck, -1, false},
        {0, 1, std::nullopt},          {kCrossThreadCheck + 1, 1, std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(PadSwitchStateFromMessage(c.wParam, c.lParam), c.check);
}
