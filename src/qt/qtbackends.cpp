#include "qt/qtbackends.h"

#include <QByteArray>

namespace zelvano {

void chooseQtBackends()
{
    qputenv("QT_XCB_NO_MITSHM", QByteArrayLiteral("1"));
}

} // namespace zelvano
