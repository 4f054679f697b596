#pragma once

#include <algorithm>
#include <array>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/timerview.h"

namespace zelvano {

// Records what the logic does to its window. The lap list keeps the window's order.
struct FakeView final : TimerView
{
    std::int32_t displaySeconds = 0; // what the display shows
    std::vector<std::pair<std::string, std::string>> errorBoxes; // text, caption
    std::vector<std::string> lapLines;
    std::array<std::string, 6> fields;
    bool fieldsEnabled = true;
    std::string toggleText;
    bool tickArmed = false;
    int armCount = 0;
    int killCount = 0;
    // What the chooser answers (nothing: cancel), and what it was asked with.
    std::optional<std::string> chooserAnswer;
    std::vector<std::pair<std::string, std::string>> chooserRequests;
    std::vector<std::string> savedReports; // paths the logic reported as written
    // Runs while an error box is "open", as nested ticks would.
    std::function<void()> whileErrorBoxOpen;

    void setDisplayTime(std::int32_t seconds) override { displaySeconds = seconds; }
    void showErrorBox(const std::string& text, const std::string& caption) override
    {
        errorBoxes.emplace_back(text, caption);
        if (whileErrorBoxOpen)
            whileErrorBoxOpen();
    }
    void clearLapLines() override { lapLines.clear(); }
    void addLapLine(const std::string& line) override
    {
        lapLines.insert(
            std::upper_bound(lapLines.begin(), lapLines.end(), line, lapLineBefore), line);
    }
    int lapLineCount() const override { return static_cast<int>(lapLines.size()); }
    std::string lapLine(int index) const override
    {
        return lapLines.at(static_cast<std::size_t>(index));
    }
    std::string bellFieldText(int field) const override
    {
        return fields.at(static_cast<std::size_t>(field - 1));
    }
    void setBellFieldText(int field, const std::string& text) override
    {
        fields.at(static_cast<std::size_t>(field - 1)) = text;
    }
    void setBellFieldsEnabled(bool enabled) override { fieldsEnabled = enabled; }
    void setSettingsToggleText(const std::string& text) override { toggleText = text; }
    void armTick() override
    {
        tickArmed = true;
        ++armCount;
    }
    void killTick() override
    {
        tickArmed = false;
        ++killCount;
    }
    std::optional<std::string> chooseSaveFile(
        const std::string& initialName, const std::string& defaultSuffix) override
    {
        chooserRequests.emplace_back(initialName, defaultSuffix);
        return chooserAnswer;
    }
    void reportSaved(const std::string& path) override { savedReports.push_back(path); }
};

} // namespace zelvano
