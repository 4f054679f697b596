// How long a bell takes from the play request to its onset in a recording of a private sound
// server's output: the first ring after the player starts (cold) and the rings after it (warm),
// with ring.wav and with the built-in bell. Run build-release/bench/zelvano_bench_bell_latency
// [RINGS]; human-readable lines go to standard error, one JSON object to standard output.
//
// The recording is lined up with the clock by the arrival of its 2 ms fragments (see
// TimedRecorder), and each onset is taken to the sample where the sound stands out, so each
// figure is good to a millisecond or two.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QThread>

#include "benchjson.h"
#include "platform/soundplayer.h"
#include "privatesound.h"
#include "support/pulsesink.h"
#include "support/soundanalysis.h"
#include "support/tonewav.h"
#include "timedrecorder.h"

using namespace zelvano;

namespace {

struct Run
{
    std::vector<double> latenciesMs;
    std::size_t onsets = 0;
};

// findOnsets() names the 5 ms window in which a sound starts; the sound's first sample is the
// first in or after the window before it that stands out of what sounded just before (silence,
// or the tail of the ring it cuts off).
double sampleOnsetMs(const std::vector<qint16>& samples, double windowOnsetMs)
{
    const auto index = [&](double ms) {
        return static_cast<std::size_t>(std::clamp(
            ms * TimedRecorder::sampleRate / 1000.0, 0.0, static_cast<double>(samples.size())));
    };
    int before = 0;
    for (std::size_t i = index(windowOnsetMs - 15); i < index(windowOnsetMs - 5); ++i)
        before = std::max(before, std::abs(int { samples[i] }));
    const int threshold = std::max(300, 2 * before);
    for (std::size_t i = index(windowOnsetMs - 5); i < index(windowOnsetMs + 10); ++i) {
        if (std::abs(int { samples[i] }) >= threshold)
            return static_cast<double>(i) * 1000.0 / TimedRecorder::sampleRate;
    }
    return windowOnsetMs;
}

double monotonicMs()
{
    timespec now {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

Run measure(const PulseSink& sink, int rings, int settleBeforeFirstMs)
{
    TimedRecorder recorder(sink.serverAddress());
    if (!recorder.start()) {
        std::fprintf(stderr, "the sound server cannot be recorded\n");
        return {};
    }
    std::vector<double> requests;
    {
        SoundPlayer player;
        QThread::msleep(static_cast<unsigned long>(settleBeforeFirstMs));
        for (int ring = 0; ring < rings; ++ring) {
            requests.push_back(monotonicMs());
            player.play("ring.wav");
            QThread::msleep(400);
        }
    }
    QThread::msleep(300);
    const std::vector<qint16> samples = recorder.stop();
    const double recordingStartMs = recorder.startMs();
    std::fprintf(stderr, "(the sink plays %.1f ms after it renders)\n", recorder.sinkLatencyMs());
    const std::vector<double> onsets = findOnsets(samples, TimedRecorder::sampleRate);
    Run run;
    run.onsets = onsets.size();
    for (std::size_t i = 0; i < onsets.size() && i < requests.size(); ++i)
        run.latenciesMs.push_back(
            sampleOnsetMs(samples, onsets[i]) + recordingStartMs - requests[i]);
    return run;
}

void report(JsonObject& json, const char* key, const char* what, const Run& run)
{
    if (run.latenciesMs.empty()) {
        std::fprintf(stderr, "%-34s no onsets\n", what);
        return;
    }
    std::vector<double> warm(run.latenciesMs.begin() + 1, run.latenciesMs.end());
    std::sort(warm.begin(), warm.end());
    const auto at = [&warm](double q) {
        return warm.empty() ? 0.0 : warm[static_cast<std::size_t>(q * double(warm.size() - 1))];
    };
    std::fprintf(stderr, "%-34s cold %5.1f ms; warm median %5.1f, max %5.1f ms (%zu onsets)\n",
        what, run.latenciesMs.front(), at(0.5), at(1.0), run.onsets);
    JsonObject figures;
    figures.add("cold_ms", run.latenciesMs.front());
    figures.add("warm_median_ms", at(0.5));
    figures.add("warm_max_ms", at(1.0));
    figures.add("onsets", static_cast<double>(run.onsets));
    json.add(key, figures);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    const int rings = argc > 1 ? std::max(2, QString::fromLocal8Bit(argv[1]).toInt()) : 20;
    const PulseSink sink;
    const QTemporaryDir work;
    if (!usePrivateSound(sink, work))
        return 1;

    JsonObject json;
    report(json, "bell_at_once", "built-in bell, ring at once", measure(sink, rings, 0));
    report(json, "bell_after_500ms", "built-in bell, ring after 500 ms", measure(sink, rings, 500));
    writeToneWav(QStringLiteral("ring.wav"), 1500.0, 300);
    report(json, "wav_at_once", "ring.wav, ring at once", measure(sink, rings, 0));
    report(json, "wav_after_500ms", "ring.wav, ring after 500 ms", measure(sink, rings, 500));
    std::printf("%s\n", json.text().c_str());
    return 0;
}
