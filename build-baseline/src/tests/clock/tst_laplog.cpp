#include <QTest>

#include "clock/laplog.h"
#include "clock/presentationtimer.h"
#include "fakes/fakecontext.h"

using namespace zelvano;

class TestLapLog : public QObject
{
    Q_OBJECT

private slots:
    void formatsLapLines_data();
    void formatsLapLines();
    void pressesDuringARunGiveOneLineEach();
    void slideAfterStopGivesANegativeLap();
    void fourDigitSlideNumbersSortByText();
    void startClearsTheLog();
};

void TestLapLog::formatsLapLines_data()
{
    QTest::addColumn<qint32>("slide");
    QTest::addColumn<qint32>("mark");
    QTest::addColumn<qint32>("elapsed");
    QTest::addColumn<QString>("line");
    QTest::newRow("first press") << 1 << 0 << 75 << "[Slide001]   1:15  累積:  1:15";
    QTest::newRow("second press") << 2 << 75 << 200 << "[Slide002]   2:05  累積:  3:20";
    QTest::newRow("before any start") << 1 << 0 << 0 << "[Slide001]   0:00  累積:  0:00";
    QTest::newRow("same second") << 2 << 75 << 75 << "[Slide002]   0:00  累積:  1:15";
    QTest::newRow("after stop") << 3 << 200 << 0 << "[Slide003]  -3:-20  累積:  0:00";
    QTest::newRow("slide 1000") << 1000 << 6039 << 6100 << "[Slide1000]   1:01  累積:101:40";
    QTest::newRow("lap wraps") << 1 << INT32_MIN << INT32_MAX
                               << "[Slide001]   0:-01  累積:35791394:07";
}

void TestLapLog::formatsLapLines()
{
    QFETCH(qint32, slide);
    QFETCH(qint32, mark);
    QFETCH(qint32, elapsed);
    QFETCH(QString, line);
    TimerState state { elapsed, mark, slide, false };
    QCOMPARE(QString::fromStdString(formatLapLine(state)), line);
    QCOMPARE(state.lapMarkSeconds, elapsed);
}

void TestLapLog::pressesDuringARunGiveOneLineEach()
{
    FakeContext f;
    onStart(f.context);
    for (int i = 0; i < 75; ++i)
        onTick(f.context);
    onSlide(f.context);
    for (int i = 0; i < 125; ++i)
        onTick(f.context);
    onSlide(f.context);
    const std::vector<std::string> expected { "[Slide001]   1:15  累積:  1:15",
        "[Slide002]   2:05  累積:  3:20" };
    QCOMPARE(f.view.lapLines, expected);
    QCOMPARE(f.state.slideCount, 2);
}

void TestLapLog::slideAfterStopGivesANegativeLap()
{
    FakeContext f;
    onStart(f.context);
    f.state = { 200, 100, 2, false };
    onStop(f.context);
    onSlide(f.context);
    QCOMPARE(f.view.lapLines.back(), std::string("[Slide003]  -1:-40  累積:  0:00"));
    QCOMPARE(f.state.lapMarkSeconds, 0);
}

void TestLapLog::fourDigitSlideNumbersSortByText()
{
    FakeContext f;
    f.state.slideCount = 998;
    for (int i = 0; i < 3; ++i)
        onSlide(f.context);
    // '1' sorts before '9': slides 1000 and 1001 land before 999 in a text-ordered list.
    QCOMPARE(f.view.lapLines.at(0).substr(0, 11), std::string("[Slide1000]"));
    QCOMPARE(f.view.lapLines.at(1).substr(0, 11), std::string("[Slide1001]"));
    QCOMPARE(f.view.lapLines.at(2).substr(0, 10), std::string("[Slide999]"));
}

void TestLapLog::startClearsTheLog()
{
    FakeContext f;
    onSlide(f.context);
    onStart(f.context);
    QVERIFY(f.view.lapLines.empty());
    onSlide(f.context);
    QCOMPARE(f.view.lapLines.front().substr(0, 10), std::string("[Slide001]"));
}

QTEST_APPLESS_MAIN(TestLapLog)
#include "tst_laplog.moc"
