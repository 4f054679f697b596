#include "qt/accessiblenames.h"

#include <array>
#include <utility>

#include <QWidget>

#include "qt/qttexts.h"

namespace zelvano {

namespace {
    namespace t = qttexts;

    constexpr std::array<std::pair<ControlId, const char*>, 8> accessibleNames { {
        { ControlId::TimeDisplay, t::displayAccessibleName },
        { ControlId::SlideList, t::lapListAccessibleName },
        { ControlId::Bell1Minutes, t::bell1MinutesAccessibleName },
        { ControlId::Bell2Minutes, t::bell2MinutesAccessibleName },
        { ControlId::Bell3Minutes, t::bell3MinutesAccessibleName },
        { ControlId::Bell1Count, t::bell1CountAccessibleName },
        { ControlId::Bell2Count, t::bell2CountAccessibleName },
        { ControlId::Bell3Count, t::bell3CountAccessibleName },
    } };
} // namespace

void nameControlsForScreenReaders(const ControlMap& controls)
{
    for (const auto& [id, name] : accessibleNames)
        controls.at(id)->setAccessibleName(QString::fromUtf8(name));
}

} // namespace zelvano
