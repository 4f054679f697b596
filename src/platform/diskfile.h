#pragma once

#include <memory>
#include <string>

#include "core/platformservices.h"

namespace zelvano {

// Opens a real file so that two running copies never write the same settings file at once or read
// it while the other writes: readers may share it, a writer has it alone. A file someone else
// holds counts as a failed open. Anything but a regular disk file (a FIFO, a device, a folder) is
// refused without waiting for it. Truncation, when asked for, happens only once the file is ours.
// One implementation per platform.
[[nodiscard]] std::unique_ptr<FileHandle> openDiskFile(const std::string& name, OpenMode mode);

} // namespace zelvano
