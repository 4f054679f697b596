#include "qt/glyphimages.h"

#include <algorithm>
#include <cmath>

#include <QBrush>
#include <QGlyphRun>
#include <QList>
#include <QPainter>

namespace zelvano {

namespace {

    // The room around a glyph's bounding box that its drawing may still touch: antialiasing,
    // and hinting, which may move an outline a pixel past the box.
    constexpr qreal inkMargin = 2;

} // namespace

QRect inkRect(const QRawFont& font, quint32 glyph, const QPointF& position, const QTransform& scale)
{
    return scale.mapRect(font.boundingRect(glyph))
        .translated(position)
        .adjusted(-inkMargin, -inkMargin, inkMargin, inkMargin)
        .toAlignedRect();
}

bool GlyphImages::draw(QPainter& painter, const QPointF& origin, const QGlyphRun& run,
    const QBrush& background, const QRect& area)
{
    const QTransform toDevice = painter.deviceTransform();
    if (toDevice.type() > QTransform::TxScale || background.style() != Qt::SolidPattern
        || !background.isOpaque())
        return false;
    const QTransform scale = QTransform::fromScale(toDevice.m11(), toDevice.m22());
    forgetAllBut(run.rawFont(), painter.pen().color(), background.color(), scale);

    struct Placed
    {
        quint32 glyph;
        QPoint pixel; // the device pixel that holds the glyph's origin
        QPointF fraction; // where in that pixel the origin lies
        QRect ink; // on the device
    };
    const QList<quint32> glyphs = run.glyphIndexes();
    const QList<QPointF> positions = run.positions();
    QList<Placed> placed;
    for (qsizetype i = 0; i < glyphs.size(); ++i) {
        const QPointF at = toDevice.map(origin + positions[i]);
        const QPoint pixel(
            static_cast<int>(std::floor(at.x())), static_cast<int>(std::floor(at.y())));
        placed.append({ glyphs[i], pixel, at - pixel, inkRect(m_font, glyphs[i], at, m_scale) });
    }
    for (qsizetype i = 0; i < placed.size(); ++i) {
        for (qsizetype j = i + 1; j < placed.size(); ++j) {
            if (placed[i].ink.intersects(placed[j].ink))
                return false;
        }
    }

    const QRect deviceArea = toDevice.mapRect(QRectF(area)).toAlignedRect();
    painter.save();
    painter.setWorldTransform(toDevice.inverted());
    for (const Placed& glyph : placed) {
        if (glyph.ink.intersects(deviceArea)) {
            drawInBands(painter, glyph.ink.topLeft(),
                image(glyph.glyph, glyph.fraction, glyph.ink.translated(-glyph.pixel)));
        }
    }
    painter.restore();
    return true;
}

void GlyphImages::forgetAllBut(
    const QRawFont& font, const QColor& colour, const QColor& background, const QTransform& scale)
{
    if (font == m_font && colour == m_colour && background == m_background && scale == m_scale
        && m_images.size() < mostImages)
        return;
    m_images.clear();
    m_font = font;
    m_colour = colour;
    m_background = background;
    m_scale = scale;
}

void GlyphImages::drawInBands(QPainter& painter, const QPoint& at, const QImage& image)
{
    constexpr int bandPixels = 16 * 1024;
    const int bandHeight = std::max(1, bandPixels / std::max(1, image.width()));
    for (int top = 0; top < image.height(); top += bandHeight) {
        const QRect band(0, top, image.width(), std::min(bandHeight, image.height() - top));
        painter.drawImage(at + band.topLeft(), image, band);
    }
}

const QImage& GlyphImages::image(quint32 glyph, const QPointF& fraction, const QRect& ink)
{
    QImage& drawn = m_images[{ glyph, fraction.x(), fraction.y() }];
    if (drawn.isNull()) {
        drawn = QImage(ink.size(), QImage::Format_RGB32);
        drawn.fill(m_background);
        QPainter painter(&drawn);
        painter.setPen(m_colour);
        painter.setWorldTransform(
            m_scale * QTransform::fromTranslate(fraction.x() - ink.x(), fraction.y() - ink.y()));
        QGlyphRun single;
        single.setRawFont(m_font);
        single.setGlyphIndexes({ glyph });
        single.setPositions({ QPointF() });
        painter.drawGlyphRun(QPointF(), single);
    }
    return drawn;
}

} // namespace zelvano
