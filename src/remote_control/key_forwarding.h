// What the remote view does with each keyboard message: the key records that go to the teacher PC,
// a character typed with no key held, the Hangul/English key, and whether the platform's own handling
// still sees the message. Also remembers which keys the teacher PC believes are held, so that they
// can be released when the view loses focus or remote control stops. View thread only.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "transport/packet.h"

namespace tesmora {

inline constexpr uint32_t kKeyDownMessage = 0x100;
inline constexpr uint32_t kKeyUpMessage = 0x101;
inline constexpr uint32_t kCharMessage = 0x102;
inline constexpr uint32_t kSysKeyDownMessage = 0x104;
inline constexpr uint32_t kSysKeyUpMessage = 0x105;

// The state around one message that the message itself does not carry.
struct KeyContext {
    bool channelOpen = true;  // the communication window exists
    bool shiftHeld = false;
    bool ctrlHeld = false;
    uint32_t imeVirtualKey = 0;  // what the input method reports for a 0xE5 key; 0x15 = Hangul/English
};

struct KeyOutcome {
    std::vector<KeyEventRecord> records;  // to the key queue, in this order
    std::optional<uint32_t> typedChar;    // to send as a typed character (composed by the input method)
    uint32_t typedCharFlags = 0;          // the character message's key flags
    bool imeToggle = false;               // ask the teacher PC to switch its input language
    bool takeFocus = false;               // the view takes the keyboard focus back
    bool passOn = false;                  // the platform's default handling still sees the message
    bool operator==(const KeyOutcome&) const = default;
};

class KeyForwarder {
public:
    // One message (key down/up, system key down/up, character; anything else passes on untouched).
    KeyOutcome Process(uint32_t message, uint32_t wParam, uint32_t lParam, const KeyContext& context);

    // A key-up for every key the teacher PC got a key-down for and no key-up, latest pressed first;
    // forgets them and clears the keys-down count. Without this a Ctrl or Alt held while the view
    // loses focus, or while remote control stops, stays down on the teacher PC.
    std::vector<KeyEventRecord> ReleaseHeldKeys();

    int32_t KeysDown() const { return keysDown_; }

private:
    struct HeldKey {
        uint32_t keyCode;
        uint32_t keyFlags;
    };

    void KeyDown(uint32_t keyCode, uint32_t repeat, uint32_t keyFlags, const KeyContext& context,
                 KeyOutcome& outcome);
    void KeyUp(uint32_t keyCode, uint32_t repeat, uint32_t keyFlags, const KeyContext& context,
               KeyOutcome& outcome);

    int32_t keysDown_ = 0;
    std::vector<HeldKey> held_;  // in the order they were pressed
};

}  // namespace tesmora
