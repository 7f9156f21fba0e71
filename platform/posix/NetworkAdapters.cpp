#include "platform/NetworkAdapters.h"

#include <ifaddrs.h>
#include <net/if.h>
#include <netpacket/packet.h>
#include <sys/socket.h>

#include <algorithm>

namespace platform {

bool ListAdapterAddresses(std::vector<HardwareAddress>* addresses) {
    addresses->clear();
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return false;
    // Each interface has one AF_PACKET entry, in interface index order.
    for (const ifaddrs* entry = list; entry; entry = entry->ifa_next) {
        if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_PACKET) continue;
        if (entry->ifa_flags & IFF_LOOPBACK) continue;
        const auto* link = reinterpret_cast<const sockaddr_ll*>(entry->ifa_addr);
        if (link->sll_halen != 6) continue;
        HardwareAddress address {};
        std::copy_n(link->sll_addr, address.size(), address.begin());
        addresses->push_back(address);
    }
    freeifaddrs(list);
    return true;
}

}  // namespace platform
