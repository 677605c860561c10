// RC4 key schedule and output generator, shared by the built-in engine and the native provider.
// Any thread.
#include "rc4.h"

#include <utility>

namespace tesmora {

void Rc4Apply(const uint8_t* key, size_t keyLength, uint8_t* buffer, size_t length) {
    if (length == 0) return;
    uint8_t state[256];
    for (int i = 0; i < 256; ++i) state[i] = uint8_t(i);
    uint8_t j = 0;
    for (int i = 0; i < 256; ++i) {
        // An empty key cannot be taken modulo its length; it acts as a single zero byte.
        const uint8_t keyByte = keyLength == 0 ? 0 : key[size_t(i) % keyLength];
        j = uint8_t(j + state[i] + keyByte);
        std::swap(state[i], state[j]);
    }
    uint8_t i = 0;
    j = 0;
    for (size_t n = 0; n < length; ++n) {
        i = uint8_t(i + 1);
        j = uint8_t(j + state[i]);
        std::swap(state[i], state[j]);
        buffer[n] ^= state[uint8_t(state[i] + state[j])];
    }
}

}  // namespace tesmora
