#include "ui/accessiblenames.h"

#include <array>
#include <utility>

#include <QWidget>

#include "core/texts.h"
#include "ui/dialogtemplate.h"

namespace zelvano {

namespace {
    namespace t = texts;

    constexpr std::array<std::pair<int, const char*>, 8> accessibleNames { {
        { IDC_TIME_DISPLAY, t::displayAccessibleName },
        { IDC_SLIDE_LIST, t::lapListAccessibleName },
        { IDC_BELL1_MINUTES, t::bell1MinutesAccessibleName },
        { IDC_BELL2_MINUTES, t::bell2MinutesAccessibleName },
        { IDC_BELL3_MINUTES, t::bell3MinutesAccessibleName },
        { IDC_BELL1_COUNT, t::bell1CountAccessibleName },
        { IDC_BELL2_COUNT, t::bell2CountAccessibleName },
        { IDC_BELL3_COUNT, t::bell3CountAccessibleName },
    } };
} // namespace

void nameControlsForScreenReaders(const std::map<int, QWidget*>& controls)
{
    for (const auto& [id, name] : accessibleNames)
        controls.at(id)->setAccessibleName(QString::fromUtf8(name));
}

} // namespace zelvano
