#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "files/wavfile.h"

namespace zelvano {

// A sound file as the platform opened it, for reading without waiting.
struct SoundFile
{
    // Differs between any two versions of the file: replaced, rewritten or resized.
    std::string version;
    std::uint64_t size = 0;
    ReadAt readAt; // keeps the file open as long as it lives
};

// Opens path as a regular file; nothing when it is missing or anything else.
using OpenSoundFile = std::function<std::optional<SoundFile>(const std::string& path)>;

// A sound shorter than this is a click at most, not a bell anyone in the room would notice.
inline constexpr double minRingSoundMs = 50.0;

// The sounds a ring can play: a WAV file by its path, read and checked by the program itself, and
// the built-in bell. A file is decoded again only when its version changed. Anything that is not
// a regular file, not a sound the decoder accepts, or shorter than minRingSoundMs gives nothing,
// and the caller plays the bell.
class RingSounds final
{
public:
    RingSounds(std::string_view bellWav, OpenSoundFile open);

    std::shared_ptr<const PcmSound> file(const std::string& path);
    const std::shared_ptr<const PcmSound>& bell() const { return m_bell; }

private:
    OpenSoundFile m_open;
    std::shared_ptr<const PcmSound> m_bell;
    std::optional<std::string> m_cachedVersion; // with the path, since another file may match
    std::shared_ptr<const PcmSound> m_cachedSound; // nothing when that version is no sound
};

// The bell that rings whenever ring.wav cannot: a WAV file built into the program.
std::string_view builtInBellWav();

} // namespace zelvano
