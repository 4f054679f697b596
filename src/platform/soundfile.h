#pragma once

#include <optional>
#include <string>

#include "sound/ringsounds.h"

namespace zelvano {

// Opens a sound file for the sound thread: without waiting (a FIFO named like the sound must not
// hold it), regular files only, with a version that changes whenever the file does. One
// implementation per platform.
std::optional<SoundFile> openSoundFile(const std::string& path);

} // namespace zelvano
