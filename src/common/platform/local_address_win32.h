// ChooseLocalAddress over the system's adapter list: the address the pad announces to the teacher
// PC. Any thread.
#pragma once

#include <string>

namespace tesmora {

// The dotted IPv4 address chosen by the rule of local_address.h; empty when the adapter list cannot
// be had.
std::wstring ChooseLocalAddress();

}  // namespace tesmora
