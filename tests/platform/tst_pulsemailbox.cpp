#include <pulse/mainloop.h>

#include <QTest>

#include "platform/pulsemailbox.h"

using namespace zelvano;

class TestPulseMailbox : public QObject
{
    Q_OBJECT

private slots:
    void mailPostedBeforeTheWaitWakesIt_data();
    void mailPostedBeforeTheWaitWakesIt();
};

void TestPulseMailbox::mailPostedBeforeTheWaitWakesIt_data()
{
    QTest::addColumn<bool>("quit");
    QTest::newRow("a ring") << false;
    QTest::newRow("quit") << true;
}

// The sound thread takes its mail, then waits in the loop. Mail posted in between, the moment a
// lost wake-up would leave a bell silent, must end that wait: with no timeout, a poll that finds
// nothing dispatches nothing.
void TestPulseMailbox::mailPostedBeforeTheWaitWakesIt()
{
    QFETCH(bool, quit);
    pa_mainloop* loop = pa_mainloop_new();
    QVERIFY(loop);
    {
        PulseMailbox mailbox(pa_mainloop_get_api(loop));
        QVERIFY(mailbox.isReady());
        const PulseMailbox::Mail none = mailbox.take();
        QVERIFY(!none.path && !none.quit);
        QCOMPARE(pa_mainloop_iterate(loop, 0, nullptr), 0);

        if (quit)
            mailbox.postQuit();
        else
            mailbox.post("/talk/ring.wav");
        QCOMPARE(pa_mainloop_iterate(loop, 0, nullptr), 1);
        QCOMPARE(pa_mainloop_iterate(loop, 0, nullptr), 1); // still pending until taken

        const PulseMailbox::Mail mail = mailbox.take();
        QCOMPARE(mail.quit, quit);
        QCOMPARE(mail.path.value_or("none"), quit ? "none" : "/talk/ring.wav");
        QCOMPARE(pa_mainloop_iterate(loop, 0, nullptr), 0);
    }
    pa_mainloop_free(loop);
}

QTEST_APPLESS_MAIN(TestPulseMailbox)
#include "tst_pulsemailbox.moc"
