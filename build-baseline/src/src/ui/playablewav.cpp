#include "ui/playablewav.h"

#include <QFile>
#include <QtEndian>

namespace zelvano {

namespace {

    quint16 littleEndian16(const QByteArray& bytes, qsizetype at)
    {
        return qFromLittleEndian<quint16>(bytes.constData() + at);
    }

    quint32 littleEndian32(const QByteArray& bytes, qsizetype at)
    {
        return qFromLittleEndian<quint32>(bytes.constData() + at);
    }

} // namespace

bool isPlayableWav(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray riff = file.read(12);
    if (riff.size() != 12 || !riff.startsWith("RIFF") || riff.mid(8) != "WAVE")
        return false;
    qint64 frameBytes = 0;
    for (qint64 offset = 12;;) {
        if (!file.seek(offset))
            return false;
        const QByteArray chunk = file.read(8);
        if (chunk.size() != 8)
            return false;
        const qint64 size = littleEndian32(chunk, 4);
        if (offset + 8 + size > file.size())
            return false;
        if (chunk.startsWith("fmt ")) {
            const QByteArray format = file.read(16);
            if (size < 16 || format.size() != 16)
                return false;
            const quint16 encoding = littleEndian16(format, 0);
            const quint16 channels = littleEndian16(format, 2);
            const quint32 rate = littleEndian32(format, 4);
            const quint16 bits = littleEndian16(format, 14);
            if (encoding != 1 || (bits != 8 && bits != 16) || channels < 1 || channels > 2
                || rate < 8000 || rate > 192000)
                return false;
            frameBytes = qint64(channels) * bits / 8;
        } else if (chunk.startsWith("data")) {
            return frameBytes > 0 && size > 0 && size % frameBytes == 0;
        }
        offset += 8 + size;
    }
}

} // namespace zelvano
