#pragma once

#include <functional>

#include <QObject>
#include <QPointer>
#include <QTimer>

#include "share/sharedview.h"
#include "share/shareserver.h"

class QWidget;

namespace zelvano {

class SharingWindow;

// Sharing the speaker's view with phones, for the main window: switched on from its menu, on
// until stopped or the program ends, with the sharing window coming and going meanwhile. The
// main window tells it of every change; it hands the view to the server, which never blocks it.
class PhoneSharing final : public QObject
{
    Q_OBJECT

public:
    // currentView is asked whenever the view must be sent anew.
    PhoneSharing(QWidget* mainWindow, std::function<SharedView()> currentView);
    ~PhoneSharing() override;

    // Shows the sharing window, switching sharing on first when it is off: on the best address.
    void openWindow();
    void stop();
    bool isOn() const { return m_server.running(); }
    int deviceCount() const { return m_server.deviceCount(); }
    // Sends the current view to the devices, while sharing is on.
    void showView();

signals:
    // Sharing went on or off, or the number of devices changed.
    void stateChanged();

private:
    void startOn(const QString& address);
    void pollDevices();

    QWidget* m_mainWindow;
    std::function<SharedView()> m_currentView;
    ShareServer m_server;
    QPointer<SharingWindow> m_window;
    QString m_address; // the address listened on, while sharing is on
    QTimer m_poll; // reads the count of devices while sharing is on and no view is sent
    int m_shownDevices = 0;
};

} // namespace zelvano
