#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zelvano {

// The lap list's order: ascending by the bytes of the UTF-8 text, the same on every machine and in
// every locale. Slide numbers 1 to 999 are zero-padded, so their lines keep the order of pressing.
constexpr bool lapLineBefore(std::string_view a, std::string_view b) { return a < b; }

// Where line goes among count lines kept in lapLineBefore order, lineAt(i) reading line i: after
// every line equal to it, by binary search.
template <typename LineAt> int lapLinePosition(std::string_view line, int count, LineAt lineAt)
{
    int low = 0;
    int high = count;
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (lapLineBefore(line, lineAt(middle)))
            high = middle;
        else
            low = middle + 1;
    }
    return low;
}

// Everything the timer logic may do to its window. Texts are UTF-8.
class TimerView
{
public:
    virtual ~TimerView() = default;

    // The elapsed seconds the display shows. Its text, its colour by the bells and everything the
    // speaker's view shows follow from them and the bells (displayedTime, lecternContent), so
    // that no two of them can tell of different seconds or bells.
    virtual void setDisplayTime(std::int32_t seconds) = 0;

    // Modal stop-icon box with one OK button; returns once the user closes it. Ticks go on
    // meanwhile.
    virtual void showErrorBox(const std::string& text, const std::string& caption) = 0;

    // The lap list keeps its lines in lapLineBefore order and never scrolls to a new line.
    virtual void clearLapLines() = 0;
    virtual void addLapLine(const std::string& line) = 0;
    virtual int lapLineCount() const = 0;
    virtual std::string lapLine(int index) const = 0;

    // field is 1..6, in the order of BellSettings::values.
    virtual std::string bellFieldText(int field) const = 0;
    virtual void setBellFieldText(int field, const std::string& text) = 0;
    virtual void setBellFieldsEnabled(bool enabled) = 0;

    virtual void setSettingsToggleText(const std::string& text) = 0;

    // One tick a second. Arming again restarts the phase; expiries missed while the thread was
    // blocked arrive as one tick; after killTick() no tick arrives until the next armTick().
    virtual void armTick() = 0;
    virtual void killTick() = 0;

    // Runs the save-file chooser; returns the full path of the chosen file, or nothing when the
    // user cancels. Ticks go on while it is open. The working directory is left alone.
    virtual std::optional<std::string> chooseSaveFile(
        const std::string& initialName, const std::string& defaultSuffix)
        = 0;
    // The report was written to path: the next chooser opens in its folder.
    virtual void reportSaved(const std::string& path) = 0;
};

} // namespace zelvano
