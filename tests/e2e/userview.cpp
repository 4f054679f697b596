#include "e2e/userview.h"

#include <algorithm>

#include <QFile>
#include <QRegularExpression>
#include <QStringList>

#include "support/iconvconvert.h"

namespace zelvano {

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

bool fileBecomes(const QString& path, const QByteArray& expected, int timeoutMs)
{
    return eventually([&] { return readFile(path) == expected; }, timeoutMs);
}

std::optional<std::vector<Lap>> readReport(const QString& path, const QDateTime* savedAt)
{
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

bool lapsTakenAt(const std::vector<Lap>& laps, const std::vector<qint64>& momentsMs)
{
    bool fit = laps.size() == momentsMs.size();
    QStringList seen;
    int before = 0;
    for (std::size_t i = 0; i < laps.size(); ++i) {
        seen << QStringLiteral("%1/%2").arg(laps[i].lapSeconds).arg(laps[i].cumulativeSeconds);
        fit = fit && laps[i].lapSeconds == laps[i].cumulativeSeconds - before
            && qAbs(laps[i].cumulativeSeconds * 1000 - momentsMs[i]) <= 1000;
        before = laps[i].cumulativeSeconds;
    }
    if (!fit) {
        QStringList moments;
        for (const qint64 moment : momentsMs)
            moments << QString::number(moment);
        qWarning("laps (own/cumulative seconds) %s for turns at %s ms", qPrintable(seen.join(u' ')),
            qPrintable(moments.join(u' ')));
    }
    return fit;
}

int pixelsOf(const QImage& screenshot, const QRect& region, const Rgb& colour)
{
    const QImage part = screenshot.copy(region).convertToFormat(QImage::Format_RGB32);
    const QRgb wanted = qRgb(colour.red, colour.green, colour.blue);
    int count = 0;
    for (int y = 0; y < part.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(part.constScanLine(y));
        count += static_cast<int>(std::count(line, line + part.width(), wanted));
    }
    return count;
}

} // namespace zelvano
