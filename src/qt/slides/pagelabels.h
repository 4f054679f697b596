#pragma once

#include <optional>
#include <string>
#include <vector>

namespace zelvano {

// The label of each page of the PDF at uri (a file: URI) as the PDF library pdfpc shows it with
// (poppler, through its GLib interface) reads them. The library is loaded at the first call, not
// linked: beside pdfpc it is always there, and without pdfpc nobody asks. Nothing when the
// library or the file cannot be read. A large file takes a while: not for the window's thread.
std::optional<std::vector<std::string>> readPageLabels(const std::string& uri);

} // namespace zelvano
