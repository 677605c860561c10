// The address-selection rule of the session handshake: the teacher PC must be able to reach the pad
// on the address it announces, which in a classroom is the private address of a routed adapter.
#include "common/platform/local_address.h"

#include <string_view>

namespace tesmora {

namespace {

// "0.0.0.0" is what the adapter list reports for an adapter without a gateway.
bool HasRealGateway(const std::string& gateway) {
    return !gateway.empty() && gateway != "0.0.0.0";
}

constexpr size_t kShortestUsableAddress = 8;

}  // namespace

bool IsPrivateAddress(const std::string& ip) {
    const std::string_view text(ip);
    if (text.starts_with("10.") || text.starts_with("192.168.")) {
        return true;
    }
    for (int second = 16; second <= 31; ++second) {
        if (text.starts_with("172." + std::to_string(second) + ".")) {
            return true;
        }
    }
    return false;
}

std::string ChooseLocalAddress(const std::vector<AdapterAddress>& adapters) {
    if (adapters.empty()) {
        return {};
    }
    std::string answer = adapters.front().ip;
    bool tookRoutedAddress = false;
    for (const AdapterAddress& adapter : adapters) {
        if (adapter.ip.size() < kShortestUsableAddress) {
            continue;
        }
        const bool routed = HasRealGateway(adapter.gateway);
        if (IsPrivateAddress(adapter.ip)) {
            if (routed) {
                return adapter.ip;
            }
            continue;
        }
        if (routed && (!tookRoutedAddress || answer == "0.0.0.0")) {
            answer = adapter.ip;
            tookRoutedAddress = true;
        }
    }
    return answer;
}

}  // namespace tesmora
