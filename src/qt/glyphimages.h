#pragma once

#include <cstddef>
#include <map>
#include <tuple>

#include <QColor>
#include <QImage>
#include <QRawFont>
#include <QRect>
#include <QTransform>

class QBrush;
class QGlyphRun;
class QPainter;

namespace zelvano {

// Where the ink of glyph may lie when it is drawn at position (on the baseline), in pixels of
// whatever position is given in, scaled by scale; with room for antialiasing and hinting.
QRect inkRect(const QRawFont& font, quint32 glyph, const QPointF& position,
    const QTransform& scale = QTransform());

// Images of single glyphs, each drawn once on the face's colour exactly as the painter draws
// it in place, and copied to the device at later paints. Qt draws a glyph of more than some
// 64 px from its outline at every paint, which at the speaker's view's 490 px is most of a
// tick's work; a copy is a row of memcpy. Rasterising is alike at any whole-pixel offset, so
// an image serves every place where the glyph falls on the same fraction of a device pixel.
class GlyphImages
{
public:
    // Draws the glyphs of run placed at origin that meet area from their images and returns
    // true; returns false, having drawn nothing, where images cannot stand in for the run:
    // a face that is not one opaque colour, glyphs whose images overlap (opaque, each would
    // cover its neighbour's ink), or a painter that rotates or shears.
    bool draw(QPainter& painter, const QPointF& origin, const QGlyphRun& run,
        const QBrush& background, const QRect& area);

private:
    // A glyph's images take some 400 KB each at the speaker's view's size; all glyphs of a time
    // at one fraction of a pixel each are some 11.
    static constexpr std::size_t mostImages = 24;

    void forgetAllBut(const QRawFont& font, const QColor& colour, const QColor& background,
        const QTransform& scale);
    // Qt blends an image of more than some 32 K pixels on a pool of threads; for one glyph a
    // second, waking them costs more than the copy they share, so it goes in smaller bands.
    static void drawInBands(QPainter& painter, const QPoint& at, const QImage& image);
    // The glyph with its origin at fraction of the pixel (0, 0), ink being where its ink lies
    // around that pixel.
    const QImage& image(quint32 glyph, const QPointF& fraction, const QRect& ink);

    QRawFont m_font;
    QColor m_colour;
    QColor m_background;
    QTransform m_scale;
    std::map<std::tuple<quint32, qreal, qreal>, QImage> m_images;
};

} // namespace zelvano
