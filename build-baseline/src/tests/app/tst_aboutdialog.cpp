#include "app/aboutdialog.h"
#include "ui/dialogtemplate.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using namespace zelvano;

class TestAboutDialog : public QObject
{
    Q_OBJECT

private slots:
    void showsNameVersionAndNoticeOverAnOkButton();
    void okAndEscapeCloseIt();
};

void TestAboutDialog::showsNameVersionAndNoticeOverAnOkButton()
{
    QWidget owner;
    owner.setWindowIcon(QIcon(QStringLiteral(":/zelvano-32.png")));
    AboutDialog about(&owner);
    QCOMPARE(about.windowTitle(), "Zelvanoのﾊﾞｰｼﾞｮﾝ情報");
    QStringList texts;
    int icons = 0;
    for (const QLabel* label : about.findChildren<QLabel*>()) {
        if (!label->pixmap().isNull())
            ++icons;
        else
            texts << label->text();
    }
    QCOMPARE(icons, 1);
    QCOMPARE(texts.size(), 2);
    QCOMPARE(texts.constFirst(), "Zelvano Version 1.0");
    QVERIFY(!texts.constLast().isEmpty());
    const QList<QPushButton*> buttons = about.findChildren<QPushButton*>();
    QCOMPARE(buttons.size(), 1);
    QCOMPARE(buttons.constFirst()->text(), "OK");
    QVERIFY(buttons.constFirst()->isDefault());
    QCOMPARE(about.size(), DialogUnits(about.font()).toPixels(QSize(195, 55)));
}

void TestAboutDialog::okAndEscapeCloseIt()
{
    QWidget owner;
    for (const bool useEscape : { false, true }) {
        AboutDialog about(&owner);
        about.open();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        QSignalSpy finished(&about, &QDialog::finished);
        if (useEscape)
            QTest::keyClick(&about, Qt::Key_Escape);
        else
            about.findChild<QPushButton*>()->click();
        QCOMPARE(finished.size(), 1);
    }
}

QTEST_MAIN(TestAboutDialog)
#include "tst_aboutdialog.moc"
