#pragma once

#include <array>
#include <optional>
#include <vector>

#include <QByteArray>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QImage>
#include <QRect>
#include <QString>
#include <QThread>

#include "core/phasecolours.h"

namespace zelvano {

// What a user of either program sees and keeps, for the end-to-end suites of both: the titles of
// its windows, its settings file's bytes, its reports.

inline const QString mainTitle = QStringLiteral("Zelvano");
inline const QString invalidSettingsTitle = QStringLiteral("設定値ミス");
inline const QString unlockedStartTitle = QStringLiteral("設定エラー");
inline const QString noSlidesTitle = QStringLiteral("スライド数エラー");
inline const QString saveErrorTitle = QStringLiteral("保存エラー");
inline const QString aboutTitle = QStringLiteral("Zelvanoのﾊﾞｰｼﾞｮﾝ情報");
inline const QString speakerViewTitle = QStringLiteral("Zelvano 発表者用表示");
inline const QString saveChooserTitle = QStringLiteral("名前を付けて保存");

// The settings file's bytes for six values: signed 32-bit little-endian each.
QByteArray settingsBytes(std::array<qint32, 6> values);
inline const QByteArray defaultSettings = settingsBytes({ 10, 13, 15, 1, 2, 3 });

QByteArray readFile(const QString& path); // "<missing>" when it cannot be read
bool writeFile(const QString& path, const QByteArray& bytes);

// Strict code page 932 to UTF-8; nothing when a byte sequence is not valid there.
std::optional<QString> decodeCp932(const QByteArray& bytes);

// How many pixels of the region of a screenshot have exactly the colour.
int pixelsOf(const QImage& screenshot, const QRect& region, const Rgb& colour);

// Polls condition until it holds, for up to timeoutMs; whether it held.
template <typename Condition> bool eventually(Condition condition, int timeoutMs = 5000)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(50);
    }
    return true;
}

bool fileBecomes(const QString& path, const QByteArray& expected, int timeoutMs = 5000);

struct Lap
{
    int lapSeconds;
    int cumulativeSeconds;
};

// The laps of the report at path, checked line by line against the report's layout: code page
// 932, a header (with the date and time of savedAt, to the nearest two seconds, when given), an
// empty line, lap lines, CR LF after each. Nothing, with a warning saying why, when it is not.
std::optional<std::vector<Lap>> readReport(const QString& path, const QDateTime* savedAt = nullptr);

// Whether the laps are one for each moment (in milliseconds after Start, in order), each with the
// cumulative seconds of its moment give or take the second a click or a key takes to arrive, and
// each lap the time since the one before. Says what differs when they are not.
bool lapsTakenAt(const std::vector<Lap>& laps, const std::vector<qint64>& momentsMs);

} // namespace zelvano
