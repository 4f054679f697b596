#include <algorithm>
#include <array>
#include <map>
#include <vector>

#include <QTest>

#include "sound/ringoutput.h"

using namespace zelvano;
using namespace std::chrono_literals;
using Clock = RingOutput::Clock;

namespace {

constexpr std::uint32_t rate = 1000; // one frame a millisecond keeps the arithmetic readable
constexpr auto leadIn = 500ms;

enum class Call { None, Open, Prepare, Write, Unprepare, Reset, Close };

// How a fake device goes wrong; times in ms from the start.
struct Fault
{
    Call failing = Call::None;
    int failFrom = 1; // the first failing call of that kind, counted from 1
    int failTimes = 0;
    int handBackLateMs = 0; // a block is handed back this long after it was played through
    int pausesAtMs = -1; // from then on it plays nothing for a while, then plays on from there
    int pausesForMs = 0;
    int standsStillAtMs = -1; // from then on it plays nothing and hands nothing back
    int errorsAfterMs = -1; // and this long after, every call fails
    bool playsWhenReopened = true; // or it never opens again
};

// A device that plays written blocks one after another on a fake clock and notes every frame it
// plays. The tests' rings carry their number in the left channel and the frame's index within
// the ring in the right, so what was heard reads back as pieces of rings. Calls out of order (a
// block unprepared while playing, an open while a handle is kept) count as misuses: faults of
// the caller whatever the device did.
struct FakeDevice final : OutputDevice
{
    struct Slot
    {
        const std::int16_t* samples = nullptr;
        std::size_t frames = 0;
        bool prepared = false;
        bool written = false;
        bool handedBack = false;
        std::size_t played = 0;
        Clock::time_point start {};
    };
    struct Heard
    {
        int ring;
        int index;
        qint64 atMs;
    };

    Fault fault;
    Clock::time_point now {};
    Clock::time_point standsStillAt = Clock::time_point::max();
    std::map<Call, int> calls;
    int misuses = 0;
    int handles = 0;
    std::array<Slot, 3> blocks;
    Clock::time_point queuedUntil {};
    std::uint64_t played = 0;
    std::vector<Heard> heard;

    explicit FakeDevice(const Fault& f)
        : fault(f)
    {
        if (fault.standsStillAtMs >= 0)
            standsStillAt = Clock::time_point(std::chrono::milliseconds(fault.standsStillAtMs));
    }
    bool standsStill() const { return now >= standsStillAt; }
    // The device's own time, which stops while it pauses, and back.
    Clock::time_point deviceTime(Clock::time_point t) const
    {
        const Clock::time_point paused(std::chrono::milliseconds(fault.pausesAtMs));
        if (fault.pausesAtMs < 0 || t < paused)
            return t;
        return std::max(paused, t - std::chrono::milliseconds(fault.pausesForMs));
    }
    Clock::time_point realTime(Clock::time_point t) const
    {
        const Clock::time_point paused(std::chrono::milliseconds(fault.pausesAtMs));
        return fault.pausesAtMs < 0 || t < paused
            ? t
            : t + std::chrono::milliseconds(fault.pausesForMs);
    }
    bool fails(Call call)
    {
        const int n = ++calls[call];
        const bool erring = call != Call::Open && standsStill() && fault.errorsAfterMs >= 0
            && now >= standsStillAt + std::chrono::milliseconds(fault.errorsAfterMs);
        return erring
            || (call == fault.failing && n >= fault.failFrom
                && n < fault.failFrom + fault.failTimes);
    }
    void playTo(Clock::time_point until)
    {
        const Clock::time_point limit
            = deviceTime(std::min(until, standsStill() ? now : standsStillAt));
        for (Slot& slot : blocks) {
            if (!slot.written)
                continue;
            for (; slot.played < slot.frames; ++slot.played, ++played) {
                const Clock::time_point at = slot.start + std::chrono::milliseconds(slot.played);
                if (at >= limit || realTime(at) >= standsStillAt)
                    break;
                if (const int ring = slot.samples[slot.played * 2])
                    heard.push_back({ ring, slot.samples[slot.played * 2 + 1],
                        std::chrono::duration_cast<std::chrono::milliseconds>(
                            realTime(at).time_since_epoch())
                            .count() });
            }
            const Clock::time_point handBackAt = slot.start
                + std::chrono::milliseconds(slot.frames + std::size_t(fault.handBackLateMs));
            slot.handedBack = slot.handedBack
                || (deviceTime(until) >= handBackAt && realTime(handBackAt) < standsStillAt);
        }
    }

    bool open(std::uint32_t) override
    {
        misuses += handles;
        if (fails(Call::Open) || (standsStill() && !fault.playsWhenReopened))
            return false;
        handles = 1;
        standsStillAt = standsStill() ? Clock::time_point::max() : standsStillAt;
        played = 0;
        queuedUntil = deviceTime(now);
        return true;
    }
    bool prepare(int slot, const std::int16_t* samples, std::size_t count) override
    {
        misuses += !handles || blocks.at(std::size_t(slot)).prepared;
        if (fails(Call::Prepare))
            return false;
        blocks.at(std::size_t(slot)) = { samples, count / 2, true, false, false, 0, {} };
        return true;
    }
    bool write(int slot) override
    {
        Slot& block = blocks.at(std::size_t(slot));
        misuses += !block.prepared || block.written;
        if (fails(Call::Write))
            return false;
        block.written = true;
        block.start = std::max(deviceTime(now), queuedUntil);
        queuedUntil = block.start + std::chrono::milliseconds(block.frames);
        return true;
    }
    bool isDone(int slot) const override { return blocks.at(std::size_t(slot)).handedBack; }
    bool unprepare(int slot) override
    {
        Slot& block = blocks.at(std::size_t(slot));
        misuses += !block.prepared || (block.written && !block.handedBack);
        block = {};
        return !fails(Call::Unprepare);
    }
    // Hands every block back even when it reports an error.
    bool reset() override
    {
        playTo(now);
        for (Slot& slot : blocks)
            slot.handedBack = slot.written;
        played = 0;
        queuedUntil = deviceTime(now);
        return !fails(Call::Reset);
    }
    std::optional<std::uint64_t> playedFrames() override
    {
        if (fails(Call::None))
            return std::nullopt;
        return played;
    }
    bool close() override
    {
        misuses += !handles || std::any_of(blocks.begin(), blocks.end(), [](const Slot& slot) {
            return slot.prepared;
        });
        if (fails(Call::Close))
            return false;
        handles = 0;
        return true;
    }
    void abandon() override
    {
        misuses += !handles;
        handles = 0;
    }

    // "1:0-399@2000 2:0-99@2400": each unbroken piece of a ring as its ring, its first and last
    // frame and when it began.
    QString heardPieces() const
    {
        QStringList pieces;
        for (std::size_t i = 0; i < heard.size();) {
            std::size_t end = i + 1;
            while (end < heard.size() && heard[end].ring == heard[i].ring
                && heard[end].index == heard[end - 1].index + 1
                && heard[end].atMs == heard[end - 1].atMs + 1)
                ++end;
            pieces << QStringLiteral("%1:%2-%3@%4")
                          .arg(heard[i].ring)
                          .arg(heard[i].index)
                          .arg(heard[end - 1].index)
                          .arg(heard[i].atMs);
            i = end;
        }
        return pieces.join(u' ');
    }
    QList<int> starts(int rings) const
    {
        QList<int> counts(rings, 0);
        for (const Heard& frame : heard)
            counts[frame.ring - 1] += frame.index == 0;
        return counts;
    }
};

// Drives the output the way its thread does: the device's hand-backs and the deadlines, a few
// milliseconds apart. The output must never ask to be woken at once, which would be a busy loop.
struct Rig
{
    explicit Rig(const Fault& fault = {})
        : device(fault)
    { }

    FakeDevice device;
    std::vector<std::string> traces;
    RingOutput output { device, rate, leadIn,
        [this](const char* text) { traces.push_back(text); } };
    Clock::time_point now {};
    bool wokenInThePast = false;

    void runTo(std::chrono::milliseconds until)
    {
        while (now < Clock::time_point(until)) {
            now += 5ms;
            device.now = now;
            device.playTo(now);
            output.update(now);
            const std::optional<Clock::time_point> deadline = output.nextDeadline();
            wokenInThePast = wokenInThePast || (deadline && *deadline <= now);
        }
    }
    // A ring of the given length, asked for askedEarlier before it is taken up.
    void play(std::int16_t ring, std::chrono::milliseconds length = 600ms,
        std::chrono::milliseconds askedEarlier = 0ms)
    {
        std::vector<std::int16_t> samples(std::size_t(length.count()) * 2, ring);
        for (std::size_t frame = 0; frame < samples.size() / 2; ++frame)
            samples[frame * 2 + 1] = std::int16_t(frame);
        output.play(std::move(samples), now - askedEarlier, now);
    }
};

} // namespace

Q_DECLARE_METATYPE(Fault)

class TestRingOutput : public QObject
{
    Q_OBJECT

private slots:
    void everyRingIsHeardOnceWhateverTheDeviceDoes_data();
    void everyRingIsHeardOnceWhateverTheDeviceDoes();
    void ringsKeepTheirPaceAndTheDeviceRestsWhenIdle_data();
    void ringsKeepTheirPaceAndTheDeviceRestsWhenIdle();
};

void TestRingOutput::everyRingIsHeardOnceWhateverTheDeviceDoes_data()
{
    QTest::addColumn<bool>("held");
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<QString>("heard");
    QTest::addColumn<QList<int>>("starts");
    QTest::addColumn<bool>("endsOpen");

    // Three rings of 600 ms asked for at 2000, 2400 and 2800 ms, the next bell's one at 20 s.
    const QString onTime = "1:0-399@2000 2:0-399@2400 3:0-599@2800 4:0-599@20000";
    const QString afterLeadIn = "1:0-399@2500 2:0-399@2900 3:0-599@3300 4:0-599@20500";
    const QList<int> once { 1, 1, 1, 1 };
    QTest::newRow("healthy") << false << Fault {} << afterLeadIn << once << false;
    QTest::newRow("healthy, held") << true << Fault {} << onTime << once << true;

    // Slow: it plays on time and hands blocks back late, or never.
    QTest::newRow("hands back 1.1 s late, held")
        << true << Fault { .handBackLateMs = 1100 } << onTime << once << true;
    QTest::newRow("hands back 2 s late")
        << false << Fault { .handBackLateMs = 2000 } << afterLeadIn << once << false;
    QTest::newRow("hands back 2 s late, held")
        << true << Fault { .handBackLateMs = 2000 } << onTime << once << true;
    QTest::newRow("falls half a second behind in ring 1, held: the rings after it wait")
        << true << Fault { .pausesAtMs = 2300, .pausesForMs = 500 }
        << "1:0-299@2000 1:300-399@2800 2:0-399@2900 3:0-599@3300 4:0-599@20000" << once << true;
    QTest::newRow("never hands back, held")
        << true << Fault { .handBackLateMs = 60000 } << onTime << once << true;

    // Dead: it stands still, then may report errors; opened anew it plays again, or never opens.
    QTest::newRow("stands still before the bell, held")
        << true << Fault { .standsStillAtMs = 1000 }
        << "1:0-399@2500 2:0-399@2900 3:0-599@3300 4:0-599@20000" << once << true;
    QTest::newRow("stands still in the lead-in: all three rings after the next")
        << false << Fault { .standsStillAtMs = 2200 }
        << "1:0-399@4300 2:0-399@4700 3:0-599@5100 4:0-599@20500" << once << false;
    QTest::newRow("stands still in ring 2, held: its rest and ring 3 after the lead-in")
        << true << Fault { .standsStillAtMs = 2500 }
        << "1:0-399@2000 2:0-99@2400 2:100-399@4300 3:0-599@4600 4:0-599@20000" << once << true;
    QTest::newRow("stands still in ring 2, errors 200 ms later, held")
        << true << Fault { .standsStillAtMs = 2500, .errorsAfterMs = 200 }
        << "1:0-399@2000 2:0-99@2400 2:100-399@3200 3:0-599@3500 4:0-599@20000" << once << true;
    QTest::newRow("stands still in ring 2 for good, held")
        << true << Fault { .standsStillAtMs = 2500, .playsWhenReopened = false }
        << "1:0-399@2000 2:0-99@2400" << QList<int> { 1, 1, 0, 0 } << false;

    // Calls that fail now and then.
    QTest::newRow("open fails once")
        << false << Fault { .failing = Call::Open, .failTimes = 1 } << afterLeadIn << once << false;
    QTest::newRow("open fails thrice")
        << false << Fault { .failing = Call::Open, .failTimes = 3 }
        << "2:0-399@2900 3:0-599@3300 4:0-599@20500" << QList<int> { 0, 1, 1, 1 } << false;
    QTest::newRow("open fails thrice, held")
        << true << Fault { .failing = Call::Open, .failTimes = 3 }
        << "1:0-399@2500 2:0-399@2900 3:0-599@3300 4:0-599@20000" << once << true;
    QTest::newRow("prepare of the ring fails")
        << false << Fault { .failing = Call::Prepare, .failTimes = 1 } << afterLeadIn << once
        << false;
    QTest::newRow("prepare of the silence fails")
        << false << Fault { .failing = Call::Prepare, .failFrom = 2, .failTimes = 1 } << afterLeadIn
        << once << false;
    QTest::newRow("write fails twice")
        << false << Fault { .failing = Call::Write, .failTimes = 2 }
        << "2:0-399@2900 3:0-599@3300 4:0-599@20500" << QList<int> { 0, 1, 1, 1 } << false;
    QTest::newRow("unprepare fails")
        << false << Fault { .failing = Call::Unprepare, .failTimes = 1 }
        << "1:0-399@2900 2:0-399@3300 3:0-599@3700 4:0-599@20500" << once << false;
    QTest::newRow("reset fails, held")
        << true << Fault { .failing = Call::Reset, .failFrom = 2, .failTimes = 1 }
        << "1:0-399@2000 2:0-399@2900 3:0-599@3300 4:0-599@20000" << once << true;
    QTest::newRow("close fails once") << false << Fault { .failing = Call::Close, .failTimes = 1 }
                                      << afterLeadIn << once << false;
    QTest::newRow("close fails twice: the next open asks again")
        << false << Fault { .failing = Call::Close, .failTimes = 2 } << afterLeadIn << once
        << false;
    QTest::newRow("close fails thrice: the next open lets it go")
        << false << Fault { .failing = Call::Close, .failTimes = 3 } << afterLeadIn << once
        << false;
}

// What is heard, piece by piece, and how often each ring starts: never more than once, and the
// device ends open only while held, with no handle left behind.
void TestRingOutput::everyRingIsHeardOnceWhateverTheDeviceDoes()
{
    QFETCH(bool, held);
    QFETCH(Fault, fault);
    QFETCH(QString, heard);
    QFETCH(QList<int>, starts);
    QFETCH(bool, endsOpen);
    Rig rig(fault);
    rig.output.hold(held, rig.now);
    rig.runTo(2s);
    for (std::int16_t ring = 1; ring <= 3; ++ring) {
        rig.play(ring);
        rig.runTo(2s + ring * 400ms);
    }
    rig.runTo(20s);
    rig.play(4);
    rig.runTo(40s);
    QCOMPARE(rig.device.heardPieces(), heard);
    QCOMPARE(rig.device.starts(4), starts);
    QVERIFY(!rig.wokenInThePast);
    QCOMPARE(rig.device.misuses, 0);
    QCOMPARE(rig.output.isOpen(), endsOpen);
    QCOMPARE(rig.device.handles, int(endsOpen));
}

void TestRingOutput::ringsKeepTheirPaceAndTheDeviceRestsWhenIdle_data()
{
    QTest::addColumn<bool>("held");
    QTest::addColumn<bool>("takenUpLate");
    QTest::addColumn<QList<qint64>>("heardAt");
    // Rings asked for at 2000, 2400 and 2800 ms.
    QTest::newRow("closed: after the lead-in")
        << false << false << QList<qint64> { 2500, 2900, 3300 };
    QTest::newRow("held open: at once") << true << false << QList<qint64> { 2000, 2400, 2800 };
    QTest::newRow("all three taken up at 3000 ms: still 400 ms apart")
        << false << true << QList<qint64> { 3500, 3900, 4300 };
}

void TestRingOutput::ringsKeepTheirPaceAndTheDeviceRestsWhenIdle()
{
    QFETCH(bool, held);
    QFETCH(bool, takenUpLate);
    QFETCH(QList<qint64>, heardAt);
    Rig rig;
    rig.output.hold(held, rig.now);
    QCOMPARE(rig.output.nextDeadline().has_value(), held);
    rig.runTo(takenUpLate ? 3s : 2s);
    for (std::int16_t ring = 1; ring <= 3; ++ring) {
        if (takenUpLate) {
            rig.play(ring, 1000ms, 1000ms - (ring - 1) * 400ms);
            continue;
        }
        rig.play(ring, 1000ms);
        rig.runTo(2s + ring * 400ms);
    }
    rig.runTo(5s);
    QList<qint64> starts;
    for (const FakeDevice::Heard& frame : rig.device.heard) {
        if (frame.index == 0)
            starts << frame.atMs;
    }
    QCOMPARE(starts, heardAt);
    // Ten seconds after the last ring ends the device closes, unless held until then.
    rig.runTo(13s);
    QVERIFY(rig.output.isOpen());
    rig.output.hold(false, rig.now);
    rig.runTo(16s);
    QVERIFY(!rig.output.isOpen());
    QCOMPARE(rig.output.nextDeadline(), std::nullopt);
}

QTEST_APPLESS_MAIN(TestRingOutput)
#include "tst_ringoutput.moc"
