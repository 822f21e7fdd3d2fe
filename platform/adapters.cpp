#include "platform/adapters.h"

#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

namespace mirevo::platform {

std::vector<Ipv4Adapter> upIpv4Adapters() {
    std::vector<Ipv4Adapter> adapters;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return adapters;
    for (const ifaddrs* item = list; item; item = item->ifa_next) {
        if (!item->ifa_addr || item->ifa_addr->sa_family != AF_INET) continue;
        if (!(item->ifa_flags & IFF_UP)) continue;
        Ipv4Adapter adapter;
        adapter.name = item->ifa_name ? item->ifa_name : "";
        adapter.address = reinterpret_cast<const sockaddr_in*>(item->ifa_addr)->sin_addr.s_addr;
        adapter.canBroadcast = (item->ifa_flags & IFF_BROADCAST) != 0;
        adapter.isLoopback = (item->ifa_flags & IFF_LOOPBACK) != 0;
        if (adapter.canBroadcast && item->ifa_broadaddr &&
            item->ifa_broadaddr->sa_family == AF_INET) {
            adapter.broadcast =
                reinterpret_cast<const sockaddr_in*>(item->ifa_broadaddr)->sin_addr.s_addr;
        }
        adapters.push_back(std::move(adapter));
    }
    freeifaddrs(list);
    return adapters;
}

}  // namespace mirevo::platform
