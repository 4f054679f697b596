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

enum class Call { None, Open, Prepare, Write, Unprepare, Reset };

// A device that plays written blocks one after another on a fake clock and notes when each ring
// (a block of frames all set to the ring's number) was first heard. Chosen calls fail; a stuck
// device never hands back what it was given while it stays open. Calls out of order (a block
// unprepared while playing, say) count as misuses: faults of the caller whatever the device did.
struct FakeDevice final : OutputDevice
{
    struct Slot
    {
        const std::int16_t* samples = nullptr;
        std::size_t frames = 0;
        bool prepared = false;
        bool written = false;
        bool done = false;
        Clock::time_point start {};
    };

    Clock::time_point now {};
    Call failing = Call::None;
    int failFrom = 1; // the first failing call of that kind, counted from 1
    int failTimes = 0;
    bool stuckUntilReopened = false;
    std::map<Call, int> calls;
    std::map<int, Clock::time_point> firstHeard; // ring number -> when
    int misuses = 0;
    bool isOpen = false;
    std::array<Slot, 3> blocks;
    Clock::time_point queuedUntil {};

    bool fails(Call call)
    {
        const int n = ++calls[call];
        return call == failing && n >= failFrom && n < failFrom + failTimes;
    }
    // Plays what the clock has passed, up to until.
    void playTo(Clock::time_point until)
    {
        for (Slot& slot : blocks) {
            if (!slot.written || slot.done || stuckUntilReopened)
                continue;
            for (std::size_t frame = 0; frame < slot.frames; ++frame) {
                const Clock::time_point at = slot.start + std::chrono::milliseconds(frame);
                if (at >= until)
                    break;
                if (const int ring = slot.samples[frame * 2])
                    firstHeard.emplace(ring, at);
            }
            slot.done = slot.start + std::chrono::milliseconds(slot.frames) <= until;
        }
    }

    bool open(std::uint32_t) override
    {
        misuses += isOpen;
        isOpen = !fails(Call::Open);
        queuedUntil = now;
        return isOpen;
    }
    bool prepare(int slot, const std::int16_t* samples, std::size_t count) override
    {
        misuses += !isOpen || blocks.at(std::size_t(slot)).prepared;
        if (fails(Call::Prepare))
            return false;
        blocks.at(std::size_t(slot)) = { samples, count / 2, true, false, false, {} };
        return true;
    }
    bool write(int slot) override
    {
        Slot& block = blocks.at(std::size_t(slot));
        misuses += !block.prepared || block.written;
        if (fails(Call::Write))
            return false;
        block.written = true;
        block.start = std::max(now, queuedUntil);
        queuedUntil = block.start + std::chrono::milliseconds(block.frames);
        return true;
    }
    bool isDone(int slot) const override { return blocks.at(std::size_t(slot)).done; }
    bool unprepare(int slot) override
    {
        Slot& block = blocks.at(std::size_t(slot));
        misuses += !block.prepared || (block.written && !block.done);
        block = {};
        return !fails(Call::Unprepare);
    }
    bool reset() override
    {
        playTo(now);
        for (Slot& slot : blocks)
            slot.done = slot.written;
        queuedUntil = now;
        return !fails(Call::Reset);
    }
    void close() override
    {
        misuses += !isOpen || std::any_of(blocks.begin(), blocks.end(), [](const Slot& slot) {
            return slot.prepared;
        });
        isOpen = false;
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
    QCOMPARE(rig.device.isOpen, held);
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
