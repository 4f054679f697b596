#include <memory>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include "support/pulsesink.h"
#include "support/soundanalysis.h"
#include "support/tonewav.h"
#include "ui/soundplayer.h"

using namespace zelvano;

namespace {

// The built-in bell's fundamental, and a tone it does not contain.
constexpr double bellFrequency = 880.0;
constexpr double ringFrequency = 1500.0;

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
    void destroyingWhilePlayingStopsTheSound();
    void withoutSoundServerFinishesWithOneWarningAtMost();

private:
    // Stops recording once the last sound has had time to come through.
    std::vector<qint16> finishRecording();

    std::unique_ptr<PulseSink> m_sink;
    std::unique_ptr<QTemporaryDir> m_workDir;
    QString m_previousDir;
};

void TestSoundPlayer::initTestCase()
{
    m_sink = std::make_unique<PulseSink>();
    if (!m_sink->isReady())
        QSKIP(qPrintable(QStringLiteral("no sound server to listen to: ") + m_sink->errorString()));
    // Must happen before the first sound, which is when Qt connects to the server.
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

void TestSoundPlayer::eachRequestStrikesOnTimeWhileTheCallerSleeps_data()
{
    QTest::addColumn<bool>("withRingFile");
    QTest::newRow("built-in bell") << false;
    // A tone longer than the spacing: every request has to cut off the one before.
    QTest::newRow("steady tone longer than the spacing") << true;
}

void TestSoundPlayer::eachRequestStrikesOnTimeWhileTheCallerSleeps()
{
    QFETCH(bool, withRingFile);
    if (withRingFile)
        QVERIFY(writeToneWav(QStringLiteral("ring.wav"), ringFrequency, 1000));

    QVERIFY2(m_sink->startRecording(), qPrintable(m_sink->errorString()));
    {
        SoundPlayer player;
        for (int ring = 0; ring < 3; ++ring) {
            player.play(QStringLiteral("ring.wav"));
            QThread::msleep(400);
        }
    }
    const std::vector<qint16> samples = finishRecording();

    const std::vector<double> onsets = findOnsets(samples, PulseSink::sampleRate);
    QVERIFY2(onsets.size() == 3, qPrintable(describeOnsets(onsets)));
    for (std::size_t i = 1; i < onsets.size(); ++i)
        QVERIFY2(
            qAbs(onsets[i] - onsets[i - 1] - 400.0) <= 60.0, qPrintable(describeOnsets(onsets)));
}

void TestSoundPlayer::playsRingFileOrElseTheBuiltInBell_data()
{
    QTest::addColumn<QByteArray>("ringFile"); // written to ring.wav as is, unless null
    QTest::addColumn<double>("expected");
    QTest::addColumn<double>("other");

    const QByteArray tone = toneWav(ringFrequency, 600);
    // Qt's loader steps over chunks without the padding byte that follows an odd size, so this
    // file, proper as it is, would leave it waiting for ever.
    QByteArray padded = tone;
    padded.insert(36, QByteArray("LIST\x03\0\0\0abc\0", 12));

    QTest::newRow("ring.wav") << tone << ringFrequency << bellFrequency;
    QTest::newRow("no ring.wav") << QByteArray() << bellFrequency << ringFrequency;
    QTest::newRow("not a WAV file")
        << QByteArray("plain text, no sound in here\n") << bellFrequency << ringFrequency;
    QTest::newRow("empty") << QByteArray("") << bellFrequency << ringFrequency;
    QTest::newRow("header only") << tone.left(44) << bellFrequency << ringFrequency;
    QTest::newRow("cut short") << tone.left(tone.size() / 2) << bellFrequency << ringFrequency;
    QTest::newRow("odd-sized chunk") << padded << bellFrequency << ringFrequency;
}

void TestSoundPlayer::playsRingFileOrElseTheBuiltInBell()
{
    QFETCH(QByteArray, ringFile);
    QFETCH(double, expected);
    QFETCH(double, other);
    if (!ringFile.isNull()) {
        QFile file(QStringLiteral("ring.wav"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(ringFile), ringFile.size());
    }

    // Twice, so that the second request also has to get rid of whatever the first one left.
    QVERIFY2(m_sink->startRecording(), qPrintable(m_sink->errorString()));
    {
        SoundPlayer player;
        player.play(QStringLiteral("ring.wav"));
        QThread::msleep(400);
        player.play(QStringLiteral("ring.wav"));
        QThread::msleep(200);
    }
    const std::vector<qint16> samples = finishRecording();

    const std::vector<double> onsets = findOnsets(samples, PulseSink::sampleRate);
    QVERIFY2(onsets.size() == 2, qPrintable(describeOnsets(onsets)));
    for (double onset : onsets) {
        const double heard
            = toneAmplitude(samples, PulseSink::sampleRate, onset + 10.0, 60.0, expected);
        const double notHeard
            = toneAmplitude(samples, PulseSink::sampleRate, onset + 10.0, 60.0, other);
        QVERIFY2(heard > 1000.0 && heard > 10.0 * notHeard,
            qPrintable(QStringLiteral("at %1 ms: %2 Hz at %3, %4 Hz at %5")
                           .arg(onset)
                           .arg(expected)
                           .arg(heard)
                           .arg(other)
                           .arg(notHeard)));
    }
}

void TestSoundPlayer::destroyingWhilePlayingStopsTheSound()
{
    QVERIFY(writeToneWav(QStringLiteral("ring.wav"), ringFrequency, 3000));

    QVERIFY2(m_sink->startRecording(), qPrintable(m_sink->errorString()));
    auto player = std::make_unique<SoundPlayer>();
    player->play(QStringLiteral("ring.wav"));
    QThread::msleep(300);
    player.reset();
    const std::vector<qint16> samples = finishRecording();

    // The tone would go on for three seconds if it outlived the player.
    const double audible = audibleMs(samples, PulseSink::sampleRate);
    QVERIFY2(audible > 100.0 && audible < 800.0,
        qPrintable(QStringLiteral("audible for %1 ms").arg(audible)));
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
