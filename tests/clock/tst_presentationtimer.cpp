#include <QTest>

#include "clock/presentationtimer.h"
#include "core/texts.h"
#include "fakes/fakecontext.h"

using namespace zelvano;

class TestPresentationTimer : public QObject
{
    Q_OBJECT

private slots:
    void formatsElapsedSeconds_data();
    void formatsElapsedSeconds();
    void ringsEachBellOnceAtItsMark();
    void ringsOnlyTheHighestBellSharingAMark();
    void marksThatCannotMatchNeverRing_data();
    void marksThatCannotMatchNeverRing();
    void setsTheDisplayBeforeRinging();
    void keepsTheSoundReadyOnlyAheadOfEachBell();
    void startIsRefusedWhileSettingsAreUnlocked();
    void startResetsTheRunButNotTheDisplay();
    void stopKillsTheTickAndKeepsTheLapLog();
    void countWrapsInsteadOfOverflowing();
};

void TestPresentationTimer::formatsElapsedSeconds_data()
{
    QTest::addColumn<qint32>("seconds");
    QTest::addColumn<QString>("text");
    QTest::newRow("zero") << 0 << "000:00";
    QTest::newRow("one minute one") << 61 << "001:01";
    QTest::newRow("largest three-digit") << 59999 << "999:59";
    QTest::newRow("grows past three digits") << 60000 << "1000:00";
    QTest::newRow("negative truncates toward zero") << -61 << "-001:-01";
    QTest::newRow("most negative") << INT32_MIN << "-35791394:-08";
}

void TestPresentationTimer::formatsElapsedSeconds()
{
    QFETCH(qint32, seconds);
    QFETCH(QString, text);
    QCOMPARE(QString::fromStdString(formatElapsed(seconds)), text);
}

void TestPresentationTimer::ringsEachBellOnceAtItsMark()
{
    FakeContext f; // defaults: marks 10, 13, 15 with 1, 2, 3 rings
    std::vector<std::pair<std::string, std::size_t>> ringsAt;
    for (int tick = 1; tick <= 20 * 60; ++tick) {
        const std::size_t before = f.platform.played.size();
        onTick(f.context);
        if (f.platform.played.size() != before)
            ringsAt.emplace_back(
                formatElapsed(f.view.displaySeconds), f.platform.played.size() - before);
    }
    const std::vector<std::pair<std::string, std::size_t>> expected { { "010:00", 1 },
        { "013:00", 2 }, { "015:00", 3 } };
    QCOMPARE(ringsAt, expected);
    QCOMPARE(f.platform.played, std::vector<std::string>(6, "ring.wav"));
}

void TestPresentationTimer::ringsOnlyTheHighestBellSharingAMark()
{
    FakeContext f;
    f.settings.values = { 13, 13, 20, 1, 2, 4 };
    f.state.elapsedSeconds = 13 * 60 - 1;
    onTick(f.context);
    QCOMPARE(f.platform.played.size(), std::size_t { 2 }); // bell 2's count; bell 1 stays silent

    f.settings.values = { 5, 5, 5, 1, 2, 3 };
    f.state.elapsedSeconds = 5 * 60 - 1;
    f.platform.played.clear();
    onTick(f.context);
    QCOMPARE(f.platform.played.size(), std::size_t { 3 });
}

void TestPresentationTimer::marksThatCannotMatchNeverRing_data()
{
    QTest::addColumn<qint32>("mark");
    QTest::addColumn<qint32>("startAt");
    QTest::newRow("zero: the first tick already makes 1") << 0 << 0;
    QTest::newRow("negative") << -1 << 0;
    // 35791395 * 60 wrapped to 32 bits would be -2147483596, which this run passes.
    QTest::newRow("seconds overflow 32 bits") << 35791395 << INT32_MIN;
    QTest::newRow("most negative") << INT32_MIN << INT32_MAX - 5;
}

void TestPresentationTimer::marksThatCannotMatchNeverRing()
{
    QFETCH(qint32, mark);
    QFETCH(qint32, startAt);
    FakeContext f;
    f.settings.values = { mark, mark, mark, 1, 1, 1 };
    f.state.elapsedSeconds = startAt;
    for (int i = 0; i < 120; ++i)
        onTick(f.context);
    QVERIFY(f.platform.played.empty());
}

void TestPresentationTimer::keepsTheSoundReadyOnlyAheadOfEachBell()
{
    FakeContext f; // defaults: marks 10, 13, 15
    onStart(f.context);
    std::vector<std::pair<int, bool>> changes; // the second of each change, and to what
    for (int tick = 1; tick <= 20 * 60; ++tick) {
        onTick(f.context);
        const bool ready = f.platform.soundReady.back();
        if (changes.empty() ? ready : ready != changes.back().second)
            changes.emplace_back(tick, ready);
    }
    const std::vector<std::pair<int, bool>> expected { { 595, true }, { 601, false },
        { 775, true }, { 781, false }, { 895, true }, { 901, false } };
    QCOMPARE(changes, expected);
    f.state.elapsedSeconds = 597;
    onTick(f.context);
    QVERIFY(f.platform.soundReady.back());
    onStop(f.context);
    QVERIFY(!f.platform.soundReady.back());
}

void TestPresentationTimer::setsTheDisplayBeforeRinging()
{
    FakeContext f;
    f.settings.values = { 1, 2, 3, 2, 2, 2 };
    f.state.elapsedSeconds = 59;
    std::vector<std::string> displayWhileRinging;
    f.platform.whilePlaying
        = [&] { displayWhileRinging.push_back(formatElapsed(f.view.displaySeconds)); };
    onTick(f.context);
    QCOMPARE(displayWhileRinging, (std::vector<std::string> { "001:00", "001:00" }));
    QCOMPARE(f.platform.events,
        (std::vector<std::string> { "play ring.wav", "sleep 400", "play ring.wav", "sleep 400" }));
}

void TestPresentationTimer::startIsRefusedWhileSettingsAreUnlocked()
{
    FakeContext f;
    f.state = { 42, 30, 2, true };
    f.view.lapLines = { "a", "b" };
    onStart(f.context);
    QCOMPARE(f.view.errorBoxes.size(), std::size_t { 1 });
    QCOMPARE(f.view.errorBoxes[0].first, std::string(texts::unlockedStartText));
    QCOMPARE(f.view.errorBoxes[0].second, std::string("設定エラー"));
    QCOMPARE(f.state.elapsedSeconds, 42);
    QCOMPARE(f.view.lapLines.size(), std::size_t { 2 });
    QVERIFY(!f.view.tickArmed);
    QVERIFY(f.platform.screenAwake.empty());
}

void TestPresentationTimer::startResetsTheRunButNotTheDisplay()
{
    FakeContext f;
    f.state = { 125, 100, 4, false };
    f.view.displaySeconds = 125;
    f.view.lapLines = { "line" };
    onStart(f.context);
    onStart(f.context); // starting again while running re-arms the tick
    QCOMPARE(f.view.armCount, 2);
    QVERIFY(f.view.tickArmed);
    QCOMPARE(f.platform.screenAwake, (std::vector { true, true }));
    QCOMPARE(f.state.elapsedSeconds, 0);
    QCOMPARE(f.state.lapMarkSeconds, 0);
    QCOMPARE(f.state.slideCount, 0);
    QVERIFY(f.view.lapLines.empty());
    QCOMPARE(f.view.displaySeconds, 125);
    onTick(f.context);
    QCOMPARE(f.view.displaySeconds, 1);
}

void TestPresentationTimer::stopKillsTheTickAndKeepsTheLapLog()
{
    FakeContext f;
    onStart(f.context);
    f.state = { 200, 150, 3, false };
    f.view.displaySeconds = 200;
    f.view.lapLines = { "line" };
    onStop(f.context);
    QVERIFY(!f.view.tickArmed);
    QCOMPARE(f.view.killCount, 1);
    QCOMPARE(f.platform.screenAwake, (std::vector { true, false }));
    QCOMPARE(f.state.elapsedSeconds, 0);
    QCOMPARE(f.state.lapMarkSeconds, 150);
    QCOMPARE(f.state.slideCount, 3);
    QCOMPARE(f.view.lapLines.size(), std::size_t { 1 });
    QCOMPARE(f.view.displaySeconds, 200);
}

void TestPresentationTimer::countWrapsInsteadOfOverflowing()
{
    FakeContext f;
    f.state.elapsedSeconds = INT32_MAX;
    onTick(f.context);
    QCOMPARE(f.state.elapsedSeconds, INT32_MIN);
}

QTEST_APPLESS_MAIN(TestPresentationTimer)
#include "tst_presentationtimer.moc"
