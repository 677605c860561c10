// A TCP port written as decimal text, as the relay lookup, setting.ini and the login server's
// "[UR00002]" give it. Any thread.
#pragma once

#include <cstdint>
#include <string_view>

namespace tesmora {

// The port in `text`: decimal digits only, with spaces, tabs, CR and LF tolerated around them (the
// relay's reply and hand-edited INI files carry them). 0 when the text holds no port in 1..65535:
// a service name, a sign, trailing words and out-of-range values are not ports.
uint16_t ParsePortNumber(std::u16string_view text);

}  // namespace tesmora
