#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <utility>

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
    void followsTheSecondsShown();
    void aBellIsComingWithinItsLead_data();
    void aBellIsComingWithinItsLead();
    void measuresColourDifferencesAsPublished_data();
    void measuresColourDifferencesAsPublished();
    void everyColourIsReadableOnItsBackground_data();
    void everyColourIsReadableOnItsBackground();
    void phasesStayApartInEveryVision_data();
    void phasesStayApartInEveryVision();
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

void TestBellPhase::aBellIsComingWithinItsLead_data()
{
    QTest::addColumn<BellSettings>("settings");
    QTest::addColumn<qint32>("elapsed");
    QTest::addColumn<bool>("coming");
    const BellSettings defaults; // 10, 13, 15
    QTest::newRow("at start") << defaults << 0 << false;
    QTest::newRow("a second before the lead") << defaults << 594 << false;
    QTest::newRow("the lead begins") << defaults << 595 << true;
    QTest::newRow("the bell's own second") << defaults << 600 << true;
    QTest::newRow("a second past the bell") << defaults << 601 << false;
    QTest::newRow("before bell 3, out of order")
        << BellSettings { { 20, 30, 5, 1, 2, 3 } } << 298 << true;
    QTest::newRow("past every bell") << defaults << 901 << false;
    QTest::newRow("a mark past the 32-bit count")
        << BellSettings { { 40'000'000, 40'000'000, 40'000'000, 1, 2, 3 } } << INT32_MAX
        << false;
    QTest::newRow("a bell a minute in, from the first seconds")
        << BellSettings { { 1, 13, 15, 1, 2, 3 } } << 55 << true;
}

void TestBellPhase::aBellIsComingWithinItsLead()
{
    QFETCH(BellSettings, settings);
    QFETCH(qint32, elapsed);
    QFETCH(bool, coming);
    QCOMPARE(bellComingWithin(elapsed, 5, settings), coming);
}

void TestBellPhase::isTheHighestBellReached()
{
    QFETCH(BellSettings, settings);
    QFETCH(qint32, elapsed);
    QFETCH(int, phase);
    QCOMPARE(bellPhase(elapsed, settings), phase);
}

// The display shows each tick's seconds; its text and the bells' phase follow from them and the
// bells, so bells set anew count at once. Stop and Start leave the display as it is, and the first
// tick after Start shows its own second.
void TestBellPhase::followsTheSecondsShown()
{
    FakeContext f;
    f.settings.values = { 1, 2, 3, 1, 1, 1 };
    const auto shown = [&f] { return displayedTime(f.view.displaySeconds, f.settings); };
    onStart(f.context);
    for (int tick = 0; tick < 125; ++tick)
        onTick(f.context);
    QCOMPARE(shown().text, "002:05");
    QCOMPARE(shown().bellPhase, 2);

    f.settings.values[1] = 5;
    QCOMPARE(shown().bellPhase, 1);
    onStop(f.context);
    onStart(f.context);
    QCOMPARE(shown().text, "002:05");
    QCOMPARE(shown().bellPhase, 1);
    onTick(f.context);
    QCOMPARE(shown().text, "000:01");
    QCOMPARE(shown().bellPhase, 0);
}

namespace {

    using Triple = std::array<double, 3>;
    using Matrix = std::array<Triple, 3>;

    struct Lab
    {
        double l;
        double a;
        double b;
    };

    // How colour-blind eyes see linear or encoded sRGB, at full severity (Machado, Oliveira and
    // Fernandes 2009). Tools differ in which of the two they apply it to; the palettes must hold
    // under both.
    constexpr Matrix normalVision { { { 1, 0, 0 }, { 0, 1, 0 }, { 0, 0, 1 } } };
    constexpr Matrix protanopia { { { 0.152286, 1.052583, -0.204868 },
        { 0.114503, 0.786281, 0.099216 }, { -0.003882, -0.048116, 1.051998 } } };
    constexpr Matrix deuteranopia { { { 0.367322, 0.860646, -0.227968 },
        { 0.280085, 0.672501, 0.047413 }, { -0.011820, 0.042940, 0.968881 } } };
    constexpr Matrix tritanopia { { { 1.255528, -0.076749, -0.178779 },
        { -0.078411, 0.930809, 0.147602 }, { 0.004733, 0.691367, 0.303900 } } };

    Triple times(const Matrix& m, const Triple& v)
    {
        Triple product {};
        for (std::size_t row = 0; row < 3; ++row)
            product[row] = m[row][0] * v[0] + m[row][1] * v[1] + m[row][2] * v[2];
        return product;
    }

    // sRGB's transfer function: an encoded channel in 0..1 to linear light.
    double linearOf(double channel)
    {
        return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
    }

    Triple linearOf(Triple encoded)
    {
        return { linearOf(encoded[0]), linearOf(encoded[1]), linearOf(encoded[2]) };
    }

    Triple encodedOf(Rgb colour)
    {
        return { colour.red / 255.0, colour.green / 255.0, colour.blue / 255.0 };
    }

    // Relative luminance and contrast ratio, as accessibility guidelines define them.
    double luminance(Rgb colour)
    {
        const Triple linear = linearOf(encodedOf(colour));
        return 0.2126 * linear[0] + 0.7152 * linear[1] + 0.0722 * linear[2];
    }

    double contrastRatio(Rgb a, Rgb b)
    {
        const double la = luminance(a);
        const double lb = luminance(b);
        return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
    }

    // CIELAB under D65 of a colour as the vision seeing it does, clamped to what sRGB shows.
    Lab labAsSeen(Rgb colour, const Matrix& vision, bool onLinearLight)
    {
        const Triple encoded = encodedOf(colour);
        Triple seen = times(vision, onLinearLight ? linearOf(encoded) : encoded);
        for (double& channel : seen)
            channel = std::clamp(channel, 0.0, 1.0);
        if (!onLinearLight)
            seen = linearOf(seen);
        constexpr Matrix toXyz { { { 0.4124564, 0.3575761, 0.1804375 },
            { 0.2126729, 0.7151522, 0.0721750 }, { 0.0193339, 0.1191920, 0.9503041 } } };
        constexpr Triple white { 0.95047, 1.0, 1.08883 };
        const Triple xyz = times(toXyz, seen);
        const auto f = [](double t) {
            constexpr double d = 6.0 / 29;
            return t > d * d * d ? std::cbrt(t) : t / (3 * d * d) + 4.0 / 29;
        };
        const double fx = f(xyz[0] / white[0]);
        const double fy = f(xyz[1] / white[1]);
        const double fz = f(xyz[2] / white[2]);
        return { 116 * fy - 16, 500 * (fx - fy), 200 * (fy - fz) };
    }

    // The CIEDE2000 colour difference; hue angles in degrees, as the formula is usually written.
    double ciede2000(Lab p, Lab q)
    {
        const auto radians = [](double degrees) { return degrees * std::numbers::pi / 180; };
        const auto pow7 = [](double x) { return std::pow(x, 7); };
        const double meanChroma = (std::hypot(p.a, p.b) + std::hypot(q.a, q.b)) / 2;
        const double g = 0.5 * (1 - std::sqrt(pow7(meanChroma) / (pow7(meanChroma) + pow7(25))));
        const double c1 = std::hypot((1 + g) * p.a, p.b);
        const double c2 = std::hypot((1 + g) * q.a, q.b);
        const auto hue = [g](const Lab& lab) {
            const double h = std::atan2(lab.b, (1 + g) * lab.a) * 180 / std::numbers::pi;
            return h < 0 ? h + 360 : h;
        };
        const double h1 = hue(p);
        const double h2 = hue(q);
        // A grey has no hue: the other colour's hue alone is the mean, and the hues do not differ.
        const bool grey = c1 * c2 == 0;
        double dh = grey ? 0 : h2 - h1;
        dh += dh > 180 ? -360 : dh < -180 ? 360 : 0;
        double hm = h1 + h2;
        if (!grey && std::abs(h1 - h2) > 180)
            hm += hm < 360 ? 360 : -360;
        hm /= grey ? 1 : 2;
        const double lm = (p.l + q.l) / 2;
        const double cm = (c1 + c2) / 2;
        const double t = 1 - 0.17 * std::cos(radians(hm - 30)) + 0.24 * std::cos(radians(2 * hm))
            + 0.32 * std::cos(radians(3 * hm + 6)) - 0.20 * std::cos(radians(4 * hm - 63));
        const double sl = 1 + 0.015 * (lm - 50) * (lm - 50) / std::sqrt(20 + (lm - 50) * (lm - 50));
        const double rt = -2 * std::sqrt(pow7(cm) / (pow7(cm) + pow7(25)))
            * std::sin(radians(60 * std::exp(-std::pow((hm - 275) / 25, 2))));
        const double dl = (q.l - p.l) / sl;
        const double dc = (c2 - c1) / (1 + 0.045 * cm);
        const double dhue
            = 2 * std::sqrt(c1 * c2) * std::sin(radians(dh / 2)) / (1 + 0.015 * cm * t);
        return std::sqrt(dl * dl + dc * dc + dhue * dhue + rt * dc * dhue);
    }

} // namespace

Q_DECLARE_METATYPE(Lab)
Q_DECLARE_METATYPE(Matrix)

void TestBellPhase::measuresColourDifferencesAsPublished_data()
{
    // Pairs and differences from the published CIEDE2000 test data (Sharma, Wu and Dalal 2005):
    // hue across the zero angle, a grey, large differences, and dark colours.
    QTest::addColumn<Lab>("p");
    QTest::addColumn<Lab>("q");
    QTest::addColumn<double>("difference");
    QTest::newRow("blue") << Lab { 50, 2.6772, -79.7751 } << Lab { 50, 0, -82.7485 } << 2.0425;
    QTest::newRow("grey") << Lab { 50, 0, 0 } << Lab { 50, -1, 2 } << 2.3669;
    QTest::newRow("opposite hues")
        << Lab { 50, 2.49, -0.001 } << Lab { 50, -2.49, 0.0011 } << 7.2195;
    QTest::newRow("opposite hues, other turn")
        << Lab { 50, -0.001, 2.49 } << Lab { 50, 0.0009, -2.49 } << 4.8045;
    QTest::newRow("large") << Lab { 50, 2.5, 0 } << Lab { 73, 25, -18 } << 27.1492;
    QTest::newRow("green") << Lab { 60.2574, -34.0099, 36.2677 }
                           << Lab { 60.4626, -34.1751, 39.4387 } << 1.2644;
    QTest::newRow("dark") << Lab { 6.7747, -0.2908, -2.4247 } << Lab { 5.8714, -0.0985, -2.2286 }
                          << 0.6377;
}

void TestBellPhase::measuresColourDifferencesAsPublished()
{
    QFETCH(Lab, p);
    QFETCH(Lab, q);
    QFETCH(double, difference);
    for (const double measured : { ciede2000(p, q), ciede2000(q, p) })
        QVERIFY2(std::abs(measured - difference) < 5e-5, qPrintable(QString::number(measured)));
}

void TestBellPhase::everyColourIsReadableOnItsBackground_data()
{
    QTest::addColumn<PhasePalette>("palette");
    QTest::addColumn<int>("lightening"); // +1: each phase lighter than the one before; -1: darker
    QTest::newRow("main window") << windowPalette << 1;
    QTest::newRow("speaker's view") << speakerViewPalette << -1;
}

void TestBellPhase::everyColourIsReadableOnItsBackground()
{
    QFETCH(PhasePalette, palette);
    QFETCH(int, lightening);
    const auto& digits = palette.digits;
    for (std::size_t phase = 0; phase < digits.size(); ++phase) {
        const double ratio = contrastRatio(digits[phase], palette.background);
        qInfo("phase %zu: %.2f:1", phase, ratio);
        QVERIFY2(ratio >= 4.5, qPrintable(QStringLiteral("phase %1: %2:1").arg(phase).arg(ratio)));
        // The lightness steps too, not only the hue, so colour-blind eyes see the phases apart.
        if (phase > 0) {
            const double step = luminance(digits[phase]) - luminance(digits[phase - 1]);
            QVERIFY2(step * lightening > 0, qPrintable(QStringLiteral("phase %1").arg(phase)));
        }
    }
}

void TestBellPhase::phasesStayApartInEveryVision_data()
{
    QTest::addColumn<PhasePalette>("palette");
    QTest::addColumn<Matrix>("vision");
    QTest::addColumn<bool>("onLinearLight");
    const std::pair<const char*, PhasePalette> palettes[]
        = { { "main window", windowPalette }, { "speaker's view", speakerViewPalette } };
    const std::pair<const char*, Matrix> visions[] = { { "protanopia", protanopia },
        { "deuteranopia", deuteranopia }, { "tritanopia", tritanopia } };
    for (const auto& [place, palette] : palettes) {
        QTest::addRow("%s, normal vision", place) << palette << normalVision << true;
        for (const auto& [name, vision] : visions) {
            QTest::addRow("%s, %s on linear light", place, name) << palette << vision << true;
            QTest::addRow("%s, %s on encoded values", place, name) << palette << vision << false;
        }
    }
}

// A CIEDE2000 difference of 10 is plain at a glance; below about 3 two colours pass for one.
void TestBellPhase::phasesStayApartInEveryVision()
{
    QFETCH(PhasePalette, palette);
    QFETCH(Matrix, vision);
    QFETCH(bool, onLinearLight);
    double smallest = 100;
    for (std::size_t i = 0; i < palette.digits.size(); ++i) {
        for (std::size_t j = i + 1; j < palette.digits.size(); ++j) {
            const double difference = ciede2000(labAsSeen(palette.digits[i], vision, onLinearLight),
                labAsSeen(palette.digits[j], vision, onLinearLight));
            QVERIFY2(difference >= 10,
                qPrintable(QStringLiteral("phases %1 and %2: %3").arg(i).arg(j).arg(difference)));
            smallest = std::min(smallest, difference);
        }
    }
    qInfo("smallest difference %.1f", smallest);
}

QTEST_APPLESS_MAIN(TestBellPhase)
#include "tst_bellphase.moc"
