#include <array>
#include <functional>
#include <optional>

#include <QAccessible>
#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFontMetrics>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>

#include "core/formatstring.h"
#include "core/phasecolours.h"
#include "core/texts.h"
#include "core/windowlayout.h"
#include "fakes/fakeplatform.h"
#include "files/choicesfile.h"
#include "files/settingsfile.h"
#include "qt/app/qttexts.h"
#include "qt/lectern/speakerface.h"
#include "qt/lectern/speakerview.h"
#include "qt/window/timedisplay.h"
#include "qt/window/timerdialog.h"

using namespace zelvano;

namespace {

QString displayText(const TimerDialog& dialog)
{
    return qobject_cast<TimeDisplay*>(dialog.control(ControlId::TimeDisplay))->text();
}

// The seconds a display text such as "012:34" shows.
std::int32_t secondsShown(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char(':'));
    return parts.at(0).toInt() * 60 + parts.at(1).toInt();
}

void click(const TimerDialog& dialog, ControlId id)
{
    QTest::mouseClick(dialog.control(id), Qt::LeftButton);
}

// Sets the three bells' minutes through their fields, as a user would.
void setBellMinutes(const TimerDialog& dialog, std::array<int, 3> minutes)
{
    click(dialog, ControlId::SettingsToggle);
    const ControlId fields[] { ControlId::Bell1Minutes, ControlId::Bell2Minutes,
        ControlId::Bell3Minutes };
    for (std::size_t bell = 0; bell < minutes.size(); ++bell)
        qobject_cast<QLineEdit*>(dialog.control(fields[bell]))
            ->setText(QString::number(minutes[bell]));
    click(dialog, ControlId::SettingsToggle);
}

// Answers the next window that find() returns, from inside that window's own event loop: arm it
// before the press that opens the window, then check answered(). The poll gives up after a
// deadline and ends with this object, so it never reaches into a later test; a window the action
// left open, say because an assertion in it failed, is closed rather than left to hang the test.
class NextWindow final
{
public:
    NextWindow(std::function<QWidget*()> find, std::function<void(QWidget*)> action)
    {
        m_deadline.start();
        QObject::connect(&m_poll, &QTimer::timeout, &m_poll, [this, find, action] {
            QWidget* window = find();
            if (!window || !window->isVisible()) {
                if (m_deadline.hasExpired(5000))
                    m_poll.stop();
                return;
            }
            m_poll.stop();
            m_answered = true;
            action(window);
            if (window->isVisible())
                window->close();
        });
        m_poll.start(20);
    }
    static NextWindow modal(std::function<void(QWidget*)> action)
    {
        return NextWindow(QApplication::activeModalWidget, std::move(action));
    }
    bool answered() const { return m_answered; }

private:
    QTimer m_poll;
    QElapsedTimer m_deadline;
    bool m_answered = false;
};

// Answers the next save chooser: saves as path, or cancels when path is empty; notes the folder
// the chooser opened in. The path is typed as a user would: selecting the file by program races
// with the chooser reading its folder, which can put the initial name back.
NextWindow answerSaveChooser(const QString& path, QStringList* folders = nullptr)
{
    return NextWindow::modal([path, folders](QWidget* modal) {
        auto* chooser = qobject_cast<QFileDialog*>(modal);
        QVERIFY(chooser);
        QVERIFY(chooser->testOption(QFileDialog::DontUseNativeDialog));
        if (folders)
            *folders << chooser->directory().absolutePath();
        if (path.isEmpty())
            return chooser->reject();
        auto* name = chooser->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        QVERIFY(name);
        name->setText(path);
        QTest::keyClick(name, Qt::Key_Return);
    });
}

// What a top-level window shows, from its backing store: what reaches the screen without any
// further paint event.
QImage shownBy(const QWidget& window)
{
    return window.screen()
        ->grabWindow(window.winId())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

int pixelsOf(const QImage& image, const QColor& colour)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        count += static_cast<int>(std::count(line, line + image.width(), colour.rgb()));
    }
    return count;
}

// What a menu item was like when it was chosen.
struct ChosenItem
{
    bool checkable = false;
    bool checked = false;
};

// Opens the window's context menu with Shift+F10 and chooses the item with the given text.
std::optional<ChosenItem> chooseFromContextMenu(const TimerDialog& dialog, const char* text)
{
    std::optional<ChosenItem> chosen;
    const NextWindow menu(QApplication::activePopupWidget, [&chosen, text](QWidget* popup) {
        const QList<QAction*> actions = popup->actions();
        for (QAction* action : actions) {
            if (action->text() == QString::fromUtf8(text)) {
                chosen = ChosenItem { action->isCheckable(), action->isChecked() };
                popup->close();
                action->trigger();
                return;
            }
        }
    });
    QTest::keyClick(dialog.control(ControlId::Start), Qt::Key_F10, Qt::ShiftModifier);
    return menu.answered() ? chosen : std::nullopt;
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
    void enterAndEscapeEndTheDialogOnlyWithNothingToLose_data();
    void enterAndEscapeEndTheDialogOnlyWithNothingToLose();
    void lapListKeepsByteOrderAndNeverScrolls();
    void lapListShowsNoCursorAndScrollsOnlyWhenFull_data();
    void lapListShowsNoCursorAndScrollsOnlyWhenFull();
    void saveChooserStartsInDocumentsThenWhereTheLastReportWent_data();
    void saveChooserStartsInDocumentsThenWhereTheLastReportWent();
    void displayShowsANewTimeAsAFullRepaintWould_data();
    void displayShowsANewTimeAsAFullRepaintWould();
    void ticksGoOnUnderAnOpenErrorBox();
    void ticksMissedWhileBlockedArriveAsOne();
    void noTickArrivesAfterStop();
    void contextMenuEndsWithTheAboutItem_data();
    void contextMenuEndsWithTheAboutItem();
    void stayOnTopItemTogglesTheHintInPlace();
    void menuItemsToggleTheirFeature_data();
    void menuItemsToggleTheirFeature();
    void digitsTakeThePhaseColourOnlyWhileAsked_data();
    void digitsTakeThePhaseColourOnlyWhileAsked();
    void speakerViewShowsTheTimeToTheNextBell_data();
    void speakerViewShowsTheTimeToTheNextBell();
    void speakerViewFigureKeepsItsSizeWithinTheMargins_data();
    void speakerViewFigureKeepsItsSizeWithinTheMargins();
    void speakerViewCloses_data();
    void speakerViewCloses();
    void displayReadsToScreenReadersAsAReadOnlyFieldOfTheTime();

private:
    std::unique_ptr<FakePlatform> m_platform;
    std::unique_ptr<TimerDialog> m_dialog;
};

void TestTimerDialog::init()
{
    m_platform = std::make_unique<FakePlatform>();
    m_platform->files[settingsFileName] = encodeSettings(BellSettings { { 20, 25, 30, 1, 2, 5 } });
    m_platform->files[choicesFileName] = "";
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
    const QWidget* display = m_dialog->control(ControlId::TimeDisplay);
    QCOMPARE(QFontMetrics(display->font(), display).height(), 50);
    const QStringList expected { "20", "25", "30", "1", "2", "5" };
    const ControlId fieldIds[]
        = { ControlId::Bell1Minutes, ControlId::Bell2Minutes, ControlId::Bell3Minutes,
              ControlId::Bell1Count, ControlId::Bell2Count, ControlId::Bell3Count };
    for (int i = 0; i < 6; ++i) {
        auto* field = qobject_cast<QLineEdit*>(m_dialog->control(fieldIds[i]));
        QCOMPARE(field->text(), expected[i]);
        QVERIFY(!field->isEnabled());
    }
    QCOMPARE(qobject_cast<QPushButton*>(m_dialog->control(ControlId::SettingsToggle))->text(),
        "設定変更(&C)");
    QCOMPARE(QApplication::focusWidget(), m_dialog->control(ControlId::Ok));
    QCOMPARE(m_dialog->windowTitle(), "Zelvano");
    QVERIFY(!m_dialog->windowIcon().isNull());
}

void TestTimerDialog::buttonsReachTheirOperations()
{
    click(*m_dialog, ControlId::Slide);
    QCOMPARE(m_dialog->lapLineCount(), 1);

    click(*m_dialog, ControlId::Test);
    QCOMPARE(m_platform->played.size(), std::size_t { 3 });

    click(*m_dialog, ControlId::SettingsToggle);
    QVERIFY(m_dialog->control(ControlId::Bell2Count)->isEnabled());
    QCOMPARE(qobject_cast<QPushButton*>(m_dialog->control(ControlId::SettingsToggle))->text(),
        "設定確定");
    auto* field = qobject_cast<QLineEdit*>(m_dialog->control(ControlId::Bell1Minutes));
    field->setText("45");
    click(*m_dialog, ControlId::SettingsToggle);
    QVERIFY(!m_dialog->control(ControlId::Bell2Count)->isEnabled());
    QCOMPARE(decodeSettings(m_platform->files[settingsFileName])->minuteMark(1), 45);

    const NextWindow answer = NextWindow::modal([](QWidget* modal) {
        auto* chooser = modal;
        QCOMPARE(chooser->metaObject()->className(), "QFileDialog");
        QTest::keyClick(chooser, Qt::Key_Escape);
    });
    click(*m_dialog, ControlId::Save);
    QVERIFY(answer.answered());
    QVERIFY(m_platform->traces.empty());

    click(*m_dialog, ControlId::Start); // clears the lap list
    QCOMPARE(m_dialog->lapLineCount(), 0);
    click(*m_dialog, ControlId::Stop);
}

void TestTimerDialog::refusedStartShowsAStopIconBox()
{
    click(*m_dialog, ControlId::SettingsToggle);
    QString caption;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    const NextWindow answer = NextWindow::modal([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        QVERIFY(box);
        caption = box->windowTitle();
        text = box->text();
        icon = box->icon();
        QCOMPARE(box->parentWidget(), m_dialog.get());
        QCOMPARE(box->buttons().size(), 1);
        box->buttons().constFirst()->click();
    });
    click(*m_dialog, ControlId::Start);
    QVERIFY(answer.answered());
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
    const auto controls = [this](std::initializer_list<ControlId> ids) {
        QList<QWidget*> widgets;
        for (const ControlId id : ids)
            widgets << m_dialog->control(id);
        return widgets;
    };

    QCOMPARE(visit(8),
        controls({ ControlId::Ok, ControlId::Start, ControlId::Stop, ControlId::Slide,
            ControlId::SlideList, ControlId::SettingsToggle, ControlId::Save, ControlId::Test,
            ControlId::Ok }));

    click(*m_dialog, ControlId::SettingsToggle); // unlocked: the six fields join in
    m_dialog->control(ControlId::Ok)->setFocus();
    QCOMPARE(visit(14),
        controls({ ControlId::Ok, ControlId::Start, ControlId::Stop, ControlId::Slide,
            ControlId::Bell1Minutes, ControlId::Bell2Minutes, ControlId::Bell3Minutes,
            ControlId::SlideList, ControlId::SettingsToggle, ControlId::Save, ControlId::Test,
            ControlId::Bell1Count, ControlId::Bell2Count, ControlId::Bell3Count, ControlId::Ok }));
}

void TestTimerDialog::enterAndEscapeEndTheDialogOnlyWithNothingToLose_data()
{
    QTest::addColumn<int>("focus");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("talk"); // none, running, unsaved laps (stopped), saved
    QTest::addColumn<bool>("viewOpen");
    QTest::addColumn<QString>("outcome"); // ends, stays, closes the view, presses the button
    const int close = int(ControlId::Ok);
    const int start = int(ControlId::Start);
    const int slide = int(ControlId::Slide);
    const int list = int(ControlId::SlideList);
    const int field = int(ControlId::Bell2Count);
    const int enter = Qt::Key_Return;
    const int escape = Qt::Key_Escape;
    QTest::newRow("Enter on Close") << close << enter << "none" << false << "ends";
    QTest::newRow("keypad Enter on Close")
        << close << int(Qt::Key_Enter) << "none" << false << "ends";
    QTest::newRow("Enter in a bell field") << field << enter << "none" << false << "ends";
    QTest::newRow("Enter in the lap list") << list << enter << "none" << false << "ends";
    QTest::newRow("Escape in a bell field") << field << escape << "none" << false << "ends";
    QTest::newRow("Escape on Start") << start << escape << "none" << false << "ends";
    QTest::newRow("Escape, running") << start << escape << "running" << false << "stays";
    QTest::newRow("Enter on Close, running") << close << enter << "running" << false << "stays";
    QTest::newRow("Escape, unsaved laps") << list << escape << "unsaved laps" << false << "stays";
    QTest::newRow("Enter in the lap list, unsaved laps")
        << list << enter << "unsaved laps" << false << "stays";
    QTest::newRow("Enter on Start, unsaved laps: no new talk")
        << start << enter << "unsaved laps" << false << "stays";
    QTest::newRow("Enter on Slide, running: a lap")
        << slide << enter << "running" << false << "presses the button";
    QTest::newRow("Escape, saved") << start << escape << "saved" << false << "ends";
    QTest::newRow("Escape, view open") << start << escape << "none" << true << "closes the view";
    QTest::newRow("Escape, view open, running")
        << close << escape << "running" << true << "closes the view";
    QTest::newRow("Enter on Close, view open, running")
        << close << enter << "running" << true << "stays";
}

// A presentation clicker's Escape, or an Enter, never ends a talk that is running or whose laps
// no report holds; with the speaker's view open Escape closes the view alone.
void TestTimerDialog::enterAndEscapeEndTheDialogOnlyWithNothingToLose()
{
    QFETCH(int, focus);
    QFETCH(int, key);
    QFETCH(QString, talk);
    QFETCH(bool, viewOpen);
    QFETCH(QString, outcome);
    if (talk != QLatin1String("none"))
        click(*m_dialog, ControlId::Start);
    if (talk == QLatin1String("unsaved laps") || talk == QLatin1String("saved")) {
        click(*m_dialog, ControlId::Slide);
        click(*m_dialog, ControlId::Stop);
    }
    if (talk == QLatin1String("saved")) {
        QTemporaryDir folder;
        const NextWindow answer = answerSaveChooser(folder.filePath(QStringLiteral("talk.txt")));
        click(*m_dialog, ControlId::Save);
        QVERIFY(answer.answered());
    }
    if (focus == int(ControlId::Bell2Count))
        click(*m_dialog, ControlId::SettingsToggle); // a locked field takes no focus
    if (viewOpen)
        m_dialog->setSpeakerViewOpen(true);
    QSignalSpy finished(m_dialog.get(), &QDialog::finished);
    m_dialog->control(ControlId(focus))->setFocus();
    QTest::keyClick(m_dialog->control(ControlId(focus)), static_cast<Qt::Key>(key));
    const bool ends = outcome == QLatin1String("ends");
    QCOMPARE(finished.size(), ends ? 1 : 0);
    QCOMPARE(m_dialog->isVisible(), !ends);
    QCOMPARE(m_dialog->speakerView() != nullptr, viewOpen && outcome == QLatin1String("stays"));
    QCOMPARE(m_dialog->lapLineCount(),
        (talk == QLatin1String("unsaved laps") || talk == QLatin1String("saved") ? 1 : 0)
            + (outcome == QLatin1String("presses the button") ? 1 : 0));
    QVERIFY(m_platform->files[settingsFileName].size() == settingsFileSize); // nothing saved
    QCOMPARE(decodeSettings(m_platform->files[settingsFileName])->minuteMark(1), 20);
}

// main() runs this test under a Japanese collation, which, like most, orders lines from slide 1000
// on differently from their bytes.
void TestTimerDialog::lapListKeepsByteOrderAndNeverScrolls()
{
    const auto lapLine
        = [](int slide) { return formatString(texts::lapLineFormat, slide, 0, 1, 16, 40); };
    for (const int slide : { 998, 999, 1000, 1001, 10000 })
        m_dialog->addLapLine(lapLine(slide));
    std::vector<std::string> order;
    for (int i = 0; i < m_dialog->lapLineCount(); ++i)
        order.push_back(m_dialog->lapLine(i));
    QCOMPARE(order,
        (std::vector<std::string> {
            lapLine(10000), lapLine(1000), lapLine(1001), lapLine(998), lapLine(999) }));

    for (int slide = 1; slide < 60; ++slide)
        m_dialog->addLapLine(lapLine(slide));
    QCoreApplication::processEvents(); // the list lays itself out
    QCOMPARE(qobject_cast<QListWidget*>(m_dialog->control(ControlId::SlideList))
                 ->verticalScrollBar()
                 ->value(),
        0);
}

void TestTimerDialog::lapListShowsNoCursorAndScrollsOnlyWhenFull_data()
{
    QTest::addColumn<int>("lines");
    QTest::addColumn<bool>("overflowing");
    QTest::newRow("all lines fit") << 3 << false;
    QTest::newRow("lines overflow") << 60 << true;
}

void TestTimerDialog::lapListShowsNoCursorAndScrollsOnlyWhenFull()
{
    QFETCH(int, lines);
    QFETCH(bool, overflowing);
    auto* list = qobject_cast<QListWidget*>(m_dialog->control(ControlId::SlideList));
    for (int i = 0; i < lines; ++i)
        m_dialog->addLapLine("[Slide" + std::to_string(i + 100) + "]");
    list->setFocus();
    QCoreApplication::processEvents(); // the list lays itself out
    const QScrollBar* bar = list->verticalScrollBar();
    QVERIFY(bar->isVisible());
    QCOMPARE(bar->maximum() > 0, overflowing);
    QCOMPARE(bar->isEnabled(), overflowing);

    const QImage before = list->viewport()->grab().toImage();
    QTest::keyClick(list, Qt::Key_Down);
    QTest::keyClick(list, Qt::Key_Down);
    QCOMPARE(list->viewport()->grab().toImage(), before);
    QTest::mouseClick(
        list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(1)).center());
    QVERIFY(list->selectedItems().isEmpty());

    m_dialog->clearLapLines();
    QCoreApplication::processEvents();
    QVERIFY(!bar->isEnabled());
}

void TestTimerDialog::saveChooserStartsInDocumentsThenWhereTheLastReportWent_data()
{
    QTest::addColumn<bool>("hasDocuments");
    QTest::newRow("documents folder") << true;
    QTest::newRow("no documents folder") << false;
}

void TestTimerDialog::saveChooserStartsInDocumentsThenWhereTheLastReportWent()
{
    QFETCH(bool, hasDocuments);
    QTemporaryDir home;
    const QByteArray realHome = qgetenv("HOME");
    qputenv("HOME", home.path().toLocal8Bit());
    const auto restoreHome = qScopeGuard([&realHome] { qputenv("HOME", realHome); });
    QVERIFY(QDir(home.path()).mkpath(QStringLiteral("talks")));
    if (hasDocuments)
        QVERIFY(QDir(home.path()).mkpath(QStringLiteral("Documents")));
    const QString report = home.filePath(QStringLiteral("talks/today.txt"));

    // Each Save opens the chooser once; the first answer saves, the second cancels.
    m_dialog->addLapLine("[Slide001]");
    QStringList folders;
    for (const bool save : { true, false }) {
        const NextWindow answer = answerSaveChooser(save ? report : QString(), &folders);
        click(*m_dialog, ControlId::Save);
        QVERIFY(answer.answered());
    }
    QVERIFY(m_platform->files.count(report.toStdString()));
    QCOMPARE(folders,
        (QStringList { home.filePath(hasDocuments ? QStringLiteral("Documents") : QString()),
            home.filePath(QStringLiteral("talks")) }));
}

void TestTimerDialog::displayShowsANewTimeAsAFullRepaintWould_data()
{
    QTest::addColumn<bool>("inView");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    // The speaker's view draws its large glyphs from images of them, the window's small ones
    // are drawn in place: both must leave what a full repaint leaves.
    for (const bool inView : { false, true }) {
        const char* where = inView ? "view" : "window";
        QTest::addRow("%s, last digit", where) << inView << "000:00"
                                               << "000:01";
        QTest::addRow("%s, tens of seconds", where) << inView << "000:19"
                                                    << "000:20";
        QTest::addRow("%s, new minute", where) << inView << "000:59"
                                               << "001:00";
        QTest::addRow("%s, wider text", where) << inView << "999:59"
                                               << "1000:00";
        QTest::addRow("%s, same text", where) << inView << "000:07"
                                              << "000:07";
    }
}

// Only the ink of the changed glyphs is painted on a new time; what the screen shows then must be
// what a full repaint of the window gives, with nothing of the old time left and the frame
// untouched.
void TestTimerDialog::displayShowsANewTimeAsAFullRepaintWould()
{
    QFETCH(bool, inView);
    QFETCH(QString, before);
    QFETCH(QString, after);
    QWidget* window = m_dialog.get();
    QRect display = m_dialog->control(ControlId::TimeDisplay)->geometry();
    if (inView) {
        m_dialog->setSpeakerViewOpen(true);
        window = m_dialog->speakerView();
        QVERIFY(window && QTest::qWaitForWindowExposed(window));
        display = window->rect();
    }
    const auto screen = [&] { return shownBy(*window).copy(display); };
    m_dialog->setDisplayTime(secondsShown(before));
    window->repaint();
    const QImage old = screen();
    // Every tick paints the text area again; a style that blended over the old pixels would
    // show it only after many.
    for (int tick = 0; tick < 10; ++tick)
        m_dialog->setDisplayTime(secondsShown(after));
    const QImage shown = screen();
    window->repaint();
    QCOMPARE(shown, screen());
    QCOMPARE(shown == old, before == after);
}

void TestTimerDialog::ticksGoOnUnderAnOpenErrorBox()
{
    click(*m_dialog, ControlId::Start);
    click(*m_dialog, ControlId::SettingsToggle);
    const NextWindow answer = NextWindow::modal([this](QWidget* modal) {
        QTRY_COMPARE_WITH_TIMEOUT(displayText(*m_dialog), "000:02", 5000);
        QTest::keyClick(modal, Qt::Key_Escape);
    });
    click(*m_dialog, ControlId::Start); // refused: the box opens while the run goes on
    QVERIFY(answer.answered());
    QVERIFY(m_dialog->isVisible());
}

void TestTimerDialog::ticksMissedWhileBlockedArriveAsOne()
{
    click(*m_dialog, ControlId::Start);
    QThread::msleep(3300); // as a long ring would: three expiries fall while the thread sleeps
    QTest::qWait(300);
    QCOMPARE(displayText(*m_dialog), "000:01");
    QTRY_COMPARE_WITH_TIMEOUT(displayText(*m_dialog), "000:02", 3000);
}

void TestTimerDialog::noTickArrivesAfterStop()
{
    click(*m_dialog, ControlId::Start);
    QThread::msleep(1100); // an expiry is due when Stop is pressed
    click(*m_dialog, ControlId::Stop);
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
    const NextWindow menu(QApplication::activePopupWidget, [&items](QWidget* popup) {
        const QList<QAction*> actions = popup->actions();
        for (QAction* action : actions)
            items << (action->isSeparator() ? QStringLiteral("--") : action->text());
        actions.constLast()->trigger();
        popup->close();
    });
    QWidget* start = m_dialog->control(ControlId::Start);
    start->setFocus();
    if (byKeyboard) {
        QTest::keyClick(start, Qt::Key_F10, Qt::ShiftModifier);
    } else {
        QContextMenuEvent event(QContextMenuEvent::Keyboard, start->rect().center(),
            start->mapToGlobal(start->rect().center()));
        QApplication::sendEvent(start, &event);
    }
    QVERIFY(menu.answered());
    // Without X no keys are seen: the item says that only pdfpc's turns count.
    QCOMPARE(items.size() >= 8 ? items.mid(items.size() - 8) : items,
        (QStringList { QString::fromUtf8(texts::stayOnTopMenuItem),
            QString::fromUtf8(texts::bellColoursMenuItem),
            QString::fromUtf8(texts::speakerViewMenuItem),
            QString::fromUtf8(texts::remainingLargeMenuItem),
            QString::fromUtf8(qttexts::lapsFromSlideTurnsPdfpcOnlyMenuItem),
            QString::fromUtf8(texts::shareMenuItem), "--",
            QString::fromUtf8(texts::aboutMenuItem) }));
    QCOMPARE(about.size(), 1);
}

// Each choice of the item flips the hint; the window stays shown where it was and keeps the
// keyboard, so the running timer stays in front of the user.
void TestTimerDialog::stayOnTopItemTogglesTheHintInPlace()
{
    const QPoint position(40, 30);
    m_dialog->move(position);
    QVERIFY(QTest::qWaitForWindowExposed(m_dialog.get()));
    for (const bool expected : { true, false }) {
        const std::optional<ChosenItem> item
            = chooseFromContextMenu(*m_dialog, texts::stayOnTopMenuItem);
        QVERIFY(item);
        QVERIFY(item->checkable);
        QCOMPARE(item->checked, !expected);
        QCOMPARE(m_dialog->windowFlags().testFlag(Qt::WindowStaysOnTopHint), expected);
        QVERIFY(m_dialog->isVisible());
        QCOMPARE(m_dialog->pos(), position);
        QVERIFY(QTest::qWaitForWindowActive(m_dialog.get()));
    }
}

void TestTimerDialog::menuItemsToggleTheirFeature_data()
{
    QTest::addColumn<QString>("item");
    QTest::newRow("bell colours") << QString::fromUtf8(texts::bellColoursMenuItem);
    QTest::newRow("speaker's view") << QString::fromUtf8(texts::speakerViewMenuItem);
    QTest::newRow("remaining time large") << QString::fromUtf8(texts::remainingLargeMenuItem);
    QTest::newRow("laps from page turns")
        << QString::fromUtf8(qttexts::lapsFromSlideTurnsPdfpcOnlyMenuItem);
}

// Each choice of the item turns its feature on or off, and the item shows which; all start off.
void TestTimerDialog::menuItemsToggleTheirFeature()
{
    QFETCH(QString, item);
    const auto isOn = [this, &item] {
        if (item == QString::fromUtf8(texts::bellColoursMenuItem))
            return m_dialog->colourByPhase();
        if (item == QString::fromUtf8(texts::remainingLargeMenuItem))
            return m_dialog->remainingLarge();
        if (item == QString::fromUtf8(qttexts::lapsFromSlideTurnsPdfpcOnlyMenuItem))
            return m_dialog->lapsFromSlideTurns();
        return m_dialog->speakerView() != nullptr;
    };
    QVERIFY(!isOn());
    const QByteArray text = item.toUtf8();
    for (const bool expected : { true, false }) {
        const std::optional<ChosenItem> chosen = chooseFromContextMenu(*m_dialog, text.constData());
        QVERIFY(chosen);
        QVERIFY(chosen->checkable);
        QCOMPARE(chosen->checked, !expected);
        QCOMPARE(isOn(), expected);
    }
}

void TestTimerDialog::digitsTakeThePhaseColourOnlyWhileAsked_data()
{
    QTest::addColumn<bool>("colourOn");
    QTest::addColumn<int>("phase");
    for (const int phase : { 0, 2, 3 }) {
        QTest::addRow("colour, phase %d", phase) << true << phase;
        QTest::addRow("no colour, phase %d", phase) << false << phase;
    }
}

// The main display and the speaker's view show a new phase's colour as soon as it comes, with no
// paint event in between, also when it comes from bells set anew for the time shown; without
// colour, every phase looks like none. The view's caption keeps the colour of no phase; the marks
// beneath its time, shown only with colour, take the phase's.
void TestTimerDialog::digitsTakeThePhaseColourOnlyWhileAsked()
{
    QFETCH(bool, colourOn);
    QFETCH(int, phase);
    const QWidget* display = m_dialog->control(ControlId::TimeDisplay);
    m_dialog->setColourByPhase(colourOn);
    m_dialog->setSpeakerViewOpen(true);
    SpeakerView* view = m_dialog->speakerView();
    QVERIFY(view && QTest::qWaitForWindowExposed(view));
    m_dialog->setDisplayTime(120);
    m_dialog->repaint();
    view->repaint();
    // The same text: only the colour may change.
    const std::array<std::array<int, 3>, 4> bellsForPhase { { { 20, 25, 30 }, { 1, 25, 30 },
        { 1, 2, 30 }, { 1, 2, 2 } } };
    setBellMinutes(*m_dialog, bellsForPhase.at(std::size_t(phase)));
    QVERIFY(view->face().text().startsWith(QStringLiteral("2:00\n")));

    const QImage main = shownBy(*m_dialog).copy(display->geometry());
    const QColor mainDigits = colourOn ? qColour(windowPalette.digits.at(std::size_t(phase)))
                                       : display->palette().color(QPalette::Text);
    QVERIFY2(pixelsOf(main, mainDigits) > 20, qPrintable(mainDigits.name()));
    const QImage big = shownBy(*view);
    const int captionTop = view->face().lineRect(2).top();
    const QImage figure = big.copy(0, 0, big.width(), captionTop);
    const QImage captionLine = big.copy(0, captionTop, big.width(), big.height() - captionTop);
    const QColor noPhase = qColour(speakerViewPalette.digits[0]);
    const QColor phaseColour = qColour(speakerViewPalette.digits.at(std::size_t(phase)));
    QVERIFY2(
        pixelsOf(figure, colourOn ? phaseColour : noPhase) > 200, qPrintable(phaseColour.name()));
    QVERIFY(pixelsOf(captionLine, noPhase) > 20);
    QCOMPARE(pixelsOf(captionLine, phaseColour) > 20, colourOn || phase == 0);
    QVERIFY(pixelsOf(big, qColour(speakerViewPalette.background)) > big.width() * big.height() / 2);
}

void TestTimerDialog::speakerViewShowsTheTimeToTheNextBell_data()
{
    QTest::addColumn<bool>("colourOn");
    QTest::addColumn<int>("turnRemainingLargeOn"); // 0 never, 1 before the view opens, 2 after
    QTest::addColumn<QStringList>("lines");
    // The bells ring at 20, 25 and 30 minutes; 2:06 is shown.
    QTest::newRow("elapsed large")
        << false << 0 << QStringList { "2:06", "", "1回目のベルまで 17:54" };
    QTest::newRow("with the bells reached")
        << true << 0 << QStringList { "2:06", "○○○  ", "1回目のベルまで 17:54" };
    QTest::newRow("remaining large, chosen while open")
        << false << 2 << QStringList { "17:54", "", "1回目のベルまで (経過 2:06)" };
    QTest::newRow("remaining large, kept from before")
        << false << 1 << QStringList { "17:54", "", "1回目のベルまで (経過 2:06)" };
}

// The view shows the time the display shows, as the figure and the caption of its bells, from the
// moment it opens; the choice of the large time takes effect at once and outlives the view.
void TestTimerDialog::speakerViewShowsTheTimeToTheNextBell()
{
    QFETCH(bool, colourOn);
    QFETCH(int, turnRemainingLargeOn);
    QFETCH(QStringList, lines);
    m_dialog->setDisplayTime(126);
    m_dialog->setColourByPhase(colourOn);
    if (turnRemainingLargeOn == 1) {
        m_dialog->setRemainingLarge(true);
        m_dialog->setSpeakerViewOpen(true);
        m_dialog->setSpeakerViewOpen(false);
        QTRY_VERIFY(!m_dialog->findChild<SpeakerView*>());
    }
    m_dialog->setSpeakerViewOpen(true);
    if (turnRemainingLargeOn == 2)
        m_dialog->setRemainingLarge(true);
    QStringList shown;
    for (const SpeakerFace::Line& line : m_dialog->speakerView()->face().lines())
        shown << line.text;
    QCOMPARE(shown, lines);
}

void TestTimerDialog::speakerViewFigureKeepsItsSizeWithinTheMargins_data()
{
    QTest::addColumn<QString>("shown");
    QTest::addColumn<bool>("sizeOfAShortTalk");
    QTest::newRow("0:00") << "000:00" << true;
    QTest::newRow("99:59") << "099:59" << true;
    QTest::newRow("100:00") << "100:00" << false;
    QTest::newRow("1000:00") << "1000:00" << false;
}

// The figure takes the largest font in which "00:00" fits within margins of 5 % and above the
// caption's line of an eighth of the height, for every time up to 99:59; a wider time is drawn
// smaller, within the margins still. The marks and the caption, too wide for their line's height
// in a narrow view, are drawn smaller too.
void TestTimerDialog::speakerViewFigureKeepsItsSizeWithinTheMargins()
{
    QFETCH(QString, shown);
    QFETCH(bool, sizeOfAShortTalk);
    m_dialog->setColourByPhase(true);
    m_dialog->setSpeakerViewOpen(true);
    m_dialog->speakerView()->resize(240, 320); // a caption line too narrow for its height
    const SpeakerFace& face = m_dialog->speakerView()->face();
    const qreal shortTalkSize = face.lines().front().font.pixelSize();
    m_dialog->setDisplayTime(secondsShown(shown));
    const QSize size = face.size() * face.devicePixelRatioF();
    const int marginX = size.width() / 20;
    const int marginY = size.height() / 20;
    const QRect inner = QRect(QPoint(), size).adjusted(marginX, marginY, -marginX, -marginY);
    const QRect figure = face.lineRect(0);
    const QRect caption = face.lineRect(1) | face.lineRect(2);
    QVERIFY(inner.contains(figure));
    QVERIFY(inner.contains(caption));
    QVERIFY(figure.bottom() < face.lineRect(2).top());
    QVERIFY(caption.height() < size.height() / 8);
    QCOMPARE(face.lines().front().font.pixelSize() == shortTalkSize, sizeOfAShortTalk);
}

void TestTimerDialog::speakerViewCloses_data()
{
    QTest::addColumn<std::function<void(SpeakerView*, TimerDialog*)>>("close");
    QTest::newRow("Escape") << std::function(
        [](SpeakerView* view, TimerDialog*) { QTest::keyClick(view, Qt::Key_Escape); });
    QTest::newRow("double-click") << std::function(
        [](SpeakerView* view, TimerDialog*) { QTest::mouseDClick(view, Qt::LeftButton); });
    QTest::newRow("main window closes")
        << std::function([](SpeakerView*, TimerDialog* dialog) { dialog->reject(); });
}

void TestTimerDialog::speakerViewCloses()
{
    QFETCH(std::function<void(SpeakerView*, TimerDialog*)>, close);
    m_dialog->setSpeakerViewOpen(true);
    const QPointer<SpeakerView> view = m_dialog->speakerView();
    QVERIFY(view && QTest::qWaitForWindowExposed(view));
    close(view, m_dialog.get());
    QTRY_VERIFY(!view);
    QVERIFY(!m_dialog->speakerView());
}

// Screen readers find the display as a read-only text field holding the time shown. (That each
// new time is announced cannot be seen in-process: the offscreen platform's accessibility is
// never active.)
void TestTimerDialog::displayReadsToScreenReadersAsAReadOnlyFieldOfTheTime()
{
    QAccessibleInterface* display
        = QAccessible::queryAccessibleInterface(m_dialog->control(ControlId::TimeDisplay));
    QVERIFY(display && display->textInterface());
    QCOMPARE(display->role(), QAccessible::EditableText);
    QVERIFY(display->state().readOnly);
    QCOMPARE(display->text(QAccessible::Name), QStringLiteral("経過時間"));
    QCOMPARE(display->childCount(), 0);
    m_dialog->setSpeakerViewOpen(true);
    QAccessibleInterface* view
        = QAccessible::queryAccessibleInterface(m_dialog->speakerView()->findChild<SpeakerFace*>());
    QVERIFY(view && view->textInterface());
    QCOMPARE(view->text(QAccessible::Name), QString::fromUtf8(texts::speakerViewCaption));
    QCOMPARE(
        m_dialog->speakerView()->accessibleName(), QString::fromUtf8(texts::speakerViewCaption));
    // The view reads as it shows: its large time, which drops the display's leading zeros, then
    // the line beneath.
    setBellMinutes(*m_dialog, { 1, 2, 4 });
    for (const auto& [shown, phase, large] :
        { std::tuple { "000:00", 0, "0:00\n1回目のベルまで 1:00" },
            std::tuple { "001:59", 1, "1:59\n2回目のベルまで 0:01" },
            std::tuple { "004:00", 3, "4:00\n3回目のベルから +0:00" } }) {
        m_dialog->setDisplayTime(secondsShown(QString::fromLatin1(shown)));
        for (const auto& [field, text] :
            { std::pair { display, shown }, std::pair { view, large } }) {
            QCOMPARE(field->textInterface()->text(0, field->textInterface()->characterCount()),
                QString::fromUtf8(text));
            QCOMPARE(field->text(QAccessible::Description),
                QString::fromUtf8(texts::bellPhaseDescriptions.at(std::size_t(phase))));
        }
    }
}

int main(int argc, char** argv)
{
    // A collation that differs from byte order, as most users' do.
    qputenv("LC_COLLATE", "ja_JP.UTF-8");
    QApplication application(argc, argv);
    TestTimerDialog test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_timerdialog.moc"
