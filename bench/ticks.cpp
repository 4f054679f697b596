// The real main window on the offscreen platform, its timer started with a click on Start, every
// tick stamped on CLOCK_MONOTONIC as it reaches the window's event loop. Two measurements:
//
//   zelvano_bench_ticks accuracy SECONDS
//       no bell due; how late each tick k arrives against k seconds after the click, and how that
//       lateness grows over the run (the drift);
//   zelvano_bench_ticks ringing MARK:COUNT MARK:COUNT
//       bells 1 and 2 at those minute marks with those ring counts, rung with real sleeping on the
//       window's thread; after each ring, the ticks handled against the wall seconds since Start,
//       beside what the rule predicts (expiries missed while the thread is blocked collapse into
//       one tick).
//
// Human-readable lines go to standard error, one JSON object to standard output. The working
// folder is a temporary one holding the settings for the run; sound goes to a server address
// where no server listens, so nothing is heard and nothing waits for it.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QTimer>

#include "benchjson.h"
#include "clock/bellringer.h"
#include "core/windowlayout.h"
#include "files/settingsfile.h"
#include "platform/soundplayer.h"
#include "qt/app/qtbackends.h"
#include "qt/app/qtplatformservices.h"
#include "qt/window/timerdialog.h"

using namespace zelvano;

namespace {

double monotonicMs()
{
    timespec now {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// Stamps every activation of the window's tick (its timer's descriptor turning readable),
// before the window handles it.
class TickStamps final : public QObject
{
public:
    std::vector<double> arrivalsMs;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::SockAct)
            arrivalsMs.push_back(monotonicMs());
        return false;
    }
};

struct Bell
{
    int minute = 0;
    int rings = 0;
};

// Runs the window for seconds after a click on Start; the arrival of every tick, and the click.
std::vector<double> runWindow(const BellSettings& settings, int seconds, double& startMs)
{
    QTemporaryDir work;
    QDir::setCurrent(work.path());
    QFile config(QString::fromLatin1(settingsFileName));
    const std::string bytes = encodeSettings(settings);
    if (!config.open(QIODevice::WriteOnly)
        || config.write(bytes.data(), static_cast<qint64>(bytes.size()))
            != static_cast<qint64>(bytes.size()))
        return {};
    config.close();
    qputenv("PULSE_SERVER", QFile::encodeName(QStringLiteral("unix:") + work.filePath("none")));

    SoundPlayer player;
    QtPlatformServices platform(player);
    TimerDialog dialog(platform);
    TickStamps stamps;
    const QList<QSocketNotifier*> ticks = dialog.findChildren<QSocketNotifier*>();
    if (ticks.size() != 1) {
        std::fprintf(stderr, "the window's tick was not found\n");
        return {};
    }
    ticks.front()->installEventFilter(&stamps);
    dialog.show();
    QTimer::singleShot(200, &dialog, [&] {
        startMs = monotonicMs();
        qobject_cast<QPushButton*>(dialog.control(ControlId::Start))->click();
        QTimer::singleShot(seconds * 1000 + 500, &dialog, &QDialog::accept);
    });
    dialog.exec();
    QDir::setCurrent(QDir::tempPath());
    return stamps.arrivalsMs;
}

double quantile(std::vector<double> values, double q)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    const double position = q * static_cast<double>(values.size() - 1);
    const auto below = static_cast<std::size_t>(std::floor(position));
    const std::size_t above = std::min(below + 1, values.size() - 1);
    return values[below]
        + (values[above] - values[below]) * (position - static_cast<double>(below));
}

// Least-squares slope of lateness against the tick's second, in ms per second.
double driftSlope(const std::vector<double>& latenessMs)
{
    const auto n = static_cast<double>(latenessMs.size());
    if (n < 2)
        return 0.0;
    double sumX = 0, sumY = 0, sumXX = 0, sumXY = 0;
    for (std::size_t i = 0; i < latenessMs.size(); ++i) {
        const auto x = static_cast<double>(i + 1);
        sumX += x;
        sumY += latenessMs[i];
        sumXX += x * x;
        sumXY += x * latenessMs[i];
    }
    return (n * sumXY - sumX * sumY) / (n * sumXX - sumX * sumX);
}

int accuracy(int seconds)
{
    BellSettings settings;
    // Marks past the end of any run, so no bell blocks a tick.
    settings.values = { BellSettings::maxMinuteMark, BellSettings::maxMinuteMark,
        BellSettings::maxMinuteMark, 1, 1, 1 };
    double startMs = 0;
    const std::vector<double> arrivals = runWindow(settings, seconds, startMs);
    std::vector<double> lateness;
    for (std::size_t k = 0; k < arrivals.size(); ++k)
        lateness.push_back(arrivals[k] - startMs - 1000.0 * static_cast<double>(k + 1));
    if (lateness.empty()) {
        std::fprintf(stderr, "no tick arrived\n");
        return 1;
    }
    const double slope = driftSlope(lateness);
    std::fprintf(stderr,
        "%zu ticks in %d s: lateness median %.3f, p99 %.3f, max %.3f ms; last tick %.3f ms late; "
        "drift %.3f ms per 10 min\n",
        lateness.size(), seconds, quantile(lateness, 0.5), quantile(lateness, 0.99),
        quantile(lateness, 1.0), lateness.back(), slope * 600.0);
    JsonObject json;
    json.add("seconds", seconds);
    json.add("ticks", static_cast<double>(lateness.size()));
    json.add("lateness_median_ms", quantile(lateness, 0.5));
    json.add("lateness_p99_ms", quantile(lateness, 0.99));
    json.add("lateness_max_ms", quantile(lateness, 1.0));
    json.add("drift_at_end_ms", lateness.back() - lateness.front());
    json.add("drift_per_10min_ms", slope * 600.0);
    std::printf("%s\n", json.text().c_str());
    return 0;
}

// Expiries falling while the thread is blocked collapse into one tick: a block of b whole seconds
// or more loses b - 1 of them. The block is the ring count times the spacing.
int predictedLoss(int rings)
{
    const int blockedWholeSeconds = rings * bellSpacingMs / 1000;
    return std::max(0, blockedWholeSeconds - 1);
}

int ringing(const std::vector<Bell>& bells)
{
    BellSettings settings;
    settings.values = { bells[0].minute, bells[1].minute, BellSettings::maxMinuteMark,
        bells[0].rings, bells[1].rings, 1 };
    constexpr int settleSeconds = 5; // after a ring, before the count is compared
    const int seconds = bells[1].minute * 60 + settleSeconds + 2;
    double startMs = 0;
    const std::vector<double> arrivals = runWindow(settings, seconds, startMs);
    // Wall seconds since Start, to the nearest, at the arrival of tick i (count i + 1).
    const auto lostAt = [&](std::size_t i) {
        const double wall = (arrivals[i] - startMs) / 1000.0;
        return static_cast<int>(std::lround(wall)) - static_cast<int>(i + 1);
    };
    JsonArray results;
    int lostBefore = 0;
    for (const Bell& bell : bells) {
        const auto ringTick = static_cast<std::size_t>(bell.minute * 60 - 1);
        // The first tick that arrives settleSeconds or more after the ringing one.
        std::size_t after = ringTick + 1;
        while (
            after < arrivals.size() && arrivals[after] - arrivals[ringTick] < settleSeconds * 1e3)
            ++after;
        if (after >= arrivals.size()) {
            std::fprintf(
                stderr, "the run ended before the bell at minute %d settled\n", bell.minute);
            return 1;
        }
        const int lostAfter = lostAt(after);
        const double wallSeconds = (arrivals[after] - startMs) / 1000.0;
        const double lateAfterRing
            = arrivals[ringTick + 1] - startMs - 1000.0 * static_cast<double>(bell.minute * 60 + 1);
        std::fprintf(stderr,
            "%d ring(s) at %d:00: %.3f wall s after Start, %zu ticks handled, %d lost (rule: %d); "
            "the tick after the ring came %.1f ms late\n",
            bell.rings, bell.minute, wallSeconds, after + 1, lostAfter - lostBefore,
            predictedLoss(bell.rings), lateAfterRing);
        JsonObject result;
        result.add("rings", bell.rings);
        result.add("wall_seconds", wallSeconds);
        result.add("ticks_handled", static_cast<double>(after + 1));
        result.add("ticks_lost", lostAfter - lostBefore);
        result.add("ticks_lost_predicted", predictedLoss(bell.rings));
        result.add("next_tick_late_ms", lateAfterRing);
        results.add(result);
        lostBefore = lostAfter;
    }
    JsonObject json;
    json.add("rings", results);
    std::printf("%s\n", json.text().c_str());
    return 0;
}

std::optional<Bell> parseBell(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char(':'));
    bool minuteOk = false, ringsOk = false;
    if (parts.size() != 2)
        return std::nullopt;
    const Bell bell { parts[0].toInt(&minuteOk), parts[1].toInt(&ringsOk) };
    if (!minuteOk || !ringsOk || bell.minute < 1 || bell.rings < 1
        || bell.rings > BellSettings::maxRingCount)
        return std::nullopt;
    return bell;
}

int usage()
{
    std::fprintf(stderr,
        "usage: zelvano_bench_ticks accuracy SECONDS\n"
        "       zelvano_bench_ticks ringing MINUTE:RINGS MINUTE:RINGS  (second minute later)\n");
    return 2;
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    chooseQtBackends(); // as the program does
    QApplication application(argc, argv);
    const QStringList arguments = QApplication::arguments().mid(1);
    if (arguments.size() == 2 && arguments[0] == QLatin1String("accuracy")) {
        bool ok = false;
        const int seconds = arguments[1].toInt(&ok);
        return ok && seconds > 0 ? accuracy(seconds) : usage();
    }
    if (arguments.size() == 3 && arguments[0] == QLatin1String("ringing")) {
        const std::optional<Bell> first = parseBell(arguments[1]);
        const std::optional<Bell> second = parseBell(arguments[2]);
        if (!first || !second || second->minute <= first->minute)
            return usage();
        return ringing({ *first, *second });
    }
    return usage();
}
