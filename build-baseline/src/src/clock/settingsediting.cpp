#include "clock/settingsediting.h"

#include "core/formatstring.h"
#include "core/texts.h"
#include "files/settingsfile.h"

namespace zelvano {

namespace {

    bool inRange(std::int32_t value, std::int32_t low, std::int32_t high)
    {
        return value >= low && value <= high;
    }

    bool allValid(const BellSettings& settings)
    {
        for (int bell = 1; bell <= BellSettings::bellCount; ++bell) {
            if (!inRange(settings.ringCount(bell), BellSettings::minRingCount,
                    BellSettings::maxRingCount))
                return false;
        }
        for (int bell = 1; bell <= BellSettings::bellCount; ++bell) {
            if (!inRange(settings.minuteMark(bell), BellSettings::minMinuteMark,
                    BellSettings::maxMinuteMark))
                return false;
        }
        return true;
    }

    void lockFields(TimerContext& context)
    {
        context.view.setBellFieldsEnabled(false);
        context.view.setSettingsToggleText(texts::settingsToggleUnlock);
        context.state.editingSettings = false;
    }

    void unlockFields(TimerContext& context)
    {
        context.view.setBellFieldsEnabled(true);
        context.view.setSettingsToggleText(texts::settingsToggleConfirm);
        context.state.editingSettings = true;
    }

    // The parsed values take effect at once, even when the check below refuses them: a running
    // timer uses them from its next tick. Only valid values are written and locked.
    void confirmFields(TimerContext& context)
    {
        for (std::size_t i = 0; i < BellSettings::valueCount; ++i)
            context.settings.values[i]
                = parseBellValue(context.view.bellFieldText(static_cast<int>(i) + 1));

        if (!allValid(context.settings)) {
            context.view.showErrorBox(texts::invalidSettingsText, texts::invalidSettingsCaption);
            return;
        }
        const bool saved = saveSettings(context.platform, context.settings);
        lockFields(context);
        if (!saved)
            context.view.showErrorBox(texts::settingsNotSavedText, texts::saveFailedCaption);
    }

    bool isAsciiSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

} // namespace

void onSettingsToggle(TimerContext& context)
{
    if (context.state.editingSettings)
        confirmFields(context);
    else
        unlockFields(context);
}

void showSettings(TimerContext& context)
{
    for (std::size_t i = 0; i < BellSettings::valueCount; ++i)
        context.view.setBellFieldText(
            static_cast<int>(i) + 1, formatString("%d", context.settings.values[i]));
    context.view.setBellFieldsEnabled(false);
}

std::int32_t parseBellValue(std::string_view text)
{
    std::size_t pos = 0;
    while (pos < text.size() && isAsciiSpace(text[pos]))
        ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    std::uint32_t value = 0;
    for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos)
        value = value * 10u + static_cast<std::uint32_t>(text[pos] - '0');
    if (negative)
        value = 0u - value;
    return static_cast<std::int32_t>(value);
}

} // namespace zelvano
