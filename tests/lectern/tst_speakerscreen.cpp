#include <QTest>

#include "lectern/speakerscreen.h"

using namespace zelvano;

namespace {

// A laptop's screen on the left with a task bar at its bottom, a projector on its right, a third
// monitor below the laptop.
const Screen laptop { "eDP-1", { 0, 0, 1920, 1080 }, { 0, 0, 1920, 1040 } };
const Screen projector { "HDMI-1", { 1920, 0, 1280, 720 }, { 1920, 0, 1280, 720 } };
const Screen below { "DP-2", { 0, 1080, 1920, 1080 }, { 0, 1080, 1920, 1080 } };
// A title bar and a thin border.
constexpr FrameMargins framed { 1, 24, 1, 1 };
const PixelRect onLaptop { 100, 100, 400, 300 };

} // namespace

Q_DECLARE_METATYPE(std::vector<Screen>)
Q_DECLARE_METATYPE(PixelRect)
Q_DECLARE_METATYPE(FrameMargins)

class TestSpeakerScreen : public QObject
{
    Q_OBJECT

private slots:
    void isClearOfTheMainWindow_data();
    void isClearOfTheMainWindow();
    void opensBesideTheMainWindowWithoutAScreen_data();
    void opensBesideTheMainWindowWithoutAScreen();
};

void TestSpeakerScreen::isClearOfTheMainWindow_data()
{
    QTest::addColumn<std::vector<Screen>>("screens");
    QTest::addColumn<PixelRect>("mainWindow");
    QTest::addColumn<QString>("current");
    QTest::addColumn<int>("chosen"); // -1: none
    QTest::newRow("opening: the other screen")
        << std::vector { laptop, projector } << onLaptop << "" << 1;
    QTest::newRow("opening with one screen: none, it opens beside")
        << std::vector { laptop } << onLaptop << "" << -1;
    QTest::newRow("stays on its screen, whatever comes first")
        << std::vector { laptop, below, projector } << onLaptop << "HDMI-1" << 2;
    QTest::newRow("refits its screen after a change of size") << std::vector { laptop,
        Screen { "HDMI-1", { 1920, 0, 1920, 1080 }, { 1920, 0, 1920, 1080 } } }
                                                              << onLaptop << "HDMI-1" << 1;
    QTest::newRow("its screen gone: another")
        << std::vector { laptop, below } << onLaptop << "HDMI-1" << 1;
    QTest::newRow("its screen gone, one left: closes")
        << std::vector { laptop } << onLaptop << "HDMI-1" << -1;
    QTest::newRow("the main window moved onto it: the other one")
        << std::vector { laptop, projector } << PixelRect { 2000, 50, 400, 300 } << "HDMI-1" << 0;
    QTest::newRow("a main window across two screens covers both")
        << std::vector { laptop, projector } << PixelRect { 1800, 50, 400, 300 } << "" << -1;
    QTest::newRow("touching is not covering")
        << std::vector { laptop, projector } << PixelRect { 1520, 0, 400, 300 } << "" << 1;
}

void TestSpeakerScreen::isClearOfTheMainWindow()
{
    QFETCH(std::vector<Screen>, screens);
    QFETCH(PixelRect, mainWindow);
    QFETCH(QString, current);
    QFETCH(int, chosen);
    const std::optional<std::size_t> screen
        = speakerViewScreen(screens, mainWindow, current.toStdString());
    QCOMPARE(screen ? static_cast<int>(*screen) : -1, chosen);
}

// Where the view opens: filling a screen clear of the main window, else beside the main window on
// the side with more room, up to a third of the screen wide and no narrower than 320 pixels at a
// scale of 1, 16:9 inside its frame, level with the main window and inside the work area.
void TestSpeakerScreen::opensBesideTheMainWindowWithoutAScreen_data()
{
    QTest::addColumn<std::vector<Screen>>("screens");
    QTest::addColumn<PixelRect>("mainFrame");
    QTest::addColumn<FrameMargins>("margins");
    QTest::addColumn<double>("scale");
    QTest::addColumn<int>("screen"); // -1: none, a window
    QTest::addColumn<PixelRect>("frame");
    const auto one = [](PixelRect area, PixelRect work) {
        return std::vector { Screen { "only", area, work } };
    };
    QTest::newRow("a projector: filled")
        << std::vector { laptop, projector } << onLaptop << framed << 1.0 << 1 << projector.area;
    QTest::newRow("a wide screen, the main window in the middle: right of it")
        << std::vector { laptop } << PixelRect { 760, 300, 400, 480 } << framed << 1.0 << -1
        << PixelRect { 1160, 300, 640, 383 };
    QTest::newRow("the main window at the right: left of it")
        << std::vector { laptop } << PixelRect { 1400, 200, 400, 480 } << framed << 1.0 << -1
        << PixelRect { 760, 200, 640, 383 };
    QTest::newRow("a small screen: the narrowest, over the main window's edge")
        << one({ 0, 0, 800, 600 }, { 0, 0, 800, 570 }) << PixelRect { 200, 50, 400, 480 } << framed
        << 1.0 << -1 << PixelRect { 480, 50, 320, 203 };
    QTest::newRow("portrait") << one({ 0, 0, 1080, 1920 }, { 0, 0, 1080, 1920 })
                              << PixelRect { 340, 700, 400, 480 } << framed << 1.0 << -1
                              << PixelRect { 740, 700, 340, 215 };
    QTest::newRow("a panel at the top: below it")
        << one({ 0, 0, 1920, 1080 }, { 0, 32, 1920, 1048 }) << PixelRect { 100, 0, 400, 480 }
        << framed << 1.0 << -1 << PixelRect { 500, 32, 640, 383 };
    QTest::newRow("twice the scale")
        << one({ 0, 0, 3840, 2160 }, { 0, 0, 3840, 2100 }) << PixelRect { 1640, 600, 800, 960 }
        << FrameMargins { 2, 48, 2, 2 } << 2.0 << -1 << PixelRect { 360, 600, 1280, 767 };
    QTest::newRow("across two screens: on the one with more of it")
        << std::vector { laptop, projector } << PixelRect { 1800, 50, 400, 300 } << framed << 1.0
        << -1 << PixelRect { 2200, 50, 426, 263 };
}

void TestSpeakerScreen::opensBesideTheMainWindowWithoutAScreen()
{
    QFETCH(std::vector<Screen>, screens);
    QFETCH(PixelRect, mainFrame);
    QFETCH(FrameMargins, margins);
    QFETCH(double, scale);
    QFETCH(int, screen);
    QFETCH(PixelRect, frame);
    const SpeakerViewPlace place = speakerViewPlace(screens, mainFrame, margins, scale);
    QCOMPARE(place.screen ? static_cast<int>(*place.screen) : -1, screen);
    QVERIFY2(place.frame == frame,
        qPrintable(QStringLiteral("%1,%2 %3x%4")
                       .arg(place.frame.x)
                       .arg(place.frame.y)
                       .arg(place.frame.width)
                       .arg(place.frame.height)));
}

QTEST_APPLESS_MAIN(TestSpeakerScreen)
#include "tst_speakerscreen.moc"
