#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/platformservices.h"
#include "core/windowchoices.h"

namespace zelvano {

// The window's choices, beside the settings file and apart from it (that one stays the 24 bytes
// it always was): a text file of "name=1" and "name=0" lines, LF or CR LF. Lines it does not know
// (comments, blank lines, names of a later version) are kept where they are when it is written
// again.
inline constexpr const char* choicesFileName = "window.ini";
// More than a file of choices ever holds; a larger one is no choices file.
inline constexpr std::size_t choicesFileLimit = 64 * 1024;

struct ChoicesFile
{
    WindowChoices choices;
    std::vector<std::string> lines; // as read, without line ends; nothing for a new file
};

// Nothing when the text is no choices file: a known name with a value other than 0 or 1, a NUL
// byte, or more than choicesFileLimit bytes.
std::optional<ChoicesFile> parseChoices(std::string_view text);
// The lines read, each known name with its value now, then the known names not yet there.
std::string formatChoices(const ChoicesFile& file);

// A missing, unreadable or malformed file gives the defaults and one trace line, never more.
ChoicesFile loadChoices(PlatformServices& platform);
// Replaces the whole file at once, so a failure midway leaves the old one; a failure is traced.
[[nodiscard]] bool saveChoices(PlatformServices& platform, const ChoicesFile& file);

} // namespace zelvano
