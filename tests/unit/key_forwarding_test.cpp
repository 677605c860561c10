// The remote view's keyboard decisions: system keys as plain key records, F10, Alt, Alt+F4, Print
// Screen, the Hangul/English key, typed characters, and the release of keys still held.
#include "remote_control/key_forwarding.h"

#include <gtest/gtest.h>

using namespace tesmora;

namespace {

uint32_t KeyLParam(uint32_t keyFlags, uint32_t repeat = 1) {
    return (keyFlags << 16) | repeat;
}

}  // namespace

TEST(KeyForwarder, EachMessageGivesItsRecords) {
    struct Case {
        const char* name;
        uint32_t message, wParam, lParam;
        KeyContext context;
        std::vector<KeyEventRecord> expected;
        bool passOn;
    };
    const Case cases[] = {
        {"F10 down", kSysKeyDownMessage, 0x79, KeyLParam(0x44), {}, {{0x100, 0x79, 1, 0x44}}, false},
        {"F10 up", kSysKeyUpMessage, 0x79, KeyLParam(0xC044), {}, {{0x101, 0x79, 1, 0xC044}}, false},
        {"Alt down", kSysKeyDownMessage, 0x12, KeyLParam(0x2038), {}, {{0x100, 0x12, 1, 0x26}}, false},
        {"Alt up", kSysKeyUpMessage, 0x12, KeyLParam(0xC038), {}, {{0x101, 0x12, 1, 0xC026}}, false},
        {"Alt+F4 down", kSysKeyDownMessage, 0x73, KeyLParam(0x203E), {}, {}, false},
        {"Alt+F4 up", kSysKeyUpMessage, 0x73, KeyLParam(0xE03E), {}, {}, true},
        // Other system keys keep their own flags, sign-extended from the 16-bit word.
        {"Alt+Tab down",
         kSysKeyDownMessage,
         0x09,
         KeyLParam(0x200F, 3),
         {},
         {{0x100, 0x09, 1, 0x200F}},
         false},
        {"Alt+Tab up", kSysKeyUpMessage, 0x09, KeyLParam(0xE00F), {}, {{0x101, 0x09, 1, 0xFFFFE00F}}, false},
        {"Shift+F10",
         kSysKeyDownMessage,
         0x79,
         KeyLParam(0x44),
         {true, true},
         {{0x100, 0x79, 1, 0x44}},
         false},
        {"a down", kKeyDownMessage, 0x41, KeyLParam(0x1E, 2), {}, {{0x100, 0x41, 2, 0x1E}}, false},
        {"Print Screen",
         kKeyUpMessage,
         0x2C,
         KeyLParam(0xC137),
         {},
         {{0x100, 0x2C, 1, 0xC137}, {0x101, 0x2C, 1, 0xC137}},
         false},
        {"composing", kKeyDownMessage, 0xE5, KeyLParam(0x41F2), {}, {}, false},
        {"channel gone", kKeyDownMessage, 0x41, KeyLParam(0x1E), {false}, {}, false},
        {"not a key", 0x200, 0, 0, {}, {}, true},
    };
    for (const Case& c : cases) {
        KeyForwarder forwarder;
        const KeyOutcome outcome = forwarder.Process(c.message, c.wParam, c.lParam, c.context);
        EXPECT_EQ(outcome.records, c.expected) << c.name;
        EXPECT_EQ(outcome.passOn, c.passOn) << c.name;
        EXPECT_FALSE(outcome.typedChar.has_value()) << c.name;
    }
}

TEST(KeyForwarder, CharactersTravelAsTextOnlyWithNoKeyDown) {
    KeyForwarder forwarder;
    ASSERT_EQ(forwarder.Process(kKeyDownMessage, 0x41, KeyLParam(0x1E), {}).records.size(), 1u);
    EXPECT_FALSE(forwarder.Process(kCharMessage, 'a', KeyLParam(0x1E), {}).typedChar.has_value());
    ASSERT_EQ(forwarder.Process(kKeyUpMessage, 0x41, KeyLParam(0xC01E), {}).records.size(), 1u);
    EXPECT_EQ(forwarder.KeysDown(), 0);

    const KeyOutcome composed = forwarder.Process(kCharMessage, 0xD55C, KeyLParam(0x01), {});  // 한
    EXPECT_EQ(composed.typedChar, 0xD55Cu);
    EXPECT_EQ(composed.typedCharFlags, 0x01u);
    EXPECT_FALSE(forwarder.Process(kCharMessage, 0xD55C, 0, {false}).typedChar.has_value());
}

TEST(KeyForwarder, HangulEnglishKeyTogglesTheTeachersInputLanguage) {
    KeyForwarder forwarder;
    KeyContext context;
    context.imeVirtualKey = 0x15;
    const KeyOutcome outcome = forwarder.Process(kKeyDownMessage, 0xE5, KeyLParam(0x01F2), context);
    EXPECT_TRUE(outcome.imeToggle);
    EXPECT_TRUE(outcome.takeFocus);
    EXPECT_TRUE(outcome.records.empty());
    EXPECT_EQ(forwarder.KeysDown(), 0);
}

TEST(KeyForwarder, KeysStillHeldAreReleasedOnceLatestFirst) {
    KeyForwarder forwarder;
    forwarder.Process(kKeyDownMessage, 0x11, KeyLParam(0x1D), {});    // Ctrl
    forwarder.Process(kKeyDownMessage, 0x10, KeyLParam(0x2A), {});    // Shift
    forwarder.Process(kKeyDownMessage, 0x10, KeyLParam(0x402A), {});  // auto-repeat
    forwarder.Process(kKeyDownMessage, 0x41, KeyLParam(0x1E), {});
    forwarder.Process(kKeyUpMessage, 0x41, KeyLParam(0xC01E), {});
    forwarder.Process(kSysKeyDownMessage, 0x12, KeyLParam(0x2038), {});  // Alt
    const std::vector<KeyEventRecord> expected = {
        {0x101, 0x12, 1, 0xC026}, {0x101, 0x10, 1, 0xC02A}, {0x101, 0x11, 1, 0xC01D}};
    EXPECT_EQ(forwarder.ReleaseHeldKeys(), expected);
    EXPECT_EQ(forwarder.KeysDown(), 0);
    EXPECT_TRUE(forwarder.ReleaseHeldKeys().empty());
}

// A held key auto-repeats (many downs, one up); a key pressed before the view had the focus gives
// only its up. Neither may leave the count off, or composed characters after it would be dropped.
TEST(KeyForwarder, TheCountIsOfKeysNotOfRepeats) {
    struct Case {
        const char* name;
        std::vector<std::pair<uint32_t, uint32_t>> keys;  // message, virtual key
        int32_t downAfter;
    };
    const Case cases[] = {
        {"a held key repeating",
         {{kKeyDownMessage, 0x41}, {kKeyDownMessage, 0x41}, {kKeyDownMessage, 0x41}, {kKeyUpMessage, 0x41}},
         0},
        {"two keys, one repeating",
         {{kKeyDownMessage, 0x10}, {kKeyDownMessage, 0x41}, {kKeyDownMessage, 0x41}, {kKeyUpMessage, 0x41}},
         1},
        {"an up without its down", {{kKeyDownMessage, 0x10}, {kKeyUpMessage, 0x41}}, 1},
    };
    for (const Case& c : cases) {
        KeyForwarder forwarder;
        size_t records = 0;
        for (auto [message, key] : c.keys)
            records += forwarder.Process(message, key, KeyLParam(0x1E), {}).records.size();
        EXPECT_EQ(records, c.keys.size()) << c.name;  // every repeat still reaches the teacher
        EXPECT_EQ(forwarder.KeysDown(), c.downAfter) << c.name;
        EXPECT_EQ(forwarder.Process(kCharMessage, 0xD55C, KeyLParam(0x01), {}).typedChar.has_value(),
                  c.downAfter == 0)
            << c.name;
    }
}
