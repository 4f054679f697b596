#pragma once

#include <cstddef>
#include <map>
#include <vector>

#include <QColor>
#include <QImage>
#include <QList>
#include <QPointF>
#include <QRawFont>
#include <QRect>
#include <QTransform>

class QBrush;
class QGlyphRun;
class QPainter;

namespace zelvano {

// Where the ink of a glyph with the bounding box bounds may lie when it is drawn at position (on
// the baseline), in pixels of whatever position is given in, scaled by scale; with room for
// antialiasing and hinting.
QRect inkRect(
    const QRectF& bounds, const QPointF& position, const QTransform& scale = QTransform());
QRect inkRect(const QRawFont& font, quint32 glyph, const QPointF& position,
    const QTransform& scale = QTransform());

// How glyphs are drawn on the device: the font, scaled by scale, in colour on background.
struct GlyphLook
{
    QRawFont font;
    QColor colour;
    QColor background;
    QTransform scale;

    friend bool operator==(const GlyphLook&, const GlyphLook&) = default;
};

// Part of a line of glyphs that one opaque image stands for, in device pixels: a glyph alone, or
// neighbours whose ink may overlap, since the image of one would cover the other's ink.
struct GlyphPiece
{
    // What the image shows: each glyph and its origin on the baseline, from the top left of ink.
    // Rasterising is alike at any whole-pixel offset, so pieces that differ only in where they
    // lie share one image.
    using Key = std::vector<qreal>;

    QList<quint32> glyphs;
    QList<QPointF> positions; // on the baseline, on the device
    QRect ink;

    Key key() const;
    friend bool operator==(const GlyphPiece&, const GlyphPiece&) = default;
};

// The glyphs at positions (on the baseline, on the device), their ink within inks, cut into
// pieces, in their order.
std::vector<GlyphPiece> glyphPieces(
    const QList<quint32>& glyphs, const QList<QPointF>& positions, const QList<QRect>& inks);

// The piece drawn on the background exactly as a painter draws its glyphs in place.
QImage drawPiece(const GlyphPiece& piece, const GlyphLook& look);

// Images of pieces of text, each drawn once and copied to the device at later paints. Qt draws a
// glyph of more than some 64 px from its outline at every paint, which at the speaker's view's
// size is most of a tick's work; a copy is a row of memcpy.
class GlyphImages
{
public:
    // Draws the glyphs of run placed at origin that meet area from their images and returns
    // true; returns false, having drawn nothing, where images cannot stand in for the run: a
    // face that is not one opaque colour, or a painter that rotates or shears.
    bool draw(QPainter& painter, const QPointF& origin, const QGlyphRun& run,
        const QBrush& background, const QRect& area);
    // Draws the pieces that meet area; the painter's coordinates are the device's.
    void draw(QPainter& painter, const std::vector<GlyphPiece>& pieces, const GlyphLook& look,
        const QRect& area);

private:
    // A glyph's image takes some 500 KB at the speaker's view's size; all glyphs of a time, a
    // sign and a colon are 14.
    static constexpr std::size_t mostImages = 24;

    // Qt blends an image of more than some 32 K pixels on a pool of threads; for one glyph a
    // second, waking them costs more than the copy they share, so it goes in smaller bands.
    static void drawInBands(QPainter& painter, const QPoint& at, const QImage& image);

    GlyphLook m_look;
    std::map<GlyphPiece::Key, QImage> m_images;
};

} // namespace zelvano
