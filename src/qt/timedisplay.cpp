#include "qt/timedisplay.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>

#include <QAccessible>
#include <QFontMetrics>
#include <QGlyphRun>
#include <QImage>
#include <QPaintEvent>
#include <QPainter>
#include <QRawFont>
#include <QStyle>
#include <QStyleOptionFrame>

#include "core/bellsettings.h"
#include "qt/accessibletimedisplay.h"

namespace zelvano {

namespace {

    QColor qColour(const Rgb& colour) { return QColor(colour.red, colour.green, colour.blue); }

    // The room around a glyph's bounding box that its drawing may still touch: antialiasing,
    // and hinting, which may move an outline a pixel past the box.
    constexpr qreal inkMargin = 2;

    // Where the ink of glyph may lie when it is drawn at position (on the baseline), in pixels
    // of whatever position is given in, scaled by scale.
    QRect inkRect(const QRawFont& font, quint32 glyph, const QPointF& position,
        const QTransform& scale = QTransform())
    {
        return scale.mapRect(font.boundingRect(glyph))
            .translated(position)
            .adjusted(-inkMargin, -inkMargin, inkMargin, inkMargin)
            .toAlignedRect();
    }

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
                placed.append(
                    { glyphs[i], pixel, at - pixel, inkRect(m_font, glyphs[i], at, m_scale) });
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

    private:
        // A glyph's images take some 400 KB each at the speaker's view's size; all glyphs of a
        // time at one fraction of a pixel each are some 11.
        static constexpr std::size_t mostImages = 24;

        void forgetAllBut(const QRawFont& font, const QColor& colour, const QColor& background,
            const QTransform& scale)
        {
            if (font == m_font && colour == m_colour && background == m_background
                && scale == m_scale && m_images.size() < mostImages)
                return;
            m_images.clear();
            m_font = font;
            m_colour = colour;
            m_background = background;
            m_scale = scale;
        }

        // Qt blends an image of more than some 32 K pixels on a pool of threads; for one glyph a
        // second, waking them costs more than the copy they share, so it goes in smaller bands.
        static void drawInBands(QPainter& painter, const QPoint& at, const QImage& image)
        {
            constexpr int bandPixels = 16 * 1024;
            const int bandHeight = std::max(1, bandPixels / std::max(1, image.width()));
            for (int top = 0; top < image.height(); top += bandHeight) {
                const QRect band(0, top, image.width(), std::min(bandHeight, image.height() - top));
                painter.drawImage(at + band.topLeft(), image, band);
            }
        }

        // The glyph with its origin at fraction of the pixel (0, 0), ink being where its ink lies
        // around that pixel.
        const QImage& image(quint32 glyph, const QPointF& fraction, const QRect& ink)
        {
            QImage& drawn = m_images[{ glyph, fraction.x(), fraction.y() }];
            if (drawn.isNull()) {
                drawn = QImage(ink.size(), QImage::Format_RGB32);
                drawn.fill(m_background);
                QPainter painter(&drawn);
                painter.setPen(m_colour);
                painter.setWorldTransform(m_scale
                    * QTransform::fromTranslate(fraction.x() - ink.x(), fraction.y() - ink.y()));
                QGlyphRun single;
                single.setRawFont(m_font);
                single.setGlyphIndexes({ glyph });
                single.setPositions({ QPointF() });
                painter.drawGlyphRun(QPointF(), single);
            }
            return drawn;
        }

        QRawFont m_font;
        QColor m_colour;
        QColor m_background;
        QTransform m_scale;
        std::map<std::tuple<quint32, qreal, qreal>, QImage> m_images;
    };

} // namespace

// The inside of the frame, filled with the base colour (or the phase palette's background) and
// the text. It lies a pixel inside the style's contents rectangle, so that at a fractional scale
// factor its pixels never reach the frame's shading. Opaque, so Qt paints nothing behind it, as
// long as the colour it is filled with is.
class TimeDisplay::Face final : public QWidget
{
public:
    explicit Face(QWidget* parent)
        : QWidget(parent)
    {
        followBaseColour();
    }

    const QString& text() const { return m_text; }
    int bellPhase() const { return m_phase; }

    // The contents rectangle of the frame, in this widget's coordinates: the text is placed in it.
    void setTextArea(const QRect& area)
    {
        m_textArea = area;
        placeText();
    }

    // A new colour of the digits repaints the whole face; otherwise only the ink of the glyphs
    // that change, before and after.
    void setText(const QString& text, int bellPhase)
    {
        const bool recolour = m_palette && digitColour(bellPhase) != digitColour(m_phase);
        m_phase = bellPhase;
        const QGlyphRun before = m_glyphs;
        const QPointF originBefore = m_origin;
        m_text = text;
        m_origin = textOrigin(text);
        layOutGlyphs();
        if (recolour) {
            repaint();
            return;
        }
        const QRegion changed = changedInk(before, originBefore) & rect();
        if (!changed.isEmpty())
            repaint(changed);
    }

    void setPhasePalette(const std::optional<PhasePalette>& palette)
    {
        m_palette = palette;
        followBaseColour();
        update();
    }

    QRect characterRect(qsizetype index) const
    {
        if (index < 0 || index >= m_text.size())
            return {};
        const QFontMetricsF metrics(font());
        qreal left = m_origin.x();
        for (qsizetype i = 0; i < index; ++i)
            left += metrics.horizontalAdvance(m_text.at(i));
        return QRectF(left, m_origin.y() - metrics.ascent(),
            metrics.horizontalAdvance(m_text.at(index)), metrics.height())
            .toAlignedRect();
    }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        QPainter painter(this);
        const QBrush background
            = m_palette ? QBrush(qColour(m_palette->background)) : palette().base();
        painter.fillRect(event->rect(), background);
        painter.setPen(m_palette ? digitColour(m_phase) : palette().color(QPalette::Text));
        if (!m_glyphImages.draw(painter, m_origin, m_glyphs, background, event->rect()))
            painter.drawGlyphRun(m_origin, m_glyphs);
    }

    void changeEvent(QEvent* event) override
    {
        if (event->type() == QEvent::PaletteChange)
            followBaseColour();
        if (event->type() == QEvent::FontChange)
            placeText();
        QWidget::changeEvent(event);
    }

private:
    void followBaseColour()
    {
        setAttribute(Qt::WA_OpaquePaintEvent, m_palette || palette().base().isOpaque());
    }

    QColor digitColour(int bellPhase) const
    {
        return qColour(m_palette->digits.at(static_cast<std::size_t>(bellPhase)));
    }

    void placeText()
    {
        m_glyphs.setRawFont(QRawFont::fromFont(font()));
        m_origin = textOrigin(m_text);
        layOutGlyphs();
        update();
    }

    // The text's glyphs one after another by their advances, as a line edit lays out digits and
    // a colon; drawing the text as a string would lay it out again at every paint.
    void layOutGlyphs()
    {
        const QRawFont rawFont = m_glyphs.rawFont();
        const QList<quint32> indexes = rawFont.glyphIndexesForString(m_text);
        const QList<QPointF> advances = rawFont.advancesForGlyphIndexes(indexes);
        QList<QPointF> positions;
        positions.reserve(advances.size());
        QPointF position;
        for (const QPointF& advance : advances) {
            positions.append(position);
            position += advance;
        }
        m_glyphs.setGlyphIndexes(indexes);
        m_glyphs.setPositions(positions);
    }

    // Where a centred read-only line edit puts its text: the baseline of a line as tall as the
    // font's cell centred in the contents, and the text centred between margins of 2 px, the
    // rounding included, so the field shows exactly what a line edit would. The width is the sum
    // of the glyphs' advances, which is what laying out digits and a colon gives, for much less.
    QPointF textOrigin(const QString& text) const
    {
        constexpr int margin = 2;
        const QFontMetrics metrics(font());
        const QFontMetricsF exactMetrics(font());
        qreal width = 0;
        for (const QChar character : text)
            width += exactMetrics.horizontalAdvance(character);
        const int lineWidth = m_textArea.width() - 2 * margin;
        const int used = qRound(width) + 1;
        const int top = m_textArea.y() + (m_textArea.height() - metrics.height() + 1) / 2;
        return { static_cast<qreal>(m_textArea.x() + margin - (used - lineWidth) / 2),
            top + exactMetrics.ascent() };
    }

    // Where the glyphs that differ between the run before (at originBefore) and now may leave or
    // put ink: for each, one rectangle around its ink before and after, so that a changed digit
    // goes to the X server in one request, not in the bands of two overlapping boxes.
    QRegion changedInk(const QGlyphRun& before, const QPointF& originBefore) const
    {
        const QList<quint32> oldGlyphs = before.glyphIndexes();
        const QList<QPointF> oldPositions = before.positions();
        const QList<quint32> newGlyphs = m_glyphs.glyphIndexes();
        const QList<QPointF> newPositions = m_glyphs.positions();
        QRegion changed;
        for (qsizetype i = 0; i < std::max(oldGlyphs.size(), newGlyphs.size()); ++i) {
            const bool hadOne = i < oldGlyphs.size();
            const bool hasOne = i < newGlyphs.size();
            if (hadOne && hasOne && oldGlyphs[i] == newGlyphs[i]
                && originBefore + oldPositions[i] == m_origin + newPositions[i])
                continue;
            QRect cell;
            if (hadOne)
                cell = inkRect(before.rawFont(), oldGlyphs[i], originBefore + oldPositions[i]);
            if (hasOne)
                cell |= inkRect(m_glyphs.rawFont(), newGlyphs[i], m_origin + newPositions[i]);
            changed += cell;
        }
        return changed;
    }

    QString m_text;
    int m_phase = 0;
    std::optional<PhasePalette> m_palette;
    QPointF m_origin; // on the baseline
    QGlyphRun m_glyphs;
    GlyphImages m_glyphImages;
    QRect m_textArea;
};

TimeDisplay::TimeDisplay(QWidget* parent, Look look)
    : QWidget(parent)
    , m_look(look)
    , m_face(new Face(this))
{
    installAccessibleTimeDisplay();
    setFocusPolicy(Qt::NoFocus);
    placeFace();
}

QFont TimeDisplay::typeface()
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setWeight(QFont::Normal);
    return font;
}

QString TimeDisplay::text() const { return m_face->text(); }

int TimeDisplay::bellPhase() const { return m_face->bellPhase(); }

void TimeDisplay::setText(const QString& text, int bellPhase)
{
    bellPhase = std::clamp(bellPhase, 0, BellSettings::bellCount);
    const QString before = m_face->text();
    const int phaseBefore = m_face->bellPhase();
    if (text == before && bellPhase == phaseBefore)
        return;
    m_face->setText(text, bellPhase);
    if (!QAccessible::isActive())
        return;
    if (text != before) {
        QAccessibleTextUpdateEvent event(this, 0, before, text);
        QAccessible::updateAccessibility(&event);
    }
    if (bellPhase != phaseBefore) {
        QAccessibleEvent event(this, QAccessible::DescriptionChanged);
        QAccessible::updateAccessibility(&event);
    }
}

void TimeDisplay::setPhasePalette(const std::optional<PhasePalette>& palette)
{
    m_face->setPhasePalette(palette);
}

QRect TimeDisplay::characterRectOnScreen(qsizetype index) const
{
    const QRect local = m_face->characterRect(index);
    return local.isEmpty() ? QRect() : local.translated(m_face->mapToGlobal(QPoint(0, 0)));
}

// The frame and the base colour, as the style paints a read-only line edit.
void TimeDisplay::paintEvent(QPaintEvent*)
{
    if (m_look == Look::Bare)
        return;
    const QStyleOptionFrame option = frameOption();
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_PanelLineEdit, &option, &painter, this);
}

void TimeDisplay::resizeEvent(QResizeEvent* event)
{
    placeFace();
    QWidget::resizeEvent(event);
}

void TimeDisplay::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::StyleChange)
        placeFace();
    QWidget::changeEvent(event);
}

// What a read-only line edit with a frame tells the style about itself.
QStyleOptionFrame TimeDisplay::frameOption() const
{
    QStyleOptionFrame option;
    option.initFrom(this);
    option.lineWidth = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, this);
    option.midLineWidth = 0;
    option.state |= QStyle::State_Sunken | QStyle::State_ReadOnly;
    option.features = QStyleOptionFrame::None;
    return option;
}

void TimeDisplay::placeFace()
{
    if (m_look == Look::Bare) {
        m_face->setGeometry(rect());
        m_face->setTextArea(m_face->rect());
        return;
    }
    const QStyleOptionFrame option = frameOption();
    const QRect contents = style()->subElementRect(QStyle::SE_LineEditContents, &option, this);
    const QRect face = contents.adjusted(1, 1, -1, -1);
    m_face->setGeometry(face);
    m_face->setTextArea(contents.translated(-face.topLeft()));
}

} // namespace zelvano
