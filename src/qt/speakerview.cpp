#include "qt/speakerview.h"

#include <algorithm>

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>

#include "core/phasecolours.h"
#include "core/texts.h"
#include "qt/timedisplay.h"
#include "qt/windowplacement.h"

namespace zelvano {

namespace {

    // The widest time of a talk: the font is chosen so that it fits, and stays put as time runs.
    const QString sizingSample = QStringLiteral("000:00");
    // The room left on each side of the time, as a fraction of the window's width and height.
    constexpr double marginFraction = 0.05;

    // The largest whole pixel size of the display's face at which the sample, its whole cell
    // high, fits into area. Sizes scale the text almost in proportion, so one measurement gives
    // a guess within a size or two.
    QFont fittingFont(const QSize& area)
    {
        QFont font = TimeDisplay::typeface();
        const auto fits = [&font, &area](int pixelSize) {
            font.setPixelSize(pixelSize);
            const QFontMetricsF metrics(font);
            return metrics.horizontalAdvance(sizingSample) <= area.width()
                && metrics.height() <= area.height();
        };
        constexpr int probe = 100;
        font.setPixelSize(probe);
        const QFontMetricsF metrics(font);
        const double scale = std::min(area.width() / metrics.horizontalAdvance(sizingSample),
            area.height() / metrics.height());
        int pixelSize = std::max(1, static_cast<int>(probe * scale));
        while (pixelSize > 1 && !fits(pixelSize))
            --pixelSize;
        while (fits(pixelSize + 1))
            ++pixelSize;
        font.setPixelSize(pixelSize);
        return font;
    }

    // The speaker's palette with every phase in the colour of no phase.
    PhasePalette withoutPhaseColours(PhasePalette palette)
    {
        palette.digits.fill(palette.digits[0]);
        return palette;
    }

} // namespace

SpeakerView::SpeakerView(QWidget* mainWindow)
    : QWidget(mainWindow, Qt::Window)
    , m_display(new TimeDisplay(this, TimeDisplay::Look::Bare))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_ShowWithoutActivating);
    const QString caption = QString::fromUtf8(texts::speakerViewCaption);
    setWindowTitle(caption);
    setAccessibleName(caption);
    m_display->setAccessibleName(caption);
    setColourByPhase(false);
    // Once Qt has moved the windows off a screen that went away.
    connect(qGuiApp, &QGuiApplication::screenRemoved, this, &SpeakerView::closeWithoutProjector,
        Qt::QueuedConnection);
}

QString SpeakerView::text() const { return m_display->text(); }

void SpeakerView::setText(const QString& text, int bellPhase)
{
    m_display->setText(text, bellPhase);
}

void SpeakerView::setColourByPhase(bool on)
{
    m_display->setPhasePalette(on ? speakerViewPalette : withoutPhaseColours(speakerViewPalette));
}

void SpeakerView::showBesideMainWindow()
{
    const QWidget* mainWindow = parentWidget();
    const QList<QScreen*> screens = QGuiApplication::screens();
    const auto other = std::find_if(screens.begin(), screens.end(),
        [mainWindow](const QScreen* screen) { return screen != mainWindow->screen(); });
    if (other != screens.end()) {
        setScreen(*other);
        setGeometry((*other)->geometry());
        // Not showFullScreen(), which also activates the window.
        setWindowState(windowState() | Qt::WindowFullScreen);
        show();
        return;
    }
    // Beside the main window, on the side with more room, as large as that room allows up to a
    // third of the screen's width; the window manager frames it as it framed the main window.
    const QRect available = mainWindow->screen()->availableGeometry();
    const QRect mainFrame = mainWindow->frameGeometry();
    const QRect mainClient = mainWindow->geometry();
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

// When the projector is unplugged, the view that filled it would fill the main window's screen
// and hide the main window: it closes instead, and can be opened again beside the main window.
void SpeakerView::closeWithoutProjector()
{
    if (isVisible() && isFullScreen() && screen() == parentWidget()->screen())
        close();
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
    m_display->setGeometry(rect());
    const int marginX = static_cast<int>(width() * marginFraction);
    const int marginY = static_cast<int>(height() * marginFraction);
    m_display->setFont(fittingFont(rect().adjusted(marginX, marginY, -marginX, -marginY).size()));
    QWidget::resizeEvent(event);
}

} // namespace zelvano
