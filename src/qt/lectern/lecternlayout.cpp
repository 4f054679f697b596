#include "qt/lectern/lecternlayout.h"

#include <algorithm>
#include <cmath>

#include <QFontDatabase>

#include "lectern/lectern.h"
#include "lectern/lecternlayout.h"
#include "qt/window/dialogbuilder.h"
#include "qt/window/timedisplay.h"

namespace zelvano {

namespace {

    // In whole pixels, as the face lays text out.
    int textWidth(GlyphMetrics& metrics, const QString& text)
    {
        return static_cast<int>(std::ceil(metrics.width(text)));
    }

    // Hinting, which fits outlines to the pixel grid, changes nothing a reader sees at these sizes
    // and makes drawing a glyph the first time cost several times more.
    QRawFont unhinted(QFont font, QFontDatabase::WritingSystem writingSystem = QFontDatabase::Any)
    {
        font.setHintingPreference(QFont::PreferNoHinting);
        return QRawFont::fromFont(font, writingSystem);
    }

    QString shapeOf(const std::string& text) { return QString::fromStdString(digitsAsZeros(text)); }

    QRect qRect(const PixelRect& rect) { return QRect(rect.x, rect.y, rect.width, rect.height); }

    // text in font, centred in area as if it were width wide, its cell centred in the height.
    SpeakerFace::Line centred(
        const QString& text, const QRawFont& font, const Rgb& colour, const QRect& area, int width)
    {
        return { text, font, qColour(colour),
            QPoint(area.left() + (area.width() - width) / 2,
                area.top() + (area.height() - SpeakerFace::cellHeight(font)) / 2
                    + SpeakerFace::ascent(font)) };
    }

} // namespace

LecternLayout::LecternLayout()
    : m_figure(unhinted(displayTypeface()))
    // The display's face has no kana; this one has them, and the marks, and the digits.
    , m_caption(unhinted(QFont(QStringLiteral("Noto Sans CJK JP")), QFontDatabase::Japanese))
{ }

std::vector<SpeakerFace::Line> LecternLayout::lines(
    const QSize& size, const LecternContent& content)
{
    const LecternAreas areas = lecternAreas(size.width(), size.height());
    if (areas.figure.isEmpty())
        return {};
    const QRect figureArea = qRect(areas.figure);
    const QString figureShape = shapeOf(content.figure);
    const QRawFont& figureFont = m_figure.font(
        { figureShape, QString::fromLatin1(narrowestLecternFigure) }, figureArea.size());
    std::vector<SpeakerFace::Line> lines { centred(QString::fromStdString(content.figure),
        figureFont, content.figureColour, figureArea, m_figure.fittedWidth(figureShape)) };

    const QString captionShape = shapeOf(content.captionLine());
    if (captionShape.isEmpty() || areas.captionLine.isEmpty())
        return lines;
    const QRect captionArea = qRect(areas.captionLine);
    const QRawFont& captionFont = m_caption.font({ captionShape }, captionArea.size());
    const QString marks = QString::fromStdString(content.marksAndGap());
    const SpeakerFace::Line marksLine = centred(
        marks, captionFont, content.figureColour, captionArea, m_caption.fittedWidth(captionShape));
    SpeakerFace::Line caption = marksLine;
    caption.text = QString::fromStdString(content.caption);
    caption.colour = qColour(content.captionColour);
    caption.origin.rx() += m_caption.fittedWidth(marks);
    lines.push_back(marksLine);
    lines.push_back(caption);
    return lines;
}

LecternLayout::Fitting::Fitting(const QRawFont& face)
    : m_face(face)
{ }

int LecternLayout::Fitting::fittedWidth(const QString& text) { return textWidth(m_fitted, text); }

// Each size tried costs a font engine; the portable search tries few.
const QRawFont& LecternLayout::Fitting::font(const QStringList& samples, const QSize& area)
{
    if (samples == m_samples && area == m_area && m_fitted.font().isValid())
        return m_fitted.font();
    QRawFont font = m_face;
    const auto measure = [&font, &samples](int pixelSize) {
        font.setPixelSize(pixelSize);
        GlyphMetrics sized;
        sized.setFont(font);
        int widest = 0;
        for (const QString& sample : samples)
            widest = std::max(widest, textWidth(sized, sample));
        return TextExtent { widest, SpeakerFace::cellHeight(font) };
    };
    font.setPixelSize(largestFittingSize(measure, area.width(), area.height()));
    m_samples = samples;
    m_area = area;
    m_fitted.setFont(font);
    return m_fitted.font();
}

} // namespace zelvano
