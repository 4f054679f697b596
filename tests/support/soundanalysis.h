#pragma once

#include <vector>

#include <QString>
#include <QtGlobal>

namespace zelvano {

// Measurements on a recording of signed 16-bit mono samples. Times are in milliseconds from
// the first sample.

// When each sound starts. A start is an abrupt rise in loudness, so a strike that cuts off a
// sound still ringing counts as well as one after silence; a ringing tail never does.
std::vector<double> findOnsets(const std::vector<qint16>& samples, int sampleRate);

// The onsets at which a sound cuts in above everything heard in the 150 ms before it, as a
// strike does. A sound path that drops out for a moment under load and picks up where it left
// off makes an onset too, but comes back at about the level it had before the gap: no strike.
std::vector<double> findStrikes(const std::vector<qint16>& samples, int sampleRate);

// How long the recording is audible in total.
double audibleMs(const std::vector<qint16>& samples, int sampleRate);

// Amplitude (in sample units) of the sine at the given frequency within a stretch of the
// recording, for telling sounds apart by their pitch.
double toneAmplitude(const std::vector<qint16>& samples, int sampleRate, double startMs,
    double lengthMs, double frequency);

// "onsets at [30, 430, 830] ms", for failure messages.
QString describeOnsets(const std::vector<double>& onsetsMs);

} // namespace zelvano
