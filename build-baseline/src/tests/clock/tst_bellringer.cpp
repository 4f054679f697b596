#include <QTest>

#include "clock/bellringer.h"
#include "fakes/fakecontext.h"

using namespace zelvano;

class TestBellRinger : public QObject
{
    Q_OBJECT

private slots:
    void ringsCountTimesFourHundredMillisecondsApart_data();
    void ringsCountTimesFourHundredMillisecondsApart();
    void testButtonAlwaysRingsThreeTimes();
};

void TestBellRinger::ringsCountTimesFourHundredMillisecondsApart_data()
{
    QTest::addColumn<qint32>("count");
    QTest::addColumn<int>("rings");
    QTest::newRow("one") << 1 << 1;
    QTest::newRow("largest valid") << 5 << 5;
    QTest::newRow("zero rings nothing") << 0 << 0;
    QTest::newRow("negative rings nothing") << -3 << 0;
    QTest::newRow("above five is held to five") << 6 << 5;
    QTest::newRow("huge is held to five") << INT32_MAX << 5;
}

void TestBellRinger::ringsCountTimesFourHundredMillisecondsApart()
{
    QFETCH(qint32, count);
    QFETCH(int, rings);
    FakePlatform platform;
    ringBell(platform, count);
    std::vector<std::string> expected;
    for (int i = 0; i < rings; ++i) {
        expected.push_back("play ring.wav");
        expected.push_back("sleep 400");
    }
    QCOMPARE(platform.events, expected);
}

void TestBellRinger::testButtonAlwaysRingsThreeTimes()
{
    FakeContext f;
    f.settings.values = { 1, 1, 1, 5, 5, 5 };
    f.state.editingSettings = true;
    onTest(f.context);
    QCOMPARE(f.platform.played.size(), std::size_t { 3 });
    QCOMPARE(f.platform.totalSleptMs(), 1200);
}

QTEST_APPLESS_MAIN(TestBellRinger)
#include "tst_bellringer.moc"
