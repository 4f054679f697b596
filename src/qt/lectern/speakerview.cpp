#include "qt/lectern/speakerview.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>

#include "core/texts.h"
#include "lectern/lectern.h"
#include "lectern/speakerscreen.h"
#include "qt/desktop/windowplacement.h"
#include "qt/lectern/screenwatch.h"
#include "qt/lectern/speakerface.h"
#include "qt/window/timedisplay.h"

namespace zelvano {

SpeakerView::SpeakerView(QWidget* mainWindow, const Lectern& lectern, const BellSettings& settings)
    : QWidget(mainWindow, Qt::Window)
    , m_mainWindow(mainWindow)
    , m_lectern(lectern)
    , m_settings(settings)
    , m_face(new SpeakerFace(this))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_ShowWithoutActivating);
    const QString caption = QString::fromUtf8(texts::speakerViewCaption);
    setWindowTitle(caption);
    setAccessibleName(caption);
    m_face->setAccessibleName(caption);
    QPalette dark = palette();
    dark.setColor(QPalette::Window, qColour(speakerViewPalette.background));
    setPalette(dark);
    connect(new ScreenWatch(*mainWindow, this), &ScreenWatch::changed, this,
        &SpeakerView::followScreens);
    showContent();
}

void SpeakerView::showContent()
{
    const LecternContent content = m_lectern.content(m_settings);
    const qreal ratio = devicePixelRatioF();
    m_face->setBackground(qColour(content.background));
    m_face->setLines(
        m_layout.lines(QSize(qRound(width() * ratio), qRound(height() * ratio)), content),
        content.bellPhase);
}

void SpeakerView::showBesideMainWindow()
{
    const std::vector<Screen> screens = ScreenWatch::screens();
    const PixelRect frame = ScreenWatch::frame(*m_mainWindow);
    const QRect mainFrame = m_mainWindow->frameGeometry();
    const QRect mainClient = m_mainWindow->geometry();
    // The window manager frames the view as it framed the main window.
    const FrameMargins margins { mainClient.left() - mainFrame.left(),
        mainClient.top() - mainFrame.top(), mainFrame.right() - mainClient.right(),
        mainFrame.bottom() - mainClient.bottom() };
    const SpeakerViewPlace place = speakerViewPlace(screens, frame, margins, 1);
    if (place.screen) {
        fill(QGuiApplication::screens().at(static_cast<qsizetype>(*place.screen)));
        return;
    }
    m_screen.clear();
    resize(place.frame.width - margins.left - margins.right,
        place.frame.height - margins.top - margins.bottom);
    restoreFramePosition(*this, QPoint(place.frame.x, place.frame.y));
    show();
}

// A window manager keeps a full-screen window on its screen, and may hand the keyboard to a shown
// window that becomes full-screen: a view that moves is shown afresh, as when it opened. Not
// showFullScreen(), which also activates the window.
void SpeakerView::fill(QScreen* screen)
{
    const QRect area = screen->geometry();
    m_screen = screen->name();
    if (isVisible() && isFullScreen() && geometry() == area)
        return;
    hide();
    setScreen(screen);
    setGeometry(area);
    setWindowState(windowState() | Qt::WindowFullScreen);
    show();
}

// A window stays where the user put it; its content follows a change of scale.
void SpeakerView::followScreens()
{
    if (!isVisible())
        return;
    if (!m_screen.isEmpty()) {
        const std::optional<std::size_t> screen = speakerViewScreen(
            ScreenWatch::screens(), ScreenWatch::frame(*m_mainWindow), m_screen.toStdString());
        if (!screen) {
            close();
            return;
        }
        fill(QGuiApplication::screens().at(static_cast<qsizetype>(*screen)));
    }
    showContent();
}

void SpeakerView::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void SpeakerView::mouseDoubleClickEvent(QMouseEvent*) { close(); }

void SpeakerView::resizeEvent(QResizeEvent* event)
{
    m_face->setGeometry(rect());
    showContent();
    QWidget::resizeEvent(event);
}

} // namespace zelvano
