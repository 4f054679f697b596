#pragma once

#include <vector>

#include <QDialog>

#include "share/networkaddress.h"

class QComboBox;
class QLabel;
class QLineEdit;

namespace zelvano {

// The small window that shows where the phones find the page: its QR code, its address as text
// to copy, the network it is on (another can be picked), and how many devices watch. Closing it
// leaves sharing on; its stop button ends it.
class SharingWindow final : public QDialog
{
    Q_OBJECT

public:
    SharingWindow(QWidget* mainWindow, const std::vector<NetworkAddress>& addresses);

    // The page's address in the QR code and the field; an empty one says that nothing is shared,
    // with the reason given.
    void showAddress(const QString& url, const char* reasonWhenEmpty);
    void showDeviceCount(int count);
    // Shows the window beside the main window, where it leaves the main window's buttons free,
    // on the side with room for it.
    void showBesideMainWindow();

signals:
    void addressChosen(const QString& address);
    void stopRequested();

private:
    QLabel* m_code;
    QLineEdit* m_address;
    QComboBox* m_network;
    QLabel* m_devices;
};

} // namespace zelvano
