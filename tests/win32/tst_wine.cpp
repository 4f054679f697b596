#include <algorithm>
#include <cmath>
#include <map>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include "core/phasecolours.h"
#include "e2e/phonepage.h"
#include "e2e/runningprogram.h"
#include "e2e/userview.h"
#include "e2e/xserver.h"
#include "support/pulsesink.h"
#include "support/runcommand.h"
#include "support/soundanalysis.h"
#include "support/tonewav.h"

using namespace zelvano;

Q_DECLARE_METATYPE(XServer::Desktop)

namespace {

const QString program = QStringLiteral(ZELVANO_WINDOWS_DIR "/zelvano.exe");
const QString inspector = QStringLiteral(ZELVANO_WINDOWS_DIR "/zelvano_inspector.exe");
const QString plantedWinmm = QStringLiteral(ZELVANO_WINDOWS_DIR "/planted/winmm.dll");
const QString powerPoint = QStringLiteral(ZELVANO_WINDOWS_DIR "/zelvano_standin_powerpoint.exe");
const QString slidesTitle = QStringLiteral("Slides");
const QString sharingTitle = QStringLiteral("スマートフォンで表示");
// Wine's own libraries for the ones a Windows program would otherwise download; one scenario
// adds to it.
const QByteArray defaultDllOverrides = "mscoree,mshtml=";

// A control as read from outside: whether it takes input, and its text.
struct Control
{
    bool enabled = false;
    QString text;
};

// The main window as the inspector reads it.
struct MainWindow
{
    std::map<ControlId, Control> controls;
    QStringList lapLines;

    QString text(ControlId id) const
    {
        const auto found = controls.find(id);
        return found == controls.end() ? QStringLiteral("<none>") : found->second.text;
    }
};

// What a screen reader names each control, read through the accessibility runtime, and whether
// that runtime answers with names a program gives rather than its own guess from the labels.
struct ScreenReaderView
{
    bool annotationsHonoured = false;
    std::map<ControlId, QString> names;
};

// Whether the strikes of a recording are count rings 400 ms apart. Wine's sound path on a loaded
// machine may drop out for a moment inside a ring and pick up where it left off: that makes an
// onset but no strike, and is no ring of the program's.
bool ringsFollow(const std::vector<double>& strikes, int count)
{
    if (strikes.size() != std::size_t(count))
        return false;
    for (std::size_t ring = 1; ring < strikes.size(); ++ring) {
        if (std::abs(strikes[ring] - strikes.front() - 400.0 * double(ring)) > 80.0)
            return false;
    }
    return true;
}

// The items of the window menu, counted up from its end.
enum WindowMenuItem {
    aboutItem = 1,
    shareItem,
    lapsFromSlideTurnsItem,
    remainingLargeItem,
    speakerViewItem,
    bellColoursItem,
    stayOnTopItem
};

// The speaker's view's way of writing a count of seconds: the minutes without leading zeros.
QString lecternTime(int seconds)
{
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

// The seconds of the main display's "mmm:ss".
int displaySeconds(const QString& text)
{
    return text.section(u':', 0, 0).toInt() * 60 + text.section(u':', 1).toInt();
}

// The program's traces that hold text, as Wine tells them with WINEDEBUG=warn+seh.
qsizetype traceLines(RunningProgram& running, const char* text)
{
    return running.standardError()
        .split(u'\n')
        .filter(QStringLiteral("OutputDebugString"))
        .filter(QString::fromLatin1(text))
        .size();
}

// Waits until a helper has said line, taking in what it says meanwhile.
bool says(QProcess& helper, QStringList& said, const QString& line)
{
    return eventually(
        [&] {
            helper.waitForReadyRead(50);
            while (helper.canReadLine())
                said << QString::fromUtf8(helper.readLine()).trimmed();
            return said.contains(line);
        },
        15000);
}

// A network of the scenario's own: a namespace whose one adapter besides loopback is an end of a
// veth pair kept inside it. A program started in it offers that adapter's address alone, and a
// browser started in it reaches that address without a packet leaving the namespace.
class PrivateNetwork final
{
public:
    static inline const QString address = QStringLiteral("10.231.0.1");

    PrivateNetwork()
        : m_name(QStringLiteral("zlvwine%1").arg(QCoreApplication::applicationPid()))
    {
        const auto ip = [this](const QStringList& arguments) {
            return runCommand(QStringLiteral("ip"), QStringList { "-n", m_name } + arguments);
        };
        m_ready = runCommand(QStringLiteral("ip"), { "netns", "add", m_name })
            && ip({ "link", "add", "zlvw", "type", "veth", "peer", "name", "zlvp" })
            && ip({ "addr", "add", address + "/24", "dev", "zlvw" })
            && ip({ "link", "set", "zlvw", "up" }) && ip({ "link", "set", "zlvp", "up" })
            && ip({ "link", "set", "lo", "up" });
    }
    ~PrivateNetwork() { runCommand(QStringLiteral("ip"), { "netns", "del", m_name }); }

    bool isReady() const { return m_ready; }
    // A command line that runs a program inside the namespace.
    QStringList inside() const { return { "ip", "netns", "exec", m_name }; }

private:
    QString m_name;
    bool m_ready = false;
};

// The Windows path of a folder of this machine, as Wine's drive Z: shows it.
QString windowsPath(const QString& path)
{
    return QStringLiteral("Z:") + QString(path).replace(QLatin1Char('/'), QLatin1Char('\\'));
}

} // namespace

// The Windows program under Wine, in a private X server and sound server, driven by real input
// and read from outside by a small Windows helper, the way a screen reader would.
class TestWindowsProgram : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void firstStartShowsTheDefaultsStaysOnTopAndEscapeEnds();
    void ticksAndSlidesGoOnAndStopLeavesANegativeLap();
    void testRingsThreeTimes_data();
    void testRingsThreeTimes();
    void plantedWinmmBesideTheProgramNeverRuns();
    void bellRingsAtItsMinuteUnderTheAboutBox();
    void confirmsAreCheckedAndKeepTheFileTail();
    void reportIsSavedIntoAJapaneseFolder();
    void settingsFileHeldElsewhereGivesDefaultsAndTheSaveErrorBox();
    void speakerViewFollowsTheScreensAndBothTakeTheBellColour();
    void clicksLeaveTheSlideShowItsKeysAndNoKeyEndsTheTalk_data();
    void clicksLeaveTheSlideShowItsKeysAndNoKeyEndsTheTalk();
    void slideKeysRecordOneLapPerSlideAndTheChoiceIsKept();
    void powerPointShowsRecordLapsBySlideNumber();
    void unreadableChoicesGiveTheDefaultsAndTheChoicesHoldForTheSession();
    void phoneShowsTheTimeSharedThroughTheMenu();

private:
    QString work(const QString& name = {}) const
    {
        return m_root->filePath(QStringLiteral("work/") + name);
    }
    RunningProgram* launch(const QString& path = program, const QStringList& inside = {});
    // Read by its title, which tells while sharing is on.
    std::optional<MainWindow> readMainWindow(const QString& title = mainTitle) const;
    std::optional<ScreenReaderView> readScreenReaderNames() const;
    // Polls the main window until check holds; the last reading either way.
    std::optional<MainWindow> waitForMainWindow(
        const std::function<bool(const MainWindow&)>& check, int timeoutMs = 10000) const;
    // The titles of the program's visible windows, as Windows sees them: Wine may keep a closed
    // window's X window around for a while.
    QStringList windowTitles(bool topmostOnly = false) const;
    bool waitForTitle(const QString& title, bool shown, int timeoutMs = 10000) const;
    // Opens the window menu with Alt+Space and chooses an item once the menu is on the screen:
    // keys that come before it reach the dialog, where Return ends it.
    bool chooseFromWindowMenu(const RunningProgram& running, WindowMenuItem item) const;
    // Presses Enter once in the box titled title; whether it closed.
    bool closeWithEnter(const QString& title) const;
    // Starts the inspector in one of its modes that stay, on this scenario's X server; whether
    // it said it is ready.
    bool startInspector(QProcess& process, const QStringList& arguments) const
    {
        return startHelper(process, inspector, arguments);
    }
    bool startHelper(QProcess& process, const QString& helper, const QStringList& arguments) const;
    // Starts the inspector's stand-in slide show, noting its keys in keysFile, and waits until it
    // has the keyboard; its X window.
    std::optional<QString> startSlides(QProcess& slides, const QString& keysFile) const;
    // Whether the active window becomes title, with control holding the keyboard focus in it (0:
    // the window itself).
    bool focusIn(const QString& title, int control) const;
    // Once the main display has moved on to a new second, so that every lap has one of its own,
    // does act; the second it did it in, or nothing when either failed.
    std::optional<int> inANewSecond(const std::function<bool()>& act) const;
    // Presses key in the slide show in a new second; held, it stays down until the slide show has
    // had five of its repeats. The second, once the slide show has the key.
    std::optional<int> turnSlide(const QString& key, const QString& keysFile, bool held = false);
    // A step of a talk beside a slide show, done in a second of its own (the second, or nothing
    // when it failed), and whether it records a lap.
    struct TalkStep
    {
        std::function<std::optional<int>()> take;
        bool lap;
    };
    // Takes the steps in turn; nothing when the lap list then holds one line for each step that
    // records a lap, each timed to its step's second (or the next, when a tick came first), and
    // what went wrong otherwise.
    std::optional<QString> lapsFollow(const std::vector<TalkStep>& steps) const;
    void startListening();
    std::vector<double> ringsHeard(int listenMs);
    // Clicks Test and checks that three rings follow; the time from the click to the first.
    std::optional<double> testRingsHeard(RunningProgram& running, QElapsedTimer& listening);
    static void endWine();

    std::unique_ptr<QTemporaryDir> m_root;
    std::unique_ptr<XServer> m_x;
    std::unique_ptr<PulseSink> m_sound;
    std::unique_ptr<RunningProgram> m_program;
    std::vector<qint16> m_recording;
};

void TestWindowsProgram::initTestCase()
{
    if (!QFile::exists(program) || !QFile::exists(inspector))
        QSKIP("the Windows program is not built: make windows builds it");
    qputenv("WINEPREFIX", ZELVANO_WINE_PREFIX);
}

void TestWindowsProgram::init()
{
    m_root = std::make_unique<QTemporaryDir>();
    QVERIFY(m_root->isValid());
    for (const char* folder : { "work", "home" })
        QVERIFY(QDir(m_root->path()).mkdir(QString::fromLatin1(folder)));
    qputenv("WINEDLLOVERRIDES", defaultDllOverrides);
    qputenv("WINEDEBUG", "-all");
    m_x = std::make_unique<XServer>();
    if (!m_x->isReady())
        QSKIP(qPrintable(QStringLiteral("no X server: ") + m_x->errorString()));
    endWine();
}

void TestWindowsProgram::cleanup()
{
    if (QTest::currentTestFailed() && m_x && m_x->isReady()) {
        const QString picture = QDir::temp().filePath(
            QStringLiteral("zelvano-wine-%1.png").arg(QTest::currentTestFunction()));
        if (m_x->screenshot(picture))
            qInfo("screenshot kept in %s", qPrintable(picture));
        const QString sound
            = QString(picture).replace(QStringLiteral(".png"), QStringLiteral(".wav"));
        if (!m_recording.empty() && writeWav(sound, m_recording))
            qInfo("recording kept in %s", qPrintable(sound));
    }
    m_recording.clear();
    m_program.reset();
    endWine();
    m_sound.reset();
    m_x.reset();
    m_root.reset();
}

// Wine keeps a server and a desktop process per prefix for a while after its last program ends,
// tied to the X server of the program that started them; the next scenario has another one.
void TestWindowsProgram::endWine()
{
    QProcess::execute(QStringLiteral("wineserver"), { QStringLiteral("--kill") });
    QProcess::execute(QStringLiteral("wineserver"), { QStringLiteral("--wait") });
}

RunningProgram* TestWindowsProgram::launch(const QString& path, const QStringList& inside)
{
    m_program = std::make_unique<RunningProgram>(*m_x, m_sound.get(), path, work(),
        m_root->filePath(QStringLiteral("home")), inside + QStringList { QStringLiteral("wine") });
    if (!m_program->start()) {
        qWarning("the main window did not appear; %s", qPrintable(m_program->describeState()));
        return nullptr;
    }
    return m_program.get();
}

namespace {

// Runs the inspector; its lines, or nothing when it failed.
std::optional<QStringList> inspect(const QStringList& arguments)
{
    QProcess reader;
    reader.start(QStringLiteral("wine"), QStringList { inspector } + arguments);
    if (!reader.waitForFinished(10000) || reader.exitCode() != 0)
        return std::nullopt;
    return QString::fromUtf8(reader.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
}

} // namespace

QStringList TestWindowsProgram::windowTitles(bool topmostOnly) const
{
    QStringList titles;
    for (const QString& line : inspect({ QStringLiteral("windows") }).value_or(QStringList())) {
        if (!topmostOnly || line.section(u'\t', 2) == QLatin1String("1"))
            titles << line.section(u'\t', 1, 1);
    }
    return titles;
}

bool TestWindowsProgram::waitForTitle(const QString& title, bool shown, int timeoutMs) const
{
    return eventually([&] { return windowTitles().contains(title) == shown; }, timeoutMs);
}

bool TestWindowsProgram::chooseFromWindowMenu(
    const RunningProgram& running, WindowMenuItem item) const
{
    // The menu is an X window of the program's class, without a name.
    const QString programClass = QStringLiteral("zelvano.exe");
    const qsizetype windows = m_x->windowsOfClass(programClass).size();
    return running.keys({ QStringLiteral("alt+space") })
        && eventually([&] { return m_x->windowsOfClass(programClass).size() > windows; })
        && running.keys(QStringList(int(item), QStringLiteral("Up")) << QStringLiteral("Return"));
}

bool TestWindowsProgram::closeWithEnter(const QString& title) const
{
    if (!waitForTitle(title, true))
        return false;
    const std::optional<QString> box = m_x->waitForWindow(title);
    return box && m_x->keys(*box, { QStringLiteral("Return") }) && waitForTitle(title, false);
}

bool TestWindowsProgram::startHelper(
    QProcess& process, const QString& helper, const QStringList& arguments) const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    m_x->addTo(environment);
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral("wine"), QStringList { helper } + arguments);
    return process.waitForReadyRead(10000);
}

std::optional<QString> TestWindowsProgram::startSlides(
    QProcess& slides, const QString& keysFile) const
{
    if (!startInspector(slides, { QStringLiteral("slides"), windowsPath(keysFile) }))
        return std::nullopt;
    const std::optional<QString> window = m_x->waitForWindow(slidesTitle);
    // Without a window manager nobody gives the X focus to the window that has Windows' focus.
    if (!window
        || !m_x->xdotool({ QStringLiteral("windowfocus"), QStringLiteral("--sync"), *window })
        || !focusIn(slidesTitle, 0))
        return std::nullopt;
    return window;
}

bool TestWindowsProgram::focusIn(const QString& title, int control) const
{
    return eventually([&] {
        return inspect({ QStringLiteral("focus") })
            == QStringList { QStringLiteral("focus\t%1\t%2").arg(title).arg(control) };
    });
}

std::optional<int> TestWindowsProgram::inANewSecond(const std::function<bool()>& act) const
{
    const std::optional<MainWindow> before = readMainWindow();
    if (!before)
        return std::nullopt;
    const int second = displaySeconds(before->text(ControlId::TimeDisplay));
    const std::optional<MainWindow> now = waitForMainWindow([second](const MainWindow& w) {
        return displaySeconds(w.text(ControlId::TimeDisplay)) > second;
    });
    if (!now || displaySeconds(now->text(ControlId::TimeDisplay)) <= second || !act())
        return std::nullopt;
    return displaySeconds(now->text(ControlId::TimeDisplay));
}

std::optional<int> TestWindowsProgram::turnSlide(
    const QString& key, const QString& keysFile, bool held)
{
    const auto noted = [&] { return readFile(keysFile).count('\n'); };
    const qsizetype before = noted();
    return inANewSecond([&] {
        if (!held)
            return m_x->xdotool({ QStringLiteral("key"), key })
                && eventually([&] { return noted() > before; });
        return m_x->xdotool({ QStringLiteral("keydown"), key })
            && eventually([&] { return noted() >= before + 5; })
            && m_x->xdotool({ QStringLiteral("keyup"), key });
    });
}

std::optional<MainWindow> TestWindowsProgram::readMainWindow(const QString& title) const
{
    const std::optional<QStringList> lines = inspect({ QStringLiteral("controls"), title });
    if (!lines)
        return std::nullopt;
    MainWindow window;
    for (const QString& line : *lines) {
        const QStringList fields = line.split(u'\t');
        if (fields.size() == 5 && fields[0] == QLatin1String("control"))
            window.controls[ControlId(fields[1].toInt())]
                = { fields[3] == QLatin1String("1"), fields[4] };
        else if (fields.size() == 2 && fields[0] == QLatin1String("line"))
            window.lapLines << fields[1];
    }
    return window;
}

std::optional<ScreenReaderView> TestWindowsProgram::readScreenReaderNames() const
{
    const std::optional<QStringList> lines = inspect({ QStringLiteral("names"), mainTitle });
    if (!lines)
        return std::nullopt;
    ScreenReaderView view;
    for (const QString& line : *lines) {
        const QStringList fields = line.split(u'\t');
        if (fields.size() == 2 && fields[0] == QLatin1String("annotations"))
            view.annotationsHonoured = fields[1] == QLatin1String("1");
        else if (fields.size() == 3 && fields[0] == QLatin1String("name"))
            view.names[ControlId(fields[1].toInt())] = fields[2];
    }
    return view;
}

std::optional<MainWindow> TestWindowsProgram::waitForMainWindow(
    const std::function<bool(const MainWindow&)>& check, int timeoutMs) const
{
    std::optional<MainWindow> window;
    eventually([&] { return (window = readMainWindow()) && check(*window); }, timeoutMs);
    return window;
}

void TestWindowsProgram::startListening()
{
    m_sound = std::make_unique<PulseSink>();
    if (!m_sound->isReady())
        QSKIP(qPrintable(QStringLiteral("no sound server: ") + m_sound->errorString()));
    QVERIFY(m_sound->startRecording());
}

std::vector<double> TestWindowsProgram::ringsHeard(int listenMs)
{
    QThread::msleep(static_cast<unsigned long>(listenMs));
    m_recording = m_sound->stopRecording();
    return findStrikes(m_recording, PulseSink::sampleRate);
}

std::optional<double> TestWindowsProgram::testRingsHeard(
    RunningProgram& running, QElapsedTimer& listening)
{
    const qint64 pressedAt = listening.elapsed();
    if (!running.clickControl(ControlId::Test))
        return std::nullopt;
    const std::vector<double> strikes = ringsHeard(2600);
    if (!ringsFollow(strikes, 3)) {
        qWarning("strikes: %s; all %s", qPrintable(describeOnsets(strikes)),
            qPrintable(describeOnsets(findOnsets(m_recording, PulseSink::sampleRate))));
        return std::nullopt;
    }
    return strikes[0] - double(pressedAt);
}

std::optional<QString> TestWindowsProgram::lapsFollow(const std::vector<TalkStep>& steps) const
{
    std::vector<int> seconds;
    for (std::size_t step = 0; step < steps.size(); ++step) {
        const std::optional<int> second = steps[step].take();
        if (!second)
            return QStringLiteral("step %1 failed").arg(step + 1);
        if (steps[step].lap)
            seconds.push_back(*second);
    }
    const auto count = qsizetype(seconds.size());
    const std::optional<MainWindow> window
        = waitForMainWindow([count](const MainWindow& w) { return w.lapLines.size() >= count; });
    if (!window)
        return QStringLiteral("the main window could not be read");
    QStringList due;
    bool timed = window->lapLines.size() == count;
    for (qsizetype lap = 0; lap < count; ++lap) {
        const QString slide = QStringLiteral("[Slide%1]").arg(lap + 1, 3, 10, QLatin1Char('0'));
        const int second = seconds[std::size_t(lap)];
        due << QStringLiteral("%1 at %2 s").arg(slide).arg(second);
        const QString& line = window->lapLines.value(lap);
        const int at = displaySeconds(line.section(QStringLiteral("累積:"), 1).trimmed());
        timed = timed && line.startsWith(slide) && (at == second || at == second + 1);
    }
    return timed ? std::nullopt
                 : std::optional(QStringLiteral("laps %1 where %2 were due")
                                     .arg(window->lapLines.join(QStringLiteral("; ")),
                                         due.join(QStringLiteral("; "))));
}

void TestWindowsProgram::firstStartShowsTheDefaultsStaysOnTopAndEscapeEnds()
{
    RunningProgram* running = launch();
    QVERIFY(running);
    const std::optional<MainWindow> window = readMainWindow();
    QVERIFY(window);
    QCOMPARE(window->text(ControlId::TimeDisplay), "000:00");
    const QStringList defaults { "10", "13", "15", "1", "2", "3" };
    for (std::size_t i = 0; i < bellFieldIds.size(); ++i) {
        const Control& field = window->controls.at(bellFieldIds[i]);
        QCOMPARE(field.text, defaults[qsizetype(i)]);
        QVERIFY(!field.enabled);
    }
    QCOMPARE(window->text(ControlId::SettingsToggle), "設定変更(&C)");
    QVERIFY(window->lapLines.isEmpty());
    QCOMPARE(readFile(work(QStringLiteral("config.ini"))), QByteArray());

    // Where the accessibility runtime takes the names a program gives, a screen reader says those.
    // Wine 8's takes them and keeps guessing from the labels, so there they are not compared.
    const std::optional<ScreenReaderView> reader = readScreenReaderNames();
    QVERIFY(reader);
    if (reader->annotationsHonoured) {
        for (const auto& [id, name] : screenReaderNames) {
            const auto found = reader->names.find(id);
            QCOMPARE(found == reader->names.end() ? QStringLiteral("<none>") : found->second,
                QString::fromUtf8(name));
        }
    } else {
        qInfo("this accessibility runtime ignores the names programs give: not compared");
    }

    // The system menu's item after the separator keeps the window above the others, and lets it
    // go.
    for (const bool onTop : { true, false }) {
        QVERIFY(chooseFromWindowMenu(*running, stayOnTopItem));
        QVERIFY(eventually([&] { return windowTitles(true).contains(mainTitle) == onTop; }));
    }
    QVERIFY(running->keys({ QStringLiteral("Escape") }));
    QCOMPARE(running->waitForExit(), 0);
}

void TestWindowsProgram::ticksAndSlidesGoOnAndStopLeavesANegativeLap()
{
    RunningProgram* running = launch();
    QVERIFY(running);
    QVERIFY(running->clickControl(ControlId::Start));
    QVERIFY(waitForMainWindow(
        [](const MainWindow& w) { return w.text(ControlId::TimeDisplay) == "000:02"; }));
    QVERIFY(running->clickControl(ControlId::Slide));
    QVERIFY(running->clickControl(ControlId::Stop));
    QVERIFY(running->clickControl(ControlId::Slide));
    const std::optional<MainWindow> window
        = waitForMainWindow([](const MainWindow& w) { return w.lapLines.size() == 2; });
    QVERIFY(window);
    // The first lap lasted as long as the talk so far; after Stop the count is back at zero while
    // the mark stays, so the second lap is that much below zero.
    const QString first = window->lapLines[0];
    QVERIFY2(first.startsWith(QStringLiteral("[Slide001]   0:0")), qPrintable(first));
    const QString seconds = first.right(2);
    QCOMPARE(window->lapLines[1], QStringLiteral("[Slide002]   0:-%1  累積:  0:00").arg(seconds));
}

void TestWindowsProgram::testRingsThreeTimes_data()
{
    QTest::addColumn<bool>("withRingFile");
    QTest::newRow("ring.wav in the folder") << true;
    QTest::newRow("built-in bell") << false;
}

void TestWindowsProgram::testRingsThreeTimes()
{
    QFETCH(bool, withRingFile);
    constexpr double ringTone = 1500.0; // absent from the built-in bell
    if (withRingFile)
        QVERIFY(writeFile(work(QStringLiteral("ring.wav")), struckToneWav(ringTone, 300)));
    startListening();
    QElapsedTimer listening;
    listening.start();
    RunningProgram* running = launch();
    QVERIFY(running);
    QThread::msleep(500);
    const std::optional<double> latency = testRingsHeard(*running, listening);
    QVERIFY(latency);
    // The file's tone, or the built-in bell's strike.
    const double firstRing = findOnsets(m_recording, PulseSink::sampleRate).front();
    const double heard = toneAmplitude(
        m_recording, PulseSink::sampleRate, firstRing + 20, 150, withRingFile ? ringTone : 880.0);
    const double other = toneAmplitude(
        m_recording, PulseSink::sampleRate, firstRing + 20, 150, withRingFile ? 880.0 : ringTone);
    QVERIFY2(heard > 4 * other, qPrintable(QStringLiteral("%1 against %2").arg(heard).arg(other)));
    qInfo("first ring heard %.0f ms after the click (recording started before the program)",
        *latency);
}

// Windows looks for a library the program names in the program's own folder first; one left
// there must never run, and the bell must still come from the system's sound library.
void TestWindowsProgram::plantedWinmmBesideTheProgramNeverRuns()
{
    const QDir folder(m_root->filePath(QStringLiteral("download")));
    QVERIFY(folder.mkpath(QStringLiteral(".")));
    QVERIFY(QFile::copy(program, folder.filePath(QStringLiteral("zelvano.exe"))));
    QVERIFY(QFile::copy(plantedWinmm, folder.filePath(QStringLiteral("winmm.dll"))));
    // Wine takes its built-in libraries first; this has it look in the folder as Windows does.
    qputenv("WINEDLLOVERRIDES", defaultDllOverrides + ";winmm=n,b");
    startListening();
    QElapsedTimer listening;
    listening.start();
    RunningProgram* running = launch(folder.filePath(QStringLiteral("zelvano.exe")));
    QVERIFY(running);
    QVERIFY2(!folder.exists(QStringLiteral("planted-winmm-ran.txt")), "the planted library ran");
    QVERIFY(testRingsHeard(*running, listening));
}

void TestWindowsProgram::bellRingsAtItsMinuteUnderTheAboutBox()
{
    QVERIFY(writeFile(work(QStringLiteral("config.ini")), settingsBytes({ 1, 14, 15, 2, 2, 3 })));
    startListening();
    RunningProgram* running = launch();
    QVERIFY(running);
    const std::optional<MainWindow> loaded = readMainWindow();
    QVERIFY(loaded);
    QCOMPARE(loaded->text(ControlId::Bell1Minutes), "1");
    QCOMPARE(loaded->text(ControlId::Bell1Count), "2");
    QVERIFY(running->clickControl(ControlId::Start));
    QVERIFY(chooseFromWindowMenu(*running, aboutItem));
    QVERIFY(waitForTitle(aboutTitle, true));
    QVERIFY(waitForMainWindow(
        [](const MainWindow& w) { return w.text(ControlId::TimeDisplay) == "001:01"; }, 70000));
    QVERIFY(closeWithEnter(aboutTitle));
    const std::vector<double> strikes = ringsHeard(1500);
    QVERIFY2(ringsFollow(strikes, 2),
        qPrintable(describeOnsets(strikes) + QStringLiteral("; all ")
            + describeOnsets(findOnsets(m_recording, PulseSink::sampleRate))));
}

void TestWindowsProgram::confirmsAreCheckedAndKeepTheFileTail()
{
    const QString config = work(QStringLiteral("config.ini"));
    const QByteArray tail("TAIL!!");
    QVERIFY(writeFile(config, defaultSettings + tail));
    RunningProgram* running = launch();
    QVERIFY(running);
    QVERIFY(running->clickControl(ControlId::SettingsToggle));
    QVERIFY(running->replaceFieldText(ControlId::Bell3Count, QStringLiteral("6")));
    QVERIFY(running->clickControl(ControlId::SettingsToggle));
    QVERIFY(closeWithEnter(invalidSettingsTitle));
    QCOMPARE(readFile(config), defaultSettings + tail);

    QVERIFY(running->replaceFieldText(ControlId::Bell3Count, QStringLiteral("4")));
    QVERIFY(running->replaceFieldText(ControlId::Bell1Minutes, QStringLiteral("12abc")));
    QVERIFY(running->clickControl(ControlId::SettingsToggle));
    QVERIFY2(fileBecomes(config, settingsBytes({ 12, 13, 15, 1, 2, 4 }) + tail),
        qPrintable(readFile(config).toHex(' ')));
    const std::optional<MainWindow> window = readMainWindow();
    QVERIFY(window);
    QCOMPARE(window->text(ControlId::Bell1Minutes), "12abc");
    QVERIFY(!window->controls.at(ControlId::Bell1Minutes).enabled);
}

void TestWindowsProgram::reportIsSavedIntoAJapaneseFolder()
{
    const QString folder = work(QStringLiteral("報告"));
    QVERIFY(QDir().mkpath(folder));
    RunningProgram* running = launch();
    QVERIFY(running);
    QVERIFY(running->clickControl(ControlId::Slide));
    QVERIFY(running->clickControl(ControlId::Slide));
    const QDateTime savedAt = QDateTime::currentDateTime();
    QVERIFY(running->clickControl(ControlId::Save));
    const std::optional<QString> chooser = m_x->waitForWindow(QStringLiteral("Save As"));
    QVERIFY(chooser);
    QVERIFY(m_x->keys(*chooser, { QStringLiteral("ctrl+a") }));
    QVERIFY(m_x->type(*chooser, windowsPath(folder) + QStringLiteral("\\talk")));
    QVERIFY(m_x->keys(*chooser, { QStringLiteral("Return") }));
    QVERIFY(waitForTitle(QStringLiteral("Save As"), false));
    // The default suffix is added; the working folder stays where it was.
    const QString report = folder + QStringLiteral("/talk.txt");
    QVERIFY(eventually([&] { return readFile(report).endsWith("\r\n"); }));
    const std::optional<std::vector<Lap>> laps = readReport(report, &savedAt);
    QVERIFY(laps);
    QCOMPARE(laps->size(), std::size_t { 2 });
    QVERIFY(running->clickControl(ControlId::SettingsToggle));
    QVERIFY(running->clickControl(ControlId::SettingsToggle));
    QVERIFY(fileBecomes(work(QStringLiteral("config.ini")), defaultSettings));
    QVERIFY(!QFile::exists(folder + QStringLiteral("/config.ini")));
}

void TestWindowsProgram::settingsFileHeldElsewhereGivesDefaultsAndTheSaveErrorBox()
{
    const QString config = work(QStringLiteral("config.ini"));
    const QByteArray stored = settingsBytes({ 30, 40, 50, 4, 4, 4 });
    QVERIFY(writeFile(config, stored));
    // Started first, it starts Wine's desktop too: on this scenario's X server.
    QProcess holder;
    QVERIFY(startInspector(holder, { QStringLiteral("hold"), windowsPath(config) }));
    RunningProgram* running = launch();
    QVERIFY(running);
    const std::optional<MainWindow> window = readMainWindow();
    QVERIFY(window);
    QCOMPARE(window->text(ControlId::Bell1Minutes), "10");
    QVERIFY(running->clickControl(ControlId::SettingsToggle));
    QVERIFY(running->clickControl(ControlId::SettingsToggle));
    QVERIFY(closeWithEnter(saveErrorTitle));
    QCOMPARE(readFile(config), stored);
    holder.kill();
    holder.waitForFinished();
}

void TestWindowsProgram::speakerViewFollowsTheScreensAndBothTakeTheBellColour()
{
    m_x = std::make_unique<XServer>(XServer::Desktop::Bare, XServer::Screens::TwoSideBySide);
    if (!m_x->isReady())
        QSKIP(qPrintable(QStringLiteral("no X server of two screens: ") + m_x->errorString()));
    RunningProgram* running = launch();
    QVERIFY(running);
    QCOMPARE(inspect({ QStringLiteral("monitors") }),
        QStringList({ "monitor\t0 0 1280 1024", "monitor\t1280 0 2560 1024" }));
    QVERIFY(running->clickControl(ControlId::SettingsToggle));
    QVERIFY(running->replaceFieldText(ControlId::Bell1Minutes, QStringLiteral("1")));
    QVERIFY(running->clickControl(ControlId::SettingsToggle));
    QVERIFY(fileBecomes(work(QStringLiteral("config.ini")), settingsBytes({ 1, 13, 15, 1, 2, 3 })));
    QVERIFY(running->clickControl(ControlId::Start));
    const std::optional<QStringList> focus = inspect({ QStringLiteral("focus") });
    QVERIFY(focus);

    QVERIFY(chooseFromWindowMenu(*running, bellColoursItem));
    QVERIFY(chooseFromWindowMenu(*running, speakerViewItem));
    QVERIFY(waitForTitle(speakerViewTitle, true));
    const QStringList leftScreen { "place\t0 0 1280 1024" };
    const QStringList rightScreen { "place\t1280 0 2560 1024" };
    const auto viewPlace = [] { return inspect({ QStringLiteral("place"), speakerViewTitle }); };
    QCOMPARE(viewPlace(), rightScreen);
    QCOMPARE(inspect({ QStringLiteral("focus") }), focus);
    // The view's text is a line for the figure and one for what is beneath it.
    const auto viewLines = [] {
        const QStringList lines
            = inspect({ QStringLiteral("controls"), speakerViewTitle }).value_or(QStringList());
        return lines.size() == 1 ? lines[0].section(u'\t', 4).split(QStringLiteral("\\n"))
                                 : QStringList();
    };
    QVERIFY(eventually([&] {
        const std::optional<MainWindow> window = readMainWindow();
        const int seconds = window ? displaySeconds(window->text(ControlId::TimeDisplay)) : -1;
        return viewLines()
            == QStringList { lecternTime(seconds),
                   QStringLiteral("○○○  1回目のベルまで ") + lecternTime(60 - seconds) };
    }));

    // Minimising the main window leaves the view showing. The main window moved onto the view's
    // screen sends the view to the other one; across both, it closes the view. Wine 8 reads the
    // screens once, at its start, so the screens themselves cannot change here.
    QCOMPARE(inspect({ QStringLiteral("minimise"), mainTitle }), QStringList { "iconic\t1" });
    QVERIFY(windowTitles().contains(speakerViewTitle));
    QCOMPARE(inspect({ QStringLiteral("restore"), mainTitle }), QStringList { "iconic\t0" });
    QVERIFY(m_x->moveWindow(running->window(), QPoint(1500, 100)));
    QVERIFY(eventually([&] { return viewPlace() == leftScreen; }));
    QVERIFY(m_x->moveWindow(running->window(), QPoint(1200, 100)));
    QVERIFY(waitForTitle(speakerViewTitle, false));
    QVERIFY(m_x->moveWindow(running->window(), QPoint(100, 100)));
    QVERIFY(chooseFromWindowMenu(*running, speakerViewItem));
    QVERIFY(waitForTitle(speakerViewTitle, true));
    QCOMPARE(viewPlace(), rightScreen);

    // The digits' own pixels, in the main display and on the second screen, before and after
    // the first bell's minute; beneath the figure, the bell reached in its colour and the time
    // to the next bell in the usual one.
    const std::optional<QRect> display = running->controlRect(ControlId::TimeDisplay);
    QVERIFY(display);
    const int captionTop = 1024 - 1024 * 5 / 100 - 1024 / 8;
    const QRect figure(1280, 0, 1280, captionTop);
    const QRect caption(1280, captionTop, 1280, 1024 - captionTop);
    const QString picture = m_root->filePath(QStringLiteral("screen.png"));
    for (const int phase : { 0, 1 }) {
        if (phase == 1)
            QVERIFY(waitForMainWindow(
                [](const MainWindow& w) { return w.text(ControlId::TimeDisplay) == "001:01"; },
                70000));
        QVERIFY(m_x->screenshot(picture));
        const QImage screen(picture);
        QVERIFY(!screen.isNull());
        const Rgb& phaseColour = speakerViewPalette.digits[size_t(phase)];
        const Rgb& otherColour = speakerViewPalette.digits[size_t(1 - phase)];
        const int mainPhase = pixelsOf(screen, *display, windowPalette.digits[size_t(phase)]);
        const int mainOther = pixelsOf(screen, *display, windowPalette.digits[size_t(1 - phase)]);
        const int viewPhase = pixelsOf(screen, figure, phaseColour);
        const int viewOther = pixelsOf(screen, figure, otherColour);
        const int marks = pixelsOf(screen, caption, phaseColour);
        const int plain = pixelsOf(screen, caption, speakerViewPalette.digits[0]);
        QVERIFY2(mainPhase > 100 && mainOther == 0 && viewPhase > 10000 && viewOther == 0
                && marks > 100 && plain > 100,
            qPrintable(QStringLiteral("phase %1: main %2 against %3, view %4 against %5, "
                                      "beneath %6 and %7")
                           .arg(phase)
                           .arg(mainPhase)
                           .arg(mainOther)
                           .arg(viewPhase)
                           .arg(viewOther)
                           .arg(marks)
                           .arg(plain)));
    }

    // The time to the next bell large and the elapsed time beneath, kept while the view is
    // closed and opened again.
    const auto countingDown = [&] {
        const QStringList lines = viewLines();
        return lines.size() == 2
            && lines[1].startsWith(QStringLiteral("●○○  2回目のベルまで (経過 1:"));
    };
    QVERIFY(chooseFromWindowMenu(*running, remainingLargeItem));
    QVERIFY(eventually(countingDown));

    // A double-click closes the view; the menu opens it again; Escape in it, once clicked into,
    // closes it again while the program goes on; so does Escape in the main window, which the
    // Close button then ends with the timer running.
    QVERIFY(m_x->xdotool({ QStringLiteral("mousemove"), QStringLiteral("1920"),
        QStringLiteral("512"), QStringLiteral("click"), QStringLiteral("--repeat"),
        QStringLiteral("2"), QStringLiteral("1") }));
    QVERIFY(waitForTitle(speakerViewTitle, false));
    QVERIFY(chooseFromWindowMenu(*running, speakerViewItem));
    QVERIFY(waitForTitle(speakerViewTitle, true));
    QVERIFY(eventually(countingDown));
    const std::optional<QString> viewWindow = m_x->waitForWindow(speakerViewTitle);
    QVERIFY(viewWindow);
    QVERIFY(m_x->click(QPoint(1920, 512)));
    QVERIFY(m_x->keys(*viewWindow, { QStringLiteral("Escape") }));
    QVERIFY(waitForTitle(speakerViewTitle, false));
    QVERIFY(windowTitles().contains(mainTitle));
    QVERIFY(chooseFromWindowMenu(*running, speakerViewItem));
    QVERIFY(waitForTitle(speakerViewTitle, true));
    QVERIFY(running->keys({ QStringLiteral("Escape") }));
    QVERIFY(waitForTitle(speakerViewTitle, false));
    QVERIFY(windowTitles().contains(mainTitle));
    QVERIFY(running->clickControl(ControlId::Ok));
    QCOMPARE(running->waitForExit(), 0);
}

void TestWindowsProgram::clicksLeaveTheSlideShowItsKeysAndNoKeyEndsTheTalk_data()
{
    QTest::addColumn<XServer::Desktop>("desktop");
    QTest::newRow("window manager") << XServer::Desktop::WithWindowManager;
    QTest::newRow("bare X server") << XServer::Desktop::Bare;
}

// A slide show has the keyboard and a clicker turns its slides; the speaker clicks Start and
// Slide in the timer between two slides. The timer stays running whatever keys reach it.
void TestWindowsProgram::clicksLeaveTheSlideShowItsKeysAndNoKeyEndsTheTalk()
{
    QFETCH(XServer::Desktop, desktop);
    m_x = std::make_unique<XServer>(desktop);
    if (!m_x->isReady())
        QSKIP(qPrintable(m_x->errorString()));
    // Wine's stand-in for the power functions says what it is asked.
    qputenv("WINEDEBUG", "-all,warn+ntdll");
    RunningProgram* running = launch();
    QVERIFY(running);
    const QString keysFile = m_root->filePath(QStringLiteral("slide-keys.txt"));
    QProcess slides;
    QVERIFY(startSlides(slides, keysFile));

    QVERIFY(running->clickControl(ControlId::Start));
    QVERIFY(waitForMainWindow(
        [](const MainWindow& w) { return w.text(ControlId::TimeDisplay) == "000:02"; }));
    QVERIFY(running->clickControl(ControlId::Slide));
    QVERIFY(waitForMainWindow([](const MainWindow& w) { return w.lapLines.size() == 1; }));
    QVERIFY(focusIn(slidesTitle, 0));
    QVERIFY(m_x->xdotool({ QStringLiteral("key"), QStringLiteral("Next") }));
    QVERIFY2(
        eventually([&] { return readFile(keysFile) == "34\n"; }), qPrintable(readFile(keysFile)));
    QVERIFY2(
        running->standardError().contains(QStringLiteral("NtSetThreadExecutionState (0x80000003")),
        "the display was not asked to stay on");
    // With the pointer left on Slide, Alt+Tab still brings the timer forward, keyboard and all.
    if (desktop == XServer::Desktop::WithWindowManager) {
        const std::optional<QRect> placed = m_x->geometry(running->window());
        QVERIFY(m_x->xdotool({ QStringLiteral("key"), QStringLiteral("alt+Tab") }));
        QVERIFY2(eventually([&] {
            return m_x->xdotool({ QStringLiteral("getwindowfocus") }) == running->window()
                && inspect({ QStringLiteral("focus") })
                       .value_or(QStringList())
                       .join(u'|')
                       .startsWith(QStringLiteral("focus\t") + mainTitle + u'\t');
        }),
            qPrintable(inspect({ QStringLiteral("focus") }).value_or(QStringList()).join(u'|')));
        QCOMPARE(m_x->geometry(running->window()), placed);
    }

    // Now the speaker clicks into the timer's lap list and a clicker's keys reach it: Enter and
    // Escape; and once a button has the focus B, which would press 開始(&B) by its mnemonic. Enter
    // presses the focused Slide as it would any button, but not 開始, which would start the talk
    // again. Then Alt+F4 ends the program at once.
    QVERIFY(running->clickControl(ControlId::SlideList));
    QVERIFY(focusIn(mainTitle, int(ControlId::SlideList)));
    QVERIFY(running->keys({ QStringLiteral("Return"), QStringLiteral("Escape") }));
    QVERIFY(running->clickControl(ControlId::Slide));
    QVERIFY(
        running->keys({ QStringLiteral("b"), QStringLiteral("Return"), QStringLiteral("Escape") }));
    QVERIFY(running->keys({ QStringLiteral("shift+Tab"), QStringLiteral("shift+Tab") }));
    QVERIFY(focusIn(mainTitle, int(ControlId::Start)));
    QVERIFY(running->keys({ QStringLiteral("Return") }));
    const std::optional<MainWindow> before = readMainWindow();
    QVERIFY(before);
    QCOMPARE(before->lapLines.size(), qsizetype { 3 });
    QVERIFY(waitForMainWindow([&](const MainWindow& w) {
        return w.text(ControlId::TimeDisplay) > before->text(ControlId::TimeDisplay)
            && w.lapLines == before->lapLines;
    }));
    QVERIFY(running->keys({ QStringLiteral("alt+F4") }));
    // With a window manager, as on any desktop, the window leaves the screen at once; on a bare X
    // server Wine waits two seconds for the manager's answer before it takes a window away.
    if (desktop == XServer::Desktop::WithWindowManager)
        QVERIFY2(m_x->waitForNoWindow(mainTitle, 1000), "the window stayed on the screen");
    QCOMPARE(running->waitForExit(), 0);
    slides.kill();
    slides.waitForFinished();
}

// A clicker turns the slides while the timer runs: every slide reached for the first time is one
// lap, timed when its key went down; going back, returning to a slide reached before, a held key's
// repeats, B and "." are none, and every key reaches the slide show. The choice is in window.ini
// with the others, the speaker's own lines kept, and is there again at the next start; turned off,
// the keys record nothing. (On a bare X server: a window manager keeps Alt+Space to itself.)
void TestWindowsProgram::slideKeysRecordOneLapPerSlideAndTheChoiceIsKept()
{
    const QString choices = work(QStringLiteral("window.ini"));
    const QByteArray note = "# the speaker's own line\n";
    const auto chosen = [&](bool laps) {
        return note + "stay-on-top=1\nbell-colours=0\nremaining-large=0\nlaps-from-slide-turns="
            + (laps ? "1\n" : "0\n");
    };
    QVERIFY(writeFile(choices, note));
    RunningProgram* running = launch();
    QVERIFY(running);
    QVERIFY(chooseFromWindowMenu(*running, lapsFromSlideTurnsItem));
    QVERIFY(chooseFromWindowMenu(*running, stayOnTopItem));
    QVERIFY2(fileBecomes(choices, chosen(true)), qPrintable(readFile(choices)));
    QVERIFY(running->keys({ QStringLiteral("Escape") }));
    QCOMPARE(running->waitForExit(), 0);

    running = launch();
    QVERIFY(running);
    QVERIFY(windowTitles(true).contains(mainTitle));
    const QString keysFile = m_root->filePath(QStringLiteral("slide-keys.txt"));
    QProcess slides;
    const std::optional<QString> slidesWindow = startSlides(slides, keysFile);
    QVERIFY(slidesWindow);
    QVERIFY(running->clickControl(ControlId::Start));
    QVERIFY(focusIn(slidesTitle, 0));
    const auto key = [&](const char* name, bool held = false) {
        return
            [=, &keysFile, this] { return turnSlide(QString::fromLatin1(name), keysFile, held); };
    };
    // The window menu is the active window's: a click into the lap list activates the timer, and
    // the keys that work the menu are no turns, since the slide show does not get them. A click
    // into the slide show, at the screen's top left, gives it the keyboard back, and the test its
    // X focus, which no window manager moves here.
    const auto choose = [&](bool on) {
        return [=, &choices, this] {
            return inANewSecond([&] {
                return running->clickControl(ControlId::SlideList)
                    && focusIn(mainTitle, int(ControlId::SlideList))
                    && chooseFromWindowMenu(*running, lapsFromSlideTurnsItem)
                    && fileBecomes(choices, chosen(on)) && m_x->click(QPoint(190, 130))
                    && m_x->xdotool(
                        { QStringLiteral("windowfocus"), QStringLiteral("--sync"), *slidesWindow })
                    && focusIn(slidesTitle, 0);
            });
        };
    };
    const std::optional<QString> wrong = lapsFollow({ { key("Next"), true }, { key("Next"), true },
        { key("Next"), true }, { key("Prior"), false }, { key("Next"), false },
        { key("Next", true), true }, { key("b"), false }, { key("period"), false },
        { key("Next"), true }, { choose(false), false }, { key("Next"), false },
        { choose(true), false }, { key("Next"), true } });
    QVERIFY2(!wrong, qPrintable(wrong.value_or(QString())));
    const QString noted = QString::fromLatin1(readFile(keysFile)).simplified();
    QVERIFY2(QRegularExpression(QStringLiteral("^34 34 34 33( 34){6,} 66 190 34 34 34$"))
                 .match(noted)
                 .hasMatch(),
        qPrintable(noted));
    QVERIFY(running->clickControl(ControlId::Ok));
    QCOMPARE(running->waitForExit(), 0);
    slides.kill();
    slides.waitForFinished();
}

// PowerPoint's own events tell the slide: laps go by its slide numbers, an animation step is
// none, and keys count for nothing while its show runs. Started after the program, with its show
// already running, it is found; without it the program follows the keys and traces that once.
void TestWindowsProgram::powerPointShowsRecordLapsBySlideNumber()
{
    qputenv("WINEDEBUG", "-all,warn+seh"); // the program's traces
    QVERIFY(writeFile(work(QStringLiteral("window.ini")), "laps-from-slide-turns=1\n"));
    RunningProgram* running = launch();
    QVERIFY(running);
    const QString keysFile = m_root->filePath(QStringLiteral("slide-keys.txt"));
    QProcess slides;
    QVERIFY(startSlides(slides, keysFile));
    QProcess show;
    QStringList said;
    QVERIFY(startHelper(show, powerPoint, { QStringLiteral("2") }));
    QVERIFY2(says(show, said, QStringLiteral("advised")), qPrintable(said.join(u' ')));
    QVERIFY(running->clickControl(ControlId::Start));

    const auto tell = [&](const char* command) {
        const QString line = QString::fromLatin1(command);
        return [&, line] {
            return inANewSecond([&] {
                show.write((line + u'\n').toUtf8());
                return says(show, said, QStringLiteral("done ") + line);
            });
        };
    };
    const auto key = [&] { return turnSlide(QStringLiteral("Next"), keysFile); };
    const std::optional<QString> wrong
        = lapsFollow({ { tell("next 3"), true }, { tell("build"), false }, { key, false },
            { tell("next 4"), true }, { tell("next 3"), false }, { tell("next 4"), false },
            { tell("next 6"), true }, { tell("end"), false }, { key, true } });
    QVERIFY2(!wrong,
        qPrintable(
            wrong.value_or(QString()) + QStringLiteral("; PowerPoint said ") + said.join(u' ')));

    // PowerPoint gone, the program says so and follows the keys, as before it came.
    show.closeWriteChannel();
    QVERIFY(show.waitForFinished(10000));
    QVERIFY(eventually([&] { return traceLines(*running, "PowerPoint went away") == 1; }, 15000));
    QCOMPARE(traceLines(*running, "PowerPoint not running"), 1);
    QCOMPARE(traceLines(*running, "following PowerPoint"), 1);
    QVERIFY(running->clickControl(ControlId::Ok));
    QCOMPARE(running->waitForExit(), 0);
    slides.kill();
    slides.waitForFinished();
}

// A window.ini that can be neither read nor replaced (a folder in its place) leaves the window at
// its defaults, traced once, and nothing else touched; a choice still holds for the session.
void TestWindowsProgram::unreadableChoicesGiveTheDefaultsAndTheChoicesHoldForTheSession()
{
    qputenv("WINEDEBUG", "-all,warn+seh");
    const QString choices = work(QStringLiteral("window.ini"));
    QVERIFY(QDir().mkpath(choices));
    const QByteArray settings = settingsBytes({ 20, 25, 30, 1, 2, 3 });
    QVERIFY(writeFile(work(QStringLiteral("config.ini")), settings));
    RunningProgram* running = launch();
    QVERIFY(running);
    QVERIFY(!windowTitles(true).contains(mainTitle));
    QCOMPARE(traceLines(*running, "window.ini"), 1);
    QVERIFY(chooseFromWindowMenu(*running, stayOnTopItem));
    QVERIFY(eventually([&] { return windowTitles(true).contains(mainTitle); }));
    QVERIFY(eventually([&] { return traceLines(*running, "File IO Error") == 1; }));
    QVERIFY(QFileInfo(choices).isDir());
    QCOMPARE(readFile(work(QStringLiteral("config.ini"))), settings);
    QVERIFY(running->keys({ QStringLiteral("Escape") }));
    QCOMPARE(running->waitForExit(), 0);
}

// The time on a phone, served by the Windows program: sharing switched on through the window
// menu, the address read from the sharing window and from its QR code, and the page, opened by
// Chromium in the program's private network, showing what the main display shows through Start,
// an attack of hostile clients and Stop. The main window's title counts the phone; the sharing
// window's Stop, reached from the keyboard, ends sharing, and the page says it has lost the
// program.
void TestWindowsProgram::phoneShowsTheTimeSharedThroughTheMenu()
{
    const PrivateNetwork network;
    if (!network.isReady())
        QSKIP("no network namespace of the scenario's own (making one needs root): no page tried");
    RunningProgram* running = launch(program, network.inside());
    QVERIFY(running);
    QVERIFY(chooseFromWindowMenu(*running, shareItem));
    QVERIFY(waitForTitle(sharingTitle, true));
    const QString url = inspect({ QStringLiteral("controls"), sharingTitle })
                            .value_or(QStringList())
                            .filter(QRegularExpression(QStringLiteral("^control\t103\t")))
                            .value(0)
                            .section(u'\t', 4);
    QVERIFY2(QRegularExpression(QStringLiteral("^http://10\\.231\\.0\\.1:\\d+/[0-9a-f]{32}/$"))
                 .match(url)
                 .hasMatch(),
        qPrintable(url));
    const QString screen = m_root->filePath(QStringLiteral("screen.png"));
    QVERIFY(m_x->screenshot(screen));
    QProcess decoder;
    decoder.start(QStringLiteral("zbarimg"), { "-q", "--raw", screen });
    QVERIFY(decoder.waitForFinished(15000));
    QCOMPARE(QString::fromUtf8(decoder.readAllStandardOutput()).trimmed(), url);

    const QString sharingMainTitle = mainTitle + QStringLiteral("  スマートフォンで表示中 (%1台)");
    QVERIFY(waitForTitle(sharingMainTitle.arg(0), true));
    QVERIFY(running->clickControl(ControlId::Start));
    PhonePage page(network.inside(), url, m_root->filePath(QStringLiteral("phone")));
    QVERIFY(waitForTitle(sharingMainTitle.arg(1), true, 20000));
    // Read one after the other, the two may straddle a second; soon they agree.
    int seconds = -1;
    const auto pageShowsTheDisplay = [&] {
        const std::optional<MainWindow> window = readMainWindow(sharingMainTitle.arg(1));
        seconds = window ? displaySeconds(window->text(ControlId::TimeDisplay)) : -1;
        const QJsonObject shown = page.shown();
        return shown[QLatin1String("figure")].toString() == lecternTime(seconds)
            && shown[QLatin1String("caption")].toString()
            == QStringLiteral("○○○  1回目のベルまで ") + lecternTime(600 - seconds)
            && !shown[QLatin1String("lost")].toBool();
    };
    QVERIFY2(eventually([&] { return pageShowsTheDisplay() && seconds >= 2; }, 15000),
        qPrintable(QString::fromUtf8(QJsonDocument(page.shown()).toJson())));

    // Clients that misbehave, from the same network, are refused or dropped by the Windows
    // program's reactor as by Linux's, and neither the talk nor the phone's page notices.
    const auto address
        = QRegularExpression(QStringLiteral("^http://([0-9.]+):(\\d+)/(\\w+)/$")).match(url);
    QProcess clients;
    const int secondsBefore = seconds;
    QElapsedTimer attack;
    attack.start();
    clients.start(network.inside().first(),
        network.inside().mid(1) << "/usr/bin/python3" << QStringLiteral(ZELVANO_HOSTILE_CLIENTS)
                                << address.captured(1) << address.captured(2)
                                << address.captured(3));
    QVERIFY(clients.waitForFinished(60000));
    QCOMPARE(QString::fromUtf8(clients.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts),
        QStringList({ "wrongToken refused", "noToken refused", "otherMethod refused",
            "foreignHost refused", "hugeHeader closed", "trickle dropped", "crowd served",
            "devices 16 HTTP/1.1 503 Service Unavailable", "nonReader held" }));
    QVERIFY(eventually(pageShowsTheDisplay, 5000));
    QVERIFY2(std::abs(seconds - secondsBefore - int(attack.elapsed() / 1000)) <= 2,
        qPrintable(QStringLiteral("%1 s shown after %2 s")
                       .arg(seconds - secondsBefore)
                       .arg(attack.elapsed() / 1000)));
    // Stopped, both stay at the second they stopped at.
    QVERIFY(running->clickControl(ControlId::Stop));
    QVERIFY(eventually(pageShowsTheDisplay, 5000));
    const int stoppedAt = seconds;
    QThread::msleep(2000);
    QVERIFY(pageShowsTheDisplay());
    QCOMPARE(seconds, stoppedAt);

    const std::optional<QString> sharing = m_x->waitForWindow(sharingTitle);
    QVERIFY(sharing);
    QVERIFY(m_x->keys(*sharing, { "Tab", "Tab", "space" }));
    QVERIFY(waitForTitle(sharingTitle, false));
    QVERIFY(waitForTitle(mainTitle, true));
    QVERIFY(eventually(
        [&] {
            const QJsonObject shown = page.shown();
            return shown[QLatin1String("lost")].toBool()
                && shown[QLatin1String("lostText")].toString()
                == QStringLiteral("接続が切れました");
        },
        6000));
}

QTEST_APPLESS_MAIN(TestWindowsProgram)
#include "tst_wine.moc"
