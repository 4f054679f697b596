#pragma once

#include <QString>

namespace zelvano {

// Qt's WAV loader waits forever for bytes that a short or malformed file never delivers, and
// while it waits, destroying any sound effect blocks; big-endian files and absurd sample rates
// crash it, and many channels play as silence. So only files it reads to the last sample and
// plays reach it: little-endian RIFF, "fmt " before "data", chunks packed without padding bytes
// (the way the loader steps over them), mono or stereo 8- or 16-bit PCM at 8 to 192 kHz, and
// data of whole frames, all present in the file.
bool isPlayableWav(const QString& path);

} // namespace zelvano
