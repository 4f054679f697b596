#include "qt/share/qrimage.h"

#include <stdexcept>

#include <QPainter>
#include <qrcodegen.hpp>

namespace zelvano {

namespace {
    constexpr int quietModules = 4;
}

QImage qrImage(const QString& text, int modulePixels)
{
    try {
        // Medium correction survives a glare or a smudge on the screen, and still leaves the
        // modules of a page's address large.
        const auto code = qrcodegen::QrCode::encodeText(
            text.toUtf8().constData(), qrcodegen::QrCode::Ecc::MEDIUM);
        const int side = (code.getSize() + 2 * quietModules) * modulePixels;
        QImage image(side, side, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        for (int y = 0; y < code.getSize(); ++y)
            for (int x = 0; x < code.getSize(); ++x)
                if (code.getModule(x, y))
                    painter.fillRect((x + quietModules) * modulePixels,
                        (y + quietModules) * modulePixels, modulePixels, modulePixels, Qt::black);
        return image;
    } catch (const std::length_error&) {
        return {};
    }
}

} // namespace zelvano
