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

// Writes bytes beside the named file, under its name with ".new" added, and then puts that file in
// its place in one step, so the named file is always either the old one or the new one whole. The
// file beside is held as a written file is, so two copies of the program never write it at once.
[[nodiscard]] bool replaceDiskFile(const std::string& name, std::string_view bytes);

// The platform's own steps of a replacement: a file moved over another, and one taken away.
[[nodiscard]] bool moveDiskFileOver(const std::string& from, const std::string& to);
void removeDiskFile(const std::string& name);

} // namespace zelvano
