#include <functional>

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <QTimer>

#include "core/texts.h"
#include "fakes/fakeplatform.h"
#include "files/settingsfile.h"
#include "ui/dialogtemplate.h"
#include "ui/timerdialog.h"

using namespace zelvano;

namespace {

QString displayText(const TimerDialog& dialog)
{
    return qobject_cast<QLineEdit*>(dialog.control(IDC_TIME_DISPLAY))->text();
}

void click(const TimerDialog& dialog, int id)
{
    QTest::mouseClick(dialog.control(id), Qt::LeftButton);
}

// Runs action on the next modal box to open, from inside its own event loop.
void whenModalOpens(std::function<void(QWidget*)> action)
{
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, poll, [poll, action] {
        if (QWidget* modal = QApplication::activeModalWidget(); modal && modal->isVisible()) {
            poll->deleteLater();
            action(modal);
        }
    });
    poll->start(20);
}

} // namespace

class TestTimerDialog : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void startsWithLoadedLockedSettingsAndFocusOnClose();
    void buttonsReachTheirOperations();
    void refusedStartShowsAStopIconBox();
    void tabVisitsTheEnabledControlsInTemplateOrder();
    void enterAndEscapeEndTheDialog_data();
    void enterAndEscapeEndTheDialog();
    void lapListIsSortedAndNeverScrollsOrSelects();
    void ticksGoOnUnderAnOpenErrorBox();
    void ticksMissedWhileBlockedArriveAsOne();
    void noTickArrivesAfterStop();
    void contextMenuEndsWithTheAboutItem_data();
    void contextMenuEndsWithTheAboutItem();

private:
    std::unique_ptr<FakePlatform> m_platform;
    std::unique_ptr<TimerDialog> m_dialog;
};

void TestTimerDialog::init()
{
    m_platform = std::make_unique<FakePlatform>();
    m_platform->files[settingsFileName] = encodeSettings(BellSettings { { 20, 25, 30, 1, 2, 5 } });
    m_dialog = std::make_unique<TimerDialog>(*m_platform);
    m_dialog->open();
    QVERIFY(QTest::qWaitForWindowActive(m_dialog.get()));
}

void TestTimerDialog::cleanup()
{
    m_dialog.reset();
    m_platform.reset();
    QVERIFY(QApplication::topLevelWidgets().isEmpty());
}

void TestTimerDialog::startsWithLoadedLockedSettingsAndFocusOnClose()
{
    QCOMPARE(displayText(*m_dialog), "000:00");
    const QStringList expected { "20", "25", "30", "1", "2", "5" };
    const int fieldIds[] = { IDC_BELL1_MINUTES, IDC_BELL2_MINUTES, IDC_BELL3_MINUTES,
        IDC_BELL1_COUNT, IDC_BELL2_COUNT, IDC_BELL3_COUNT };
    for (int i = 0; i < 6; ++i) {
        auto* field = qobject_cast<QLineEdit*>(m_dialog->control(fieldIds[i]));
        QCOMPARE(field->text(), expected[i]);
        QVERIFY(!field->isEnabled());
    }
    QCOMPARE(
        qobject_cast<QPushButton*>(m_dialog->control(IDC_SETTINGS_TOGGLE))->text(), "設定変更(&C)");
    QCOMPARE(QApplication::focusWidget(), m_dialog->control(IDOK));
    QCOMPARE(m_dialog->windowTitle(), "Zelvano");
    QVERIFY(!m_dialog->windowIcon().isNull());
}

void TestTimerDialog::buttonsReachTheirOperations()
{
    click(*m_dialog, IDC_SLIDE);
    QCOMPARE(m_dialog->lapLineCount(), 1);

    click(*m_dialog, IDC_TEST);
    QCOMPARE(m_platform->played.size(), std::size_t { 3 });

    click(*m_dialog, IDC_SETTINGS_TOGGLE);
    QVERIFY(m_dialog->control(IDC_BELL2_COUNT)->isEnabled());
    QCOMPARE(
        qobject_cast<QPushButton*>(m_dialog->control(IDC_SETTINGS_TOGGLE))->text(), "設定確定");
    auto* field = qobject_cast<QLineEdit*>(m_dialog->control(IDC_BELL1_MINUTES));
    field->setText("45");
    click(*m_dialog, IDC_SETTINGS_TOGGLE);
    QVERIFY(!m_dialog->control(IDC_BELL2_COUNT)->isEnabled());
    QCOMPARE(decodeSettings(m_platform->files[settingsFileName])->minuteMark(1), 45);

    whenModalOpens([](QWidget* modal) {
        auto* chooser = modal;
        QCOMPARE(chooser->metaObject()->className(), "QFileDialog");
        QTest::keyClick(chooser, Qt::Key_Escape);
    });
    click(*m_dialog, IDC_SAVE);
    QVERIFY(m_platform->traces.empty());

    click(*m_dialog, IDC_START); // clears the lap list
    QCOMPARE(m_dialog->lapLineCount(), 0);
    click(*m_dialog, IDC_STOP);
}

void TestTimerDialog::refusedStartShowsAStopIconBox()
{
    click(*m_dialog, IDC_SETTINGS_TOGGLE);
    QString caption;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    whenModalOpens([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        QVERIFY(box);
        caption = box->windowTitle();
        text = box->text();
        icon = box->icon();
        QCOMPARE(box->parentWidget(), m_dialog.get());
        QCOMPARE(box->buttons().size(), 1);
        box->buttons().constFirst()->click();
    });
    click(*m_dialog, IDC_START);
    QCOMPARE(caption, "設定エラー");
    QCOMPARE(text, "設定を確定してください");
    QCOMPARE(icon, QMessageBox::Critical);
}

void TestTimerDialog::tabVisitsTheEnabledControlsInTemplateOrder()
{
    const auto visit = [this](int presses) {
        QList<QWidget*> visited { QApplication::focusWidget() };
        for (int i = 0; i < presses; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited << QApplication::focusWidget();
        }
        return visited;
    };
    const auto controls = [this](std::initializer_list<int> ids) {
        QList<QWidget*> widgets;
        for (const int id : ids)
            widgets << m_dialog->control(id);
        return widgets;
    };

    QCOMPARE(visit(8),
        controls({ IDOK, IDC_START, IDC_STOP, IDC_SLIDE, IDC_SLIDE_LIST, IDC_SETTINGS_TOGGLE,
            IDC_SAVE, IDC_TEST, IDOK }));

    click(*m_dialog, IDC_SETTINGS_TOGGLE); // unlocked: the six fields join in
    m_dialog->control(IDOK)->setFocus();
    QCOMPARE(visit(14),
        controls({ IDOK, IDC_START, IDC_STOP, IDC_SLIDE, IDC_BELL1_MINUTES, IDC_BELL2_MINUTES,
            IDC_BELL3_MINUTES, IDC_SLIDE_LIST, IDC_SETTINGS_TOGGLE, IDC_SAVE, IDC_TEST,
            IDC_BELL1_COUNT, IDC_BELL2_COUNT, IDC_BELL3_COUNT, IDOK }));
}

void TestTimerDialog::enterAndEscapeEndTheDialog_data()
{
    QTest::addColumn<int>("focus");
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("unlockFirst");
    QTest::newRow("Enter on Close") << int(IDOK) << int(Qt::Key_Return) << false;
    QTest::newRow("keypad Enter on Close") << int(IDOK) << int(Qt::Key_Enter) << false;
    QTest::newRow("Enter in a bell field") << int(IDC_BELL2_COUNT) << int(Qt::Key_Return) << true;
    QTest::newRow("Enter in the lap list") << int(IDC_SLIDE_LIST) << int(Qt::Key_Return) << false;
    QTest::newRow("Escape while unlocked") << int(IDC_BELL1_MINUTES) << int(Qt::Key_Escape) << true;
    QTest::newRow("Escape on Start") << int(IDC_START) << int(Qt::Key_Escape) << false;
}

void TestTimerDialog::enterAndEscapeEndTheDialog()
{
    QFETCH(int, focus);
    QFETCH(int, key);
    QFETCH(bool, unlockFirst);
    click(*m_dialog, IDC_START);
    if (unlockFirst)
        click(*m_dialog, IDC_SETTINGS_TOGGLE);
    QSignalSpy finished(m_dialog.get(), &QDialog::finished);
    m_dialog->control(focus)->setFocus();
    QTest::keyClick(m_dialog->control(focus), static_cast<Qt::Key>(key));
    QCOMPARE(finished.size(), 1);
    QVERIFY(!m_dialog->isVisible());
    QVERIFY(m_platform->files[settingsFileName].size() == settingsFileSize); // nothing saved
    QCOMPARE(decodeSettings(m_platform->files[settingsFileName])->minuteMark(1), 20);
}

void TestTimerDialog::lapListIsSortedAndNeverScrollsOrSelects()
{
    auto* list = qobject_cast<QListWidget*>(m_dialog->control(IDC_SLIDE_LIST));
    for (const char* line : { "[Slide002] b", "[Slide001] a", "[Slide1000] c" })
        m_dialog->addLapLine(line);
    QCOMPARE(m_dialog->lapLine(0), std::string("[Slide001] a"));
    QCOMPARE(m_dialog->lapLine(1), std::string("[Slide002] b"));
    QCOMPARE(m_dialog->lapLine(2), std::string("[Slide1000] c"));
    for (int i = 3; i < 60; ++i)
        m_dialog->addLapLine("[Slide" + std::to_string(i + 100) + "]");
    QCOMPARE(list->verticalScrollBar()->value(), 0);
    QTest::mouseClick(
        list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(1)).center());
    QVERIFY(list->selectedItems().isEmpty());
    QCOMPARE(list->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
}

void TestTimerDialog::ticksGoOnUnderAnOpenErrorBox()
{
    click(*m_dialog, IDC_START);
    click(*m_dialog, IDC_SETTINGS_TOGGLE);
    whenModalOpens([this](QWidget* modal) {
        QTRY_COMPARE_WITH_TIMEOUT(displayText(*m_dialog), "000:02", 5000);
        QTest::keyClick(modal, Qt::Key_Escape);
    });
    click(*m_dialog, IDC_START); // refused: the box opens while the run goes on
    QVERIFY(m_dialog->isVisible());
}

void TestTimerDialog::ticksMissedWhileBlockedArriveAsOne()
{
    click(*m_dialog, IDC_START);
    QThread::msleep(3300); // as a long ring would: three expiries fall while the thread sleeps
    QTest::qWait(300);
    QCOMPARE(displayText(*m_dialog), "000:01");
    QTRY_COMPARE_WITH_TIMEOUT(displayText(*m_dialog), "000:02", 3000);
}

void TestTimerDialog::noTickArrivesAfterStop()
{
    click(*m_dialog, IDC_START);
    QThread::msleep(1100); // an expiry is due when Stop is pressed
    click(*m_dialog, IDC_STOP);
    QTest::qWait(1500);
    QCOMPARE(displayText(*m_dialog), "000:00");
}

void TestTimerDialog::contextMenuEndsWithTheAboutItem_data()
{
    QTest::addColumn<bool>("byKeyboard");
    QTest::newRow("context menu event") << false;
    QTest::newRow("Shift+F10") << true;
}

void TestTimerDialog::contextMenuEndsWithTheAboutItem()
{
    QFETCH(bool, byKeyboard);
    QSignalSpy about(m_dialog.get(), &TimerDialog::aboutRequested);
    QStringList items;
    QTimer::singleShot(200, [&items] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QVERIFY(menu);
        const QList<QAction*> actions = menu->actions();
        for (QAction* action : actions)
            items << (action->isSeparator() ? QStringLiteral("--") : action->text());
        actions.constLast()->trigger();
        menu->close();
    });
    QWidget* start = m_dialog->control(IDC_START);
    start->setFocus();
    if (byKeyboard) {
        QTest::keyClick(start, Qt::Key_F10, Qt::ShiftModifier);
    } else {
        QContextMenuEvent event(QContextMenuEvent::Keyboard, start->rect().center(),
            start->mapToGlobal(start->rect().center()));
        QApplication::sendEvent(start, &event);
    }
    QCOMPARE(items.size() >= 2 ? items.mid(items.size() - 2) : items,
        (QStringList { "--", QString::fromUtf8(texts::aboutMenuItem) }));
    QCOMPARE(about.size(), 1);
}

QTEST_MAIN(TestTimerDialog)
#include "tst_timerdialog.moc"
