#include <algorithm>
#include <cmath>
#include <numbers>

#include <QTest>

#include "support/soundanalysis.h"

using namespace zelvano;

namespace {

constexpr int rate = 44100;

std::size_t at(double ms) { return static_cast<std::size_t>(ms * rate / 1000.0); }

// A struck sound: a sine from startMs on, dying away with the given time constant (0 holds it
// steady). Whatever was sounding is cut off gapMs before.
void strike(std::vector<qint16>& samples, double startMs, double frequency, double decayMs,
    double gapMs = 0.0)
{
    std::fill(samples.begin() + static_cast<std::ptrdiff_t>(at(std::max(0.0, startMs - gapMs))),
        samples.end(), qint16(0));
    for (std::size_t i = at(startMs); i < samples.size(); ++i) {
        const double t = double(i - at(startMs)) / rate;
        const double envelope = decayMs > 0.0 ? std::exp(-t * 1000.0 / decayMs) : 1.0;
        const double attack = std::min(1.0, t / 0.004);
        samples[i] = static_cast<qint16>(std::lround(
            16000.0 * attack * envelope * std::sin(2.0 * std::numbers::pi * frequency * t)));
    }
}

} // namespace

class TestSoundAnalysis : public QObject
{
    Q_OBJECT

private slots:
    void onsets_data();
    void onsets();
    void toneAmplitudeTellsPitchesApart();
};

void TestSoundAnalysis::onsets_data()
{
    QTest::addColumn<std::vector<double>>("strikes"); // ms
    QTest::addColumn<double>("decayMs"); // 0 for a steady tone
    QTest::addColumn<double>("gapMs"); // silence between a sound cut off and the next strike

    QTest::newRow("one strike, its tail left to ring")
        << std::vector<double> { 123.0 } << 300.0 << 0.0;
    QTest::newRow("each strike cuts off the tail of the last")
        << std::vector<double> { 50.0, 450.0, 850.0 } << 300.0 << 0.0;
    QTest::newRow("steady tone") << std::vector<double> { 200.0 } << 0.0 << 0.0;
    QTest::newRow("steady tone started again after a short break")
        << std::vector<double> { 200.0, 600.0 } << 0.0 << 15.0;
    QTest::newRow("silence") << std::vector<double> {} << 0.0 << 0.0;
}

void TestSoundAnalysis::onsets()
{
    QFETCH(std::vector<double>, strikes);
    QFETCH(double, decayMs);
    QFETCH(double, gapMs);
    std::vector<qint16> samples(at(1500.0));
    for (double start : strikes)
        strike(samples, start, 880.0, decayMs, gapMs);

    const std::vector<double> onsets = findOnsets(samples, rate);
    QCOMPARE(onsets.size(), strikes.size());
    for (std::size_t i = 0; i < onsets.size(); ++i)
        QVERIFY2(std::abs(onsets[i] - strikes[i]) <= 10.0, qPrintable(QString::number(onsets[i])));
}

void TestSoundAnalysis::toneAmplitudeTellsPitchesApart()
{
    std::vector<qint16> samples(at(200.0));
    strike(samples, 0.0, 1500.0, 0.0);
    QVERIFY(std::abs(toneAmplitude(samples, rate, 20.0, 60.0, 1500.0) - 16000.0) < 400.0);
    QVERIFY(toneAmplitude(samples, rate, 20.0, 60.0, 880.0) < 100.0);
    QCOMPARE(toneAmplitude(samples, rate, 300.0, 60.0, 1500.0), 0.0); // past the end
}

QTEST_APPLESS_MAIN(TestSoundAnalysis)
#include "tst_soundanalysis.moc"
