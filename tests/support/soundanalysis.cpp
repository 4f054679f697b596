#include "support/soundanalysis.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include <QStringList>

namespace zelvano {

namespace {

    constexpr double windowMs = 5.0;
    constexpr double audibleLevel = 100.0; // RMS, about -50 dB below full scale
    // An onset is a window this many times louder than the one 10 ms before (the attack of a
    // strike may straddle two windows). A sound holding steady or dying away never rises so fast,
    // while a strike cutting off a tail that has decayed for 400 ms does.
    constexpr double riseRatio = 3.0;
    constexpr std::size_t riseDistance = 2;
    // After an onset, the next one is looked for this much later, so one attack counts once.
    constexpr double holdMs = 100.0;

    // A strike stands this many times above the loudest window of the stretch before it; a bell
    // struck 400 ms after the last stands some three times above that one's tail.
    constexpr double strikeRatio = 1.5;
    constexpr double strikeLookBackMs = 150.0;

    std::size_t windowLength(int sampleRate) { return static_cast<std::size_t>(sampleRate / 200); }

    double levelAt(const std::vector<qint16>& samples, int sampleRate, double ms)
    {
        const std::size_t length = windowLength(sampleRate);
        const auto start = static_cast<std::size_t>(std::max(0.0, ms) * sampleRate / 1000.0);
        if (start + length > samples.size())
            return 0.0;
        double sum = 0.0;
        for (std::size_t i = start; i < start + length; ++i)
            sum += double(samples[i]) * double(samples[i]);
        return std::sqrt(sum / double(length));
    }

    double loudestWindow(
        const std::vector<qint16>& samples, int sampleRate, double fromMs, double untilMs)
    {
        double loudest = 0.0;
        for (double ms = fromMs; ms < untilMs; ms += windowMs)
            loudest = std::max(loudest, levelAt(samples, sampleRate, ms));
        return loudest;
    }

    std::vector<double> windowLevels(const std::vector<qint16>& samples, int sampleRate)
    {
        const std::size_t length = windowLength(sampleRate);
        std::vector<double> levels;
        for (std::size_t start = 0; start + length <= samples.size(); start += length) {
            double sum = 0.0;
            for (std::size_t i = start; i < start + length; ++i)
                sum += double(samples[i]) * double(samples[i]);
            levels.push_back(std::sqrt(sum / double(length)));
        }
        return levels;
    }

} // namespace

std::vector<double> findOnsets(const std::vector<qint16>& samples, int sampleRate)
{
    const std::vector<double> levels = windowLevels(samples, sampleRate);
    const auto hold = static_cast<std::size_t>(holdMs / windowMs);
    // A window is a whole number of samples, a little short of windowMs at 44.1 kHz: onsets are
    // told from its first sample, so that they stay right late in a long recording.
    const double exactWindowMs = double(windowLength(sampleRate)) * 1000.0 / sampleRate;
    std::vector<double> onsets;
    for (std::size_t i = 0; i < levels.size();) {
        const double before = i >= riseDistance ? levels[i - riseDistance] : 0.0;
        if (levels[i] >= audibleLevel && levels[i] >= riseRatio * before) {
            onsets.push_back(double(i) * exactWindowMs);
            i += hold;
        } else {
            ++i;
        }
    }
    return onsets;
}

std::vector<double> findStrikes(const std::vector<qint16>& samples, int sampleRate)
{
    std::vector<double> strikes;
    for (const double onset : findOnsets(samples, sampleRate)) {
        const double before
            = loudestWindow(samples, sampleRate, onset - strikeLookBackMs, onset - windowMs);
        if (loudestWindow(samples, sampleRate, onset, onset + 3 * windowMs) >= strikeRatio * before)
            strikes.push_back(onset);
    }
    return strikes;
}

double audibleMs(const std::vector<qint16>& samples, int sampleRate)
{
    const std::vector<double> levels = windowLevels(samples, sampleRate);
    return windowMs * double(std::count_if(levels.begin(), levels.end(), [](double level) {
        return level >= audibleLevel;
    }));
}

double toneAmplitude(const std::vector<qint16>& samples, int sampleRate, double startMs,
    double lengthMs, double frequency)
{
    const auto first = static_cast<std::size_t>(std::max(0.0, startMs) * sampleRate / 1000.0);
    const auto wanted = static_cast<std::size_t>(lengthMs * sampleRate / 1000.0);
    const std::size_t length
        = first < samples.size() ? std::min(wanted, samples.size() - first) : 0;
    if (length < 2)
        return 0.0;
    // Goertzel's recurrence over a Hann-windowed stretch; the window keeps a strong neighbouring
    // tone from leaking into the frequency asked about.
    const double step = 2.0 * std::numbers::pi * frequency / sampleRate;
    const double coefficient = 2.0 * std::cos(step);
    double previous = 0.0;
    double beforePrevious = 0.0;
    double windowSum = 0.0;
    for (std::size_t i = 0; i < length; ++i) {
        const double weight
            = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * double(i) / double(length - 1));
        windowSum += weight;
        const double current
            = weight * samples[first + i] + coefficient * previous - beforePrevious;
        beforePrevious = previous;
        previous = current;
    }
    const double power = previous * previous + beforePrevious * beforePrevious
        - coefficient * previous * beforePrevious;
    return 2.0 * std::sqrt(std::max(0.0, power)) / windowSum;
}

QString describeOnsets(const std::vector<double>& onsetsMs)
{
    QStringList times;
    for (const double onset : onsetsMs)
        times << QString::number(qRound(onset));
    return QStringLiteral("onsets at [%1] ms").arg(times.join(QStringLiteral(", ")));
}

} // namespace zelvano
