#include "qt/lectern/screenwatch.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace zelvano {

namespace {

    // How long the main window stays put before its moves count: longer than the pause between
    // the moves of a drag.
    constexpr int moveSettleMs = 300;

    PixelRect pixelRect(const QRect& rect)
    {
        return { rect.x(), rect.y(), rect.width(), rect.height() };
    }

} // namespace

ScreenWatch::ScreenWatch(QWidget& mainWindow, QObject* parent)
    : QObject(parent)
{
    m_settle.setSingleShot(true);
    m_settle.setInterval(0);
    connect(&m_settle, &QTimer::timeout, this, &ScreenWatch::changed);
    m_moveSettle.setSingleShot(true);
    m_moveSettle.setInterval(moveSettleMs);
    connect(&m_moveSettle, &QTimer::timeout, this, &ScreenWatch::changed);
    const QList<QScreen*> present = QGuiApplication::screens();
    for (QScreen* screen : present)
        watch(screen);
    connect(qGuiApp, &QGuiApplication::screenAdded, this, [this](QScreen* screen) {
        watch(screen);
        m_settle.start();
    });
    connect(qGuiApp, &QGuiApplication::screenRemoved, &m_settle, qOverload<>(&QTimer::start));
    mainWindow.installEventFilter(this);
}

std::vector<Screen> ScreenWatch::screens()
{
    std::vector<Screen> all;
    const QList<QScreen*> present = QGuiApplication::screens();
    for (const QScreen* screen : present)
        all.push_back({ screen->name().toStdString(), pixelRect(screen->geometry()),
            pixelRect(screen->availableGeometry()) });
    return all;
}

PixelRect ScreenWatch::frame(const QWidget& window) { return pixelRect(window.frameGeometry()); }

bool ScreenWatch::eventFilter(QObject*, QEvent* event)
{
    if (event->type() == QEvent::Move || event->type() == QEvent::Resize)
        m_moveSettle.start();
    return false;
}

void ScreenWatch::watch(QScreen* screen)
{
    const auto changedLater = qOverload<>(&QTimer::start);
    connect(screen, &QScreen::geometryChanged, &m_settle, changedLater);
    connect(screen, &QScreen::logicalDotsPerInchChanged, &m_settle, changedLater);
    connect(screen, &QScreen::physicalDotsPerInchChanged, &m_settle, changedLater);
}

} // namespace zelvano
