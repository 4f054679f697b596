#include <QTest>

#include "clock/keyboardoffer.h"

using namespace zelvano;

Q_DECLARE_METATYPE(OfferAnswer)

class TestKeyboardOffer : public QObject
{
    Q_OBJECT

private slots:
    void isTakenUnlessATalkButtonIsClicked_data();
    void isTakenUnlessATalkButtonIsClicked();
};

// Beside a slide show, an offer of the keyboard is refused for a click on a talk button, awaits
// the click when the pointer merely rests on one (Alt+Tab with the pointer left there), and is
// taken for any other way into the window.
void TestKeyboardOffer::isTakenUnlessATalkButtonIsClicked_data()
{
    QTest::addColumn<bool>("forTalkClick");
    QTest::addColumn<bool>("pointerOnTalkButton");
    QTest::addColumn<OfferAnswer>("answer");
    QTest::newRow("a click on a talk button") << true << true << OfferAnswer::Refuse;
    QTest::newRow("the pointer resting on one") << false << true << OfferAnswer::AwaitClick;
    QTest::newRow("anywhere else") << false << false << OfferAnswer::Take;
}

void TestKeyboardOffer::isTakenUnlessATalkButtonIsClicked()
{
    QFETCH(bool, forTalkClick);
    QFETCH(bool, pointerOnTalkButton);
    QFETCH(OfferAnswer, answer);
    QCOMPARE(answerKeyboardOffer(forTalkClick, pointerOnTalkButton), answer);
}

QTEST_APPLESS_MAIN(TestKeyboardOffer)
#include "tst_keyboardoffer.moc"
