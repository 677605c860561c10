// RC4: the standard key schedule and output generator. Every call starts a fresh key schedule, so
// each buffer is processed from the start of the key stream. Any thread.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tesmora {

void Rc4Apply(const uint8_t* key, size_t keyLength, uint8_t* buffer, size_t length);

}  // namespace tesmora
