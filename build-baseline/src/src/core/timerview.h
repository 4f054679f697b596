#pragma once

#include <optional>
#include <string>

namespace zelvano {

// Everything the timer logic may do to its window. Texts are UTF-8.
class TimerView
{
public:
    virtual ~TimerView() = default;

    virtual void setDisplayText(const std::string& text) = 0;

    // Modal stop-icon box with one OK button; returns once the user closes it. Ticks go on
    // meanwhile.
    virtual void showErrorBox(const std::string& text, const std::string& caption) = 0;

    // The lap list keeps its lines in ascending text order and never scrolls to a new line.
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
};

} // namespace zelvano
