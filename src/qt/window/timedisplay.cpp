#include "qt/window/timedisplay.h"

#include <algorithm>

#include <QFontMetrics>
#include <QGlyphRun>
#include <QPaintEvent>
#include <QPainter>
#include <QRawFont>
#include <QStyle>
#include <QStyleOptionFrame>

#include "core/bellsettings.h"
#include "qt/lectern/glyphimages.h"

namespace zelvano {

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

TimeDisplay::TimeDisplay(QWidget* parent)
    : QWidget(parent)
    , m_face(new Face(this))
{
    installAccessibleTimeDisplay();
    setFocusPolicy(Qt::NoFocus);
    placeFace();
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
    announceTimeChange(*this, *this, before, phaseBefore);
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
    const QStyleOptionFrame option = frameOption();
    const QRect contents = style()->subElementRect(QStyle::SE_LineEditContents, &option, this);
    const QRect face = contents.adjusted(1, 1, -1, -1);
    m_face->setGeometry(face);
    m_face->setTextArea(contents.translated(-face.topLeft()));
}

} // namespace zelvano
