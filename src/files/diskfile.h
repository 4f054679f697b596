#pragma once

#include <memory>
#include <string>
#include <sys/file.h>

#include "core/platformservices.h"

namespace zelvano {

// The lock call, replaceable so that tests can play file systems that cannot lock.
using LockFunction = int (*)(int descriptor, int operation);

// Opens a real file under a non-blocking advisory lock (flock), so that two running copies never
// write the same settings file at once or read it while the other writes: shared for reading,
// exclusive for writing. A file someone else holds locked counts as a failed open; a file system
// that offers no lock is used without one. Anything but a regular file (a FIFO, a device, a
// folder) is refused without waiting for it. Truncation, when asked for, happens only after the
// lock is held.
[[nodiscard]] std::unique_ptr<FileHandle> openDiskFile(
    const std::string& name, OpenMode mode, LockFunction lock = ::flock);

} // namespace zelvano
