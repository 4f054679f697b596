#pragma once

#include <memory>
#include <vector>

#include <QRawFont>
#include <QWidget>

#include "qt/lectern/glyphimages.h"
#include "qt/lectern/glyphmetrics.h"
#include "qt/window/accessibletimedisplay.h"

namespace zelvano {

class X11Canvas;

// The speaker's view's face: lines of text on one colour, in the face's device pixels. A new
// text redraws only the pieces of glyphs that change, before setLines returns, since a bell due
// on that second blocks the thread before the next paint event. Glyphs are drawn from images of
// them made once. On X those images are kept in the X server and the face draws there itself, so
// a new second costs a copy request per changed glyph instead of the glyph's pixels; elsewhere Qt
// paints them into its backing store.
class SpeakerFace final : public QWidget, public TimeField
{
    Q_OBJECT

public:
    // A line of text in font (sized in device pixels) and colour; each glyph's origin lies on a
    // whole pixel, the first at origin, on the baseline.
    struct Line
    {
        QString text;
        QRawFont font;
        QColor colour;
        QPoint origin;
    };

    explicit SpeakerFace(QWidget* parent);
    ~SpeakerFace() override;

    void setBackground(const QColor& background);
    // Screen readers read the first line, a line end, then the others one after another (the
    // marks and the caption share the line beneath the time), with bellPhase as its description.
    void setLines(const std::vector<Line>& lines, int bellPhase);
    const std::vector<Line>& lines() const { return m_lines; }
    // Where a line's glyphs lie, their advances by the font's cell, in device pixels.
    QRect lineRect(std::size_t line) const;
    // A font's ascent, and its cell (ascent and descent), each in whole pixels.
    static int ascent(const QRawFont& font);
    static int cellHeight(const QRawFont& font);

    // TimeField
    QString text() const override;
    int bellPhase() const override;
    QRect characterRectOnScreen(qsizetype index) const override;

    // None while the face draws on X itself.
    QPaintEngine* paintEngine() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // A line as it is drawn: its look, its glyphs' origins, their pieces and their advances' sum.
    struct Laid
    {
        GlyphLook look;
        QList<QPointF> positions;
        std::vector<GlyphPiece> pieces;
        qreal width = 0;
    };

    Laid layOut(const Line& line, GlyphMetrics& metrics) const;
    // The part of region that no piece covers.
    QRegion withoutPieces(QRegion region) const;
    bool drawsOnX() const;
    bool canvasFollowsWindow();

    QColor m_background;
    std::vector<Line> m_lines;
    std::vector<Laid> m_laid;
    int m_phase = 0;
    std::vector<GlyphMetrics> m_metrics; // one per line
    std::vector<GlyphImages> m_images; // one per line
    std::unique_ptr<X11Canvas> m_canvas;
};

} // namespace zelvano
