// How long a bell takes from the play request to its onset in a recording of a private sound
// server's output: the first ring after the player starts (cold) and the rings after it (warm),
// with ring.wav and with the built-in bell. Run build-release/bench/zelvano_bench_bell_latency
// [RINGS]; human-readable lines go to standard error, one JSON object to standard output.
//
// The recording is lined up with the clock by its end: the samples recorded, counted back from
// the moment recording stops. The recorder hands over its samples in 20 ms fragments and the
// last one may be lost, so each figure may read up to 20 ms low; cold and warm figures share
// that error.
#include <algorithm>
#include <cstdio>
#include <vector>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>

#include "benchjson.h"
#include "support/pulsesink.h"
#include "support/soundanalysis.h"
#include "support/tonewav.h"
#include "ui/soundplayer.h"

using namespace zelvano;

namespace {

struct Run
{
    std::vector<double> latenciesMs;
    std::size_t onsets = 0;
};

Run measure(PulseSink& sink, int rings, int settleBeforeFirstMs)
{
    sink.startRecording();
    QElapsedTimer clock;
    clock.start();
    std::vector<double> requests;
    {
        SoundPlayer player;
        QThread::msleep(static_cast<unsigned long>(settleBeforeFirstMs));
        for (int ring = 0; ring < rings; ++ring) {
            requests.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
            player.play(QStringLiteral("ring.wav"));
            QThread::msleep(400);
        }
    }
    QThread::msleep(300);
    const double stoppedAtMs = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    const std::vector<qint16> samples = sink.stopRecording();
    const double recordedMs = static_cast<double>(samples.size()) * 1000.0 / PulseSink::sampleRate;
    const double recordingStartMs = stoppedAtMs - recordedMs;
    std::fprintf(stderr, "(recording lined up to start at %.1f ms)\n", recordingStartMs);
    const std::vector<double> onsets = findOnsets(samples, PulseSink::sampleRate);
    Run run;
    run.onsets = onsets.size();
    for (std::size_t i = 0; i < onsets.size() && i < requests.size(); ++i)
        run.latenciesMs.push_back(onsets[i] + recordingStartMs - requests[i]);
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
    PulseSink sink;
    if (!sink.isReady()) {
        std::fprintf(stderr, "no sound server: %s\n", qPrintable(sink.errorString()));
        return 1;
    }
    qputenv("PULSE_SERVER", sink.serverAddress());
    QTemporaryDir work;
    QDir::setCurrent(work.path());

    JsonObject json;
    report(json, "bell_at_once", "built-in bell, ring at once", measure(sink, rings, 0));
    report(json, "bell_after_500ms", "built-in bell, ring after 500 ms", measure(sink, rings, 500));
    writeToneWav(QStringLiteral("ring.wav"), 1500.0, 300);
    report(json, "wav_at_once", "ring.wav, ring at once", measure(sink, rings, 0));
    report(json, "wav_after_500ms", "ring.wav, ring after 500 ms", measure(sink, rings, 500));
    std::printf("%s\n", json.text().c_str());
    return 0;
}
