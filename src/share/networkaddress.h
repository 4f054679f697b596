#pragma once

#include <string>
#include <vector>

namespace zelvano {

// One IPv4 address of one of the machine's network adapters, as the platform reports it.
struct NetworkAddress
{
    std::string address; // dotted quad, "192.168.1.20"
    std::string adapter; // the adapter's name as the user knows it ("wlan0", "Wi-Fi")
    bool defaultRoute = false; // the adapter carries the default route
    // The platform knows the adapter is virtual (a bridge for containers or virtual machines, a
    // tunnel); names are judged as well, by usableAddresses.
    bool virtualAdapter = false;

    friend bool operator==(const NetworkAddress&, const NetworkAddress&) = default;
};

// The addresses a phone on the same network could reach, best first: those on the default route,
// then the others, then virtual adapters' (container bridges, virtual machines, WSL), each group
// in the platform's order. Loopback, link-local, unspecified and malformed addresses are left out,
// and an address listed twice is kept once.
std::vector<NetworkAddress> usableAddresses(std::vector<NetworkAddress> addresses);

// What each platform reports: every IPv4 address of every adapter that is up (networkaddresses_*).
std::vector<NetworkAddress> platformNetworkAddresses();

} // namespace zelvano
