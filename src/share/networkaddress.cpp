#include "share/networkaddress.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <optional>
#include <string_view>

namespace zelvano {

namespace {

    std::optional<std::array<int, 4>> parseIpv4(std::string_view text)
    {
        std::array<int, 4> parts {};
        const char* at = text.data();
        const char* end = text.data() + text.size();
        for (std::size_t i = 0; i < parts.size(); ++i) {
            if (i > 0) {
                if (at == end || *at != '.')
                    return std::nullopt;
                ++at;
            }
            const char* digits = at;
            const auto [next, error] = std::from_chars(at, end, parts[i]);
            if (error != std::errc() || next - digits > 3 || parts[i] < 0 || parts[i] > 255)
                return std::nullopt;
            at = next;
        }
        return at == end ? std::optional(parts) : std::nullopt;
    }

    bool reachableFromOutside(const std::array<int, 4>& ip)
    {
        const bool loopback = ip[0] == 127;
        const bool linkLocal = ip[0] == 169 && ip[1] == 254;
        const bool unspecified = ip[0] == 0;
        const bool multicastOrReserved = ip[0] >= 224;
        return !loopback && !linkLocal && !unspecified && !multicastOrReserved;
    }

    // Names that container engines, virtual machine monitors, VPN-less tunnels and WSL give the
    // adapters they make, in lower case.
    bool virtualByName(std::string name)
    {
        std::transform(name.begin(), name.end(), name.begin(),
            [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
        constexpr std::array prefixes { "docker", "br-", "virbr", "veth", "vmnet", "vboxnet",
            "lxcbr", "lxdbr", "podman", "cni", "flannel", "vethernet", "tap", "tun", "zt",
            "tailscale" };
        constexpr std::array parts { "virtual", "vmware", "virtualbox", "hyper-v", "wsl" };
        return std::any_of(prefixes.begin(), prefixes.end(),
                   [&](std::string_view prefix) { return name.starts_with(prefix); })
            || std::any_of(parts.begin(), parts.end(),
                [&](std::string_view part) { return name.find(part) != std::string::npos; });
    }

    int rank(const NetworkAddress& address)
    {
        if (address.virtualAdapter || virtualByName(address.adapter))
            return 2;
        return address.defaultRoute ? 0 : 1;
    }

} // namespace

std::vector<NetworkAddress> usableAddresses(std::vector<NetworkAddress> addresses)
{
    std::vector<NetworkAddress> usable;
    for (auto& candidate : addresses) {
        const auto ip = parseIpv4(candidate.address);
        const bool seen = std::any_of(usable.begin(), usable.end(),
            [&](const NetworkAddress& kept) { return kept.address == candidate.address; });
        if (ip && reachableFromOutside(*ip) && !seen)
            usable.push_back(std::move(candidate));
    }
    std::stable_sort(usable.begin(), usable.end(),
        [](const NetworkAddress& a, const NetworkAddress& b) { return rank(a) < rank(b); });
    return usable;
}

} // namespace zelvano
