#include "support/tonewav.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include <QFile>
#include <QtEndian>

namespace zelvano {

namespace {

    constexpr int rate = 44100;

    void append32(QByteArray& out, quint32 value)
    {
        char bytes[4];
        qToLittleEndian(value, bytes);
        out.append(bytes, 4);
    }

    void append16(QByteArray& out, quint16 value)
    {
        char bytes[2];
        qToLittleEndian(value, bytes);
        out.append(bytes, 2);
    }

    bool writeBytes(const QString& path, const QByteArray& bytes)
    {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    }

} // namespace

QByteArray wavFromSamples(const std::vector<qint16>& samples)
{
    const auto dataSize = static_cast<quint32>(samples.size() * 2);
    QByteArray wav("RIFF");
    append32(wav, 36 + dataSize);
    wav.append("WAVEfmt ");
    append32(wav, 16);
    append16(wav, 1); // PCM
    append16(wav, 1); // mono
    append32(wav, rate);
    append32(wav, rate * 2); // bytes per second
    append16(wav, 2); // bytes per frame
    append16(wav, 16); // bits per sample
    wav.append("data");
    append32(wav, dataSize);
    for (const qint16 sample : samples)
        append16(wav, static_cast<quint16>(sample));
    return wav;
}

namespace {

    std::vector<double> toneValues(double frequency, int durationMs, int sampleRate, bool struck)
    {
        const auto count = static_cast<int>(qint64(sampleRate) * durationMs / 1000);
        const int fade = sampleRate / 200;
        std::vector<double> values;
        values.reserve(static_cast<std::size_t>(count));
        for (int i = 0; i < count; ++i) {
            double envelope = std::min({ 1.0, double(i) / fade, double(count - 1 - i) / fade });
            if (struck)
                envelope *= std::exp(-double(i) / (0.15 * sampleRate)); // 150 ms time constant
            values.push_back(
                0.5 * envelope * std::sin(2.0 * std::numbers::pi * frequency * i / sampleRate));
        }
        return values;
    }

} // namespace

QByteArray toneWav(double frequency, int durationMs)
{
    std::vector<qint16> samples;
    for (const double value : toneValues(frequency, durationMs, rate, false))
        samples.push_back(static_cast<qint16>(std::lround(value * 32767.0)));
    return wavFromSamples(samples);
}

QByteArray struckToneWav(double frequency, int durationMs, WavShape shape)
{
    QByteArray data;
    for (const double value : toneValues(frequency, durationMs, shape.rate, true)) {
        for (int channel = 0; channel < shape.channels; ++channel) {
            if (shape.bits == 8) {
                data.append(static_cast<char>(std::lround(128.0 + value * 127.0)));
                continue;
            }
            const auto sample = static_cast<quint16>(std::lround(value * 32767.0));
            char bytes[2];
            if (shape.bigEndian)
                qToBigEndian(sample, bytes);
            else
                qToLittleEndian(sample, bytes);
            data.append(bytes, 2);
        }
    }
    const auto frameBytes = static_cast<quint16>(shape.channels * shape.bits / 8);
    QByteArray wav(shape.bigEndian ? "RIFX" : "RIFF");
    QByteArray header;
    const auto put32 = [&](quint32 v) {
        char b[4];
        shape.bigEndian ? qToBigEndian(v, b) : qToLittleEndian(v, b);
        header.append(b, 4);
    };
    const auto put16 = [&](quint16 v) {
        char b[2];
        shape.bigEndian ? qToBigEndian(v, b) : qToLittleEndian(v, b);
        header.append(b, 2);
    };
    put32(static_cast<quint32>(36 + data.size()));
    header.append("WAVEfmt ");
    put32(16);
    put16(1);
    put16(static_cast<quint16>(shape.channels));
    put32(static_cast<quint32>(shape.rate));
    put32(static_cast<quint32>(shape.rate) * frameBytes);
    put16(frameBytes);
    put16(static_cast<quint16>(shape.bits));
    header.append("data");
    put32(static_cast<quint32>(data.size()));
    return wav + header + data;
}

bool writeWav(const QString& path, const std::vector<qint16>& samples)
{
    return writeBytes(path, wavFromSamples(samples));
}

bool writeToneWav(const QString& path, double frequency, int durationMs)
{
    return writeBytes(path, toneWav(frequency, durationMs));
}

} // namespace zelvano
