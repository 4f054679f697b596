#include "qt/lectern/speakerview.h"

#include <algorithm>

#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>

#include "clock/lectern.h"
#include "core/phasecolours.h"
#include "core/speakerscreen.h"
#include "core/texts.h"
#include "qt/desktop/windowplacement.h"
#include "qt/lectern/screenwatch.h"
#include "qt/lectern/speakerface.h"

namespace zelvano {

namespace {

    QColor qColour(const Rgb& colour) { return QColor(colour.red, colour.green, colour.blue); }

    // The view's colour for a bell phase; 0 is the colour of no phase.
    QColor phaseColour(int bellPhase)
    {
        return qColour(speakerViewPalette.digits.at(
            static_cast<std::size_t>(std::clamp(bellPhase, 0, BellSettings::bellCount))));
    }

} // namespace

SpeakerView::SpeakerView(QWidget* mainWindow, const BellSettings& settings)
    : QWidget(mainWindow, Qt::Window)
    , m_mainWindow(mainWindow)
    , m_settings(settings)
    , m_face(new SpeakerFace(this))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_ShowWithoutActivating);
    const QString caption = QString::fromUtf8(texts::speakerViewCaption);
    setWindowTitle(caption);
    setAccessibleName(caption);
    m_face->setAccessibleName(caption);
    m_face->setBackground(qColour(speakerViewPalette.background));
    QPalette dark = palette();
    dark.setColor(QPalette::Window, qColour(speakerViewPalette.background));
    setPalette(dark);
    connect(new ScreenWatch(*mainWindow, this), &ScreenWatch::changed, this,
        &SpeakerView::followScreens);
}

void SpeakerView::showTime(std::int32_t seconds, int bellPhase)
{
    m_seconds = seconds;
    m_phase = bellPhase;
    showContent();
}

void SpeakerView::setColourByPhase(bool on)
{
    m_colourByPhase = on;
    showContent();
}

void SpeakerView::setRemainingLarge(bool on)
{
    m_remainingLarge = on;
    showContent();
}

void SpeakerView::showContent()
{
    const LecternText text = lecternText(m_seconds, m_settings, m_remainingLarge);
    const LecternContent content { QString::fromStdString(text.figure),
        m_colourByPhase ? QString::fromStdString(bellMarks(m_phase)) : QString(),
        QString::fromStdString(text.caption), phaseColour(m_colourByPhase ? m_phase : 0),
        phaseColour(0) };
    const qreal ratio = devicePixelRatioF();
    m_face->setLines(
        m_layout.lines(QSize(qRound(width() * ratio), qRound(height() * ratio)), content), m_phase);
}

void SpeakerView::showBesideMainWindow()
{
    const std::optional<std::size_t> screen = speakerViewScreen(
        ScreenWatch::screens(), ScreenWatch::frame(*m_mainWindow), std::string_view());
    if (screen)
        fill(QGuiApplication::screens().at(static_cast<qsizetype>(*screen)));
    else
        showAsWindow();
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

// Beside the main window, on the side with more room, as large as that room allows up to a third
// of the screen's width; the window manager frames it as it framed the main window.
void SpeakerView::showAsWindow()
{
    m_screen.clear();
    const QRect available = m_mainWindow->screen()->availableGeometry();
    const QRect mainFrame = m_mainWindow->frameGeometry();
    const QRect mainClient = m_mainWindow->geometry();
    const QMargins frame(mainClient.left() - mainFrame.left(), mainClient.top() - mainFrame.top(),
        mainFrame.right() - mainClient.right(), mainFrame.bottom() - mainClient.bottom());
    const int leftRoom = mainFrame.left() - available.left();
    const int rightRoom = available.right() - mainFrame.right();
    constexpr int smallestWidth = 320;
    const int frameWidth = std::clamp(std::max(leftRoom, rightRoom), smallestWidth,
        std::max(smallestWidth, available.width() / 3));
    const int width = frameWidth - frame.left() - frame.right();
    const QSize size(width, width * 9 / 16);
    const QSize framed = size.grownBy(frame);
    const int left
        = rightRoom >= leftRoom ? mainFrame.right() + 1 : mainFrame.left() - framed.width();
    const QPoint topLeft(std::clamp(left, available.left(),
                             std::max(available.left(), available.right() + 1 - framed.width())),
        std::clamp(mainFrame.top(), available.top(),
            std::max(available.top(), available.bottom() + 1 - framed.height())));
    resize(size);
    restoreFramePosition(*this, topLeft);
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
