// The rule by which the pad picks the IPv4 address it announces to the teacher PC, over the adapter
// list in the system's order. Any thread.
#pragma once

#include <string>
#include <vector>

namespace tesmora {

// One network adapter as the adapter list reports it: its first address and first gateway, both as
// dotted text (either may be empty).
struct AdapterAddress {
    std::string ip;
    std::string gateway;
};

// A private address (10., 172.16.-172.31., 192.168.) that has a real gateway wins at once; otherwise
// the first other address with a real gateway; otherwise the first adapter's address. Empty list:
// empty answer. Addresses shorter than 8 characters are never chosen by the gateway rules.
std::string ChooseLocalAddress(const std::vector<AdapterAddress>& adapters);

// True for the classroom-network prefixes, compared as text at the start of the address.
bool IsPrivateAddress(const std::string& ip);

}  // namespace tesmora
