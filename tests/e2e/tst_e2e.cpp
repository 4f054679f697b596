
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <functional>
#include <set>
#include <sys/file.h>
#include <sys/stat.h>

#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include "core/phasecolours.h"
#include "core/texts.h"
#include "core/windowlayout.h"
#include "e2e/runningprogram.h"
#include "e2e/standinprocess.h"
#include "e2e/userview.h"
#include "e2e/xserver.h"
#include "support/endprocess.h"
#include "support/iconvconvert.h"
#include "support/pulsesink.h"
#include "support/soundanalysis.h"
#include "support/tonewav.h"

using namespace zelvano;

namespace {

constexpr std::array<ControlId, 6> bellFields { ControlId::Bell1Minutes, ControlId::Bell2Minutes,
    ControlId::Bell3Minutes, ControlId::Bell1Count, ControlId::Bell2Count, ControlId::Bell3Count };

// Whether another process holds an exclusive lock on the file.
bool lockedElsewhere(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    if (::flock(file.handle(), LOCK_EX | LOCK_NB) == 0) {
        ::flock(file.handle(), LOCK_UN);
        return false;
    }
    return errno == EWOULDBLOCK;
}

// The text and the description of the time field of the program's window with the given title,
// as a screen reader reads them over the accessibility bus of the session the test runs in; line
// ends inside the text come as \n.
std::optional<std::pair<QString, QString>> readTimeFieldOnce(const QString& windowTitle)
{
    QProcess reader;
    reader.start(QStringLiteral("/usr/bin/python3"),
        { QStringLiteral(ZELVANO_ACCESSIBLE_WINDOW), QStringLiteral("read"), windowTitle });
    if (!reader.waitForFinished(40000) || reader.exitCode() != 0) {
        qWarning("the accessibility bus was not read: %s %s",
            reader.readAllStandardOutput().constData(), reader.readAllStandardError().constData());
        return std::nullopt;
    }
    const QStringList lines
        = QString::fromUtf8(reader.readAllStandardOutput()).split(QLatin1Char('\n'));
    if (lines.size() < 2)
        return std::nullopt;
    return std::pair { lines[0], lines[1] };
}

// A reader may give up on a bus that is slow to answer on a busy machine; a second one asks again.
std::optional<std::pair<QString, QString>> readTimeField(const QString& windowTitle)
{
    std::optional<std::pair<QString, QString>> read;
    for (int attempt = 0; attempt < 3 && !read; ++attempt)
        read = readTimeFieldOnce(windowTitle);
    return read;
}

// Holds an exclusive flock on path in another process until that process is ended.
bool lockInAnotherProcess(QProcess& holder, const QString& path)
{
    // --no-fork: the process that holds the lock is the one the caller ends.
    holder.start(QStringLiteral("flock"),
        { QStringLiteral("--exclusive"), QStringLiteral("--no-fork"), path, QStringLiteral("sleep"),
            QStringLiteral("60") });
    return holder.waitForStarted() && eventually([&path] { return lockedElsewhere(path); });
}

} // namespace

class TestEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void firstStartCreatesAnEmptySettingsFileAndEscapeEnds();
    void librariesInTheStartFolderAreNotLoaded();
    void confirmedSettingsAreWrittenAndShownAtTheNextStart();
    void refusedConfirmWritesNothingAndStartIsRefused_data();
    void refusedConfirmWritesNothingAndStartIsRefused();
    void shortTalkIsSavedAsAReportInAnotherFolder();
    void saveWithoutLapsIsRefusedWithoutAChooser();
    void testButtonRingsThreeTimes_data();
    void testButtonRingsThreeTimes();
    void bellRingsAtItsMinute();
    void speakerViewFillsTheOtherScreenInTheBellsColours();
    void speakerViewFollowsTheScreens();
    void slideShowKeepsTheKeyboardAndTheScreenStaysAwake();
    void timerRunsOnUnderTheAboutBox();
    void windowsAreCentredWithTheirFrames_data();
    void windowsAreCentredWithTheirFrames();
    void unusableSettingsFilesGiveDefaults_data();
    void unusableSettingsFilesGiveDefaults();
    void settingsFilesOfAnySizeKeepTheirTail_data();
    void settingsFilesOfAnySizeKeepTheirTail();
    void reportThatCannotBeWrittenIsReported_data();
    void reportThatCannotBeWrittenIsReported();
    void soundFaultsNeverSilenceOrHangTheProgram_data();
    void soundFaultsNeverSilenceOrHangTheProgram();
    void thousandRingsLeaveNothingBehind();
    void tenThousandSlidesAreSavedInFull();

private:
    QString work(const QString& name = {}) const
    {
        return m_root->filePath(QStringLiteral("work/") + name);
    }
    QString other(const QString& name = {}) const
    {
        return m_root->filePath(QStringLiteral("other/") + name);
    }
    // Starts the program, ending one started before; nothing when its window did not appear.
    RunningProgram* launch(const QStringList& wrapper = {});
    void startListening();
    std::vector<qint16> stopListening(int settleMs = 600);

    // The settings toggle, by what it does next. The program handles input in order, so what is
    // typed after an unlock reaches the unlocked fields.
    static bool unlockSettings(const RunningProgram& program)
    {
        return program.clickControl(ControlId::SettingsToggle);
    }
    static bool confirmSettings(const RunningProgram& program)
    {
        return program.clickControl(ControlId::SettingsToggle);
    }
    // Closes the box with the given title with Enter; false when it did not appear or stay shut.
    bool acknowledge(const QString& title);
    // Opens the About box from the window's context menu, as a keyboard user would.
    bool openAboutBox(RunningProgram& program);
    // One Slide press, then Save into the other folder: the cumulative seconds of that single
    // lap, or -1 when the report is not exactly one valid lap.
    int slideAndSave(const RunningProgram& program, const QString& name);

    std::unique_ptr<QTemporaryDir> m_root;
    std::unique_ptr<XServer> m_x;
    std::unique_ptr<PulseSink> m_sound;
    std::unique_ptr<RunningProgram> m_program; // kept until cleanup() has taken its picture
    std::vector<qint16> m_recording;
};

void TestEndToEnd::init()
{
    m_root = std::make_unique<QTemporaryDir>();
    QVERIFY(m_root->isValid());
    for (const char* folder : { "work", "other", "home" })
        QVERIFY(QDir(m_root->path()).mkdir(QString::fromLatin1(folder)));
    m_x = std::make_unique<XServer>();
    if (!m_x->isReady())
        QSKIP(qPrintable(QStringLiteral("no X server: ") + m_x->errorString()));
}

void TestEndToEnd::cleanup()
{
    if (QTest::currentTestFailed() && m_x && m_x->isReady()) {
        QString name = QString::fromLatin1(QTest::currentTestFunction());
        if (QTest::currentDataTag())
            name += QLatin1Char('-')
                + QString::fromLatin1(QTest::currentDataTag())
                      .replace(QLatin1Char(' '), QLatin1Char('_'));
        const QDir artifacts(QStringLiteral(ZELVANO_E2E_ARTIFACTS));
        artifacts.mkpath(QStringLiteral("."));
        if (m_x->screenshot(artifacts.filePath(name + QStringLiteral(".png"))))
            qInfo("screenshot kept in %s",
                qPrintable(artifacts.filePath(name + QStringLiteral(".png"))));
        if (!m_recording.empty()
            && writeWav(artifacts.filePath(name + QStringLiteral(".wav")), m_recording))
            qInfo("recording kept in %s",
                qPrintable(artifacts.filePath(name + QStringLiteral(".wav"))));
    }
    m_program.reset();
    m_recording.clear();
    m_sound.reset();
    m_x.reset();
    m_root.reset();
}

RunningProgram* TestEndToEnd::launch(const QStringList& wrapper)
{
    m_program.reset();
    m_program = std::make_unique<RunningProgram>(*m_x, m_sound.get(),
        QStringLiteral(ZELVANO_PROGRAM), work(), m_root->filePath(QStringLiteral("home")), wrapper);
    if (!m_program->start()) {
        qWarning("the main window did not appear; %s; %s; visible windows: %s",
            qPrintable(m_program->describeState()), qPrintable(m_x->describeState()),
            qPrintable(m_x->visibleWindowTitles().join(QStringLiteral(" | "))));
        return nullptr;
    }
    return m_program.get();
}

void TestEndToEnd::startListening()
{
    m_sound = std::make_unique<PulseSink>();
    if (!m_sound->isReady())
        QSKIP(
            qPrintable(QStringLiteral("no sound server to listen to: ") + m_sound->errorString()));
    QVERIFY(m_sound->startRecording());
}

std::vector<qint16> TestEndToEnd::stopListening(int settleMs)
{
    QThread::msleep(
        static_cast<unsigned long>(settleMs)); // the last sound's way through the server
    m_recording = m_sound->stopRecording();
    return m_recording;
}

bool TestEndToEnd::acknowledge(const QString& title) { return m_x->closeWithEnter(title); }

bool TestEndToEnd::openAboutBox(RunningProgram& program)
{
    return program.chooseMenuItem(
        QStringLiteral("a"), [this] { return m_x->windowsTitled(aboutTitle).size() == 1; });
}

int TestEndToEnd::slideAndSave(const RunningProgram& program, const QString& name)
{
    if (!program.clickControl(ControlId::Slide))
        return -1;
    const std::optional<std::vector<Lap>> laps = program.saveReport(other(name));
    return laps && laps->size() == 1 ? laps->front().cumulativeSeconds : -1;
}

void TestEndToEnd::firstStartCreatesAnEmptySettingsFileAndEscapeEnds()
{
    RunningProgram* program = launch();
    QVERIFY(program);
    QCOMPARE(m_x->windowsTitled(mainTitle).size(), 1);
    const std::optional<QRect> frame = m_x->geometry(program->window());
    QVERIFY(frame);
    const QPoint offCentre = frame->center() - QRect(QPoint(0, 0), XServer::screenSize).center();
    QVERIFY2(offCentre.manhattanLength() <= 2,
        qPrintable(QStringLiteral("window at %1,%2 %3x%4")
                       .arg(frame->x())
                       .arg(frame->y())
                       .arg(frame->width())
                       .arg(frame->height())));
    QCOMPARE(readFile(work(QStringLiteral("config.ini"))), QByteArray());
    QVERIFY(program->keys({ QStringLiteral("Escape") }));
    QVERIFY2(program->waitForExit() == 0, qPrintable(program->describeState()));
    QCOMPARE(QDir(work()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
        QStringList { QStringLiteral("config.ini") });
    QCOMPARE(readFile(work(QStringLiteral("config.ini"))), QByteArray());
}

// The start folder is the user's, often copied from someone else: libraries lying there must not
// be loaded in place of the system's. A one-byte library would stop the loader at once.
void TestEndToEnd::librariesInTheStartFolderAreNotLoaded()
{
    QVERIFY(writeFile(work(QStringLiteral("config.ini")), defaultSettings));
    for (const char* library : { "libQt6Widgets.so.6", "libQt6Core.so.6", "libc.so.6" })
        QVERIFY(writeFile(work(QString::fromLatin1(library)), "x"));
    RunningProgram* program = launch();
    QVERIFY(program);
    QVERIFY(program->keys({ QStringLiteral("Escape") }));
    QVERIFY2(program->waitForExit() == 0, qPrintable(program->describeState()));
}

void TestEndToEnd::confirmedSettingsAreWrittenAndShownAtTheNextStart()
{
    const QByteArray tail("TAIL!!");
    QVERIFY(writeFile(work(QStringLiteral("config.ini")), defaultSettings + tail));
    const QByteArray typed = settingsBytes({ 7, 8, 9, 2, 3, 4 });
    {
        RunningProgram* program = launch();
        QVERIFY(program);
        QVERIFY(unlockSettings(*program));
        const QStringList values { "7", "8", "9", "2", "3", "4" };
        for (std::size_t i = 0; i < bellFields.size(); ++i)
            QVERIFY(program->replaceFieldText(bellFields[i], values[static_cast<qsizetype>(i)]));
        QVERIFY(confirmSettings(*program));
        QVERIFY2(fileBecomes(work(QStringLiteral("config.ini")), typed + tail),
            qPrintable(readFile(work(QStringLiteral("config.ini"))).toHex(' ')));
        QVERIFY(program->keys({ QStringLiteral("Escape") }));
        QVERIFY2(program->waitForExit() == 0, qPrintable(program->describeState()));
    }
    // The next start shows what was confirmed: confirming it unchanged writes it back over
    // bytes that say something else.
    RunningProgram* program = launch();
    QVERIFY(program);
    QVERIFY(writeFile(work(QStringLiteral("config.ini")), defaultSettings + tail));
    QVERIFY(unlockSettings(*program));
    QVERIFY(confirmSettings(*program));
    QVERIFY2(fileBecomes(work(QStringLiteral("config.ini")), typed + tail),
        qPrintable(readFile(work(QStringLiteral("config.ini"))).toHex(' ')));
}

void TestEndToEnd::refusedConfirmWritesNothingAndStartIsRefused_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("text");
    QTest::newRow("ring count 6") << int(ControlId::Bell3Count) << "6";
    QTest::newRow("letters in a minute mark") << int(ControlId::Bell1Minutes) << "abc";
}

void TestEndToEnd::refusedConfirmWritesNothingAndStartIsRefused()
{
    QFETCH(int, field);
    QFETCH(QString, text);
    RunningProgram* program = launch();
    QVERIFY(program);
    QVERIFY(unlockSettings(*program));
    QVERIFY(program->replaceFieldText(ControlId(field), text));
    QVERIFY(confirmSettings(*program));
    QVERIFY2(acknowledge(invalidSettingsTitle), "no box titled 設定値ミス that Enter closes");
    QCOMPARE(readFile(work(QStringLiteral("config.ini"))), QByteArray());
    QVERIFY(program->clickControl(ControlId::Start));
    QVERIFY2(acknowledge(unlockedStartTitle), "no box titled 設定エラー that Enter closes");
}

void TestEndToEnd::shortTalkIsSavedAsAReportInAnotherFolder()
{
    RunningProgram* program = launch();
    QVERIFY(program);
    QVERIFY(program->clickControl(ControlId::Start));
    QElapsedTimer wall;
    wall.start();
    QThread::msleep(2500);
    QVERIFY(program->clickControl(ControlId::Slide));
    const qint64 firstPress = wall.elapsed();
    QThread::msleep(1000);
    QVERIFY(program->clickControl(ControlId::Slide));
    const qint64 secondPress = wall.elapsed();

    QDateTime savedAt;
    const std::optional<std::vector<Lap>> laps
        = program->saveReport(other(QStringLiteral("talk.txt")), &savedAt);
    QVERIFY(laps);
    QCOMPARE(laps->size(), std::size_t { 2 });
    QVERIFY2(qAbs(laps->at(0).cumulativeSeconds * 1000 - firstPress) <= 1000,
        qPrintable(QStringLiteral("first slide at %1 ms, report says %2 s")
                       .arg(firstPress)
                       .arg(laps->at(0).cumulativeSeconds)));
    QVERIFY2(qAbs(laps->at(1).cumulativeSeconds * 1000 - secondPress) <= 1000,
        qPrintable(QStringLiteral("second slide at %1 ms, report says %2 s")
                       .arg(secondPress)
                       .arg(laps->at(1).cumulativeSeconds)));
    QCOMPARE(laps->at(0).lapSeconds + laps->at(1).lapSeconds, laps->at(1).cumulativeSeconds);

    // Saving elsewhere does not move where the settings go.
    QVERIFY(unlockSettings(*program));
    QVERIFY(confirmSettings(*program));
    QVERIFY(fileBecomes(work(QStringLiteral("config.ini")), defaultSettings));
    QVERIFY(!QFile::exists(other(QStringLiteral("config.ini"))));
}

void TestEndToEnd::saveWithoutLapsIsRefusedWithoutAChooser()
{
    RunningProgram* program = launch();
    QVERIFY(program);
    QVERIFY(program->clickControl(ControlId::Save));
    QVERIFY2(acknowledge(noSlidesTitle), "no box titled スライド数エラー that Enter closes");
    QVERIFY(m_x->windowsTitled(saveChooserTitle).isEmpty());
    QCOMPARE(m_x->windowsTitled(mainTitle).size(), 1);
}

void TestEndToEnd::testButtonRingsThreeTimes_data()
{
    QTest::addColumn<bool>("withRingFile");
    QTest::newRow("ring.wav in the folder") << true;
    QTest::newRow("built-in bell") << false;
}

void TestEndToEnd::testButtonRingsThreeTimes()
{
    QFETCH(bool, withRingFile);
    constexpr double ringTone = 1500.0; // absent from the built-in bell
    constexpr double bellTone = 880.0; // the built-in bell's strike
    if (withRingFile)
        QVERIFY(writeToneWav(work(QStringLiteral("ring.wav")), ringTone, 300));
    startListening();
    RunningProgram* program = launch();
    QVERIFY(program);
    QVERIFY(program->clickControl(ControlId::Test));
    QThread::msleep(1400); // three rings 400 ms apart
    const std::vector<qint16> recording = stopListening();

    const std::vector<double> onsets = findOnsets(recording, PulseSink::sampleRate);
    QVERIFY2(onsets.size() == 3, qPrintable(describeOnsets(onsets)));
    for (std::size_t i = 1; i < onsets.size(); ++i)
        QVERIFY2(
            qAbs(onsets[i] - onsets[i - 1] - 400.0) <= 80.0, qPrintable(describeOnsets(onsets)));

    const double ring
        = toneAmplitude(recording, PulseSink::sampleRate, onsets[0] + 20, 150, ringTone);
    const double bell
        = toneAmplitude(recording, PulseSink::sampleRate, onsets[0] + 20, 150, bellTone);
    if (withRingFile)
        QVERIFY2(ring > 4 * bell,
            qPrintable(QStringLiteral("1500 Hz %1, 880 Hz %2").arg(ring).arg(bell)));
    else
        QVERIFY2(bell > 4 * ring,
            qPrintable(QStringLiteral("1500 Hz %1, 880 Hz %2").arg(ring).arg(bell)));
}

// Five rings block the program for two seconds; the display shows the due second all along.
void TestEndToEnd::bellRingsAtItsMinute()
{
    QVERIFY(writeFile(work(QStringLiteral("config.ini")), settingsBytes({ 1, 5, 6, 5, 1, 1 })));
    startListening();
    RunningProgram* program = launch();
    QVERIFY(program);
    const std::optional<QRect> display = program->controlRect(ControlId::TimeDisplay);
    QVERIFY(display);
    QVERIFY(program->clickControl(ControlId::Start));
    QElapsedTimer wall;
    wall.start();
    // The display on the screen at a moment after Start.
    const auto displayAt = [&](qint64 afterStartMs) {
        QThread::msleep(static_cast<unsigned long>(qMax<qint64>(0, afterStartMs - wall.elapsed())));
        const QString path = m_root->filePath(QStringLiteral("at-%1.png").arg(afterStartMs));
        return m_x->screenshot(path) ? QImage(path).copy(*display) : QImage();
    };
    const QImage before = displayAt(59400); // 000:59
    const QImage ringing = displayAt(60500); // second ring
    const QImage stillRinging = displayAt(61500); // fifth ring
    const QImage after = displayAt(62600); // 001:01, the expiries missed while ringing as one
    QThread::msleep(static_cast<unsigned long>(qMax<qint64>(0, 63000 - wall.elapsed())));
    const std::vector<qint16> recording = stopListening(0);
    const double startedAtMs
        = static_cast<double>(recording.size()) * 1000.0 / PulseSink::sampleRate
        - static_cast<double>(wall.elapsed());
    std::vector<double> onsets;
    for (const double onset : findOnsets(recording, PulseSink::sampleRate))
        onsets.push_back(onset - startedAtMs);
    QVERIFY2(onsets.size() == 5 && qAbs(onsets[0] - 60000.0) <= 1500.0,
        qPrintable(QStringLiteral("after Start: ") + describeOnsets(onsets)));
    for (std::size_t i = 1; i < onsets.size(); ++i)
        QVERIFY2(qAbs(onsets[i] - onsets[i - 1] - 400.0) <= 80.0,
            qPrintable(QStringLiteral("after Start: ") + describeOnsets(onsets)));

    QVERIFY(!before.isNull() && !ringing.isNull() && !stillRinging.isNull() && !after.isNull());
    QVERIFY2(ringing != before, "the display kept the second before the bell while it rang");
    QVERIFY2(stillRinging == ringing, "the display changed while the bell rang");
    QVERIFY2(after != ringing, "the display did not move on after the bell");

    const int cumulative = slideAndSave(*program, QStringLiteral("minute.txt"));
    QVERIFY2(cumulative >= 60, qPrintable(QString::number(cumulative)));
}

// A laptop with a projector beside it: the bell colours and the speaker's view turned on through
// the context menu fill the projector with the time while the keyboard stays with the main window,
// and at the first bell's minute both displays turn to its colour, which a screen reader tells;
// the view's caption beneath keeps the colour of no bell, the marks of the bells reached take it.
void TestEndToEnd::speakerViewFillsTheOtherScreenInTheBellsColours()
{
    m_x = std::make_unique<XServer>(
        XServer::Desktop::WithWindowManager, XServer::Screens::TwoSideBySide);
    QVERIFY2(m_x->isReady(), qPrintable(m_x->errorString()));
    QVERIFY(writeFile(work(QStringLiteral("config.ini")), defaultSettings));
    RunningProgram* program = launch();
    QVERIFY(program);
    QVERIFY(unlockSettings(*program));
    QVERIFY(program->replaceFieldText(ControlId::Bell1Minutes, QStringLiteral("1")));
    QVERIFY(confirmSettings(*program));
    QVERIFY(fileBecomes(work(QStringLiteral("config.ini")), settingsBytes({ 1, 13, 15, 1, 2, 3 })));

    const qsizetype windows = m_x->windowsOfClass(QStringLiteral("zelvano")).size();
    QVERIFY2(program->chooseMenuItem(QStringLiteral("l"),
                 [&] { return m_x->windowsOfClass(QStringLiteral("zelvano")).size() == windows; }),
        "the bell colours item was not chosen");
    // The main window is one X window, its controls painted by Qt, whatever the view does.
    QCOMPARE(m_x->childWindowCount(program->window()).value_or(-1), 0);
    QVERIFY2(program->chooseMenuItem(QStringLiteral("f"),
                 [&] { return m_x->windowsTitled(speakerViewTitle).size() == 1; }),
        "no speaker's view opened");
    QCOMPARE(m_x->childWindowCount(program->window()).value_or(-1), 0);
    const QString view = m_x->windowsTitled(speakerViewTitle).constFirst();
    const QRect projector(QPoint(XServer::screenSize.width(), 0), XServer::screenSize);
    if (!eventually([&] { return m_x->geometry(view) == projector; })) {
        const QRect lies = m_x->geometry(view).value_or(QRect());
        QFAIL(qPrintable(QStringLiteral("the view lies at %1,%2 %3x%4")
                             .arg(lies.x())
                             .arg(lies.y())
                             .arg(lies.width())
                             .arg(lies.height())));
    }
    const std::optional<QString> focus = m_x->xdotool({ QStringLiteral("getwindowfocus") });
    QVERIFY2(focus == program->window(),
        qPrintable(QStringLiteral("the keyboard went to %1")
                       .arg(m_x->xdotool({ QStringLiteral("getwindowname"),
                                             focus.value_or(QStringLiteral("?")) })
                                .value_or(QStringLiteral("a window without a name")))));

    const std::optional<QRect> display = program->controlRect(ControlId::TimeDisplay);
    QVERIFY(display);
    QVERIFY(program->clickControl(ControlId::Start));
    QElapsedTimer wall;
    wall.start();
    const auto screenAt = [&](qint64 afterStartMs) {
        QThread::msleep(static_cast<unsigned long>(qMax<qint64>(0, afterStartMs - wall.elapsed())));
        const QString path = m_root->filePath(QStringLiteral("at-%1.png").arg(afterStartMs));
        return m_x->screenshot(path) ? QImage(path) : QImage();
    };
    const QString noBell = QString::fromUtf8(texts::bellPhaseDescriptions[0]);
    const QString firstBell = QString::fromUtf8(texts::bellPhaseDescriptions[1]);
    const auto before = readTimeField(speakerViewTitle);
    QVERIFY(before);
    QVERIFY2(before->first.startsWith(QStringLiteral("0:0")) && before->second == noBell,
        qPrintable(before->first + QLatin1Char(' ') + before->second));
    const QImage early = screenAt(3000);
    const QImage late = screenAt(61500);
    const auto after = readTimeField(speakerViewTitle);
    QVERIFY(after);
    QVERIFY2(after->first.startsWith(QStringLiteral("1:0")) && after->second == firstBell
            && after->first.contains(QStringLiteral("\\n●○○  2回目のベルまで 11:")),
        qPrintable(after->first + QLatin1Char(' ') + after->second));

    QVERIFY(!early.isNull() && !late.isNull());
    // The caption's line: an eighth of the height above the bottom margin of a twentieth.
    const int captionTop = projector.height() * 33 / 40;
    const QRect figure = projector.adjusted(0, 0, 0, captionTop - projector.height());
    const QRect caption = projector.adjusted(0, captionTop, 0, 0);
    const auto& big = speakerViewPalette.digits;
    QVERIFY(pixelsOf(early, figure, big[0]) > 1000);
    QCOMPARE(pixelsOf(early, projector, big[1]), 0);
    QVERIFY(pixelsOf(late, figure, big[1]) > 1000);
    QCOMPARE(pixelsOf(late, figure, big[0]), 0);
    QVERIFY(pixelsOf(late, caption, big[0]) > 100);
    QVERIFY(pixelsOf(late, caption, big[1]) > 100);
    QVERIFY(pixelsOf(early, *display, windowPalette.digits[0]) > 20);
    QCOMPARE(pixelsOf(early, *display, windowPalette.digits[1]), 0);
    QVERIFY(pixelsOf(late, *display, windowPalette.digits[1]) > 20);

    // Only the view was drawn since it opened, a piece at a time: what a full repaint draws. The
    // screen goes white for a moment, and once the view has drawn itself again in full, with no
    // white left, it shows what it showed. A tick between the two pictures shows another second,
    // so the pair is taken again until the timer has stopped.
    QVERIFY(program->clickControl(ControlId::Stop));
    const Rgb white { 0xFF, 0xFF, 0xFF };
    const auto drawnAgainAlike = [&] {
        const QImage drawn = screenAt(0);
        QImage again;
        return !drawn.isNull() && m_x->exposeAll() && eventually([&] {
            again = screenAt(0);
            return !again.isNull() && pixelsOf(again, projector, white) == 0;
        }) && again.copy(projector) == drawn.copy(projector);
    };
    QVERIFY(eventually(drawnAgainAlike, 15000));

    // Escape closes the view alone, though nothing is at stake now; Close ends the program.
    QVERIFY(program->keys({ QStringLiteral("Escape") }));
    QVERIFY(m_x->waitForNoWindow(speakerViewTitle));
    QVERIFY(program->clickControl(ControlId::Ok));
    QVERIFY2(program->waitForExit() == 0, qPrintable(program->describeState()));
}

// A talk beside a slide show that has the keyboard: clicks on Start and Slide leave it there, so
// the clicker's Page Down still turns the slides; an Escape that reaches the timer leaves the talk
// running with its lap. The screen saver is held off from each Start to its Stop, also when the
// Stop comes before the screen saver's late answer, and the bus lets go of it when the program is
// killed.
void TestEndToEnd::slideShowKeepsTheKeyboardAndTheScreenStaysAwake()
{
    m_x = std::make_unique<XServer>(XServer::Desktop::WithWindowManager);
    QVERIFY2(m_x->isReady(), qPrintable(m_x->describeState()));
    StandIn screenSaver(*m_x, QStringLiteral("screensaver"), m_root->filePath("screensaver"));
    QVERIFY(screenSaver.started() && screenSaver.noted({ "ready" }));
    RunningProgram* program = launch();
    QVERIFY(program);
    StandIn slides(*m_x, QStringLiteral("slides"), m_root->filePath("slides"));
    QVERIFY(slides.started());
    const std::optional<QString> slideShow = m_x->waitForWindow(QStringLiteral("Slides"));
    QVERIFY(slideShow);
    QVERIFY(m_x->moveWindow(*slideShow, QPoint(0, 0))); // beside the timer, not over it
    QVERIFY(
        m_x->xdotool({ QStringLiteral("windowactivate"), QStringLiteral("--sync"), *slideShow }));
    const auto keyboardGoesTo = [this] {
        return m_x->xdotool({ QStringLiteral("getwindowfocus"), QStringLiteral("getwindowname") })
            .value_or(QStringLiteral("?"));
    };

    const std::optional<QRect> display = program->controlRect(ControlId::TimeDisplay);
    QVERIFY(display);
    const auto shown = [&] {
        const QString path = m_root->filePath(QStringLiteral("display.png"));
        return m_x->screenshot(path) ? QImage(path).copy(*display) : QImage();
    };
    // The window answers an offer of the keyboard that comes with a click on a talk button when
    // the click arrives, or 400 ms later without one: the keyboard is looked at once the display
    // has shown a new second since the click, and then once more.
    const auto nextSecond = [&] {
        const QImage before = shown();
        return eventually([&] { return shown() != before; });
    };
    QVERIFY(program->clickControl(ControlId::Start));
    QVERIFY(nextSecond());
    QCOMPARE(keyboardGoesTo(), QStringLiteral("Slides"));
    QThread::msleep(1300);
    QVERIFY(program->clickControl(ControlId::Slide));
    QVERIFY(nextSecond() && nextSecond());
    QCOMPARE(keyboardGoesTo(), QStringLiteral("Slides"));
    QVERIFY(m_x->xdotool({ QStringLiteral("key"), QStringLiteral("Next") }));
    QVERIFY(slides.noted({ "PgDown" }));

    QVERIFY(program->keys({ QStringLiteral("Escape") }));
    QVERIFY2(!program->waitForExit(1500), "Escape ended the running talk");
    const QImage earlier = shown();
    QThread::msleep(1200);
    QVERIFY2(shown() != earlier, "the display stood still after Escape");
    const std::optional<std::vector<Lap>> laps
        = program->saveReport(other(QStringLiteral("talk.txt")));
    QVERIFY(laps && laps->size() == 1 && laps->front().cumulativeSeconds >= 1);

    for (const ControlId button : { ControlId::Stop, ControlId::Start, ControlId::Stop })
        QVERIFY(program->clickControl(button));
    const QString inhibit
        = QStringLiteral("Inhibit\tZelvano\t") + QString::fromUtf8(texts::screenAwakeReason);
    QStringList held { "ready", inhibit, "UnInhibit", inhibit, "UnInhibit" };
    QVERIFY(screenSaver.noted(held));
    QVERIFY(program->clickControl(ControlId::Start));
    QVERIFY(screenSaver.noted(held << inhibit));
    QCOMPARE(::kill(static_cast<pid_t>(program->processId()), SIGKILL), 0);
    QVERIFY(screenSaver.noted(held << "released"));
}

// The projector's monitor goes away under the full-screen view: the view goes with it rather than
// cover the main window on the one screen left. With the projector back, the view fills it again;
// the main window dragged onto it sends the view to the other screen, with the keyboard left
// where it was; minimising the main window leaves the view showing.
void TestEndToEnd::speakerViewFollowsTheScreens()
{
    m_x = std::make_unique<XServer>(
        XServer::Desktop::WithWindowManager, XServer::Screens::TwoSideBySide);
    QVERIFY2(m_x->isReady(), qPrintable(m_x->errorString()));
    RunningProgram* program = launch();
    QVERIFY(program);
    const QRect left(QPoint(0, 0), XServer::screenSize);
    const QRect right(QPoint(XServer::screenSize.width(), 0), XServer::screenSize);
    const auto openView = [&] {
        return program->chooseMenuItem(
            QStringLiteral("f"), [&] { return m_x->windowsTitled(speakerViewTitle).size() == 1; });
    };
    const auto viewFills = [&](const QRect& screen) {
        return eventually([&] {
            const QStringList views = m_x->windowsTitled(speakerViewTitle);
            return views.size() == 1 && m_x->geometry(views.constFirst()) == screen;
        });
    };
    QVERIFY(openView());
    QVERIFY(viewFills(right));

    QVERIFY(m_x->removeMonitor(XServer::rightScreen));
    QVERIFY2(m_x->waitForNoWindow(speakerViewTitle), "the view stayed when its screen went away");
    QVERIFY(m_x->addMonitor(XServer::rightScreen, XServer::screenSize.width()));
    QVERIFY(openView());
    QVERIFY(viewFills(right));

    QVERIFY(m_x->moveWindow(program->window(), right.topLeft() + QPoint(100, 100)));
    QVERIFY2(viewFills(left), "the view did not leave the screen the main window came onto");
    QCOMPARE(m_x->xdotool({ QStringLiteral("getwindowfocus") }), program->window());

    QVERIFY(m_x->xdotool(
        { QStringLiteral("windowminimize"), QStringLiteral("--sync"), program->window() }));
    QThread::msleep(500);
    QCOMPARE(m_x->windowsTitled(speakerViewTitle).size(), 1);
}

void TestEndToEnd::timerRunsOnUnderTheAboutBox()
{
    RunningProgram* program = launch();
    QVERIFY(program);
    QVERIFY(program->clickControl(ControlId::Start));
    QVERIFY(openAboutBox(*program));
    QThread::msleep(3000);
    QVERIFY(acknowledge(aboutTitle));
    const int cumulative = slideAndSave(*program, QStringLiteral("about.txt"));
    QVERIFY2(cumulative >= 3, qPrintable(QString::number(cumulative)));
}

void TestEndToEnd::windowsAreCentredWithTheirFrames_data()
{
    QTest::addColumn<bool>("mainWindowOffScreen");
    QTest::addColumn<bool>("keptOnTopAndBack");
    QTest::newRow("as the program opens") << false << false;
    QTest::newRow("main window partly off the screen") << true << false;
    QTest::newRow("kept on top, then not") << false << true;
}

// Under a window manager the title bar belongs to the window's height: the framed window sits
// centred on the screen, and the About box centred over it but never beyond the screen's edge.
// Kept on top through the context menu, the window asks the window manager to stack it above the
// others, and stays where it was.
void TestEndToEnd::windowsAreCentredWithTheirFrames()
{
    QFETCH(bool, mainWindowOffScreen);
    QFETCH(bool, keptOnTopAndBack);
    m_x = std::make_unique<XServer>(XServer::Desktop::WithWindowManager);
    QVERIFY2(m_x->isReady(), qPrintable(m_x->describeState()));
    RunningProgram* program = launch();
    QVERIFY(program);
    const auto frameOf
        = [this](const QString& window) { return m_x->frameGeometry(window).value_or(QRect()); };
    const auto describe = [](const QRect& r) {
        return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
    };
    const QRect screen(QPoint(0, 0), XServer::screenSize);
    // The window manager frames the window just after it appears; the program then moves it.
    QRect main;
    const bool centred = eventually([&] {
        main = frameOf(program->window());
        return main.height() > m_x->geometry(program->window())->height()
            && (main.center() - screen.center()).manhattanLength() <= 2;
    });
    QVERIFY2(centred, qPrintable(describe(main)));
    for (const bool above : { true, false }) {
        if (!keptOnTopAndBack)
            break;
        const auto stacked = [&] {
            return program->findWindowAgain()
                && m_x->netWmState(program->window())
                       .contains(QStringLiteral("_NET_WM_STATE_ABOVE"))
                == above;
        };
        QVERIFY2(program->chooseMenuItem(QStringLiteral("w"), stacked),
            qPrintable(m_x->netWmState(program->window()).join(QLatin1Char(' '))));
        QVERIFY2(eventually([&] { return frameOf(program->window()) == main; }),
            qPrintable(describe(frameOf(program->window()))));
        // Shown again with its new stacking, it has the keyboard back.
        const auto keyboardGoesTo = [this] {
            return m_x->xdotool({ QStringLiteral("getwindowfocus") }).value_or(QString());
        };
        QVERIFY2(eventually([&] { return keyboardGoesTo() == program->window(); }),
            qPrintable(keyboardGoesTo()));
    }
    if (mainWindowOffScreen) {
        QVERIFY(m_x->moveWindow(program->window(), QPoint(-300, -200)));
        QVERIFY(eventually([&] { return frameOf(program->window()).x() < 0; }));
        main = frameOf(program->window());
    }

    QVERIFY(openAboutBox(*program));
    const QString aboutWindow = *m_x->waitForWindow(aboutTitle);
    QRect about;
    const auto placed = [&] {
        about = frameOf(aboutWindow);
        if (about.height() <= m_x->geometry(aboutWindow)->height())
            return false; // not framed yet
        if (mainWindowOffScreen)
            return about.topLeft() == screen.topLeft();
        return (about.center() - main.center()).manhattanLength() <= 2;
    };
    QVERIFY2(eventually(placed),
        qPrintable(QStringLiteral("About box at %1 over %2").arg(describe(about), describe(main))));
    QVERIFY(acknowledge(aboutTitle));
}

void TestEndToEnd::unusableSettingsFilesGiveDefaults_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("23 bytes") << "short";
    QTest::newRow("a folder") << "folder";
    QTest::newRow("locked by another process") << "locked";
    QTest::newRow("a FIFO") << "fifo";
    QTest::newRow("a symlink to /dev/full") << "devfull";
    QTest::newRow("a dangling symlink") << "dangling";
    QTest::newRow("on a full file system") << "full";
}

void TestEndToEnd::unusableSettingsFilesGiveDefaults()
{
    QFETCH(QString, kind);
    const QString config = work(QStringLiteral("config.ini"));
    const QByteArray stored = settingsBytes({ 30, 40, 50, 4, 4, 4 });
    QProcess holder;
    QStringList wrapper;
    if (kind == QLatin1String("short"))
        QVERIFY(writeFile(config, stored.left(23)));
    if (kind == QLatin1String("folder"))
        QVERIFY(QDir(work()).mkdir(QStringLiteral("config.ini")));
    if (kind == QLatin1String("fifo"))
        QCOMPARE(::mkfifo(QFile::encodeName(config).constData(), 0600), 0);
    if (kind == QLatin1String("devfull"))
        QVERIFY(QFile::link(QStringLiteral("/dev/full"), config));
    if (kind == QLatin1String("dangling"))
        QVERIFY(QFile::link(work(QStringLiteral("missing/config.ini")), config));
    if (kind == QLatin1String("locked")) {
        QVERIFY(writeFile(config, stored));
        QVERIFY(lockInAnotherProcess(holder, config));
    }
    if (kind == QLatin1String("full")) {
        // A private mount namespace whose working folder is a tiny file system, filled up.
        wrapper = QStringList { QStringLiteral("unshare"), QStringLiteral("--user"),
            QStringLiteral("--map-root-user"), QStringLiteral("--mount"), QStringLiteral("sh"),
            QStringLiteral("-c"),
            QStringLiteral("mount -t tmpfs -o size=16k zelvano-full \"$1\" && cd \"$1\" && "
                           "{ cat /dev/zero > filler 2>/dev/null; true; } && exec \"$2\""),
            QStringLiteral("sh"), work() };
    }
    RunningProgram* program = launch(wrapper);
    if (!program && kind == QLatin1String("full"))
        QSKIP("cannot mount a private file system here");
    QVERIFY(program);
    // Confirming unchanged writes the values on show; where the file cannot be written yet, the
    // user is told, and once it can, the defaults land in it.
    QVERIFY(unlockSettings(*program));
    QVERIFY(confirmSettings(*program));
    if (kind == QLatin1String("short")) {
        QVERIFY2(fileBecomes(config, defaultSettings), qPrintable(readFile(config).toHex(' ')));
        return;
    }
    QVERIFY2(acknowledge(saveErrorTitle), "no box titled 保存エラー that Enter closes");
    if (kind == QLatin1String("full")) {
        QVERIFY(program->keys({ QStringLiteral("Escape") }));
        QVERIFY2(program->waitForExit(2000) == 0, qPrintable(program->describeState()));
        return;
    }
    if (kind == QLatin1String("folder"))
        QVERIFY(QDir(work()).rmdir(QStringLiteral("config.ini")));
    else if (kind != QLatin1String("locked"))
        QVERIFY(QFile::remove(config));
    holder.kill();
    holder.waitForFinished();
    QVERIFY(unlockSettings(*program));
    QVERIFY(confirmSettings(*program));
    QVERIFY2(fileBecomes(config, defaultSettings), qPrintable(readFile(config).toHex(' ')));
}

void TestEndToEnd::settingsFilesOfAnySizeKeepTheirTail_data()
{
    QTest::addColumn<int>("size");
    for (const int size : { 0, 23, 24, 25, 30, 4096, 4097 })
        QTest::newRow(qPrintable(QStringLiteral("%1 bytes").arg(size))) << size;
}

// What is read is shown: the stored values from 24 bytes on, the defaults below. A confirm
// writes the first 24 bytes and leaves every byte after them as it was.
void TestEndToEnd::settingsFilesOfAnySizeKeepTheirTail()
{
    QFETCH(int, size);
    const QString config = work(QStringLiteral("config.ini"));
    const QByteArray stored = settingsBytes({ 30, 40, 50, 4, 4, 4 });
    QByteArray bytes = stored;
    for (int i = 24; i < size; ++i)
        bytes.append(static_cast<char>(i * 7 % 251));
    bytes.truncate(size);
    QVERIFY(writeFile(config, bytes));

    RunningProgram* program = launch();
    QVERIFY(program);
    QVERIFY(unlockSettings(*program));
    QVERIFY(confirmSettings(*program));
    const QByteArray expected = size < 24 ? defaultSettings : stored + bytes.mid(24);
    QVERIFY2(fileBecomes(config, expected), qPrintable(readFile(config).left(48).toHex(' ')));
}

void TestEndToEnd::reportThatCannotBeWrittenIsReported_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("/dev/full through a .txt symlink") << "devfull";
    QTest::newRow("locked by another process") << "locked";
    QTest::newRow("folder gone before the write") << "vanished";
}

// Each failed save says so in the save error box, leaves a file that is not ours untouched, and
// the program goes on: the next save into a good folder works.
void TestEndToEnd::reportThatCannotBeWrittenIsReported()
{
    QFETCH(QString, kind);
    const QByteArray theirs("someone else's report\r\n");
    QString target = other(QStringLiteral("full.txt"));
    QProcess holder;
    std::function<void()> beforeAccepting;
    if (kind == QLatin1String("devfull"))
        QVERIFY(QFile::link(QStringLiteral("/dev/full"), target));
    if (kind == QLatin1String("locked")) {
        target = other(QStringLiteral("locked.txt"));
        QVERIFY(writeFile(target, theirs));
        QVERIFY(lockInAnotherProcess(holder, target));
    }
    if (kind == QLatin1String("vanished")) {
        QVERIFY(QDir(other()).mkdir(QStringLiteral("gone")));
        target = other(QStringLiteral("gone/report.txt"));
        beforeAccepting = [this] { QVERIFY(QDir(other()).rmdir(QStringLiteral("gone"))); };
    }

    RunningProgram* program = launch();
    QVERIFY(program);
    QVERIFY(program->clickControl(ControlId::Slide));
    QVERIFY(program->chooseSaveFile(target, beforeAccepting));
    QVERIFY2(acknowledge(saveErrorTitle), "no box titled 保存エラー that Enter closes");
    if (kind == QLatin1String("locked"))
        QCOMPARE(readFile(target), theirs);
    if (kind == QLatin1String("vanished"))
        QVERIFY(!QDir(other(QStringLiteral("gone"))).exists());
    const std::optional<std::vector<Lap>> laps
        = program->saveReport(other(QStringLiteral("after.txt")));
    QVERIFY(laps && laps->size() == 1);
    holder.kill();
    holder.waitForFinished();
}

void TestEndToEnd::soundFaultsNeverSilenceOrHangTheProgram_data()
{
    QTest::addColumn<QString>("fault");
    QTest::newRow("no sound server at start") << "no server";
    QTest::newRow("sound server killed and started again") << "restart";
    QTest::newRow("ring.wav is a FIFO") << "fifo";
    QTest::newRow("closed while a ring plays") << "close while ringing";
}

// Whatever happens to the sound, the window closes and the process ends within 2 seconds, and
// every ring is heard while a sound server is there.
void TestEndToEnd::soundFaultsNeverSilenceOrHangTheProgram()
{
    QFETCH(QString, fault);
    if (fault == QLatin1String("fifo"))
        QCOMPARE(
            ::mkfifo(QFile::encodeName(work(QStringLiteral("ring.wav"))).constData(), 0600), 0);
    if (fault == QLatin1String("close while ringing"))
        QVERIFY(writeToneWav(work(QStringLiteral("ring.wav")), 1500.0, 3000));
    if (fault != QLatin1String("no server"))
        startListening();
    RunningProgram* program = launch();
    QVERIFY(program);
    QVERIFY(program->clickControl(ControlId::Test));
    int ringingMs = 1200; // the three rings of Test still to come when the window is closed
    if (fault == QLatin1String("restart")) {
        QThread::msleep(1300);
        QCOMPARE(findOnsets(stopListening(), PulseSink::sampleRate).size(), std::size_t { 3 });
        m_sound->killServer();
        QVERIFY(program->clickControl(ControlId::Test)); // rings for nobody
        QThread::msleep(1300);
        QVERIFY2(m_sound->restartServer(), qPrintable(m_sound->errorString()));
        QVERIFY(m_sound->startRecording());
        QVERIFY(program->clickControl(ControlId::Test));
    }
    if (fault != QLatin1String("close while ringing")) {
        QThread::msleep(1300);
        ringingMs = 0;
        if (m_sound) {
            const std::vector<double> onsets = findOnsets(stopListening(), PulseSink::sampleRate);
            QVERIFY2(onsets.size() == 3, qPrintable(describeOnsets(onsets)));
        }
    }
    QVERIFY(program->keys({ QStringLiteral("Escape") }));
    QVERIFY2(program->waitForExit(2000 + ringingMs) == 0, qPrintable(program->describeState()));
}

namespace {

// What a running process holds, from /proc.
struct Footprint
{
    qint64 rssKiB = -1;
    int threads = -1;
    int descriptors = -1;
};

Footprint footprintOf(qint64 pid)
{
    Footprint footprint;
    const QString proc = QStringLiteral("/proc/%1/").arg(pid);
    for (const QByteArray& line : readFile(proc + QStringLiteral("status")).split('\n')) {
        if (line.startsWith("VmRSS:"))
            footprint.rssKiB = line.mid(6).trimmed().split(' ').first().toLongLong();
        if (line.startsWith("Threads:"))
            footprint.threads = line.mid(8).trimmed().toInt();
    }
    footprint.descriptors = static_cast<int>(QDir(proc + QStringLiteral("fd"))
                                                 .entryList(QDir::AllEntries | QDir::NoDotAndDotDot)
                                                 .size());
    return footprint;
}

QString describe(const Footprint& footprint)
{
    return QStringLiteral("RSS %1 KiB, %2 threads, %3 descriptors")
        .arg(footprint.rssKiB)
        .arg(footprint.threads)
        .arg(footprint.descriptors);
}

} // namespace

// Test pressed again and again through the real player: every ring is heard, and the program
// holds no more memory, threads or descriptors at the end than after the first few.
void TestEndToEnd::thousandRingsLeaveNothingBehind()
{
    constexpr int presses = 334; // three rings each
    constexpr int warmUpPresses = 10;
    // Freed memory is reused at once instead of sitting in the sanitizer's quarantine, which
    // would look like growth.
    qputenv("ASAN_OPTIONS", "quarantine_size_mb=0:thread_local_quarantine_size_kb=0");
    startListening();
    RunningProgram* program = launch();
    qunsetenv("ASAN_OPTIONS");
    QVERIFY(program);
    QElapsedTimer wall;
    wall.start();
    Footprint before;
    for (int press = 0; press < presses; ++press) {
        QVERIFY(program->clickControl(ControlId::Test));
        QThread::msleep(1250);
        if (press + 1 == warmUpPresses)
            before = footprintOf(program->processId());
    }
    const Footprint after = footprintOf(program->processId());
    const std::vector<double> onsets = findOnsets(stopListening(), PulseSink::sampleRate);
    qInfo("%d rings in %lld s; after %d rings: %s; at the end: %s", presses * 3,
        wall.elapsed() / 1000, warmUpPresses * 3, qPrintable(describe(before)),
        qPrintable(describe(after)));
    QCOMPARE(onsets.size(), std::size_t { presses * 3 });
    QVERIFY2(after.rssKiB - before.rssKiB < 4096, qPrintable(describe(after)));
    // Qt's idle pool threads may end meanwhile; nothing may be added.
    QVERIFY2(after.threads <= before.threads, qPrintable(describe(after)));
    QVERIFY2(after.descriptors <= before.descriptors, qPrintable(describe(after)));
    QVERIFY(program->keys({ QStringLiteral("Escape") }));
    QVERIFY2(program->waitForExit(2000) == 0, qPrintable(program->describeState()));
}

// Ten thousand slides, saved at 1,000, 5,000 and 10,000: each report holds every slide once, in
// the list's order, and how long each save takes is printed.
void TestEndToEnd::tenThousandSlidesAreSavedInFull()
{
    RunningProgram* program = launch();
    QVERIFY(program);
    int slides = 0;
    for (const int total : { 1000, 5000, 10000 }) {
        QVERIFY(program->clickControlRepeatedly(ControlId::Slide, total - slides));
        slides = total;
        const QString path = other(QStringLiteral("slides-%1.txt").arg(total));
        QElapsedTimer save;
        save.start();
        const std::optional<std::vector<Lap>> laps = program->saveReport(path);
        const qint64 savedMs = save.elapsed();
        QVERIFY(laps);
        QCOMPARE(laps->size(), std::size_t(total));
        const QStringList lines = decodeCp932(readFile(path))
                                      .value_or(QString())
                                      .split(QStringLiteral("\r\n"))
                                      .mid(2, total);
        QVERIFY(std::is_sorted(lines.begin(), lines.end()));
        std::set<int> numbers;
        for (const QString& line : lines)
            numbers.insert(line.mid(6, line.indexOf(u']') - 6).toInt());
        QCOMPARE(numbers.size(), std::size_t(total));
        QCOMPARE(*numbers.begin(), 1);
        QCOMPARE(*numbers.rbegin(), total);
        qInfo("%d slides: saved in %lld ms (Save pressed to report complete, chooser included), "
              "%lld bytes",
            total, savedMs, QFileInfo(path).size());
    }
}

QTEST_APPLESS_MAIN(TestEndToEnd)
#include "tst_e2e.moc"
