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

// How the samples of a tone file are laid out.
struct WavShape
{
    int bits = 16; // 8 (unsigned) or 16
    int channels = 1;
    int rate = 44100;
    bool bigEndian = false; // "RIFX" instead of "RIFF"
};

// The same tone struck like a bell: it dies away with a time constant of 150 ms, to about a
// fourteenth of its start after 400 ms. Started again then, it rises abruptly, where a steady
// tone would go on seamlessly.
QByteArray struckToneWav(double frequency, int durationMs, WavShape shape = {});

// Writes toneWav() to path; false when the file cannot be written.
bool writeToneWav(const QString& path, double frequency, int durationMs);

} // namespace zelvano
