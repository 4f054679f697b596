#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <thread>

#include "share/sharedview.h"

namespace zelvano {

// The port a firewall rule made once keeps matching; another, free, is taken when it is busy.
inline constexpr std::uint16_t defaultSharePort = 48620;
// Devices watching at once; the next is sent a page saying so.
inline constexpr int maxShareDevices = 16;

struct ShareStart
{
    bool started = false;
    std::uint16_t port = 0;
};

// Serves the page of the speaker's view to phones on the local network, view-only, from one I/O
// thread of its own. The window's thread only hands it each new view and reads the count of
// devices: neither waits on the I/O thread, so no client can hold up a tick, a bell or a click.
// Only the page, its two files and its update stream are served, under a random path made for
// each run of the program; every other request is refused alike. Every resource a client could
// make it spend is bounded: the connections, the size and the time of a request, and what is held
// for a device that stops reading (the latest view, nothing queued).
class ShareServer
{
public:
    ShareServer();
    ~ShareServer();
    ShareServer(const ShareServer&) = delete;
    ShareServer& operator=(const ShareServer&) = delete;

    // Listens on the IPv4 address given (one of usableAddresses()) and nowhere else, on
    // defaultSharePort or a free port when it is taken, after stopping any earlier listening.
    [[nodiscard]] ShareStart start(const std::string& address);
    // Closes every connection and ends the I/O thread; returns once it has ended.
    void stop();
    bool running() const { return m_core != nullptr; }

    // What the devices show from now on; sent to each at once when it differs. Never waits.
    void publish(const SharedView& view);
    // Devices whose update stream is open. Never waits.
    int deviceCount() const;

    // The page's address, "http://192.168.1.20:48620/<token>/"; empty while not running.
    std::string url() const;
    // The address and port listened on, as a browser's Host header names them.
    std::string hostAndPort() const;

private:
    struct Core;
    const std::string m_token; // 128 random bits in hex, the same for the whole run
    std::string m_latestMessage; // the update stream's message for the latest view
    std::unique_ptr<Core> m_core;
    std::thread m_thread;
};

} // namespace zelvano
