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

    // The windows rising riseRatio times above the one 10 ms before that accept() takes, in ms; the
    // next is looked for holdMs after each, so one attack counts once.
    template <typename Accept>
    std::vector<double> rises(const std::vector<double>& levels, int sampleRate, Accept accept)
    {
        const auto hold = static_cast<std::size_t>(holdMs / windowMs);
        // A window is a whole number of samples, a little short of windowMs at 44.1 kHz: times
        // are told from its first sample, so that they stay right late in a long recording.
        const double exactWindowMs = double(windowLength(sampleRate)) * 1000.0 / sampleRate;
        std::vector<double> found;
        for (std::size_t i = 0; i < levels.size();) {
            const double before = i >= riseDistance ? levels[i - riseDistance] : 0.0;
            if (levels[i] >= audibleLevel && levels[i] >= riseRatio * before && accept(i)) {
                found.push_back(double(i) * exactWindowMs);
                i += hold;
            } else {
                ++i;
            }
        }
        return found;
    }

} // namespace

std::vector<double> findOnsets(const std::vector<qint16>& samples, int sampleRate)
{
    return rises(windowLevels(samples, sampleRate), sampleRate, [](std::size_t) { return true; });
}

// Looked for on their own rather than among the onsets: a gap's onset just before a strike would
// hold the strike's back.
std::vector<double> findStrikes(const std::vector<qint16>& samples, int sampleRate)
{
    const std::vector<double> levels = windowLevels(samples, sampleRate);
    const auto lookBack = static_cast<std::size_t>(strikeLookBackMs / windowMs);
    return rises(levels, sampleRate, [&levels, lookBack](std::size_t i) {
        const auto loudest = [&levels](std::size_t from, std::size_t until) {
            return *std::max_element(levels.begin() + std::ptrdiff_t(from),
                levels.begin() + std::ptrdiff_t(std::min(until, levels.size())));
        };
        // Up to the window before the one before: an attack may straddle two windows.
        const double before = i > 1 ? loudest(i >= lookBack ? i - lookBack : 0, i - 1) : 0.0;
        return loudest(i, i + 3) >= strikeRatio * before;
    });
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
