#include <arpa/inet.h>
#include <filesystem>
#include <fstream>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <set>
#include <sstream>
#include <string>

#include "share/networkaddress.h"

namespace zelvano {

namespace {

    // The adapters the kernel's routing table sends the default route through: the lines of
    // /proc/net/route whose destination and mask are both 0.
    std::set<std::string> defaultRouteAdapters()
    {
        std::set<std::string> adapters;
        std::ifstream table("/proc/net/route");
        std::string line;
        std::getline(table, line); // the column titles
        while (std::getline(table, line)) {
            std::istringstream fields(line);
            std::string adapter, destination, gateway, flags, refCount, use, metric, mask;
            if (fields >> adapter >> destination >> gateway >> flags >> refCount >> use >> metric
                    >> mask
                && destination == "00000000" && mask == "00000000")
                adapters.insert(adapter);
        }
        return adapters;
    }

    // An adapter with no device behind it is one the kernel made: a bridge, a veth pair, a tunnel.
    bool virtualAdapter(const std::string& name)
    {
        std::error_code error;
        return !std::filesystem::exists("/sys/class/net/" + name + "/device", error);
    }

} // namespace

std::vector<NetworkAddress> platformNetworkAddresses()
{
    std::vector<NetworkAddress> addresses;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0)
        return addresses;
    const auto routed = defaultRouteAdapters();
    for (const ifaddrs* entry = list; entry; entry = entry->ifa_next) {
        if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_INET
            || !(entry->ifa_flags & IFF_UP) || !(entry->ifa_flags & IFF_RUNNING))
            continue;
        char text[INET_ADDRSTRLEN] = {};
        const auto* ip = reinterpret_cast<const sockaddr_in*>(entry->ifa_addr);
        if (!inet_ntop(AF_INET, &ip->sin_addr, text, sizeof text))
            continue;
        const std::string name = entry->ifa_name;
        addresses.push_back({ text, name, routed.contains(name), virtualAdapter(name) });
    }
    freeifaddrs(list);
    return addresses;
}

} // namespace zelvano
