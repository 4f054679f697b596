#include <QTest>

#include "clock/laplog.h"
#include "clock/presentationtimer.h"
#include "clock/slideturns.h"
#include "fakes/fakecontext.h"

using namespace zelvano;

class TestSlideTurns : public QObject
{
    Q_OBJECT

private slots:
    void turnsRecordOneLapPerSlideReached_data();
    void turnsRecordOneLapPerSlideReached();
};

void TestSlideTurns::turnsRecordOneLapPerSlideReached_data()
{
    // What happens, in order: on, start, stop, tN (N ticks), click (the Slide button), F/B/M/O
    // then a key code (a forward, back, modifier or other key pressed), f/b/m then a code (it is
    // released), unwatched (the keys are no longer watched), beginN and nN (a numbered slide show
    // began on, or showed, slide N), end. Laps: the cumulative time of each lap line recorded, in
    // order.
    QTest::addColumn<QString>("events");
    QTest::addColumn<QString>("laps");
    QTest::newRow("forward turns") << "on start t5 F1 f1 t3 F1 f1"
                                   << "0:05 0:08";
    QTest::newRow("back and again forward: only past the furthest")
        << "on start t1 F1 f1 t1 F1 f1 t1 B2 b2 t1 B2 b2 t1 F1 f1 t1 F1 f1 t1 F1 f1"
        << "0:01 0:02 0:07";
    QTest::newRow("back from the first slide stays there") << "on start B2 b2 B2 b2 t1 F1 f1"
                                                           << "0:01";
    QTest::newRow("a held key counts once") << "on start t1 F1 F1 F1 t1 F1 f1 t1 F1 f1"
                                            << "0:01 0:03";
    QTest::newRow("two turn keys held") << "on start t1 F1 F3 f1 F1 f3 f1"
                                        << "0:01 0:01 0:01";
    QTest::newRow("blanking, F5, Escape, Space, Enter, letters and digits")
        << "on start t1 O66 O87 O46 O44 O116 O27 O32 O13 O78 O53 t1 F1 f1"
        << "0:02";
    QTest::newRow("a turn key with a modifier is a shortcut") << "on start t1 M9 F1 f1 m9 t1 F1 f1"
                                                              << "0:02";
    QTest::newRow("keys held when the watch ended are forgotten")
        << "on start t1 M18 F1 stop unwatched start t1 F1 f1"
        << "0:01";
    QTest::newRow("off") << "start t1 F1 f1 t1 begin1 n2"
                         << "";
    QTest::newRow("stopped, then a new talk from the first slide")
        << "on start t1 F1 f1 t1 F1 f1 stop F1 f1 start t2 F1 f1"
        << "0:02";
    QTest::newRow("the button is the next slide") << "on start t1 click t1 F1 f1 t1 F1 f1"
                                                  << "0:01 0:03";
    QTest::newRow("numbered slides, jumps and returns")
        << "on begin1 start t1 n2 t1 n3 t1 n2 t1 n3 t1 n5 t1 n6"
        << "0:01 0:02 0:05 0:06";
    QTest::newRow("a numbered show mutes the keys until it ends")
        << "on begin1 start t1 F1 f1 t1 n2 end t1 F1 f1"
        << "0:02 0:03";
    QTest::newRow("a show begun within a talk is where it stands")
        << "on start t1 F1 f1 t1 begin7 t1 n8"
        << "0:01 0:03";
    QTest::newRow("a show begun first in a talk is where it stands") << "on start t1 begin3 t1 n4"
                                                                     << "0:02";
    QTest::newRow("a show begun again goes on counting its numbers")
        << "on begin1 start t1 n2 t1 n3 end t1 begin1 t1 n2 t1 n3 t1 n4"
        << "0:01 0:02 0:06";
    QTest::newRow("the button beside numbered slides") << "on begin4 start t1 click t1 n5 t1 n6"
                                                       << "0:01 0:03";
    QTest::newRow("a talk begun on a later slide") << "on begin1 n9 start t1 n8 t1 n10"
                                                   << "0:02";
}

void TestSlideTurns::turnsRecordOneLapPerSlideReached()
{
    QFETCH(QString, events);
    QFETCH(QString, laps);
    FakeContext f;
    SlideTurns turns;
    const auto number
        = [](const QString& event, qsizetype from) { return event.mid(from).toUInt(); };
    for (const QString& event : events.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (event == QLatin1String("on"))
            turns.setOn(true);
        else if (event == QLatin1String("start"))
            onStart(f.context);
        else if (event == QLatin1String("stop"))
            onStop(f.context);
        else if (event == QLatin1String("click"))
            onSlide(f.context);
        else if (event == QLatin1String("unwatched"))
            turns.forgetHeldKeys();
        else if (event == QLatin1String("end"))
            turns.slideShowEnded();
        else if (event.startsWith(QLatin1String("begin")))
            turns.slideShowBegan(f.context, number(event, 5));
        else if (event[0] == QLatin1Char('t'))
            for (uint tick = number(event, 1); tick > 0; --tick)
                onTick(f.context);
        else if (event[0] == QLatin1Char('n'))
            turns.slideShown(f.context, number(event, 1));
        else {
            static const QString keys = QStringLiteral("FBMO");
            const qsizetype kind = keys.indexOf(event[0].toUpper());
            QVERIFY2(kind >= 0, qPrintable(event));
            const auto key = static_cast<TurnKey>(kind);
            if (event[0].isUpper())
                turns.keyPressed(f.context, key, number(event, 1));
            else
                turns.keyReleased(key, number(event, 1));
        }
    }
    QStringList recorded;
    for (const std::string& line : f.view.lapLines)
        recorded << QString::fromStdString(line).section(QStringLiteral("累積:"), 1).trimmed();
    QCOMPARE(recorded.join(QLatin1Char(' ')), laps);
}

QTEST_APPLESS_MAIN(TestSlideTurns)
#include "tst_slideturns.moc"
