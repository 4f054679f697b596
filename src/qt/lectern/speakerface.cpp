#include "qt/lectern/speakerface.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include <QPaintEvent>
#include <QPainter>

#include "qt/lectern/x11canvas.h"

namespace zelvano {

namespace {

    bool holds(const std::vector<GlyphPiece>& pieces, const GlyphPiece& piece)
    {
        return std::find(pieces.begin(), pieces.end(), piece) != pieces.end();
    }

    QRegion scaled(const QRegion& region, qreal factor)
    {
        if (factor == 1)
            return region;
        QRegion result;
        for (const QRect& rect : region) {
            result += QRectF(
                rect.x() * factor, rect.y() * factor, rect.width() * factor, rect.height() * factor)
                          .toAlignedRect();
        }
        return result;
    }

} // namespace

SpeakerFace::SpeakerFace(QWidget* parent)
    : QWidget(parent)
{
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    if (X11Canvas::available()) {
        // An X window of its own, which no backing store paints. Qt would make the view a native
        // window too, and so every control of the view's parent, the main window: its ancestors
        // are windows already.
        setAttribute(Qt::WA_DontCreateNativeAncestors);
        setAttribute(Qt::WA_NativeWindow);
        setAttribute(Qt::WA_NoSystemBackground);
        setAttribute(Qt::WA_PaintOnScreen);
    }
    installAccessibleTimeDisplay();
}

SpeakerFace::~SpeakerFace() = default;

void SpeakerFace::setBackground(const QColor& background)
{
    if (background == m_background)
        return;
    m_background = background;
    for (Laid& laid : m_laid)
        laid.look.background = background;
    update();
}

void SpeakerFace::setLines(const std::vector<Line>& lines, int bellPhase)
{
    const QString textBefore = text();
    const int phaseBefore = m_phase;
    m_metrics.resize(std::max(m_metrics.size(), lines.size()));
    std::vector<Laid> laid;
    for (std::size_t i = 0; i < lines.size(); ++i)
        laid.push_back(layOut(lines[i], m_metrics[i]));

    // What the old pieces covered and the new ones do not, and the new pieces.
    QRegion left;
    QRegion changed;
    std::vector<std::pair<std::size_t, std::size_t>> added; // line, piece
    for (std::size_t i = 0; i < std::max(laid.size(), m_laid.size()); ++i) {
        const Laid* before = i < m_laid.size() ? &m_laid[i] : nullptr;
        const Laid* now = i < laid.size() ? &laid[i] : nullptr;
        const bool sameLook = before && now && before->look == now->look;
        for (std::size_t j = 0; before && j < before->pieces.size(); ++j) {
            if (!sameLook || !holds(now->pieces, before->pieces[j]))
                left += before->pieces[j].ink;
        }
        for (std::size_t j = 0; now && j < now->pieces.size(); ++j) {
            if (!sameLook || !holds(before->pieces, now->pieces[j])) {
                changed += now->pieces[j].ink;
                added.emplace_back(i, j);
            }
        }
    }
    m_lines = lines;
    m_laid = std::move(laid);
    m_phase = bellPhase;

    if (!drawsOnX()) {
        repaint(scaled(left + changed, 1 / devicePixelRatioF()));
    } else if (canvasFollowsWindow()) {
        m_canvas->fill(withoutPieces(left), m_background);
        for (const auto& [line, piece] : added)
            m_canvas->draw(line, m_laid[line].pieces[piece], m_laid[line].look);
        m_canvas->flush();
    }
    announceTimeChange(*this, *this, textBefore, phaseBefore);
}

QRect SpeakerFace::lineRect(std::size_t line) const
{
    if (line >= m_lines.size())
        return {};
    const Line& shown = m_lines[line];
    return QRect(shown.origin.x(), shown.origin.y() - ascent(shown.font),
        static_cast<int>(std::ceil(m_laid[line].width)), cellHeight(shown.font));
}

int SpeakerFace::ascent(const QRawFont& font) { return static_cast<int>(std::ceil(font.ascent())); }

int SpeakerFace::cellHeight(const QRawFont& font)
{
    return ascent(font) + static_cast<int>(std::ceil(font.descent()));
}

QString SpeakerFace::text() const
{
    QString text;
    for (std::size_t line = 0; line < m_lines.size(); ++line)
        text += (line == 1 ? QStringLiteral("\n") : QString()) + m_lines[line].text;
    return text;
}

int SpeakerFace::bellPhase() const { return m_phase; }

// Past the first line's characters comes the line end, which has no place.
QRect SpeakerFace::characterRectOnScreen(qsizetype index) const
{
    std::size_t shown = 0;
    for (; shown < m_laid.size() && index >= m_laid[shown].positions.size(); ++shown)
        index -= m_laid[shown].positions.size() + (shown == 0 ? 1 : 0);
    if (shown == m_laid.size() || index < 0)
        return {};
    const QList<QPointF>& positions = m_laid[shown].positions;
    const QRect line = lineRect(shown);
    const qreal right = index + 1 < positions.size() ? positions[index + 1].x() : line.right() + 1;
    const QRect device(QPoint(static_cast<int>(positions[index].x()), line.top()),
        QPoint(static_cast<int>(right) - 1, line.bottom()));
    return scaled(device, 1 / devicePixelRatioF()).boundingRect().translated(mapToGlobal(QPoint()));
}

QPaintEngine* SpeakerFace::paintEngine() const
{
    return drawsOnX() ? nullptr : QWidget::paintEngine();
}

void SpeakerFace::paintEvent(QPaintEvent* event)
{
    const QRegion area = scaled(event->region(), devicePixelRatioF());
    if (drawsOnX()) {
        if (!canvasFollowsWindow())
            m_canvas = X11Canvas::open(*this, [this] { update(); });
        if (!m_canvas) {
            // A window of another visual than the server's default: Qt paints it after all.
            setAttribute(Qt::WA_PaintOnScreen, false);
            update();
            return;
        }
        m_canvas->fill(withoutPieces(area), m_background);
        for (std::size_t line = 0; line < m_laid.size(); ++line) {
            for (const GlyphPiece& piece : m_laid[line].pieces) {
                if (area.intersects(piece.ink))
                    m_canvas->draw(line, piece, m_laid[line].look);
            }
        }
        m_canvas->flush();
        return;
    }
    QPainter painter(this);
    painter.scale(1 / devicePixelRatioF(), 1 / devicePixelRatioF());
    for (const QRect& rect : area)
        painter.fillRect(rect, m_background);
    m_images.resize(m_laid.size());
    for (std::size_t line = 0; line < m_laid.size(); ++line)
        m_images[line].draw(painter, m_laid[line].pieces, m_laid[line].look, area.boundingRect());
}

SpeakerFace::Laid SpeakerFace::layOut(const Line& line, GlyphMetrics& metrics) const
{
    Laid laid { { line.font, line.colour, m_background, QTransform() }, {}, {}, 0 };
    metrics.setFont(line.font);
    QList<quint32> glyphs;
    QList<QRect> inks;
    for (const QChar character : line.text) {
        const GlyphMetrics::Glyph& glyph = metrics.glyph(character);
        const QPointF position(line.origin.x() + qRound(laid.width), line.origin.y());
        glyphs.append(glyph.index);
        laid.positions.append(position);
        inks.append(inkRect(glyph.bounds, position));
        laid.width += glyph.advance;
    }
    laid.pieces = glyphPieces(glyphs, laid.positions, inks);
    return laid;
}

QRegion SpeakerFace::withoutPieces(QRegion region) const
{
    for (const Laid& laid : m_laid) {
        for (const GlyphPiece& piece : laid.pieces) {
            if (region.intersects(piece.ink))
                region -= piece.ink;
        }
    }
    return region;
}

bool SpeakerFace::drawsOnX() const { return testAttribute(Qt::WA_PaintOnScreen); }

// A canvas drawing into a window the face no longer has is dropped; the new window is blank, and
// the paint event it brings draws it whole on a canvas of its own.
bool SpeakerFace::canvasFollowsWindow()
{
    if (m_canvas && m_canvas->window() != X11Canvas::windowOf(*this))
        m_canvas.reset();
    return m_canvas != nullptr;
}

} // namespace zelvano
