// Beside a slide show with the choice of laps from page turns: the real program in a private X
// server with a window manager, the slide show turned by real keys; the real pdfpc on the test's
// own session bus; the window's choices across starts. Each runs in a session bus of its own.

#include <csignal>
#include <sys/prctl.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include "core/texts.h"
#include "e2e/runningprogram.h"
#include "e2e/standinprocess.h"
#include "e2e/userview.h"
#include "e2e/xserver.h"
#include "support/endprocess.h"

using namespace zelvano;

namespace {

const QString choicesFile = QStringLiteral("window.ini");
const QString lapsChoiceOn = QStringLiteral("laps-from-slide-turns=1");

// Waits for a moment of the talk, in milliseconds after the click on Start, then gives the moment
// it is: input goes at planned moments, in the middle of a second of the timer, so that each
// lap's second is plain.
qint64 waitUntil(const QElapsedTimer& talk, qint64 momentMs)
{
    QThread::msleep(static_cast<unsigned long>(qMax<qint64>(0, momentMs - talk.elapsed())));
    return talk.elapsed();
}

// A PDF of four pages labelled as slide classes label overlays, "1", "2", "2", "3": three slides,
// the second in two steps. The cross-reference table's offsets are counted as it is written.
bool writeSlidesWithAnOverlay(const QString& path)
{
    const QByteArray page = "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 320 240] /Contents 7 0 R "
                            "/Resources << /Font << /F1 8 0 R >> >> >>";
    const QByteArray text = "BT /F1 48 Tf 40 100 Td (Slide) Tj ET";
    const QByteArrayList objects {
        "<< /Type /Catalog /Pages 2 0 R /PageLabels << /Nums [0 << /S /D "
        ">> 1 << /P (2) >> 3 << /S /D /St 3 >>] >> >>",
        "<< /Type /Pages /Kids [3 0 R 4 0 R 5 0 R 6 0 R] /Count 4 >>", page, page, page, page,
        "<< /Length " + QByteArray::number(text.size()) + " >>\nstream\n" + text + "\nendstream",
        "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>", "<< /Title (Slides) >>"
    };
    QByteArray pdf = "%PDF-1.4\n";
    QByteArray table = "xref\n0 10\n0000000000 65535 f \n";
    for (int i = 0; i < objects.size(); ++i) {
        table += QByteArray::number(pdf.size()).rightJustified(10, '0') + " 00000 n \n";
        pdf += QByteArray::number(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const QByteArray tableAt = QByteArray::number(pdf.size());
    return writeFile(path,
        pdf + table + "trailer\n<< /Size 10 /Root 1 0 R /Info 9 0 R >>\nstartxref\n" + tableAt
            + "\n%%EOF\n");
}

// pdfpc on the test's X server and session bus, with what it signals on the bus read as it comes.
class Pdfpc final
{
public:
    Pdfpc(const XServer& x, const QString& pdf, const QString& home)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        x.addTo(environment);
        environment.insert(QStringLiteral("HOME"), home);
        m_pdfpc.setProcessEnvironment(environment);
        m_pdfpc.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
        // A line at a time: into a pipe its output would otherwise come a buffer at a time.
        m_signals.start(QStringLiteral("stdbuf"),
            { QStringLiteral("--output=L"), QStringLiteral("dbus-monitor"),
                QStringLiteral("--session"),
                QStringLiteral("type='signal',interface='io.github.pdfpc'") });
        // In windows, the presenter's and the audience's, rather than full screen.
        m_pdfpc.start(QStringLiteral("pdfpc"), { QStringLiteral("--windowed=both"), pdf });
    }
    ~Pdfpc()
    {
        endProcess(m_pdfpc);
        endProcess(m_signals);
    }
    Pdfpc(const Pdfpc&) = delete;
    Pdfpc& operator=(const Pdfpc&) = delete;

    // Whether it owns its name on the bus and shows its presenter's window.
    bool started(const XServer& x) const
    {
        return x.waitForWindow(QStringLiteral("pdfpc - presenter (Slides)"), 30000)
            && eventually([] { return registered(); }, 10000);
    }
    // Waits until the pages it has signalled are these, counted from 0.
    bool showed(const QStringList& pages)
    {
        static const QRegularExpression page(
            QStringLiteral("member=OverlayChange\\n\\s*int32 (\\d+)"));
        QStringList seen;
        const bool done = eventually([&] {
            m_signals.waitForReadyRead(50);
            m_output += m_signals.readAllStandardOutput();
            seen.clear();
            for (const auto& match : page.globalMatch(QString::fromUtf8(m_output)))
                seen << match.captured(1);
            return seen == pages;
        });
        if (!done)
            qWarning("pdfpc showed the pages %s", qPrintable(seen.join(u' ')));
        return done;
    }
    bool end()
    {
        endProcess(m_pdfpc);
        return eventually([] { return !registered(); });
    }

private:
    static bool registered()
    {
        return QDBusConnection::sessionBus().interface()->isServiceRegistered(
            QStringLiteral("io.github.pdfpc"));
    }

    QProcess m_pdfpc;
    QProcess m_signals;
    QByteArray m_output;
};

} // namespace

class TestSlidesEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void pageTurnKeysRecordOneLapPerSlide_data();
    void pageTurnKeysRecordOneLapPerSlide();
    void pdfpcRecordsALapPerSlideNotPerOverlay();
    void windowChoicesAreKeptAcrossStarts_data();
    void windowChoicesAreKeptAcrossStarts();

private:
    QString work(const QString& name = {}) const
    {
        return m_root->filePath(QStringLiteral("work/") + name);
    }
    // Starts the program, ending one started before; nothing when its window did not appear.
    RunningProgram* launch();
    // The slide show stand-in, beside the timer and with the keyboard.
    bool focusSlides(StandIn& slides);
    bool keptAbove(RunningProgram& program) const
    {
        return program.findWindowAgain()
            && m_x->netWmState(program.window()).contains(QStringLiteral("_NET_WM_STATE_ABOVE"));
    }

    std::unique_ptr<QTemporaryDir> m_root;
    std::unique_ptr<XServer> m_x;
    std::unique_ptr<RunningProgram> m_program;
};

void TestSlidesEndToEnd::init()
{
    m_root = std::make_unique<QTemporaryDir>();
    QVERIFY(m_root->isValid());
    for (const char* folder : { "work", "home" })
        QVERIFY(QDir(m_root->path()).mkdir(QString::fromLatin1(folder)));
    m_x = std::make_unique<XServer>(XServer::Desktop::WithWindowManager);
    if (!m_x->isReady())
        QSKIP(qPrintable(QStringLiteral("no X server: ") + m_x->describeState()));
}

void TestSlidesEndToEnd::cleanup()
{
    if (QTest::currentTestFailed() && m_x && m_x->isReady()) {
        const QDir artifacts(QStringLiteral(ZELVANO_E2E_ARTIFACTS));
        artifacts.mkpath(QStringLiteral("."));
        const QString picture
            = artifacts.filePath(QStringLiteral("%1-%2.png")
                                     .arg(QTest::currentTestFunction(), QTest::currentDataTag())
                                     .replace(u' ', u'_'));
        if (m_x->screenshot(picture))
            qInfo("screenshot kept in %s", qPrintable(picture));
    }
    m_program.reset();
    m_x.reset();
    m_root.reset();
}

RunningProgram* TestSlidesEndToEnd::launch()
{
    m_program.reset();
    m_program = std::make_unique<RunningProgram>(*m_x, nullptr, QStringLiteral(ZELVANO_PROGRAM),
        work(), m_root->filePath(QStringLiteral("home")));
    if (!m_program->start()) {
        qWarning("the main window did not appear; %s", qPrintable(m_program->describeState()));
        return nullptr;
    }
    return m_program.get();
}

bool TestSlidesEndToEnd::focusSlides(StandIn& slides)
{
    const std::optional<QString> window
        = slides.started() ? m_x->waitForWindow(QStringLiteral("Slides")) : std::nullopt;
    return window && m_x->moveWindow(*window, QPoint(0, 0)) // beside the timer, not over it
        && m_x->xdotool({ QStringLiteral("windowactivate"), QStringLiteral("--sync"), *window });
}

void TestSlidesEndToEnd::pageTurnKeysRecordOneLapPerSlide_data()
{
    QTest::addColumn<bool>("lapsFromTurns");
    QTest::newRow("laps from page turns") << true;
    QTest::newRow("off") << false;
}

// A talk beside a slide show that has the keyboard: each page turn reaching a slide not reached
// before records a lap, a turn back and forth again does not, a held key counts once (as its
// device's repeats come: more presses, then one release), and the blanking keys never. Every key
// reaches the slide show. With the choice off, only the button records laps.
void TestSlidesEndToEnd::pageTurnKeysRecordOneLapPerSlide()
{
    QFETCH(bool, lapsFromTurns);
    RunningProgram* program = launch();
    QVERIFY(program);
    if (lapsFromTurns)
        QVERIFY2(program->chooseMenuItem(QStringLiteral("k"),
                     [&] { return readFile(work(choicesFile)).contains(lapsChoiceOn.toUtf8()); }),
            "the choice was not made");
    StandIn slides(*m_x, QStringLiteral("slides"), m_root->filePath(QStringLiteral("slides")));
    QVERIFY(focusSlides(slides));

    // What is pressed when, and whether it records a lap. Held, a key is repeated to the slide
    // show by the X server at its own rate, which raw events never show; a device that repeats by
    // itself sends more presses, as the second and third here.
    struct Step
    {
        qint64 at;
        const char* how;
        const char* key;
        bool lap;
    };
    const Step steps[] { { 1500, "key", "Next", true }, { 3500, "key", "Next", true },
        { 5500, "key", "Next", true }, { 6500, "key", "Prior", false },
        { 7500, "key", "Next", false }, { 9500, "keydown", "Next", true },
        { 9800, "keydown", "Next", false }, { 10100, "keydown", "Next", false },
        { 10500, "keyup", "Next", false }, { 10600, "key", "b", false },
        { 10700, "key", "period", false } };
    QVERIFY(program->clickControl(ControlId::Start));
    QElapsedTimer talk;
    talk.start();
    std::vector<qint64> turns;
    for (const Step& step : steps) {
        const qint64 at = waitUntil(talk, step.at);
        if (step.lap)
            turns.push_back(at);
        QVERIFY(m_x->xdotool({ QString::fromLatin1(step.how), QString::fromLatin1(step.key) }));
    }
    QStringList noted;
    QVERIFY2(eventually([&] { return (noted = slides.notes()).endsWith(QStringLiteral(".")); }),
        qPrintable(noted.join(u'|')));
    const QStringList held(noted.size() - 7, QStringLiteral("PgDown"));
    QCOMPARE(noted,
        QStringList({ "PgDown", "PgDown", "PgDown", "PgUp", "PgDown" }) + held
            + QStringList({ "B", "." }));
    QVERIFY(!held.isEmpty());

    if (!lapsFromTurns) {
        QVERIFY(program->clickControl(ControlId::Save));
        QVERIFY2(m_x->closeWithEnter(noSlidesTitle), "a lap was recorded");
        return;
    }
    const std::optional<std::vector<Lap>> laps
        = program->saveReport(m_root->filePath(QStringLiteral("talk.txt")));
    QVERIFY(laps && lapsTakenAt(*laps, turns));
}

// pdfpc tells its pages on the session bus: a page of a new slide records a lap, an overlay step
// of the same slide does not, and neither does any key while pdfpc runs. Once pdfpc has gone the
// keys count again.
void TestSlidesEndToEnd::pdfpcRecordsALapPerSlideNotPerOverlay()
{
    QVERIFY(writeFile(work(choicesFile), lapsChoiceOn.toUtf8() + '\n'));
    const QString pdf = m_root->filePath(QStringLiteral("slides.pdf"));
    QVERIFY(writeSlidesWithAnOverlay(pdf));
    RunningProgram* program = launch();
    QVERIFY(program);
    Pdfpc pdfpc(*m_x, pdf, m_root->filePath(QStringLiteral("home")));
    QVERIFY2(pdfpc.started(*m_x), "pdfpc did not start");
    StandIn slides(*m_x, QStringLiteral("slides"), m_root->filePath(QStringLiteral("slides")));
    QVERIFY(focusSlides(slides));
    const std::optional<QString> presenter
        = m_x->waitForWindow(QStringLiteral("pdfpc - presenter (Slides)"));
    QVERIFY(presenter);
    QVERIFY(
        m_x->xdotool({ QStringLiteral("windowactivate"), QStringLiteral("--sync"), *presenter }));

    // The key pressed when, the page pdfpc then shows, and whether that records a lap.
    struct Step
    {
        qint64 at;
        const char* key;
        const char* page;
        bool lap;
    };
    const Step steps[] { { 1500, "Next", "1", true },
        { 3500, "Next", "2", false }, // the second step of the same slide
        { 5500, "Next", "3", true }, { 6500, "Prior", "2", false }, { 7500, "Next", "3", false } };
    QVERIFY(program->clickControl(ControlId::Start));
    QElapsedTimer talk;
    talk.start();
    std::vector<qint64> turns;
    QStringList pages;
    for (const Step& step : steps) {
        const qint64 at = waitUntil(talk, step.at);
        if (step.lap)
            turns.push_back(at);
        QVERIFY(m_x->xdotool({ QStringLiteral("key"), QString::fromLatin1(step.key) }));
        QVERIFY(pdfpc.showed(pages << QString::fromLatin1(step.page)));
    }
    QVERIFY2(pdfpc.end(), "pdfpc stayed on the bus");
    QVERIFY(focusSlides(slides));
    turns.push_back(waitUntil(talk, 9500));
    QVERIFY(m_x->xdotool({ QStringLiteral("key"), QStringLiteral("Next") }));
    QVERIFY(slides.noted({ "PgDown" }));
    const std::optional<std::vector<Lap>> laps
        = program->saveReport(m_root->filePath(QStringLiteral("talk.txt")));
    QVERIFY(laps && lapsTakenAt(*laps, turns));
}

void TestSlidesEndToEnd::windowChoicesAreKeptAcrossStarts_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("written and read again") << "kept";
    QTest::newRow("not understood") << "malformed";
    QTest::newRow("a folder in its place") << "unwritable";
}

// Each choice of the menu is written at once and in force at the next start. A file that is not
// understood, or cannot be read or written, leaves the defaults, changes nothing else, and the
// program and its choices work on for this run.
void TestSlidesEndToEnd::windowChoicesAreKeptAcrossStarts()
{
    QFETCH(QString, kind);
    QVERIFY(writeFile(work(QStringLiteral("config.ini")), defaultSettings));
    const QByteArray malformed = "stay-on-top=yes\nbell-colours=1\n";
    if (kind == QLatin1String("malformed"))
        QVERIFY(writeFile(work(choicesFile), malformed));
    if (kind == QLatin1String("unwritable"))
        QVERIFY(QDir(work()).mkdir(choicesFile));
    const QStringList folder = QDir(work()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    RunningProgram* program = launch();
    QVERIFY(program);
    const auto choicesRead = [&](const QByteArray& text) {
        return eventually([&] { return readFile(work(choicesFile)) == text; });
    };
    const QByteArray allOn
        = "stay-on-top=1\nbell-colours=1\nremaining-large=1\nlaps-from-slide-turns=1\n";

    if (kind == QLatin1String("kept")) {
        for (const char* key : { "w", "l", "r", "k" }) {
            const QByteArray before = readFile(work(choicesFile));
            QVERIFY2(program->chooseMenuItem(QString::fromLatin1(key),
                         [&] { return readFile(work(choicesFile)) != before; }),
                key);
            QVERIFY(program->findWindowAgain()); // a window kept above is a new X window
        }
        QVERIFY(choicesRead(allOn));
        QVERIFY(program->clickControl(ControlId::Ok));
        QVERIFY(program->waitForExit() == 0);
        program = launch();
        QVERIFY(program);
        QVERIFY2(eventually([&] { return keptAbove(*program); }), "not kept above at the start");
        // The colours were on: the item turns them off, and the others stay as they were read.
        QVERIFY(program->chooseMenuItem(QStringLiteral("l"),
            [&] { return readFile(work(choicesFile)).contains("bell-colours=0"); }));
        QVERIFY(choicesRead(QByteArray(allOn).replace("bell-colours=1", "bell-colours=0")));
    } else {
        const QString notRead = QString::fromUtf8(texts::choicesNotReadTrace);
        QVERIFY2(eventually([&] { return program->standardError().contains(notRead); }),
            qPrintable(program->standardError()));
        QVERIFY(!keptAbove(*program));
        QCOMPARE(QDir(work()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), folder);
        QCOMPARE(readFile(work(QStringLiteral("config.ini"))), defaultSettings);
        if (kind == QLatin1String("malformed"))
            QCOMPARE(readFile(work(choicesFile)), malformed);
    }
    if (kind == QLatin1String("unwritable")) {
        QVERIFY2(program->chooseMenuItem(QStringLiteral("w"), [&] { return keptAbove(*program); }),
            "the choice did not work without its file");
        QVERIFY(eventually([&] {
            return program->standardError().contains(QString::fromLatin1(texts::fileIoError));
        }));
        QVERIFY(QFileInfo(work(choicesFile)).isDir());
        QCOMPARE(QDir(work()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), folder);
    }
    QVERIFY(program->clickControl(ControlId::Ok));
    QVERIFY(program->waitForExit() == 0);
}

QTEST_GUILESS_MAIN(TestSlidesEndToEnd)
#include "tst_e2e_slides.moc"
