#pragma once

#include <memory>
#include <optional>
#include <string>
#include <sys/types.h>

namespace zelvano {

struct PcmSound;

// A sound shorter than this is a click at most, not a bell anyone in the room would notice.
inline constexpr double minRingSoundMs = 50.0;

// The sounds a ring can play: a WAV file by its path, read and checked by the program itself,
// and the built-in bell. A file is read again only when it changed (another inode, size or
// time stamp); anything that is not a regular file, not a sound the decoder accepts, or shorter
// than minRingSoundMs gives nothing, and the caller plays the bell.
class RingSounds final
{
public:
    RingSounds();

    std::shared_ptr<const PcmSound> file(const std::string& path);
    const std::shared_ptr<const PcmSound>& bell() const { return m_bell; }

private:
    struct Version
    {
        std::string path;
        dev_t device;
        ino_t inode;
        off_t size;
        timespec modified;
        timespec changed;
        bool operator==(const Version& other) const;
    };

    std::shared_ptr<const PcmSound> m_bell;
    std::optional<Version> m_cachedVersion;
    std::shared_ptr<const PcmSound> m_cachedSound; // nothing when that version is no sound
};

} // namespace zelvano
