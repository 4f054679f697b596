#include "qt/desktop/accessiblenames.h"

#include <QWidget>

#include "core/windowlayout.h"

namespace zelvano {

void nameControlsForScreenReaders(const ControlMap& controls)
{
    for (const auto& [id, name] : screenReaderNames)
        controls.at(id)->setAccessibleName(QString::fromUtf8(name));
}

} // namespace zelvano
