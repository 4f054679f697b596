#include <QTest>

#include "sound/pcmconvert.h"

using namespace zelvano;

namespace {

PcmSound sound(SampleFormat format, std::uint16_t channels, std::uint32_t rate, std::string bytes)
{
    PcmSound pcm;
    pcm.format = format;
    pcm.channels = channels;
    pcm.sampleRate = rate;
    pcm.samples = std::move(bytes);
    return pcm;
}

} // namespace

class TestPcmConvert : public QObject
{
    Q_OBJECT

private slots:
    void everyFormatKeepsItsSignAndScale_data();
    void everyFormatKeepsItsSignAndScale();
    void rateAndChannelsChangeAroundTheSameSound();
};

void TestPcmConvert::everyFormatKeepsItsSignAndScale_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<QByteArray>("frame"); // one mono frame: half of full scale, below zero
    QTest::newRow("8-bit unsigned") << int(SampleFormat::UnsignedInt8) << QByteArray("\x40", 1);
    QTest::newRow("16-bit") << int(SampleFormat::SignedInt16) << QByteArray("\x00\xC0", 2);
    QTest::newRow("24-bit") << int(SampleFormat::SignedInt24) << QByteArray("\x00\x00\xC0", 3);
    QTest::newRow("32-bit") << int(SampleFormat::SignedInt32) << QByteArray("\x00\x00\x00\xC0", 4);
    QTest::newRow("float") << int(SampleFormat::Float32) << QByteArray("\x00\x00\x00\xBF", 4);
}

void TestPcmConvert::everyFormatKeepsItsSignAndScale()
{
    QFETCH(int, format);
    QFETCH(QByteArray, frame);
    const std::vector<std::int16_t> out
        = toStereo16(sound(SampleFormat(format), 1, 8000, frame.toStdString()), 8000);
    QCOMPARE(out, (std::vector<std::int16_t> { -16384, -16384 }));
}

void TestPcmConvert::rateAndChannelsChangeAroundTheSameSound()
{
    // Four stereo frames of a ramp at 8 kHz, a third channel that must not leak in.
    std::string bytes;
    for (const int value : { 0, 1000, 2000, 3000 }) {
        for (const int channel : { value, -value, 32000 }) {
            const auto bits = static_cast<std::uint16_t>(channel);
            bytes.push_back(char(bits & 0xFF));
            bytes.push_back(char(bits >> 8));
        }
    }
    const std::vector<std::int16_t> out
        = toStereo16(sound(SampleFormat::SignedInt16, 3, 8000, bytes), 16000);
    // Twice the frames, the new ones halfway between their neighbours.
    QCOMPARE(out.size(), std::size_t { 16 });
    for (std::size_t frame = 0; frame < 7; ++frame) {
        const int expected = qRound(1000.0 * double(frame) / 2.0 * 32767.0 / 32768.0);
        QVERIFY(qAbs(out[frame * 2] - expected) <= 1);
        QVERIFY(qAbs(out[frame * 2 + 1] + expected) <= 1);
    }
}

QTEST_APPLESS_MAIN(TestPcmConvert)
#include "tst_pcmconvert.moc"
