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

QByteArray toneWav(double frequency, int durationMs)
{
    const auto count = static_cast<int>(qint64(rate) * durationMs / 1000);
    const int fade = rate / 200;
    std::vector<qint16> samples;
    samples.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const double envelope = std::min({ 1.0, double(i) / fade, double(count - 1 - i) / fade });
        const double value
            = 0.5 * envelope * std::sin(2.0 * std::numbers::pi * frequency * i / rate);
        samples.push_back(static_cast<qint16>(std::lround(value * 32767.0)));
    }
    return wavFromSamples(samples);
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
