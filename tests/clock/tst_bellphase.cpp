#include <cmath>

#include <QTest>

#include "clock/bellschedule.h"
#include "clock/presentationtimer.h"
#include "core/phasecolours.h"
#include "fakes/fakecontext.h"

using namespace zelvano;

Q_DECLARE_METATYPE(BellSettings)
Q_DECLARE_METATYPE(PhasePalette)

class TestBellPhase : public QObject
{
    Q_OBJECT

private slots:
    void isTheHighestBellReached_data();
    void isTheHighestBellReached();
    void travelsWithTheDisplayText();
    void everyColourIsReadableOnItsBackground_data();
    void everyColourIsReadableOnItsBackground();
};

void TestBellPhase::isTheHighestBellReached_data()
{
    QTest::addColumn<BellSettings>("settings");
    QTest::addColumn<qint32>("elapsed");
    QTest::addColumn<int>("phase");
    const BellSettings defaults; // 10, 13, 15
    QTest::newRow("start") << defaults << 0 << 0;
    QTest::newRow("a second before bell 1") << defaults << 599 << 0;
    QTest::newRow("at bell 1") << defaults << 600 << 1;
    QTest::newRow("between bells 2 and 3") << defaults << 13 * 60 + 59 << 2;
    QTest::newRow("at bell 3") << defaults << 900 << 3;
    QTest::newRow("long after") << defaults << INT32_MAX << 3;
    QTest::newRow("negative count") << defaults << -600 << 0;
    QTest::newRow("shared mark gives the higher bell")
        << BellSettings { { 10, 13, 13, 1, 2, 3 } } << 780 << 3;
    QTest::newRow("marks out of order: bell 3 first")
        << BellSettings { { 10, 13, 5, 1, 2, 3 } } << 300 << 3;
    QTest::newRow("marks out of order: the highest reached")
        << BellSettings { { 20, 5, 30, 1, 2, 3 } } << 25 * 60 << 2;
    QTest::newRow("zero and negative marks are reached at once")
        << BellSettings { { 0, -5, 15, 1, 2, 3 } } << 0 << 2;
    QTest::newRow("a mark past the 32-bit count is never reached")
        << BellSettings { { 10, 13, 40'000'000, 1, 2, 3 } } << INT32_MAX << 2;
    QTest::newRow("the most negative mark overflows too")
        << BellSettings { { INT32_MIN, 13, 15, 1, 2, 3 } } << 0 << 0;
}

void TestBellPhase::isTheHighestBellReached()
{
    QFETCH(BellSettings, settings);
    QFETCH(qint32, elapsed);
    QFETCH(int, phase);
    QCOMPARE(bellPhase(elapsed, settings), phase);
}

// Each tick sets text and phase together; Stop leaves both, settings changed while running count
// from the next tick, and the first tick after Start sets both anew.
void TestBellPhase::travelsWithTheDisplayText()
{
    FakeContext f;
    f.settings.values = { 1, 2, 3, 1, 1, 1 };
    onStart(f.context);
    for (int tick = 0; tick < 125; ++tick)
        onTick(f.context);
    QCOMPARE(f.view.display, "002:05");
    QCOMPARE(f.view.displayPhase, 2);

    f.settings.values[1] = 5;
    QCOMPARE(f.view.displayPhase, 2);
    onTick(f.context);
    QCOMPARE(f.view.displayPhase, 1);

    onStop(f.context);
    QCOMPARE(f.view.display, "002:06");
    QCOMPARE(f.view.displayPhase, 1);
    onStart(f.context);
    QCOMPARE(f.view.displayPhase, 1);
    onTick(f.context);
    QCOMPARE(f.view.display, "000:01");
    QCOMPARE(f.view.displayPhase, 0);
}

namespace {

    // Relative luminance and contrast ratio of sRGB colours, as accessibility guidelines define them.
    double luminance(Rgb colour)
    {
        const auto linear = [](std::uint8_t channel) {
            const double c = channel / 255.0;
            return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * linear(colour.red) + 0.7152 * linear(colour.green)
            + 0.0722 * linear(colour.blue);
    }

    double contrastRatio(Rgb a, Rgb b)
    {
        const double la = luminance(a);
        const double lb = luminance(b);
        return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
    }

} // namespace

void TestBellPhase::everyColourIsReadableOnItsBackground_data()
{
    QTest::addColumn<PhasePalette>("palette");
    QTest::newRow("main window") << windowPalette;
    QTest::newRow("speaker's view") << speakerViewPalette;
}

void TestBellPhase::everyColourIsReadableOnItsBackground()
{
    QFETCH(PhasePalette, palette);
    for (std::size_t phase = 0; phase < palette.digits.size(); ++phase) {
        const double ratio = contrastRatio(palette.digits[phase], palette.background);
        qInfo("phase %zu: %.2f:1", phase, ratio);
        QVERIFY2(ratio >= 4.5, qPrintable(QStringLiteral("phase %1: %2:1").arg(phase).arg(ratio)));
    }
    // Each bell changes the colour, or the speaker would not see it.
    for (std::size_t phase = 1; phase < palette.digits.size(); ++phase)
        QVERIFY(palette.digits[phase] != palette.digits[phase - 1]);
}

QTEST_APPLESS_MAIN(TestBellPhase)
#include "tst_bellphase.moc"
