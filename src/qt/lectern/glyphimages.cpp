#include "qt/lectern/glyphimages.h"

#include <algorithm>

#include <QBrush>
#include <QGlyphRun>
#include <QPainter>

namespace zelvano {

namespace {

    // The room around a glyph's bounding box that its drawing may still touch: antialiasing,
    // and hinting, which may move an outline a pixel past the box.
    constexpr qreal inkMargin = 2;

} // namespace

QRect inkRect(const QRectF& bounds, const QPointF& position, const QTransform& scale)
{
    return scale.mapRect(bounds)
        .translated(position)
        .adjusted(-inkMargin, -inkMargin, inkMargin, inkMargin)
        .toAlignedRect();
}

QRect inkRect(const QRawFont& font, quint32 glyph, const QPointF& position, const QTransform& scale)
{
    return inkRect(font.boundingRect(glyph), position, scale);
}

GlyphPiece::Key GlyphPiece::key() const
{
    Key key;
    key.reserve(static_cast<std::size_t>(glyphs.size()) * 3);
    for (qsizetype i = 0; i < glyphs.size(); ++i) {
        key.push_back(glyphs[i]);
        key.push_back(positions[i].x() - ink.x());
        key.push_back(positions[i].y() - ink.y());
    }
    return key;
}

std::vector<GlyphPiece> glyphPieces(
    const QList<quint32>& glyphs, const QList<QPointF>& positions, const QList<QRect>& inks)
{
    std::vector<GlyphPiece> pieces;
    for (qsizetype i = 0; i < glyphs.size(); ++i) {
        if (pieces.empty() || !pieces.back().ink.intersects(inks[i])) {
            pieces.push_back({ { glyphs[i] }, { positions[i] }, inks[i] });
            continue;
        }
        GlyphPiece& joined = pieces.back();
        joined.glyphs.append(glyphs[i]);
        joined.positions.append(positions[i]);
        joined.ink |= inks[i];
    }
    return pieces;
}

QImage drawPiece(const GlyphPiece& piece, const GlyphLook& look)
{
    QImage image(piece.ink.size(), QImage::Format_RGB32);
    image.fill(look.background);
    QPainter painter(&image);
    painter.setPen(look.colour);
    QGlyphRun single;
    single.setRawFont(look.font);
    single.setPositions({ QPointF() });
    for (qsizetype i = 0; i < piece.glyphs.size(); ++i) {
        const QPointF at = piece.positions[i] - piece.ink.topLeft();
        painter.setWorldTransform(look.scale * QTransform::fromTranslate(at.x(), at.y()));
        single.setGlyphIndexes({ piece.glyphs[i] });
        painter.drawGlyphRun(QPointF(), single);
    }
    return image;
}

bool GlyphImages::draw(QPainter& painter, const QPointF& origin, const QGlyphRun& run,
    const QBrush& background, const QRect& area)
{
    const QTransform toDevice = painter.deviceTransform();
    if (toDevice.type() > QTransform::TxScale || background.style() != Qt::SolidPattern
        || !background.isOpaque())
        return false;
    const GlyphLook look { run.rawFont(), painter.pen().color(), background.color(),
        QTransform::fromScale(toDevice.m11(), toDevice.m22()) };
    const QList<quint32> glyphs = run.glyphIndexes();
    QList<QPointF> positions = run.positions();
    QList<QRect> inks;
    for (qsizetype i = 0; i < glyphs.size(); ++i) {
        positions[i] = toDevice.map(origin + positions[i]);
        inks.append(inkRect(look.font, glyphs[i], positions[i], look.scale));
    }
    const std::vector<GlyphPiece> pieces = glyphPieces(glyphs, positions, inks);
    painter.save();
    painter.setWorldTransform(toDevice.inverted());
    draw(painter, pieces, look, toDevice.mapRect(QRectF(area)).toAlignedRect());
    painter.restore();
    return true;
}

void GlyphImages::draw(QPainter& painter, const std::vector<GlyphPiece>& pieces,
    const GlyphLook& look, const QRect& area)
{
    if (look != m_look || m_images.size() >= mostImages) {
        m_images.clear();
        m_look = look;
    }
    for (const GlyphPiece& piece : pieces) {
        if (!piece.ink.intersects(area))
            continue;
        QImage& image = m_images[piece.key()];
        if (image.isNull())
            image = drawPiece(piece, look);
        drawInBands(painter, piece.ink.topLeft(), image);
    }
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

} // namespace zelvano
