#pragma once

#include <sys/file.h>

#include "platform/diskfile.h"

namespace zelvano {

// The lock call, replaceable so that tests can play file systems that cannot lock.
using LockFunction = int (*)(int descriptor, int operation);

// openDiskFile with an advisory, non-blocking flock: shared for reading, exclusive for writing.
// A file system that offers no lock is used without one.
[[nodiscard]] std::unique_ptr<FileHandle> openDiskFile(
    const std::string& name, OpenMode mode, LockFunction lock);

} // namespace zelvano
