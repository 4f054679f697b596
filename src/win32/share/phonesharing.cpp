#include "win32/share/phonesharing.h"

#include "core/texts.h"
#include "platform/widestring_win32.h"
#include "share/sharingcaption.h"

namespace zelvano {

namespace {

    // Longer than the second between two views of a running talk, each of which reads the count
    // anyway and starts the wait anew: the timer wakes the window only while the talk stands still.
    constexpr UINT deviceCountMs = 1500;

} // namespace

PhoneSharing::PhoneSharing(HINSTANCE instance, const Lectern& lectern, const BellSettings& settings)
    : m_lectern(lectern)
    , m_settings(settings)
    , m_window(
          instance, [this] { stop(); },
          [this](std::size_t chosen) {
              if (chosen != m_chosen && !listenOn(chosen))
                  stop();
          })
{ }

PhoneSharing::~PhoneSharing() { stop(); }

void PhoneSharing::open(HWND mainWindow)
{
    m_mainWindow = mainWindow;
    if (!m_server.running()) {
        m_addresses = usableAddresses(platformNetworkAddresses());
        if (m_addresses.empty()) {
            MessageBoxW(mainWindow, widen(texts::shareNoNetwork).c_str(),
                widen(texts::shareWindowCaption).c_str(), MB_OK | MB_ICONINFORMATION);
            return;
        }
        if (!listenOn(0))
            return;
        SetTimer(mainWindow, timerId, deviceCountMs, nullptr);
    }
    m_window.open(mainWindow);
    m_window.showAddress(m_addresses, m_chosen, m_server.url());
    m_deviceCount = -1;
    showDeviceCount();
}

// Listening moves to the address chosen; a failure is told, and leaves sharing off.
bool PhoneSharing::listenOn(std::size_t chosen)
{
    // The first device to come is shown the time at once.
    m_server.publish(currentView());
    if (!m_server.start(m_addresses.at(chosen).address).started) {
        MessageBoxW(m_mainWindow, widen(texts::shareNotStarted).c_str(),
            widen(texts::shareWindowCaption).c_str(), MB_OK | MB_ICONHAND);
        return false;
    }
    m_chosen = chosen;
    m_window.showAddress(m_addresses, m_chosen, m_server.url());
    return true;
}

// Also after a start that failed, which leaves the server stopped but the title to put back.
void PhoneSharing::stop()
{
    m_window.close();
    if (!m_mainWindow)
        return;
    m_server.stop();
    KillTimer(m_mainWindow, timerId);
    m_addresses.clear();
    m_deviceCount = -1;
    showTitle();
    m_mainWindow = nullptr;
}

void PhoneSharing::publish()
{
    if (!m_server.running())
        return;
    m_server.publish(currentView());
    showDeviceCount();
    SetTimer(m_mainWindow, timerId, deviceCountMs, nullptr);
}

SharedView PhoneSharing::currentView() const
{
    return sharedView(m_lectern.seconds(), m_settings, m_lectern.choices().remainingLarge);
}

void PhoneSharing::showDeviceCount()
{
    const int count = m_server.running() ? m_server.deviceCount() : 0;
    if (count == m_deviceCount)
        return;
    m_deviceCount = count;
    m_window.showDeviceCount(count);
    showTitle();
}

void PhoneSharing::showTitle()
{
    SetWindowTextW(
        m_mainWindow, widen(mainWindowCaption(m_server.running(), m_deviceCount)).c_str());
}

} // namespace zelvano
