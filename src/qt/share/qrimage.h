#pragma once

#include <QImage>
#include <QString>

namespace zelvano {

// The text as a QR code, black modules on white with the four-module quiet zone scanners need
// around it, each module a square of modulePixels. A null image when the text does not fit.
QImage qrImage(const QString& text, int modulePixels);

} // namespace zelvano
