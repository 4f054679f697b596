#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QStyle>
#include <QTest>

#include "core/windowlayout.h"
#include "fakes/fakeplatform.h"
#include "qt/app/aboutdialog.h"
#include "qt/window/timerdialog.h"

using namespace zelvano;

namespace {

// What a user reads on a control: mnemonic marks are underlines, not characters.
QString shownText(QString text)
{
    return text.replace(QRegularExpression(QStringLiteral("&(.)")), QStringLiteral("\\1"));
}

// Every text of a window that is cut off by its control's rectangle, with the widths involved.
QStringList clippedTexts(const QWidget& window)
{
    QStringList clipped;
    const auto check = [&clipped](const QWidget& control, const QString& text, int room) {
        const int needed = control.fontMetrics().horizontalAdvance(shownText(text));
        if (needed > room)
            clipped << QStringLiteral("\"%1\" needs %2 px, has %3").arg(text).arg(needed).arg(room);
    };
    for (const QLabel* label : window.findChildren<QLabel*>()) {
        if (label->pixmap().isNull())
            check(*label, label->text(), label->contentsRect().width());
    }
    for (const QPushButton* button : window.findChildren<QPushButton*>()) {
        const QStyle* style = button->style();
        const int margins = style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button)
            + 2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, button);
        check(*button, button->text(), button->width() - margins);
    }
    for (const QGroupBox* group : window.findChildren<QGroupBox*>())
        check(*group, group->title(), group->contentsRect().width());
    return clipped;
}

} // namespace

class TestAboutDialog : public QObject
{
    Q_OBJECT

private slots:
    void showsNameVersionAndNoticeOverAnOkButton();
    void okAndEscapeCloseIt();
    void everyTextFitsItsControl();
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
    QCOMPARE(about.size(), DialogUnits(about.font()).toPixels(195, 55));
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

void TestAboutDialog::everyTextFitsItsControl()
{
    FakePlatform platform;
    TimerDialog main(platform);
    AboutDialog about(&main);
    for (const QWidget* window : { static_cast<QWidget*>(&main), static_cast<QWidget*>(&about) }) {
        const QStringList clipped = clippedTexts(*window);
        QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join(QStringLiteral("; "))));
    }
}

QTEST_MAIN(TestAboutDialog)
#include "tst_aboutdialog.moc"
