#pragma once

#include <windows.h>
#include <cstddef>
#include <string>
#include <vector>

#include "core/bellsettings.h"
#include "lectern/lectern.h"
#include "share/networkaddress.h"
#include "share/sharedview.h"
#include "share/shareserver.h"
#include "win32/share/sharewindow.h"

namespace zelvano {

// The time on the phones, for the main window: starts sharing when the user first asks, hands the
// server what the speaker's view shows at every change, keeps the count of watching devices in the
// sharing window and in the main window's title, and ends sharing on Stop or with the program.
// Closing the sharing window leaves sharing on; the title says so as long as it is.
class PhoneSharing final
{
public:
    // The main window's timer that reads the count of devices.
    static constexpr UINT_PTR timerId = 2;

    PhoneSharing(HINSTANCE instance, const Lectern& lectern, const BellSettings& settings);
    ~PhoneSharing();
    PhoneSharing(const PhoneSharing&) = delete;
    PhoneSharing& operator=(const PhoneSharing&) = delete;

    // The menu item: sharing on, from the best address, if it is not, and the window open.
    void open(HWND mainWindow);
    void stop();
    // What the lectern says now goes to the devices, and their count to the window; never waits.
    void publish();
    // The timer's: the count of devices where it shows.
    void showDeviceCount();

private:
    bool listenOn(std::size_t chosen);
    SharedView currentView() const;
    void showTitle();

    const Lectern& m_lectern;
    const BellSettings& m_settings;
    ShareServer m_server;
    ShareWindow m_window;
    HWND m_mainWindow = nullptr;
    std::vector<NetworkAddress> m_addresses; // on offer while sharing, best first
    std::size_t m_chosen = 0;
    int m_deviceCount = -1; // as last shown
};

} // namespace zelvano
