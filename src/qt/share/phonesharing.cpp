#include "qt/share/phonesharing.h"

#include "core/texts.h"
#include "qt/share/sharingwindow.h"
#include "share/networkaddress.h"

namespace zelvano {

PhoneSharing::PhoneSharing(QWidget* mainWindow, std::function<SharedView()> currentView)
    : QObject(mainWindow)
    , m_mainWindow(mainWindow)
    , m_currentView(std::move(currentView))
{
    // Longer than the second between two views of a running talk, each of which reads the count
    // anyway and starts the wait anew: the timer wakes the window only while the talk stands still.
    m_poll.setInterval(1500);
    connect(&m_poll, &QTimer::timeout, this, &PhoneSharing::pollDevices);
}

PhoneSharing::~PhoneSharing() = default;

void PhoneSharing::openWindow()
{
    if (!m_window) {
        const auto addresses = usableAddresses(platformNetworkAddresses());
        m_window = new SharingWindow(m_mainWindow, addresses);
        m_window->showDeviceCount(m_shownDevices);
        connect(m_window, &SharingWindow::addressChosen, this, &PhoneSharing::startOn);
        connect(m_window, &SharingWindow::stopRequested, this, &PhoneSharing::stop);
        if (addresses.empty())
            m_window->showAddress({}, texts::shareNoNetwork);
        else
            startOn(QString::fromStdString(addresses.front().address));
    }
    m_window->showBesideMainWindow();
}

void PhoneSharing::startOn(const QString& address)
{
    // The address in use picked again: the devices watching keep their connections.
    if (isOn() && address == m_address)
        return;
    m_address = address;
    m_server.publish(m_currentView());
    const ShareStart started = m_server.start(address.toStdString());
    if (started.started) {
        m_poll.start();
    } else {
        m_poll.stop();
    }
    if (m_window)
        m_window->showAddress(QString::fromStdString(m_server.url()), texts::shareNotStarted);
    pollDevices();
    emit stateChanged();
}

void PhoneSharing::stop()
{
    m_server.stop();
    m_poll.stop();
    if (m_window) {
        m_window->close();
        m_window->deleteLater();
    }
    pollDevices();
    emit stateChanged();
}

void PhoneSharing::showView()
{
    if (!isOn())
        return;
    m_server.publish(m_currentView());
    pollDevices();
    m_poll.start();
}

void PhoneSharing::pollDevices()
{
    const int devices = m_server.deviceCount();
    if (devices == m_shownDevices)
        return;
    m_shownDevices = devices;
    if (m_window)
        m_window->showDeviceCount(devices);
    emit stateChanged();
}

} // namespace zelvano
