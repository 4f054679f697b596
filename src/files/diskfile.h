#pragma once

#include <memory>
#include <string>

#include "core/platformservices.h"

namespace zelvano {

// Opens a real file with an exclusive, non-blocking advisory lock (flock), so that two running
// copies never read or write the same settings file at once; a file already locked counts as a
// failed open. Anything but a regular file (a FIFO, a device, a folder) is refused without waiting
// for it. Truncation, when asked for, happens only after the lock is held.
[[nodiscard]] std::unique_ptr<FileHandle> openDiskFile(const std::string& name, OpenMode mode);

} // namespace zelvano
