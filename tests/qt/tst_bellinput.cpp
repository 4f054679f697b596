#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include "core/windowlayout.h"
#include "fakes/fakeplatform.h"
#include "files/settingsfile.h"
#include "qt/window/timerdialog.h"

using namespace zelvano;

// Whatever a user pastes or types into a bell field, however long or strange, is read by the
// atoi rule and the window goes on answering.
class TestBellInput : public QObject
{
    Q_OBJECT

private slots:
    void pastedTextIsReadByTheRule_data();
    void pastedTextIsReadByTheRule();
};

void TestBellInput::pastedTextIsReadByTheRule_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expected"); // the minute mark confirmed; 0 when it is refused

    QTest::newRow("99,999 spaces, then 5") << QString(99'999, u' ') + u'5' << 5;
    QTest::newRow("100,000 zeros, then 7") << QString(100'000, u'0') + u'7' << 7;
    QTest::newRow("12, then 50,000 emoji") << u"12"_qs + u"😀"_qs.repeated(50'000) << 12;
    QTest::newRow("4294967297, then 100,000 letters")
        << u"4294967297"_qs + QString(100'000, u'x') << 1;
    QTest::newRow("tab and CR before digits") << u"\t\r 42"_qs << 42;
    QTest::newRow("emoji first") << u"😀12"_qs << 0;
    QTest::newRow("full-width digits") << u"１２"_qs << 0;
    QTest::newRow("full-width space first") << u"\u30007"_qs << 0;
    QTest::newRow("control character first") << u"\u00017"_qs << 0;
    QTest::newRow("NUL first") << QString(QChar(u'\0')) + u'7' << 0;
}

void TestBellInput::pastedTextIsReadByTheRule()
{
    QFETCH(QString, text);
    QFETCH(int, expected);
    FakePlatform platform;
    TimerDialog dialog(platform);
    dialog.open();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));

    QTest::mouseClick(dialog.control(ControlId::SettingsToggle), Qt::LeftButton);
    auto* field = qobject_cast<QLineEdit*>(dialog.control(ControlId::Bell1Minutes));
    field->setFocus();
    field->selectAll();
    QApplication::clipboard()->setText(text);
    QTest::keySequence(field, QKeySequence::Paste);
    QCOMPARE(field->text(), text);

    // The refusal box, if any, is answered from inside its own loop.
    bool refused = false;
    QTimer closeBox;
    connect(&closeBox, &QTimer::timeout, [&refused] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            refused = true;
            box->accept();
        }
    });
    closeBox.start(20);
    QTest::mouseClick(dialog.control(ControlId::SettingsToggle), Qt::LeftButton);
    closeBox.stop();

    if (expected == 0) {
        QVERIFY(refused);
        QVERIFY(
            !platform.files.count(settingsFileName) || platform.files[settingsFileName].empty());
    } else {
        QVERIFY(!refused);
        const std::optional<BellSettings> saved = decodeSettings(platform.files[settingsFileName]);
        QVERIFY(saved);
        QCOMPARE(saved->minuteMark(1), expected);
    }
}

QTEST_MAIN(TestBellInput)
#include "tst_bellinput.moc"
