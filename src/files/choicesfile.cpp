#include "files/choicesfile.h"

#include <array>

#include "core/texts.h"
#include "files/readhead.h"

namespace zelvano {

namespace {

    struct Choice
    {
        std::string_view name;
        bool WindowChoices::*value;
    };
    constexpr std::array<Choice, 4> knownChoices { {
        { "stay-on-top", &WindowChoices::stayOnTop },
        { "bell-colours", &WindowChoices::bellColours },
        { "remaining-large", &WindowChoices::remainingLarge },
        { "laps-from-slide-turns", &WindowChoices::lapsFromSlideTurns },
    } };

    std::string_view trimmed(std::string_view text)
    {
        const std::size_t first = text.find_first_not_of(" \t");
        if (first == std::string_view::npos)
            return {};
        return text.substr(first, text.find_last_not_of(" \t") - first + 1);
    }

    // The known choice a line sets, with the text after its "=".
    const Choice* choiceOf(std::string_view line, std::string_view& value)
    {
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos)
            return nullptr;
        const std::string_view name = trimmed(line.substr(0, equals));
        for (const Choice& choice : knownChoices) {
            if (choice.name == name) {
                value = trimmed(line.substr(equals + 1));
                return &choice;
            }
        }
        return nullptr;
    }

    std::string lineFor(const Choice& choice, const WindowChoices& choices)
    {
        return std::string(choice.name) + (choices.*choice.value ? "=1" : "=0");
    }

} // namespace

std::optional<ChoicesFile> parseChoices(std::string_view text)
{
    if (text.size() > choicesFileLimit || text.find('\0') != std::string_view::npos)
        return std::nullopt;
    ChoicesFile file;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        std::string_view value;
        if (const Choice* choice = choiceOf(line, value)) {
            if (value != "0" && value != "1")
                return std::nullopt;
            file.choices.*choice->value = value == "1";
        }
        file.lines.emplace_back(line);
    }
    return file;
}

std::string formatChoices(const ChoicesFile& file)
{
    std::string text;
    std::array<bool, knownChoices.size()> written {};
    for (const std::string& line : file.lines) {
        std::string_view value;
        const Choice* choice = choiceOf(line, value);
        text += choice ? lineFor(*choice, file.choices) : line;
        text += '\n';
        if (choice)
            written[static_cast<std::size_t>(choice - knownChoices.data())] = true;
    }
    for (std::size_t i = 0; i < knownChoices.size(); ++i) {
        if (!written[i])
            text += lineFor(knownChoices[i], file.choices) + '\n';
    }
    return text;
}

ChoicesFile loadChoices(PlatformServices& platform)
{
    const std::optional<std::string> text
        = readHead(platform, choicesFileName, OpenMode::Read, choicesFileLimit + 1);
    std::optional<ChoicesFile> file = text ? parseChoices(*text) : std::nullopt;
    if (!file) {
        platform.trace(texts::choicesNotReadTrace);
        return {};
    }
    return *file;
}

bool saveChoices(PlatformServices& platform, const ChoicesFile& file)
{
    if (!platform.replaceFile(choicesFileName, formatChoices(file))) {
        platform.trace(texts::fileIoError);
        return false;
    }
    return true;
}

} // namespace zelvano
