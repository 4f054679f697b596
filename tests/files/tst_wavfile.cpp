#include <cstring>

#include <QTest>

#include "files/wavfile.h"

using namespace zelvano;

namespace {

void put16(std::string& out, unsigned value)
{
    out.push_back(static_cast<char>(value & 0xFF));
    out.push_back(static_cast<char>((value >> 8) & 0xFF));
}

void put32(std::string& out, std::uint32_t value)
{
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

struct Wav
{
    unsigned tag = 1;
    unsigned channels = 1;
    std::uint32_t rate = 44100;
    unsigned bits = 16;
    std::string samples = std::string(400, '\x11');
    std::string before {}; // chunks between "fmt " and "data"
    int blockAlign = -1; // the right one unless given
    unsigned subFormat = 0; // extensible when not 0
    std::uint32_t declaredData = 0; // the data chunk's size field, when not the real size

    std::string bytes() const
    {
        std::string format;
        put16(format, subFormat ? 0xFFFE : tag);
        put16(format, channels);
        put32(format, rate);
        put32(format, rate * channels * bits / 8);
        put16(format, blockAlign >= 0 ? unsigned(blockAlign) : channels * bits / 8);
        put16(format, bits);
        if (subFormat) {
            put16(format, 22);
            put16(format, bits);
            put32(format, 0);
            put16(format, subFormat);
            format += std::string("\0\0\0\0\x10\0\x80\0\0\xAA\0\x38\x9B\x71", 14);
        }
        std::string body = "WAVEfmt ";
        put32(body, static_cast<std::uint32_t>(format.size()));
        body += format + before + "data";
        put32(body, declaredData ? declaredData : static_cast<std::uint32_t>(samples.size()));
        body += samples;
        std::string file = "RIFF";
        put32(file, static_cast<std::uint32_t>(body.size()));
        return file + body;
    }
};

} // namespace

// The decoder accepts exactly what the sound server can play, and reads no more than it needs.
class TestWavFile : public QObject
{
    Q_OBJECT

private slots:
    void acceptsPlayableSoundsOnly_data();
    void acceptsPlayableSoundsOnly();
    void readsNoMoreThanTheLimit();
};

void TestWavFile::acceptsPlayableSoundsOnly_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("format"); // a SampleFormat, or -1 when refused
    QTest::addColumn<int>("sampleBytes");

    const auto row = [](const char* name, const Wav& wav, int format, int sampleBytes) {
        const std::string bytes = wav.bytes();
        QTest::newRow(name) << QByteArray(bytes.data(), qsizetype(bytes.size())) << format
                            << sampleBytes;
    };
    const int s16 = int(SampleFormat::SignedInt16);
    row("16-bit mono", Wav {}, s16, 400);
    row("8-bit stereo", Wav { .channels = 2, .bits = 8 }, int(SampleFormat::UnsignedInt8), 400);
    row("24-bit, 96 kHz", Wav { .rate = 96000, .bits = 24, .samples = std::string(401, 'x') },
        int(SampleFormat::SignedInt24), 399);
    row("32-bit float, extensible", Wav { .bits = 32, .subFormat = 3 }, int(SampleFormat::Float32),
        400);
    row("odd-sized chunk and its padding", Wav { .before = std::string("LIST\x03\0\0\0abc\0", 12) },
        s16, 400);
    row("data longer than the file",
        Wav { .samples = std::string(401, 'x'), .declaredData = 100000 }, -1, 0);
    row("extensible of an unknown kind", Wav { .subFormat = 2 }, -1, 0);
    row("ADPCM", Wav { .tag = 2, .bits = 4 }, -1, 0);
    row("64-bit float", Wav { .tag = 3, .bits = 64 }, -1, 0);
    row("12-bit", Wav { .bits = 12 }, -1, 0);
    row("wrong block size", Wav { .blockAlign = 3 }, -1, 0);
    row("9 channels", Wav { .channels = 9 }, -1, 0);
    row("4 kHz", Wav { .rate = 4000 }, -1, 0);
    row("384 kHz", Wav { .rate = 384000 }, -1, 0);
    row("no samples", Wav { .samples = "" }, -1, 0);
    row("less than a frame", Wav { .channels = 2, .samples = "abc" }, -1, 0);

    std::string bigEndian = Wav {}.bytes();
    bigEndian.replace(0, 4, "RIFX");
    QTest::newRow("big-endian") << QByteArray(bigEndian.data(), qsizetype(bigEndian.size())) << -1
                                << 0;
    QTest::newRow("data before fmt")
        << QByteArray("RIFF\x10\0\0\0WAVEdata\x02\0\0\0ab", 22) << -1 << 0;
    QTest::newRow("nothing but RIFF") << QByteArray("RIFF") << -1 << 0;
}

void TestWavFile::acceptsPlayableSoundsOnly()
{
    QFETCH(QByteArray, file);
    QFETCH(int, format);
    QFETCH(int, sampleBytes);
    const std::optional<PcmSound> sound
        = decodeWav(std::string_view(file.constData(), std::size_t(file.size())));
    QCOMPARE(sound.has_value(), format >= 0);
    if (!sound)
        return;
    QCOMPARE(int(sound->format), format);
    QCOMPARE(int(sound->samples.size()), sampleBytes);
    QCOMPARE(QByteArray::fromStdString(sound->samples),
        file.mid(qsizetype(sound->samplesOffset), sampleBytes));
}

void TestWavFile::readsNoMoreThanTheLimit()
{
    // 200 MB of declared samples, of which only the limit is ever asked for.
    const std::string header = Wav { .samples = "", .declaredData = 200'000'000 }.bytes();
    std::size_t asked = 0;
    const ReadAt readAt = [&](std::uint64_t offset, char* buffer, std::size_t size) {
        asked += size;
        const std::size_t fromHeader
            = offset < header.size() ? std::min(size, header.size() - std::size_t(offset)) : 0;
        std::memcpy(buffer, header.data() + offset, fromHeader);
        std::memset(buffer + fromHeader, 0, size - fromHeader);
        return std::optional<std::size_t>(size);
    };
    const std::optional<PcmSound> sound = decodeWav(readAt, header.size() + 200'000'000);
    QVERIFY(sound);
    QCOMPARE(sound->samples.size(), maxWavSampleBytes);
    QVERIFY(asked <= maxWavSampleBytes + header.size());
}

QTEST_APPLESS_MAIN(TestWavFile)
#include "tst_wavfile.moc"
