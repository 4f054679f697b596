#include "share/networkaddress.h"

// Windows' socket headers come before windows.h, which the library loader's header includes, and
// the adapters' header after them.
// clang-format off
#include <winsock2.h>
#include <ws2tcpip.h>
#include <iphlpapi.h>
// clang-format on
#include <array>
#include <cstdint>
#include <string_view>

#include "platform/systemlibrary_win32.h"
#include "platform/widestring_win32.h"

namespace zelvano {

namespace {

    // The adapters virtual machines, containers and WSL add: by the maker's prefix of their
    // hardware address (Hyper-V, which WSL uses, VirtualBox, VMware, Parallels, Docker's bridge)...
    constexpr std::array<std::array<std::uint8_t, 3>, 8> virtualMakers { {
        { 0x00, 0x15, 0x5d },
        { 0x08, 0x00, 0x27 },
        { 0x0a, 0x00, 0x27 },
        { 0x00, 0x50, 0x56 },
        { 0x00, 0x0c, 0x29 },
        { 0x00, 0x05, 0x69 },
        { 0x00, 0x1c, 0x42 },
        { 0x02, 0x42, 0xac },
    } };
    // ...or, for those whose address is made up, by the words of their description.
    constexpr std::array<std::wstring_view, 6> virtualWords { L"Virtual", L"vEthernet", L"VMware",
        L"VirtualBox", L"Hyper-V", L"WSL" };

    bool isVirtual(const IP_ADAPTER_ADDRESSES& adapter)
    {
        if (adapter.IfType == IF_TYPE_TUNNEL || adapter.IfType == IF_TYPE_PPP)
            return true;
        if (adapter.PhysicalAddressLength >= 3) {
            for (const auto& maker : virtualMakers) {
                if (adapter.PhysicalAddress[0] == maker[0] && adapter.PhysicalAddress[1] == maker[1]
                    && adapter.PhysicalAddress[2] == maker[2])
                    return true;
            }
        }
        for (const std::wstring_view text :
            { std::wstring_view(adapter.Description ? adapter.Description : L""),
                std::wstring_view(adapter.FriendlyName ? adapter.FriendlyName : L"") }) {
            for (const std::wstring_view word : virtualWords) {
                if (text.find(word) != std::wstring_view::npos)
                    return true;
            }
        }
        return false;
    }

    std::string dottedQuad(const sockaddr* address)
    {
        std::array<char, INET_ADDRSTRLEN> text {};
        const auto* ipv4 = reinterpret_cast<const sockaddr_in*>(address);
        if (!inet_ntop(AF_INET, &ipv4->sin_addr, text.data(), text.size()))
            return {};
        return text.data();
    }

} // namespace

std::vector<NetworkAddress> platformNetworkAddresses()
{
    // iphlpapi.dll is no KnownDLL, so it comes from the system folder at run time.
    const HMODULE library = loadSystemLibrary(L"iphlpapi.dll");
    if (!library)
        return {};
    const auto getAdaptersAddresses
        = libraryFunction<decltype(GetAdaptersAddresses)>(library, "GetAdaptersAddresses");
    const auto getBestInterface
        = libraryFunction<decltype(GetBestInterface)>(library, "GetBestInterface");
    std::vector<NetworkAddress> found;
    if (getAdaptersAddresses) {
        // The list can grow between the call that sizes it and the one that fills it.
        std::vector<unsigned char> buffer(16 * 1024);
        ULONG result = ERROR_BUFFER_OVERFLOW;
        for (int attempt = 0; attempt < 3 && result == ERROR_BUFFER_OVERFLOW; ++attempt) {
            ULONG size = static_cast<ULONG>(buffer.size());
            result = getAdaptersAddresses(AF_INET,
                GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER, nullptr,
                reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()), &size);
            if (result == ERROR_BUFFER_OVERFLOW)
                buffer.resize(size);
        }
        // The adapter a packet for an address out on the internet would leave by; a look-up in
        // the routing table that sends nothing. 192.0.2.1 is reserved for documentation.
        DWORD defaultIndex = 0;
        const bool haveDefault
            = getBestInterface && getBestInterface(htonl(0xc0000201), &defaultIndex) == NO_ERROR;
        if (result == NO_ERROR) {
            for (auto* adapter = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()); adapter;
                 adapter = adapter->Next) {
                if (adapter->OperStatus != IfOperStatusUp)
                    continue;
                for (auto* unicast = adapter->FirstUnicastAddress; unicast;
                     unicast = unicast->Next) {
                    if (unicast->Address.lpSockaddr->sa_family != AF_INET)
                        continue;
                    NetworkAddress entry;
                    entry.address = dottedQuad(unicast->Address.lpSockaddr);
                    if (entry.address.empty())
                        continue;
                    entry.adapter = narrow(adapter->FriendlyName ? adapter->FriendlyName : L"");
                    entry.defaultRoute = haveDefault && adapter->IfIndex == defaultIndex;
                    entry.virtualAdapter = isVirtual(*adapter);
                    found.push_back(std::move(entry));
                }
            }
        }
    }
    FreeLibrary(library);
    return found;
}

} // namespace zelvano
