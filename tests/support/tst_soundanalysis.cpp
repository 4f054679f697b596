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
    // A moment of silence inside a sound that then goes on where it was, as an output that drops
    // out under load makes: an onset, and no strike.
    QTest::addColumn<double>("dropoutMs");

    QTest::newRow("one strike, its tail left to ring")
        << std::vector<double> { 123.0 } << 300.0 << 0.0 << 0.0;
    QTest::newRow("each strike cuts off the tail of the last")
        << std::vector<double> { 50.0, 450.0, 850.0 } << 300.0 << 0.0 << 0.0;
    QTest::newRow("a strike's tail drops out for 10 ms")
        << std::vector<double> { 50.0 } << 300.0 << 0.0 << 400.0;
    QTest::newRow("steady tone") << std::vector<double> { 200.0 } << 0.0 << 0.0 << 0.0;
    QTest::newRow("steady tone started again after a short break")
        << std::vector<double> { 200.0, 600.0 } << 0.0 << 15.0 << 0.0;
    QTest::newRow("steady tone dropping out for 10 ms")
        << std::vector<double> { 200.0 } << 0.0 << 0.0 << 600.0;
    QTest::newRow("silence") << std::vector<double> {} << 0.0 << 0.0 << 0.0;
}

void TestSoundAnalysis::onsets()
{
    QFETCH(std::vector<double>, strikes);
    QFETCH(double, decayMs);
    QFETCH(double, gapMs);
    QFETCH(double, dropoutMs);
    std::vector<qint16> samples(at(1500.0));
    for (double start : strikes)
        strike(samples, start, 880.0, decayMs, gapMs);
    std::vector<double> onsetsDue = strikes;
    if (dropoutMs > 0.0) {
        std::fill(samples.begin() + std::ptrdiff_t(at(dropoutMs)),
            samples.begin() + std::ptrdiff_t(at(dropoutMs + 10.0)), qint16(0));
        onsetsDue.push_back(dropoutMs + 10.0);
    }

    // A steady tone started again at its old level looks just like one that dropped out.
    std::vector<double> strikesDue = strikes;
    if (decayMs == 0.0 && !strikes.empty())
        strikesDue.resize(1);
    for (const auto& [found, due] : { std::pair { findOnsets(samples, rate), onsetsDue },
             std::pair { findStrikes(samples, rate), strikesDue } }) {
        QCOMPARE(found.size(), due.size());
        for (std::size_t i = 0; i < found.size(); ++i)
            QVERIFY2(std::abs(found[i] - due[i]) <= 10.0, qPrintable(QString::number(found[i])));
    }
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
