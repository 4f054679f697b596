#pragma once

#include <string>
#include <vector>

namespace zelvano {

// One IPv4 address of a network adapter that is up, as the system reports it; which of them a
// phone should be shown is decided above this seam.
struct AdapterAddress {
    std::string address;      // dotted quad
    std::string adapterName;  // the name the system's network settings show, UTF-8
    bool loopback = false;
    bool onDefaultRoute = false;  // the adapter the system sends other networks' traffic through
    bool virtualAdapter = false;  // a virtual machine's, a container bridge, WSL, a tunnel
};

// Every IPv4 address of every adapter that is up; empty when the system cannot say.
std::vector<AdapterAddress> adapterAddresses();

} // namespace zelvano
