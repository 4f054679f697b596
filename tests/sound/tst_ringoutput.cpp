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

enum class Call { None, Open, Prepare, Write, Unprepare, Reset };

// A device that plays written blocks one after another on a fake clock and notes when each ring
// (a block of frames all set to the ring's number) was first heard. Chosen calls fail; a stuck
// device never hands back what it was given while it stays open.
struct FakeDevice final : OutputDevice
{
    struct Written
    {
        int slot;
        const std::int16_t* samples;
        std::size_t count;
        Clock::time_point start;
        bool done = false;
    };

    Clock::time_point now {};
    Call failing = Call::None;
    int failFrom = 1; // the first failing call of that kind, counted from 1
    int failTimes = 0;
    bool stuckUntilReopened = false;
    std::map<Call, int> calls;
    std::map<int, Clock::time_point> firstHeard; // ring number -> when
    int misuses = 0; // calls out of order: a fault of the caller, whatever the device did
    bool open_ = false;
    std::map<int, std::pair<const std::int16_t*, std::size_t>> prepared;
    std::vector<Written> queue;
    Clock::time_point playedUntil {};

    bool fails(Call call)
    {
        const int n = ++calls[call];
        return call == failing && n >= failFrom && n < failFrom + failTimes;
    }
    Clock::time_point end(const Written& block) const
    {
        return block.start + std::chrono::milliseconds(block.count / 2);
    }
    // Plays what the clock has passed, up to until.
    void playTo(Clock::time_point until)
    {
        if (stuckUntilReopened)
            return;
        for (Written& block : queue) {
            for (std::size_t frame = 0; frame < block.count / 2; ++frame) {
                const Clock::time_point at = block.start + std::chrono::milliseconds(frame);
                if (at >= until)
                    break;
                if (const int ring = block.samples[frame * 2])
                    firstHeard.emplace(ring, at);
            }
            block.done = block.done || end(block) <= until;
        }
    }

    bool open(std::uint32_t) override
    {
        misuses += open_;
        if (fails(Call::Open))
            return false;
        open_ = true;
        playedUntil = now;
        return true;
    }
    bool prepare(int slot, const std::int16_t* samples, std::size_t count) override
    {
        misuses += !open_ || prepared.count(slot);
        if (fails(Call::Prepare))
            return false;
        prepared[slot] = { samples, count };
        return true;
    }
    bool write(int slot) override
    {
        misuses += !prepared.count(slot);
        if (fails(Call::Write))
            return false;
        const Clock::time_point start = std::max(now, queue.empty() ? now : end(queue.back()));
        queue.push_back({ slot, prepared[slot].first, prepared[slot].second, start });
        return true;
    }
    bool isDone(int slot) const override
    {
        for (const Written& block : queue) {
            if (block.slot == slot)
                return block.done;
        }
        return false;
    }
    bool unprepare(int slot) override
    {
        const auto written = std::find_if(
            queue.begin(), queue.end(), [slot](const Written& block) { return block.slot == slot; });
        misuses += !prepared.count(slot) || (written != queue.end() && !written->done);
        prepared.erase(slot);
        if (written != queue.end())
            queue.erase(written);
        return !fails(Call::Unprepare);
    }
    bool reset() override
    {
        playTo(now);
        for (Written& block : queue)
            block.done = true;
        return !fails(Call::Reset);
    }
    void close() override
    {
        misuses += !open_ || !prepared.empty();
        open_ = false;
        queue.clear();
        stuckUntilReopened = false;
    }
};

// Drives the output the way its thread does: the device's hand-backs and the deadlines, a few
// milliseconds apart. The output must never ask to be woken at once, which would be a busy loop.
struct Rig
{
    FakeDevice device;
    RingOutput output { device, rate, leadIn };
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
    void play(std::int16_t ring, std::chrono::milliseconds length = 300ms)
    {
        output.play(std::vector<std::int16_t>(std::size_t(length.count()) * 2, ring), now);
    }
    std::optional<qint64> heardAt(int ring) const
    {
        const auto found = device.firstHeard.find(ring);
        if (found == device.firstHeard.end())
            return std::nullopt;
        return std::chrono::duration_cast<std::chrono::milliseconds>(
            found->second.time_since_epoch())
            .count();
    }
};

} // namespace

class TestRingOutput : public QObject
{
    Q_OBJECT

private slots:
    void aRingLostToADeviceErrorIsPlayedAgainOnce_data();
    void aRingLostToADeviceErrorIsPlayedAgainOnce();
    void ringsKeepTheirPaceAndTheDeviceRestsWhenIdle_data();
    void ringsKeepTheirPaceAndTheDeviceRestsWhenIdle();
};

void TestRingOutput::aRingLostToADeviceErrorIsPlayedAgainOnce_data()
{
    QTest::addColumn<Call>("failing");
    QTest::addColumn<int>("failFrom");
    QTest::addColumn<int>("failTimes");
    QTest::addColumn<bool>("stuck");
    QTest::addColumn<bool>("held");
    QTest::addColumn<bool>("firstHeard");

    QTest::newRow("no error") << Call::None << 1 << 0 << false << false << true;
    QTest::newRow("open fails once") << Call::Open << 1 << 1 << false << false << true;
    QTest::newRow("open fails thrice") << Call::Open << 1 << 3 << false << false << false;
    QTest::newRow("open fails thrice, held") << Call::Open << 1 << 3 << false << true << false;
    QTest::newRow("prepare of the ring fails") << Call::Prepare << 1 << 1 << false << false << true;
    QTest::newRow("prepare of the silence fails") << Call::Prepare << 2 << 1 << false << false << true;
    QTest::newRow("write fails") << Call::Write << 1 << 1 << false << false << true;
    QTest::newRow("write fails twice") << Call::Write << 1 << 2 << false << false << false;
    QTest::newRow("unprepare fails") << Call::Unprepare << 1 << 1 << false << false << true;
    QTest::newRow("reset fails") << Call::Reset << 1 << 1 << false << true << true;
    QTest::newRow("device stops handing back") << Call::None << 1 << 0 << true << false << true;
    QTest::newRow("stops handing back, held") << Call::None << 1 << 0 << true << true << true;
}

// The first ring at 0 s, the second at 4 s: the first is heard unless it failed twice, the second
// always; and the device ends open only while held.
void TestRingOutput::aRingLostToADeviceErrorIsPlayedAgainOnce()
{
    QFETCH(Call, failing);
    QFETCH(int, failFrom);
    QFETCH(int, failTimes);
    QFETCH(bool, stuck);
    QFETCH(bool, held);
    QFETCH(bool, firstHeard);
    Rig rig;
    rig.device.failing = failing;
    rig.device.failFrom = failFrom;
    rig.device.failTimes = failTimes;
    rig.device.stuckUntilReopened = stuck;
    rig.output.hold(held, rig.now);
    rig.play(1);
    rig.runTo(4s);
    rig.play(2);
    rig.runTo(30s);
    QCOMPARE(bool(rig.heardAt(1)), firstHeard);
    QVERIFY(rig.heardAt(2));
    QVERIFY(!rig.wokenInThePast);
    QCOMPARE(rig.device.misuses, 0);
    QCOMPARE(rig.output.isOpen(), held);
    QCOMPARE(rig.device.open_, held);
}

void TestRingOutput::ringsKeepTheirPaceAndTheDeviceRestsWhenIdle_data()
{
    QTest::addColumn<bool>("held");
    QTest::addColumn<QList<qint64>>("heardAt");
    // Rings asked for at 2000, 2400 and 2800 ms.
    QTest::newRow("closed: after the lead-in") << false << QList<qint64> { 2500, 2900, 3300 };
    QTest::newRow("held open: at once") << true << QList<qint64> { 2000, 2400, 2800 };
}

void TestRingOutput::ringsKeepTheirPaceAndTheDeviceRestsWhenIdle()
{
    QFETCH(bool, held);
    QFETCH(QList<qint64>, heardAt);
    Rig rig;
    rig.output.hold(held, rig.now);
    QCOMPARE(rig.output.nextDeadline().has_value(), held);
    rig.runTo(2s);
    for (std::int16_t ring = 1; ring <= 3; ++ring) {
        rig.play(ring, 1000ms);
        rig.runTo(2s + ring * 400ms);
    }
    rig.runTo(4s);
    for (std::int16_t ring = 1; ring <= 3; ++ring)
        QCOMPARE(rig.heardAt(ring).value_or(-1), heardAt[ring - 1]);
    // Ten seconds after the last ring ends the device closes, unless held until then.
    rig.runTo(13s);
    QVERIFY(rig.output.isOpen());
    rig.output.hold(false, rig.now);
    rig.runTo(15s);
    QVERIFY(!rig.output.isOpen());
    QCOMPARE(rig.output.nextDeadline(), std::nullopt);
}

QTEST_APPLESS_MAIN(TestRingOutput)
#include "tst_ringoutput.moc"
