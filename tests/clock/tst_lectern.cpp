#include <QTest>

#include "clock/bellschedule.h"
#include "clock/lectern.h"

using namespace zelvano;

Q_DECLARE_METATYPE(BellSettings)

class TestLectern : public QObject
{
    Q_OBJECT

private slots:
    void showsTheTimeToTheNextBell_data();
    void showsTheTimeToTheNextBell();
};

// The speaker's view's figure, caption and bell marks for the elapsed seconds, the other way
// round with remainingLarge.
void TestLectern::showsTheTimeToTheNextBell_data()
{
    QTest::addColumn<BellSettings>("settings");
    QTest::addColumn<qint32>("elapsed");
    QTest::addColumn<bool>("remainingLarge");
    QTest::addColumn<QString>("figure");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("marks");
    const BellSettings defaults; // 10, 13, 15
    QTest::newRow("start") << defaults << 0 << false << "0:00" << "1回目のベルまで 10:00" << "○○○";
    QTest::newRow("no leading zeros") << defaults << 126 << false << "2:06"
                                      << "1回目のベルまで 7:54" << "○○○";
    QTest::newRow("a second before") << defaults << 599 << false << "9:59"
                                     << "1回目のベルまで 0:01" << "○○○";
    QTest::newRow("at a bell, the next") << defaults << 600 << false << "10:00"
                                         << "2回目のベルまで 3:00" << "●○○";
    QTest::newRow("after the last") << defaults << 942 << false << "15:42"
                                    << "3回目のベルから +0:42" << "●●●";
    QTest::newRow("three-digit minutes") << defaults << 7425 << false << "123:45"
                                         << "3回目のベルから +108:45" << "●●●";
    QTest::newRow("remaining large") << defaults << 126 << true << "7:54"
                                     << "1回目のベルまで (経過 2:06)" << "○○○";
    QTest::newRow("remaining large, overtime")
        << defaults << 942 << true << "+0:42" << "3回目のベルから (経過 15:42)" << "●●●";
    QTest::newRow("shared mark: the higher bell")
        << BellSettings { { 13, 13, 20, 1, 2, 3 } } << 0 << false << "0:00"
        << "2回目のベルまで 13:00" << "○○○";
    QTest::newRow("out of order: the earliest mark first")
        << BellSettings { { 20, 5, 30, 1, 2, 3 } } << 0 << false << "0:00"
        << "2回目のベルまで 5:00" << "○○○";
    QTest::newRow("out of order: a lower bell behind the phase is skipped")
        << BellSettings { { 20, 5, 30, 1, 2, 3 } } << 360 << false << "6:00"
        << "3回目のベルまで 24:00" << "●●○";
    QTest::newRow("marks reached at once")
        << BellSettings { { 0, -5, 15, 1, 2, 3 } } << 0 << false << "0:00"
        << "3回目のベルまで 15:00" << "●●○";
    QTest::newRow("no bell can come") << BellSettings { { 40'000'000, 40'000'000, 40'000'000, 1,
        2, 3 } } << 60 << true << "1:00" << "" << "○○○";
    QTest::newRow("a wrapped count neither overflows nor loses its sign")
        << defaults << INT32_MIN << false << "-35791394:08" << "1回目のベルまで 35791404:08"
        << "○○○";
}

void TestLectern::showsTheTimeToTheNextBell()
{
    QFETCH(BellSettings, settings);
    QFETCH(qint32, elapsed);
    QFETCH(bool, remainingLarge);
    QFETCH(QString, figure);
    QFETCH(QString, caption);
    QFETCH(QString, marks);
    const LecternText text = lecternText(elapsed, settings, remainingLarge);
    QCOMPARE(QString::fromStdString(text.figure), figure);
    QCOMPARE(QString::fromStdString(text.caption), caption);
    QCOMPARE(QString::fromStdString(bellMarks(bellPhase(elapsed, settings))), marks);
}

QTEST_APPLESS_MAIN(TestLectern)
#include "tst_lectern.moc"
