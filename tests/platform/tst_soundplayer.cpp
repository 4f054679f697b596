#include <memory>
#include <sys/stat.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QtEndian>

#include "platform/soundplayer.h"
#include "support/pulsesink.h"
#include "support/soundanalysis.h"
#include "support/tonewav.h"

using namespace zelvano;

namespace {

// The built-in bell's fundamental, and tones it does not contain.
constexpr double bellFrequency = 880.0;
constexpr double ringFrequency = 1500.0;
constexpr double otherFrequency = 1100.0;

// Destroying the player gives up on its thread after a second; a thread that ends on its own takes
// far less, so anything near that guard means the quit request was lost.
constexpr qint64 shutdownLimitMs = 700;

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        && file.write(bytes) == bytes.size();
}

// A ring.wav that says it holds 200 MB of samples and really does, most of them silence.
bool writeHugeWav(const QString& path)
{
    constexpr qint64 size = 200LL * 1024 * 1024;
    QByteArray wav = struckToneWav(ringFrequency, 600);
    qToLittleEndian(static_cast<quint32>(size - 8), wav.data() + 4);
    qToLittleEndian(static_cast<quint32>(size - 44), wav.data() + 40);
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(wav) == wav.size() && file.resize(size);
}

// Whether the sound starting at each onset is the expected tone rather than the other.
QString wrongTones(const std::vector<qint16>& samples, const std::vector<double>& onsets,
    const std::vector<double>& expected)
{
    const double all[] = { bellFrequency, ringFrequency, otherFrequency };
    for (std::size_t i = 0; i < onsets.size() && i < expected.size(); ++i) {
        const double heard
            = toneAmplitude(samples, PulseSink::sampleRate, onsets[i] + 10.0, 60.0, expected[i]);
        for (const double other : all) {
            if (other == expected[i])
                continue;
            const double notHeard
                = toneAmplitude(samples, PulseSink::sampleRate, onsets[i] + 10.0, 60.0, other);
            if (heard < 1000.0 || heard < 10.0 * notHeard)
                return QStringLiteral("at %1 ms: %2 Hz at %3, %4 Hz at %5")
                    .arg(onsets[i])
                    .arg(expected[i])
                    .arg(heard)
                    .arg(other)
                    .arg(notHeard);
        }
    }
    return {};
}

} // namespace

class TestSoundPlayer : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void eachRequestStrikesOnTimeWhileTheCallerSleeps_data();
    void eachRequestStrikesOnTimeWhileTheCallerSleeps();
    void playsRingFileOrElseTheBuiltInBell_data();
    void playsRingFileOrElseTheBuiltInBell();
    void ringFileChangingBetweenRings_data();
    void ringFileChangingBetweenRings();
    void destroyingWhilePlayingStopsTheSound();
    void bellsResumeWhenTheSoundServerComesBack();
    void withoutSoundServerFinishesWithOneWarningAtMost();

private:
    // Stops recording once the last sound has had time to come through.
    std::vector<qint16> finishRecording();
    // Destroys the player, failing the test when that takes too long.
    static void endPlayer(std::unique_ptr<SoundPlayer>& player);

    std::unique_ptr<PulseSink> m_sink;
    std::unique_ptr<QTemporaryDir> m_workDir;
    QString m_previousDir;
};

void TestSoundPlayer::initTestCase()
{
    m_sink = std::make_unique<PulseSink>();
    if (!m_sink->isReady())
        QSKIP(qPrintable(QStringLiteral("no sound server to listen to: ") + m_sink->errorString()));
    // Must happen before the first sound, which is when the player connects to the server.
    qputenv("PULSE_SERVER", m_sink->serverAddress());
}

void TestSoundPlayer::init()
{
    m_previousDir = QDir::currentPath();
    m_workDir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_workDir->isValid());
    QVERIFY(QDir::setCurrent(m_workDir->path()));
}

void TestSoundPlayer::cleanup()
{
    QDir::setCurrent(m_previousDir);
    m_workDir.reset();
}

std::vector<qint16> TestSoundPlayer::finishRecording()
{
    QThread::msleep(300);
    return m_sink->stopRecording();
}

void TestSoundPlayer::endPlayer(std::unique_ptr<SoundPlayer>& player)
{
    QElapsedTimer shutdown;
    shutdown.start();
    player.reset();
    QVERIFY2(shutdown.elapsed() < shutdownLimitMs,
        qPrintable(QStringLiteral("the player took %1 ms to end").arg(shutdown.elapsed())));
}

void TestSoundPlayer::eachRequestStrikesOnTimeWhileTheCallerSleeps_data()
{
    QTest::addColumn<bool>("withRingFile");
    QTest::newRow("built-in bell") << false;
    // A sound longer than the spacing: every request has to cut off the one before.
    QTest::newRow("ring longer than the spacing") << true;
}

void TestSoundPlayer::eachRequestStrikesOnTimeWhileTheCallerSleeps()
{
    QFETCH(bool, withRingFile);
    if (withRingFile)
        QVERIFY(writeFile(QStringLiteral("ring.wav"), struckToneWav(ringFrequency, 1000)));

    QVERIFY2(m_sink->startRecording(), qPrintable(m_sink->errorString()));
    auto player = std::make_unique<SoundPlayer>();
    for (int ring = 0; ring < 3; ++ring) {
        player->play("ring.wav");
        QThread::msleep(400);
    }
    endPlayer(player);
    const std::vector<qint16> samples = finishRecording();

    const std::vector<double> onsets = findOnsets(samples, PulseSink::sampleRate);
    QVERIFY2(onsets.size() == 3, qPrintable(describeOnsets(onsets)));
    for (std::size_t i = 1; i < onsets.size(); ++i)
        QVERIFY2(
            qAbs(onsets[i] - onsets[i - 1] - 400.0) <= 60.0, qPrintable(describeOnsets(onsets)));
}

void TestSoundPlayer::playsRingFileOrElseTheBuiltInBell_data()
{
    QTest::addColumn<QString>(
        "kind"); // "bytes" (ringFile written as is), "none", "folder", "fifo", "huge"
    QTest::addColumn<QByteArray>("ringFile");
    QTest::addColumn<double>("expected");

    const QByteArray tone = struckToneWav(ringFrequency, 600);
    // Chunks of odd size are followed by a padding byte, which a reader has to step over.
    QByteArray padded = tone;
    padded.insert(36, QByteArray("LIST\x03\0\0\0abc\0", 12));
    QByteArray mp3("ID3\x03\0\0\0\0\0\0", 10);
    for (int frame = 0; frame < 20; ++frame)
        mp3 += QByteArray("\xFF\xFB\x90\x64", 4) + QByteArray(413, '\x55');

    const auto bytes = QStringLiteral("bytes");
    QTest::newRow("ring.wav") << bytes << tone << ringFrequency;
    QTest::newRow("8-bit") << bytes << struckToneWav(ringFrequency, 600, { 8, 1, 44100 })
                           << ringFrequency;
    QTest::newRow("stereo") << bytes << struckToneWav(ringFrequency, 600, { 16, 2, 44100 })
                            << ringFrequency;
    QTest::newRow("96 kHz stereo")
        << bytes << struckToneWav(ringFrequency, 600, { 16, 2, 96000 }) << ringFrequency;
    QTest::newRow("odd-sized chunk") << bytes << padded << ringFrequency;
    // A file still being copied, or a mere click, would leave the bell unheard.
    QTest::newRow("data cut short") << bytes << tone.left(tone.size() / 2) << bellFrequency;
    QTest::newRow("30 ms") << bytes << struckToneWav(ringFrequency, 30) << bellFrequency;
    QTest::newRow("200 MB") << QStringLiteral("huge") << QByteArray() << ringFrequency;

    QTest::newRow("no ring.wav") << QStringLiteral("none") << QByteArray() << bellFrequency;
    QTest::newRow("empty") << bytes << QByteArray("") << bellFrequency;
    QTest::newRow("not a WAV file")
        << bytes << QByteArray("plain text, no sound in here\n") << bellFrequency;
    QTest::newRow("MP3") << bytes << mp3 << bellFrequency;
    QTest::newRow("header cut short") << bytes << tone.left(30) << bellFrequency;
    QTest::newRow("header without samples") << bytes << tone.left(44) << bellFrequency;
    QTest::newRow("big-endian") << bytes
                                << struckToneWav(ringFrequency, 600, { 16, 1, 44100, true })
                                << bellFrequency;
    QTest::newRow("a folder") << QStringLiteral("folder") << QByteArray() << bellFrequency;
    QTest::newRow("a FIFO") << QStringLiteral("fifo") << QByteArray() << bellFrequency;
}

void TestSoundPlayer::playsRingFileOrElseTheBuiltInBell()
{
    QFETCH(QString, kind);
    QFETCH(QByteArray, ringFile);
    QFETCH(double, expected);
    const QString ring = QStringLiteral("ring.wav");
    if (kind == QLatin1String("bytes"))
        QVERIFY(writeFile(ring, ringFile));
    else if (kind == QLatin1String("folder"))
        QVERIFY(QDir().mkdir(ring));
    else if (kind == QLatin1String("fifo"))
        QCOMPARE(::mkfifo("ring.wav", 0600), 0);
    else if (kind == QLatin1String("huge"))
        QVERIFY(writeHugeWav(ring));

    // Twice, so that the second request also has to get rid of whatever the first one left.
    QVERIFY2(m_sink->startRecording(), qPrintable(m_sink->errorString()));
    auto player = std::make_unique<SoundPlayer>();
    player->play(ring.toStdString());
    QThread::msleep(400);
    player->play(ring.toStdString());
    QThread::msleep(200);
    endPlayer(player);
    const std::vector<qint16> samples = finishRecording();

    const std::vector<double> onsets = findOnsets(samples, PulseSink::sampleRate);
    QVERIFY2(onsets.size() == 2, qPrintable(describeOnsets(onsets)));
    const QString wrong = wrongTones(samples, onsets, { expected, expected });
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
}

void TestSoundPlayer::ringFileChangingBetweenRings_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<double>("second"); // what the second ring plays
    QTest::newRow("replaced by another sound") << "replace" << otherFrequency;
    QTest::newRow("rewritten in place, same size") << "rewrite" << otherFrequency;
    QTest::newRow("deleted while playing") << "delete" << bellFrequency;
    QTest::newRow("cut to its header while playing") << "truncate" << bellFrequency;
}

// Each ring looks at the file afresh: what the first one read is never played for a file that
// has changed since.
void TestSoundPlayer::ringFileChangingBetweenRings()
{
    QFETCH(QString, change);
    QFETCH(double, second);
    const QString ring = QStringLiteral("ring.wav");
    QVERIFY(writeFile(ring, struckToneWav(ringFrequency, 1000)));

    QVERIFY2(m_sink->startRecording(), qPrintable(m_sink->errorString()));
    auto player = std::make_unique<SoundPlayer>();
    player->play(ring.toStdString());
    QThread::msleep(200);
    const QByteArray other = struckToneWav(otherFrequency, 1000);
    if (change == QLatin1String("replace")) {
        QVERIFY(writeFile(QStringLiteral("new.wav"), other));
        QVERIFY(::rename("new.wav", "ring.wav") == 0);
    } else if (change == QLatin1String("rewrite")) {
        QVERIFY(writeFile(ring, other));
    } else if (change == QLatin1String("delete")) {
        QVERIFY(QFile::remove(ring));
    } else {
        QVERIFY(QFile::resize(ring, 44));
    }
    QThread::msleep(200);
    player->play(ring.toStdString());
    QThread::msleep(300);
    endPlayer(player);
    const std::vector<qint16> samples = finishRecording();

    const std::vector<double> onsets = findOnsets(samples, PulseSink::sampleRate);
    QVERIFY2(onsets.size() == 2, qPrintable(describeOnsets(onsets)));
    // The first sound went on through the change, until the second request cut it off.
    QVERIFY2(audibleMs(samples, PulseSink::sampleRate) > 600.0,
        qPrintable(
            QStringLiteral("audible for %1 ms").arg(audibleMs(samples, PulseSink::sampleRate))));
    const QString wrong = wrongTones(samples, onsets, { ringFrequency, second });
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
}

void TestSoundPlayer::destroyingWhilePlayingStopsTheSound()
{
    QVERIFY(writeToneWav(QStringLiteral("ring.wav"), ringFrequency, 3000));

    QVERIFY2(m_sink->startRecording(), qPrintable(m_sink->errorString()));
    auto player = std::make_unique<SoundPlayer>();
    player->play("ring.wav");
    QThread::msleep(300);
    endPlayer(player);
    const std::vector<qint16> samples = finishRecording();

    // The tone would go on for three seconds if it outlived the player.
    const double audible = audibleMs(samples, PulseSink::sampleRate);
    QVERIFY2(audible > 100.0 && audible < 800.0,
        qPrintable(QStringLiteral("audible for %1 ms").arg(audible)));
}

// The sound server dies in the middle of a talk and is started again: the rings meanwhile find
// nobody to play to, and neither hang nor stop the bells that follow.
void TestSoundPlayer::bellsResumeWhenTheSoundServerComesBack()
{
    auto player = std::make_unique<SoundPlayer>();
    QVERIFY2(m_sink->startRecording(), qPrintable(m_sink->errorString()));
    player->play("ring.wav");
    QThread::msleep(400);
    QCOMPARE(findOnsets(finishRecording(), PulseSink::sampleRate).size(), std::size_t { 1 });

    m_sink->killServer();
    player->play("ring.wav");
    QThread::msleep(400);
    QVERIFY2(m_sink->restartServer(), qPrintable(m_sink->errorString()));

    QVERIFY2(m_sink->startRecording(), qPrintable(m_sink->errorString()));
    for (int ring = 0; ring < 2; ++ring) {
        player->play("ring.wav");
        QThread::msleep(400);
    }
    endPlayer(player);
    const std::vector<double> onsets = findOnsets(finishRecording(), PulseSink::sampleRate);
    QVERIFY2(onsets.size() == 2, qPrintable(describeOnsets(onsets)));
}

void TestSoundPlayer::withoutSoundServerFinishesWithOneWarningAtMost()
{
    QVERIFY(writeToneWav(QStringLiteral("ring.wav"), ringFrequency, 300));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PULSE_SERVER"),
        QStringLiteral("unix:") + m_workDir->filePath(QStringLiteral("none")));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_workDir->path());
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    QProcess program;
    program.setProcessEnvironment(environment);
    // A file, a missing one and the file again: the bell is also asked for.
    program.start(QStringLiteral(ZELVANO_PLAYSOUNDS),
        { QStringLiteral("ring.wav"), QStringLiteral("missing.wav"), QStringLiteral("ring.wav") });
    QVERIFY(program.waitForFinished(15000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
    const QByteArray errors = program.readAllStandardError().trimmed();
    QVERIFY2(errors.count('\n') == 0, errors.constData());
}

QTEST_MAIN(TestSoundPlayer)
#include "tst_soundplayer.moc"
