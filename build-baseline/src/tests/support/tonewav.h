#pragma once

#include <vector>

#include <QByteArray>
#include <QString>
#include <QtGlobal>

namespace zelvano {

// A WAV file (16-bit mono, 44100 Hz) of the given samples, as a recording is kept.
QByteArray wavFromSamples(const std::vector<qint16>& samples);
bool writeWav(const QString& path, const std::vector<qint16>& samples);

// A WAV file (16-bit mono, 44100 Hz) holding a pure tone at half of full scale, with 5 ms fades
// so it starts and ends without a click.
QByteArray toneWav(double frequency, int durationMs);

// Writes toneWav() to path; false when the file cannot be written.
bool writeToneWav(const QString& path, double frequency, int durationMs);

} // namespace zelvano
