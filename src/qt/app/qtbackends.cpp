#include "qt/app/qtbackends.h"

#include <QByteArray>

namespace zelvano {

void chooseQtBackends()
{
    qputenv("QT_XCB_NO_MITSHM", QByteArrayLiteral("1"));
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("xcb;wayland"));
}

} // namespace zelvano
