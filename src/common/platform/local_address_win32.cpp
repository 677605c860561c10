// ChooseLocalAddress over GetAdaptersInfo: gathers (address, gateway) pairs and applies the rule.
#include "common/platform/local_address_win32.h"

#include <windows.h>
// after windows.h, which it builds on
#include <iphlpapi.h>

#include <memory>
#include <vector>

#include "common/platform/local_address.h"

namespace tesmora {

namespace {

std::string FixedText(const char* text, size_t capacity) {
    size_t length = 0;
    while (length < capacity && text[length] != '\0') {
        ++length;
    }
    return std::string(text, length);
}

}  // namespace

std::wstring ChooseLocalAddress() {
    ULONG size = sizeof(IP_ADAPTER_INFO);
    std::unique_ptr<uint8_t[]> buffer(new (std::nothrow) uint8_t[size]);
    if (!buffer) {
        return {};
    }
    ULONG result = GetAdaptersInfo(reinterpret_cast<IP_ADAPTER_INFO*>(buffer.get()), &size);
    if (result == ERROR_BUFFER_OVERFLOW) {
        buffer.reset(new (std::nothrow) uint8_t[size]);
        if (!buffer) {
            return {};
        }
        result = GetAdaptersInfo(reinterpret_cast<IP_ADAPTER_INFO*>(buffer.get()), &size);
    }
    if (result != NO_ERROR) {
        return {};
    }

    std::vector<AdapterAddress> adapters;
    for (auto* adapter = reinterpret_cast<const IP_ADAPTER_INFO*>(buffer.get()); adapter != nullptr;
         adapter = adapter->Next) {
        // The address text is a fixed 16-byte field; never trust it to be terminated.
        adapters.push_back({FixedText(adapter->IpAddressList.IpAddress.String, 16),
                            FixedText(adapter->GatewayList.IpAddress.String, 16)});
    }
    const std::string chosen = ChooseLocalAddress(adapters);
    return std::wstring(chosen.begin(), chosen.end());
}

}  // namespace tesmora
