#include "qt/share/sharingwindow.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "core/formatstring.h"
#include "core/texts.h"
#include "qt/share/qrimage.h"

namespace zelvano {

namespace {

    // A module of 7 pixels makes a page's address about 7 cm wide on a usual screen: a phone's
    // camera reads it from half a metre and more.
    constexpr int qrModulePixels = 7;

    QString qs(const char* text) { return QString::fromUtf8(text); }

} // namespace

SharingWindow::SharingWindow(QWidget* mainWindow, const std::vector<NetworkAddress>& addresses)
    : QDialog(mainWindow, Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , m_code(new QLabel(this))
    , m_address(new QLineEdit(this))
    , m_network(new QComboBox(this))
    , m_devices(new QLabel(this))
{
    setWindowTitle(qs(texts::shareWindowCaption));
    auto* layout = new QVBoxLayout(this);
    auto* hint = new QLabel(qs(texts::shareScanHint), this);
    hint->setWordWrap(true);
    layout->addWidget(hint);
    m_code->setAlignment(Qt::AlignCenter);
    m_code->setWordWrap(true);
    layout->addWidget(m_code);

    auto* form = new QFormLayout;
    m_address->setReadOnly(true);
    m_address->setMinimumWidth(m_address->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 52);
    form->addRow(qs(texts::shareAddressLabel), m_address);
    for (const NetworkAddress& choice : addresses)
        m_network->addItem(QString::fromStdString(choice.adapter + " (" + choice.address + ")"),
            QString::fromStdString(choice.address));
    form->addRow(qs(texts::shareNetworkLabel), m_network);
    layout->addLayout(form);
    layout->addWidget(m_devices);

    auto* stop = new QPushButton(qs(texts::shareStopButton), this);
    stop->setAutoDefault(false);
    layout->addWidget(stop, 0, Qt::AlignRight);

    connect(m_network, &QComboBox::activated, this,
        [this](int index) { emit addressChosen(m_network->itemData(index).toString()); });
    connect(stop, &QPushButton::clicked, this, &SharingWindow::stopRequested);
    showDeviceCount(0);
}

void SharingWindow::showAddress(const QString& url, const char* reasonWhenEmpty)
{
    m_address->setText(url);
    m_address->setEnabled(!url.isEmpty());
    const QImage code = url.isEmpty() ? QImage() : qrImage(url, qrModulePixels);
    if (code.isNull()) {
        m_code->setPixmap({});
        m_code->setText(qs(reasonWhenEmpty));
    } else {
        m_code->setPixmap(QPixmap::fromImage(code));
    }
    m_network->setEnabled(m_network->count() > 1);
}

void SharingWindow::showDeviceCount(int count)
{
    m_devices->setText(QString::fromStdString(formatString(texts::shareDevicesFormat, count)));
}

void SharingWindow::showBesideMainWindow()
{
    if (!isVisible()) {
        adjustSize();
        const QRect main = parentWidget()->frameGeometry();
        const QRect room = parentWidget()->screen()->availableGeometry();
        const int x = room.right() - main.right() >= width()
            ? main.right() + 1
            : qMax(room.left(), main.left() - width());
        const int y = qBound(room.top(), main.top(), qMax(room.top(), room.bottom() - height()));
        move(x, y);
    }
    show();
    raise();
    activateWindow();
}

} // namespace zelvano
