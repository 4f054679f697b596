#include <QTest>

#include "core/speakerscreen.h"

using namespace zelvano;

namespace {

// A laptop's screen on the left, a projector on its right, a third monitor below the laptop.
const Screen laptop { "eDP-1", { 0, 0, 1920, 1080 } };
const Screen projector { "HDMI-1", { 1920, 0, 1280, 720 } };
const Screen below { "DP-2", { 0, 1080, 1920, 1080 } };
const ScreenRect onLaptop { 100, 100, 400, 300 };

} // namespace

Q_DECLARE_METATYPE(std::vector<Screen>)
Q_DECLARE_METATYPE(ScreenRect)

class TestSpeakerScreen : public QObject
{
    Q_OBJECT

private slots:
    void isClearOfTheMainWindow_data();
    void isClearOfTheMainWindow();
};

void TestSpeakerScreen::isClearOfTheMainWindow_data()
{
    QTest::addColumn<std::vector<Screen>>("screens");
    QTest::addColumn<ScreenRect>("mainWindow");
    QTest::addColumn<QString>("current");
    QTest::addColumn<int>("chosen"); // -1: none
    QTest::newRow("opening: the other screen") << std::vector { laptop, projector } << onLaptop
                                               << "" << 1;
    QTest::newRow("opening with one screen: none, it opens beside")
        << std::vector { laptop } << onLaptop << "" << -1;
    QTest::newRow("stays on its screen, whatever comes first")
        << std::vector { laptop, below, projector } << onLaptop << "HDMI-1" << 2;
    QTest::newRow("refits its screen after a change of size")
        << std::vector { laptop, Screen { "HDMI-1", { 1920, 0, 1920, 1080 } } } << onLaptop
        << "HDMI-1" << 1;
    QTest::newRow("its screen gone: another") << std::vector { laptop, below } << onLaptop
                                              << "HDMI-1" << 1;
    QTest::newRow("its screen gone, one left: closes") << std::vector { laptop } << onLaptop
                                                       << "HDMI-1" << -1;
    QTest::newRow("the main window moved onto it: the other one")
        << std::vector { laptop, projector } << ScreenRect { 2000, 50, 400, 300 } << "HDMI-1"
        << 0;
    QTest::newRow("a main window across two screens covers both")
        << std::vector { laptop, projector } << ScreenRect { 1800, 50, 400, 300 } << "" << -1;
    QTest::newRow("touching is not covering") << std::vector { laptop, projector }
                                              << ScreenRect { 1520, 0, 400, 300 } << "" << 1;
}

void TestSpeakerScreen::isClearOfTheMainWindow()
{
    QFETCH(std::vector<Screen>, screens);
    QFETCH(ScreenRect, mainWindow);
    QFETCH(QString, current);
    QFETCH(int, chosen);
    const std::optional<std::size_t> screen
        = speakerViewScreen(screens, mainWindow, current.toStdString());
    QCOMPARE(screen ? static_cast<int>(*screen) : -1, chosen);
}

QTEST_APPLESS_MAIN(TestSpeakerScreen)
#include "tst_speakerscreen.moc"
