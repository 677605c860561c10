// What the remote view does with each keyboard message. View thread only.
#include "remote_control/key_forwarding.h"

#include <algorithm>

namespace tesmora {

namespace {

constexpr uint32_t kVkAlt = 0x12;
constexpr uint32_t kVkPrintScreen = 0x2C;
constexpr uint32_t kVkF4 = 0x73;
constexpr uint32_t kVkF10 = 0x79;
constexpr uint32_t kVkProcessKey = 0xE5;  // the input method is composing
constexpr uint32_t kVkHangul = 0x15;
constexpr uint32_t kImeComposingFlags = 0x41F2;
constexpr uint32_t kAltHeldFlag = 0x2000;
// Key flags of a release: the previous-state and transition bits over the key's scan code and
// extended-key bit.
constexpr uint32_t kReleasedBits = 0xC000;
constexpr uint32_t kScanCodeBits = 0x01FF;

uint32_t HighWord(uint32_t lParam) {
    return lParam >> 16;
}
uint32_t LowWord(uint32_t lParam) {
    return lParam & 0xFFFF;
}
uint32_t SignExtended(uint32_t word) {
    return static_cast<uint32_t>(static_cast<int32_t>(static_cast<int16_t>(word)));
}

}  // namespace

KeyOutcome KeyForwarder::Process(uint32_t message, uint32_t wParam, uint32_t lParam,
                                 const KeyContext& context) {
    KeyOutcome outcome;
    const uint32_t keyFlags = HighWord(lParam);
    const bool altHeld = (keyFlags & kAltHeldFlag) != 0;
    const bool modifiersFree = !context.shiftHeld && !context.ctrlHeld;
    switch (message) {
        case kSysKeyDownMessage:
            // System keys reach the teacher PC as plain key messages, so its menus and shortcuts react
            // as to a local keyboard; Alt+F4 must neither close the view nor the teacher's window.
            if (wParam == kVkF10 && modifiersFree && !altHeld) {
                KeyDown(kVkF10, 1, 0x44, context, outcome);
            } else if (wParam == kVkAlt && modifiersFree) {
                KeyDown(kVkAlt, 1, 0x26, context, outcome);
            } else if (!(altHeld && wParam == kVkF4)) {
                KeyDown(wParam, 1, SignExtended(keyFlags), context, outcome);
            }
            return outcome;
        case kSysKeyUpMessage:
            if (wParam == kVkF10 && modifiersFree && !altHeld) {
                KeyUp(kVkF10, 1, 0xC044, context, outcome);
            } else if (wParam == kVkAlt && modifiersFree) {
                KeyUp(kVkAlt, 1, 0xC026, context, outcome);
            } else if (altHeld && wParam == kVkF4) {
                outcome.passOn = true;
            } else {
                KeyUp(wParam, 1, SignExtended(keyFlags), context, outcome);
            }
            return outcome;
        case kKeyDownMessage:
            if (wParam == kVkProcessKey && context.imeVirtualKey == kVkHangul) {
                outcome.imeToggle = context.channelOpen;
                outcome.takeFocus = true;
                return outcome;
            }
            KeyDown(wParam, LowWord(lParam), keyFlags, context, outcome);
            return outcome;
        case kKeyUpMessage:
            KeyUp(wParam, LowWord(lParam), keyFlags, context, outcome);
            return outcome;
        case kCharMessage:
            // With a key held the character already travels as that key's records; what comes with no
            // key down was composed by the input method and goes as text.
            if (context.channelOpen && keysDown_ == 0) {
                outcome.typedChar = wParam;
                outcome.typedCharFlags = keyFlags;
            }
            return outcome;
        default:
            outcome.passOn = true;
            return outcome;
    }
}

void KeyForwarder::KeyDown(uint32_t keyCode, uint32_t repeat, uint32_t keyFlags, const KeyContext& context,
                           KeyOutcome& outcome) {
    if (!context.channelOpen) return;
    if (keyCode == kVkProcessKey && keyFlags == kImeComposingFlags) return;
    if (keyCode >= 0x100) return;
    outcome.records.push_back({static_cast<uint16_t>(kKeyDownMessage), keyCode, repeat, keyFlags});
    // The count is of keys, not of key-downs: an auto-repeating key sends many downs and one up, and
    // counting each down would leave the count above 0 for good, so that characters composed with no
    // key held (which travel as typed text) would be dropped until the view lost the focus.
    const bool known = std::any_of(held_.begin(), held_.end(),
                                   [keyCode](const HeldKey& held) { return held.keyCode == keyCode; });
    if (!known) {
        held_.push_back({keyCode, keyFlags});
        ++keysDown_;
    }
}

void KeyForwarder::KeyUp(uint32_t keyCode, uint32_t repeat, uint32_t keyFlags, const KeyContext& context,
                         KeyOutcome& outcome) {
    if (!context.channelOpen) return;
    if (keyCode >= 0x100) return;
    // Print Screen gives the view no key-down of its own.
    if (keyCode == kVkPrintScreen) {
        outcome.records.push_back({static_cast<uint16_t>(kKeyDownMessage), keyCode, repeat, keyFlags});
    }
    outcome.records.push_back({static_cast<uint16_t>(kKeyUpMessage), keyCode, repeat, keyFlags});
    // Only a key this view saw go down was counted (one pressed before the view had the focus was not).
    if (std::erase_if(held_, [keyCode](const HeldKey& held) { return held.keyCode == keyCode; }) > 0 &&
        keysDown_ > 0) {
        --keysDown_;
    }
}

std::vector<KeyEventRecord> KeyForwarder::ReleaseHeldKeys() {
    std::vector<KeyEventRecord> releases;
    for (auto held = held_.rbegin(); held != held_.rend(); ++held) {
        releases.push_back({static_cast<uint16_t>(kKeyUpMessage), held->keyCode, 1,
                            (held->keyFlags & kScanCodeBits) | kReleasedBits});
    }
    held_.clear();
    keysDown_ = 0;
    return releases;
}

}  // namespace tesmora
