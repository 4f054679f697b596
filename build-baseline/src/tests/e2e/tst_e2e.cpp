
#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include "e2e/runningprogram.h"
#include "e2e/xserver.h"
#include "support/iconvconvert.h"
#include "support/pulsesink.h"
#include "support/soundanalysis.h"
#include "support/tonewav.h"
#include "ui/dialogtemplate.h"

using namespace zelvano;

namespace {

const QString mainTitle = QStringLiteral("Zelvano");
const QString invalidSettingsTitle = QStringLiteral("設定値ミス");
const QString unlockedStartTitle = QStringLiteral("設定エラー");
const QString noSlidesTitle = QStringLiteral("スライド数エラー");
const QString saveErrorTitle = QStringLiteral("保存エラー");
const QString aboutTitle = QStringLiteral("Zelvanoのﾊﾞｰｼﾞｮﾝ情報");
const QString chooserTitle = QStringLiteral("名前を付けて保存");

constexpr std::array<int, 6> bellFields { IDC_BELL1_MINUTES, IDC_BELL2_MINUTES, IDC_BELL3_MINUTES,
    IDC_BELL1_COUNT, IDC_BELL2_COUNT, IDC_BELL3_COUNT };

// The settings file's bytes for six values: signed 32-bit little-endian each.
QByteArray settingsBytes(std::array<qint32, 6> values)
{
    QByteArray bytes;
    for (const qint32 value : values) {
        for (int shift = 0; shift < 32; shift += 8)
            bytes.append(static_cast<char>((static_cast<quint32>(value) >> shift) & 0xFF));
    }
    return bytes;
}
const QByteArray defaultSettings = settingsBytes({ 10, 13, 15, 1, 2, 3 });

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        && file.write(bytes) == bytes.size();
}

// Strict code page 932 to UTF-8; nothing when a byte sequence is not valid there.
std::optional<QString> decodeCp932(const QByteArray& bytes)
{
    const std::optional<std::string> utf8 = iconvConvert("CP932", "UTF-8", bytes.toStdString());
    return utf8 ? std::optional<QString>(QString::fromStdString(*utf8)) : std::nullopt;
}

// Polls until the file holds expected, for up to timeoutMs.
bool fileBecomes(const QString& path, const QByteArray& expected, int timeoutMs = 5000)
{
    QDeadlineTimer deadline(timeoutMs);
    while (readFile(path) != expected && !deadline.hasExpired())
        QThread::msleep(50);
    return readFile(path) == expected;
}

struct Lap
{
    int lapSeconds;
    int cumulativeSeconds;
};

} // namespace

class TestEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void firstStartCreatesAnEmptySettingsFileAndEscapeEnds();
    void confirmedSettingsAreWrittenAndShownAtTheNextStart();
    void refusedConfirmWritesNothingAndStartIsRefused_data();
    void refusedConfirmWritesNothingAndStartIsRefused();
    void shortTalkIsSavedAsAReportInAnotherFolder();
    void saveWithoutLapsIsRefusedWithoutAChooser();
    void testButtonRingsThreeTimes_data();
    void testButtonRingsThreeTimes();
    void bellRingsAtItsMinute();
    void timerRunsOnUnderTheAboutBox();
    void unusableSettingsFilesGiveDefaults_data();
    void unusableSettingsFilesGiveDefaults();

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
    RunningProgram* launch();
    void startListening();
    std::vector<qint16> stopListening(int settleMs = 600);

    // The settings toggle, by what it does next. The program handles input in order, so what is
    // typed after an unlock reaches the unlocked fields.
    static bool unlockSettings(const RunningProgram& program)
    {
        return program.clickControl(IDC_SETTINGS_TOGGLE);
    }
    static bool confirmSettings(const RunningProgram& program)
    {
        return program.clickControl(IDC_SETTINGS_TOGGLE);
    }
    // Closes the box with the given title with Enter; false when it did not appear or stay shut.
    bool acknowledge(const QString& title);
    // Slide presses so far, then Save into path through the chooser; the report's laps.
    // One Slide press, then Save into the other folder: the cumulative seconds of that single
    // lap, or -1 when the report is not exactly one valid lap.
    int slideAndSave(const RunningProgram& program, const QString& name);
    std::optional<std::vector<Lap>> saveReport(
        const RunningProgram& program, const QString& path, QDateTime* savedAt = nullptr);

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

RunningProgram* TestEndToEnd::launch()
{
    m_program.reset();
    m_program = std::make_unique<RunningProgram>(
        *m_x, m_sound.get(), work(), m_root->filePath(QStringLiteral("home")));
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

bool TestEndToEnd::acknowledge(const QString& title)
{
    const std::optional<QString> box = m_x->waitForWindow(title);
    if (!box)
        return false;
    // The box may still be taking the focus: press Enter until it is gone.
    for (int attempt = 0; attempt < 3; ++attempt) {
        m_x->keys(*box, { QStringLiteral("Return") });
        if (m_x->waitForNoWindow(title, 1500))
            return true;
    }
    return false;
}

std::optional<std::vector<Lap>> TestEndToEnd::saveReport(
    const RunningProgram& program, const QString& path, QDateTime* savedAt)
{
    if (savedAt)
        *savedAt = QDateTime::currentDateTime();
    if (!program.clickControl(IDC_SAVE))
        return std::nullopt;
    const std::optional<QString> chooser = m_x->waitForWindow(chooserTitle);
    if (!chooser) {
        qWarning("no file chooser titled %s appeared", qPrintable(chooserTitle));
        return std::nullopt;
    }
    m_x->keys(*chooser, { QStringLiteral("ctrl+a") });
    m_x->type(*chooser, path);
    // The first Return may only close the completer's popup.
    for (int attempt = 0; attempt < 3 && !m_x->windowsTitled(chooserTitle).isEmpty(); ++attempt) {
        m_x->keys(*chooser, { QStringLiteral("Return") });
        m_x->waitForNoWindow(chooserTitle, 1500);
    }
    QDeadlineTimer deadline(5000);
    while (!QFile::exists(path) && !deadline.hasExpired())
        QThread::msleep(50);
    QThread::msleep(100); // the write completes at close
    const QByteArray bytes = readFile(path);
    const std::optional<QString> text = decodeCp932(bytes);
    if (!text) {
        qWarning("the report is not valid code page 932: %s", bytes.toHex(' ').constData());
        return std::nullopt;
    }
    const QStringList lines = text->split(QStringLiteral("\r\n"));
    // A header, an empty line, the laps, and nothing after the last CR LF.
    if (lines.size() < 3 || !lines[1].isEmpty() || !lines.constLast().isEmpty()
        || text->count(QLatin1Char('\n')) != text->count(QStringLiteral("\r\n"))) {
        qWarning("unexpected report layout: %s", qPrintable(*text));
        return std::nullopt;
    }
    if (savedAt) {
        const QString expectedHeader = QStringLiteral("発表日　%1年%2月%3日 ")
                                           .arg(savedAt->date().year(), 4)
                                           .arg(savedAt->date().month(), 2)
                                           .arg(savedAt->date().day(), 2);
        if (!lines[0].startsWith(expectedHeader)) {
            qWarning("expected a header starting %s, saw %s", qPrintable(expectedHeader),
                qPrintable(lines[0]));
            return std::nullopt;
        }
        const QTime time
            = QTime::fromString(lines[0].mid(expectedHeader.size()), QStringLiteral("HH:mm:ss"));
        if (!time.isValid() || qAbs(time.secsTo(savedAt->time())) > 2) {
            qWarning("header time %s is not the time of saving", qPrintable(lines[0]));
            return std::nullopt;
        }
    }
    static const QRegularExpression lapLine(
        QStringLiteral(R"(^\[Slide(\d{3,})\] +(-?\d+):(-?\d\d)  累積: *(\d+):(\d\d)$)"));
    std::vector<Lap> laps;
    for (qsizetype i = 2; i + 1 < lines.size(); ++i) {
        const QRegularExpressionMatch match = lapLine.match(lines[i]);
        if (!match.hasMatch()) {
            qWarning("not a lap line: %s", qPrintable(lines[i]));
            return std::nullopt;
        }
        laps.push_back({ match.captured(2).toInt() * 60 + match.captured(3).toInt(),
            match.captured(4).toInt() * 60 + match.captured(5).toInt() });
    }
    return laps;
}

int TestEndToEnd::slideAndSave(const RunningProgram& program, const QString& name)
{
    if (!program.clickControl(IDC_SLIDE))
        return -1;
    const std::optional<std::vector<Lap>> laps = saveReport(program, other(name));
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
    QTest::newRow("ring count 6") << int(IDC_BELL3_COUNT) << "6";
    QTest::newRow("letters in a minute mark") << int(IDC_BELL1_MINUTES) << "abc";
}

void TestEndToEnd::refusedConfirmWritesNothingAndStartIsRefused()
{
    QFETCH(int, field);
    QFETCH(QString, text);
    RunningProgram* program = launch();
    QVERIFY(program);
    QVERIFY(unlockSettings(*program));
    QVERIFY(program->replaceFieldText(field, text));
    QVERIFY(confirmSettings(*program));
    QVERIFY2(acknowledge(invalidSettingsTitle), "no box titled 設定値ミス that Enter closes");
    QCOMPARE(readFile(work(QStringLiteral("config.ini"))), QByteArray());
    QVERIFY(program->clickControl(IDC_START));
    QVERIFY2(acknowledge(unlockedStartTitle), "no box titled 設定エラー that Enter closes");
}

void TestEndToEnd::shortTalkIsSavedAsAReportInAnotherFolder()
{
    RunningProgram* program = launch();
    QVERIFY(program);
    QVERIFY(program->clickControl(IDC_START));
    QElapsedTimer wall;
    wall.start();
    QThread::msleep(2500);
    QVERIFY(program->clickControl(IDC_SLIDE));
    const qint64 firstPress = wall.elapsed();
    QThread::msleep(1000);
    QVERIFY(program->clickControl(IDC_SLIDE));
    const qint64 secondPress = wall.elapsed();

    QDateTime savedAt;
    const std::optional<std::vector<Lap>> laps
        = saveReport(*program, other(QStringLiteral("talk.txt")), &savedAt);
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
    QVERIFY(program->clickControl(IDC_SAVE));
    QVERIFY2(acknowledge(noSlidesTitle), "no box titled スライド数エラー that Enter closes");
    QVERIFY(m_x->windowsTitled(chooserTitle).isEmpty());
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
    QVERIFY(program->clickControl(IDC_TEST));
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

void TestEndToEnd::bellRingsAtItsMinute()
{
    QVERIFY(writeFile(work(QStringLiteral("config.ini")), settingsBytes({ 1, 5, 6, 2, 1, 1 })));
    startListening();
    RunningProgram* program = launch();
    QVERIFY(program);
    QVERIFY(program->clickControl(IDC_START));
    QElapsedTimer wall;
    wall.start();
    QThread::msleep(62000);
    const std::vector<qint16> recording = stopListening(0);
    const double startedAtMs
        = static_cast<double>(recording.size()) * 1000.0 / PulseSink::sampleRate
        - static_cast<double>(wall.elapsed());
    std::vector<double> onsets;
    for (const double onset : findOnsets(recording, PulseSink::sampleRate))
        onsets.push_back(onset - startedAtMs);
    QVERIFY2(onsets.size() == 2 && qAbs(onsets[0] - 60000.0) <= 1500.0
            && qAbs(onsets[1] - onsets[0] - 400.0) <= 80.0,
        qPrintable(QStringLiteral("after Start: ") + describeOnsets(onsets)));

    const int cumulative = slideAndSave(*program, QStringLiteral("minute.txt"));
    QVERIFY2(cumulative >= 60, qPrintable(QString::number(cumulative)));
}

void TestEndToEnd::timerRunsOnUnderTheAboutBox()
{
    RunningProgram* program = launch();
    QVERIFY(program);
    QVERIFY(program->clickControl(IDC_START));
    QVERIFY(program->keys({ QStringLiteral("shift+F10") }));
    QThread::msleep(300); // the menu opens and grabs the keyboard
    QVERIFY(m_x->xdotool({ QStringLiteral("key"), QStringLiteral("a") }));
    const std::optional<QString> about = m_x->waitForWindow(aboutTitle);
    QVERIFY2(about, "no About box appeared");
    QThread::msleep(3000);
    QVERIFY(acknowledge(aboutTitle));
    const int cumulative = slideAndSave(*program, QStringLiteral("about.txt"));
    QVERIFY2(cumulative >= 3, qPrintable(QString::number(cumulative)));
}

void TestEndToEnd::unusableSettingsFilesGiveDefaults_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("23 bytes") << "short";
    QTest::newRow("a folder") << "folder";
    QTest::newRow("locked by another process") << "locked";
}

void TestEndToEnd::unusableSettingsFilesGiveDefaults()
{
    QFETCH(QString, kind);
    const QString config = work(QStringLiteral("config.ini"));
    const QByteArray stored = settingsBytes({ 30, 40, 50, 4, 4, 4 });
    QProcess holder;
    if (kind == QLatin1String("short"))
        QVERIFY(writeFile(config, stored.left(23)));
    if (kind == QLatin1String("folder"))
        QVERIFY(QDir(work()).mkdir(QStringLiteral("config.ini")));
    if (kind == QLatin1String("locked")) {
        QVERIFY(writeFile(config, stored));
        // --no-fork: the process that holds the lock is the one ended below.
        holder.start(QStringLiteral("flock"),
            { QStringLiteral("--exclusive"), QStringLiteral("--no-fork"), config,
                QStringLiteral("sleep"), QStringLiteral("60") });
        QVERIFY(holder.waitForStarted());
        QThread::msleep(200); // the lock is taken
    }
    RunningProgram* program = launch();
    QVERIFY(program);
    // Confirming unchanged writes the values on show; where the file cannot be written yet, the
    // user is told, and once it can, the defaults land in it.
    QVERIFY(unlockSettings(*program));
    QVERIFY(confirmSettings(*program));
    if (kind != QLatin1String("short")) {
        QVERIFY2(acknowledge(saveErrorTitle), "no box titled 保存エラー that Enter closes");
        if (kind == QLatin1String("folder"))
            QVERIFY(QDir(work()).rmdir(QStringLiteral("config.ini")));
        holder.kill();
        holder.waitForFinished();
        QVERIFY(unlockSettings(*program));
        QVERIFY(confirmSettings(*program));
    }
    QVERIFY2(fileBecomes(config, defaultSettings), qPrintable(readFile(config).toHex(' ')));
}

QTEST_APPLESS_MAIN(TestEndToEnd)
#include "tst_e2e.moc"
