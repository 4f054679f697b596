// How many rings of each bell are heard on a machine loaded on purpose: busy processes on every
// core while bells of each count ring, through the Linux program's sound path in this process or
// through the Windows program's under Wine (bench/win32/ringer.cpp), to a private sound server
// whose output is recorded. Run build-release/bench/zelvano_bench_rings PLATFORM BELLS COUNT...,
// PLATFORM being linux or wine:RINGER.EXE; human-readable lines go to standard error, one JSON
// object to standard output.
//
// An onset is a ring when what follows it is the bell's start, sample for sample, as each ring
// the program queues begins. A ring beyond a bell's count is a ring played again. Any other onset
// is the sound path dropping out inside a ring and picking up where it left off, which is the
// mixing's doing, not the program's: what follows it is a later part of the bell.
#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <optional>
#include <string>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include "benchjson.h"
#include "clock/bellringer.h"
#include "platform/soundfile.h"
#include "platform/soundplayer.h"
#include "privatesound.h"
#include "ringschedule.h"
#include "sound/pcmconvert.h"
#include "sound/ringsounds.h"
#include "support/pulsesink.h"
#include "support/soundanalysis.h"
#include "timedrecorder.h"

using namespace zelvano;

namespace {

// A bell as rung: its count, and when its first ring was asked for (CLOCK_MONOTONIC ms).
struct Bell
{
    int count;
    double askedMs;
};

double clockMs(clockid_t clock)
{
    timespec now {};
    clock_gettime(clock, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// A busy process on every core for at most seconds, each ended by its id with the load, or with
// this process should it die first.
class BusyLoad final
{
public:
    explicit BusyLoad(int seconds)
    {
        const long cores = std::max(1L, sysconf(_SC_NPROCESSORS_ONLN));
        for (long core = 0; core < cores; ++core) {
            const pid_t pid = fork();
            if (pid == 0) {
                prctl(PR_SET_PDEATHSIG, SIGKILL);
                alarm(static_cast<unsigned>(seconds));
                volatile unsigned long spin = 0;
                for (;;)
                    spin = spin + 1;
            }
            if (pid > 0)
                m_children.push_back(pid);
        }
    }
    ~BusyLoad()
    {
        for (const pid_t pid : m_children)
            kill(pid, SIGKILL);
        for (const pid_t pid : m_children)
            waitpid(pid, nullptr, 0);
    }
    BusyLoad(const BusyLoad&) = delete;
    BusyLoad& operator=(const BusyLoad&) = delete;
    int size() const { return static_cast<int>(m_children.size()); }

private:
    std::vector<pid_t> m_children;
};

int runSeconds(int bells, const std::vector<int>& counts)
{
    int ms = ringschedule::settleMs;
    for (const int count : counts)
        ms += bells * (count * bellSpacingMs + ringschedule::betweenBellsMs);
    return ms / 1000 + 1;
}

std::vector<Bell> ringHere(int bells, const std::vector<int>& counts)
{
    std::vector<Bell> rung;
    SoundPlayer player;
    player.holdOutput(true);
    QThread::msleep(ringschedule::settleMs);
    for (int bell = 0; bell < bells; ++bell) {
        for (const int count : counts) {
            rung.push_back({ count, clockMs(CLOCK_MONOTONIC) });
            for (int ring = 0; ring < count; ++ring) {
                player.play(bellSoundName);
                QThread::msleep(bellSpacingMs);
            }
            QThread::msleep(ringschedule::betweenBellsMs);
        }
    }
    return rung;
}

QProcessEnvironment wineEnvironment(const QString& prefix, const PulseSink& sink)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("WINEPREFIX"), prefix);
    // WINEDEBUG=warn+debugstr shows the program's own traces.
    if (!environment.contains(QStringLiteral("WINEDEBUG")))
        environment.insert(QStringLiteral("WINEDEBUG"), QStringLiteral("-all"));
    environment.insert(QStringLiteral("WINEDLLOVERRIDES"), QStringLiteral("mscoree,mshtml="));
    environment.remove(QStringLiteral("DISPLAY"));
    sink.addTo(environment);
    return environment;
}

// The ringer says when it asks for each bell on Wine's performance counter, which runs on
// CLOCK_MONOTONIC_RAW; the recording is on CLOCK_MONOTONIC, which the system slews.
std::vector<Bell> ringUnderWine(const QString& ringer, const QProcessEnvironment& environment,
    int bells, const std::vector<int>& counts)
{
    QStringList arguments { ringer, QString::number(bells) };
    for (const int count : counts)
        arguments << QString::number(count);
    QProcess wine;
    wine.setProcessEnvironment(environment);
    wine.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    wine.start(QStringLiteral("wine"), arguments);
    std::vector<Bell> rung;
    const double deadline = clockMs(CLOCK_MONOTONIC) + (runSeconds(bells, counts) + 60) * 1e3;
    while (clockMs(CLOCK_MONOTONIC) < deadline) {
        if (!wine.canReadLine() && !wine.waitForReadyRead(1000)) {
            if (wine.state() == QProcess::NotRunning)
                break;
            continue;
        }
        while (wine.canReadLine()) {
            const QStringList fields = QString::fromLatin1(wine.readLine()).split(u' ');
            if (fields.size() != 3 || fields[0] != QLatin1String("bell"))
                continue;
            const double offsetMs = clockMs(CLOCK_MONOTONIC) - clockMs(CLOCK_MONOTONIC_RAW);
            rung.push_back({ fields[1].toInt(), fields[2].toDouble() / 1e3 + offsetMs });
        }
    }
    if (!wine.waitForFinished(10000))
        wine.kill();
    return rung;
}

struct Tally
{
    int ringsDue = 0;
    int ringsHeard = 0; // onsets that are the bell's start
    int playedAgain = 0; // rings beyond a bell's count
    int shortOf = 0; // rings of a bell not heard
    int gaps = 0; // onsets that are no ring
    int bellsRight = 0; // bells heard with exactly their count, and no gap
    std::vector<double> latenessMs; // first ring against the first request
};

double quantile(std::vector<double> values, double q)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    return values[static_cast<std::size_t>(q * double(values.size() - 1))];
}

// A sound setting in this close to the bell's start is a ring.
constexpr double ringStartMs = 5.0;

// The built-in bell as the recording holds it: mono at the recording's rate.
std::vector<qint16> bellAsRecorded()
{
    const RingSounds sounds(builtInBellWav(), openSoundFile);
    const std::vector<std::int16_t> stereo = toStereo16(*sounds.bell(), TimedRecorder::sampleRate);
    std::vector<qint16> bell;
    for (std::size_t i = 0; i < stereo.size(); i += 2)
        bell.push_back(stereo[i]);
    return bell;
}

// Where a sound setting in at an onset (found in 5 ms windows) comes from in the bell, in ms from
// the bell's start: up to 10 ms of the recording, from its first sample that stands out of what
// sounded before, matched against every place of the bell. A ring sets in at the bell's start,
// the sound picking up after a gap in the mixing at a later place. Nothing when it is no part
// of the bell: what differs from the best place adds up to half of the sound or more.
std::optional<double> placeInTheBell(
    const std::vector<qint16>& recording, const std::vector<qint16>& bell, double onsetMs)
{
    const auto index = [&recording](double ms) {
        return std::clamp<long>(
            std::lround(ms * TimedRecorder::sampleRate / 1000.0), 0, long(recording.size()));
    };
    int before = 0;
    for (long i = index(onsetMs - 15); i < index(onsetMs - 5); ++i)
        before = std::max(before, std::abs(int { recording[std::size_t(i)] }));
    const int threshold = std::max(300, 2 * before);
    long first = index(onsetMs + 10);
    for (long i = index(onsetMs - 5); i < index(onsetMs + 10); ++i) {
        if (std::abs(int { recording[std::size_t(i)] }) >= threshold) {
            first = i;
            break;
        }
    }
    // Up to 10 ms, and no further than the next gap: a loaded mixing may play 30 ms at a time.
    const qint16* heard = recording.data() + first;
    const std::size_t most = std::min<std::size_t>(
        TimedRecorder::sampleRate / 100, recording.size() - std::size_t(first));
    std::size_t piece = 0;
    for (std::size_t silent = 0; piece < most && silent < 8; ++piece)
        silent = heard[piece] == 0 ? silent + 1 : 0;
    if (piece < TimedRecorder::sampleRate / 500 || bell.size() < piece)
        return std::nullopt;
    double least = 0.0;
    for (std::size_t i = 0; i < piece; ++i)
        least += std::abs(double(heard[i])) / 2;
    std::optional<double> place;
    for (std::size_t at = 0; at + piece <= bell.size(); ++at) {
        double differs = 0.0;
        for (std::size_t i = 0; i < piece && differs < least; ++i)
            differs += std::abs(double(heard[i]) - double(bell[at + i]));
        if (differs < least) {
            least = differs;
            place = double(at) * 1000.0 / TimedRecorder::sampleRate;
        }
    }
    return place;
}

Tally tally(
    const std::vector<qint16>& samples, double recordingStartMs, const std::vector<Bell>& rung)
{
    const std::vector<double> onsets = findOnsets(samples, TimedRecorder::sampleRate);
    const std::vector<qint16> bell = bellAsRecorded();
    Tally tally;
    for (const Bell& asked : rung) {
        const double askedMs = asked.askedMs - recordingStartMs;
        // Up to shortly before the next bell is asked for.
        const double until
            = askedMs + asked.count * bellSpacingMs + ringschedule::betweenBellsMs - 100.0;
        std::vector<double> rings;
        QStringList heard;
        for (const double onset : onsets) {
            if (onset < askedMs - 100.0 || onset >= until)
                continue;
            const std::optional<double> place = placeInTheBell(samples, bell, onset);
            const bool ring = place && *place < ringStartMs;
            if (ring)
                rings.push_back(onset);
            QString what = QString::number(onset - askedMs, 'f', 0);
            if (!ring && place)
                what += QStringLiteral(" (gap: %1 ms into the bell)").arg(*place, 0, 'f', 0);
            else if (!ring)
                what += QStringLiteral(" (no part of the bell)");
            heard << what;
        }
        const int count = static_cast<int>(rings.size());
        const int gaps = static_cast<int>(heard.size()) - count;
        tally.ringsDue += asked.count;
        tally.ringsHeard += count;
        tally.playedAgain += std::max(0, count - asked.count);
        tally.shortOf += std::max(0, asked.count - count);
        tally.gaps += gaps;
        tally.bellsRight += count == asked.count && gaps == 0;
        if (!rings.empty())
            tally.latenessMs.push_back(rings.front() - askedMs);
        if (count != asked.count || gaps != 0)
            std::fprintf(stderr, "  bell of %d asked at %.0f ms: onsets %s ms after\n", asked.count,
                askedMs, qPrintable(heard.join(QStringLiteral(", "))));
    }
    return tally;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    if (arguments.size() < 4) {
        std::fprintf(stderr, "usage: zelvano_bench_rings linux|wine:RINGER.EXE BELLS COUNT...\n");
        return 2;
    }
    const QString platform = arguments[1];
    const int bells = arguments[2].toInt();
    std::vector<int> counts;
    for (const QString& count : arguments.mid(3))
        counts.push_back(count.toInt());

    const PulseSink sink;
    const QTemporaryDir work;
    if (!usePrivateSound(sink, work))
        return 1;
    const bool underWine = platform.startsWith(QLatin1String("wine:"));
    const QString prefix = work.filePath(QStringLiteral("prefix"));
    const QProcessEnvironment environment = wineEnvironment(prefix, sink);
    if (underWine) {
        QProcess makePrefix;
        makePrefix.setProcessEnvironment(environment);
        makePrefix.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        makePrefix.start(
            QStringLiteral(ZELVANO_SOURCE_DIR "/tests/win32/makeprefix.sh"), { prefix });
        if (!makePrefix.waitForFinished(120000) || makePrefix.exitCode() != 0) {
            std::fprintf(stderr, "no Wine prefix could be made\n");
            return 1;
        }
    }

    TimedRecorder recorder(sink.serverAddress());
    if (!recorder.start()) {
        std::fprintf(stderr, "the sound server cannot be recorded\n");
        return 1;
    }
    std::vector<Bell> rung;
    int busy = 0;
    double loadAverage = 0.0;
    {
        const BusyLoad load(runSeconds(bells, counts) + 30);
        busy = load.size();
        rung = underWine ? ringUnderWine(platform.mid(5), environment, bells, counts)
                         : ringHere(bells, counts);
        getloadavg(&loadAverage, 1);
    }
    QThread::msleep(500);
    const std::vector<qint16> samples = recorder.stop();
    if (underWine) {
        QProcess server;
        server.setProcessEnvironment(environment);
        server.start(QStringLiteral("wineserver"), { QStringLiteral("--kill") });
        server.waitForFinished(10000);
    }
    const Tally result = tally(samples, recorder.startMs(), rung);
    std::fprintf(stderr,
        "%s: %zu bells, %d rings due, %d rings heard: %d played again, %d short; %d gaps in the "
        "mixing; %d bells exactly right; first ring late by p50 %.0f, p99 %.0f, max %.0f ms "
        "(%d busy processes, load %.1f)\n",
        qPrintable(platform), rung.size(), result.ringsDue, result.ringsHeard, result.playedAgain,
        result.shortOf, result.gaps, result.bellsRight, quantile(result.latenessMs, 0.5),
        quantile(result.latenessMs, 0.99), quantile(result.latenessMs, 1.0), busy, loadAverage);
    JsonObject json;
    json.add("bells", static_cast<int>(rung.size()));
    json.add("rings_due", result.ringsDue);
    json.add("rings_heard", result.ringsHeard);
    json.add("played_again", result.playedAgain);
    json.add("short", result.shortOf);
    json.add("gaps", result.gaps);
    json.add("bells_right", result.bellsRight);
    json.add("lateness_p50_ms", quantile(result.latenessMs, 0.5));
    json.add("lateness_p99_ms", quantile(result.latenessMs, 0.99));
    json.add("lateness_max_ms", quantile(result.latenessMs, 1.0));
    json.add("busy_processes", busy);
    json.add("load_average", loadAverage);
    std::printf("%s\n", json.text().c_str());
    return 0;
}
