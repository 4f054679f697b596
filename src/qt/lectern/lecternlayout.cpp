#include "qt/lectern/lecternlayout.h"

#include <algorithm>
#include <cmath>

#include <QFontDatabase>

#include "clock/lectern.h"
#include "core/texts.h"
#include "qt/window/timedisplay.h"

namespace zelvano {

namespace {

    constexpr double marginFraction = 0.05;
    // The caption line's share of the face's height.
    constexpr int captionLinesPerHeight = 8;
    const QString narrowestFigureSample = QString::fromLatin1(narrowestLecternFigure);
    const QString marksGap = QString::fromUtf8(texts::marksCaptionGap);

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

    QString zeroed(QString text)
    {
        for (QChar& character : text) {
            if (character.isDigit())
                character = u'0';
        }
        return text;
    }

    // text in font, centred in area as if it were width wide, its cell centred in the height.
    SpeakerFace::Line centred(const QString& text, const QRawFont& font, const QColor& colour,
        const QRect& area, int width)
    {
        return { text, font, colour,
            QPoint(area.left() + (area.width() - width) / 2,
                area.top() + (area.height() - SpeakerFace::cellHeight(font)) / 2
                    + SpeakerFace::ascent(font)) };
    }

} // namespace

LecternLayout::LecternLayout()
    : m_figure(unhinted(TimeDisplay::typeface()))
    // The display's face has no kana; this one has them, and the marks, and the digits.
    , m_caption(unhinted(QFont(QStringLiteral("Noto Sans CJK JP")), QFontDatabase::Japanese))
{ }

std::vector<SpeakerFace::Line> LecternLayout::lines(
    const QSize& size, const LecternContent& content)
{
    const int marginX = static_cast<int>(size.width() * marginFraction);
    const int marginY = static_cast<int>(size.height() * marginFraction);
    const QRect inner = QRect(QPoint(), size).adjusted(marginX, marginY, -marginX, -marginY);
    const int lineHeight = size.height() / captionLinesPerHeight;
    const QRect figureArea = inner.adjusted(0, 0, 0, -lineHeight);
    if (figureArea.isEmpty())
        return {};
    const QRect captionArea(inner.left(), figureArea.bottom() + 1, inner.width(), lineHeight);

    std::vector<SpeakerFace::Line> lines;
    const QString figureSample = zeroed(content.figure);
    const QString sizingSample
        = m_figure.faceWidth(figureSample) > m_figure.faceWidth(narrowestFigureSample)
        ? figureSample
        : narrowestFigureSample;
    const QRawFont& figureFont = m_figure.font(sizingSample, figureArea.size());
    lines.push_back(centred(content.figure, figureFont, content.figureColour, figureArea,
        m_figure.fittedWidth(figureSample)));

    const QString gap = content.marks.isEmpty() || content.caption.isEmpty() ? QString() : marksGap;
    const QString captionSample = zeroed(content.marks + gap + content.caption);
    if (captionSample.isEmpty())
        return lines;
    const QRawFont& captionFont = m_caption.font(captionSample, captionArea.size());
    const SpeakerFace::Line marks = centred(content.marks, captionFont, content.figureColour,
        captionArea, m_caption.fittedWidth(captionSample));
    SpeakerFace::Line caption = marks;
    caption.text = content.caption;
    caption.colour = content.captionColour;
    caption.origin.rx() += m_caption.fittedWidth(content.marks + gap);
    lines.push_back(marks);
    lines.push_back(caption);
    return lines;
}

LecternLayout::Fitting::Fitting(const QRawFont& face) { m_face.setFont(face); }

int LecternLayout::Fitting::faceWidth(const QString& text) { return textWidth(m_face, text); }

int LecternLayout::Fitting::fittedWidth(const QString& text) { return textWidth(m_fitted, text); }

// Sizes scale the text almost in proportion, so one measurement gives a guess within a size or
// two; each size tried costs a font engine.
const QRawFont& LecternLayout::Fitting::font(const QString& sample, const QSize& area)
{
    if (sample == m_sample && area == m_area && m_fitted.font().isValid())
        return m_fitted.font();
    QRawFont font = m_face.font();
    const auto widthAt = [&font, &sample](int pixelSize) {
        font.setPixelSize(pixelSize);
        GlyphMetrics sized;
        sized.setFont(font);
        return textWidth(sized, sample);
    };
    const auto fits = [&](int pixelSize) {
        return widthAt(pixelSize) <= area.width() && SpeakerFace::cellHeight(font) <= area.height();
    };
    constexpr int probe = 100;
    const int probeWidth = widthAt(probe);
    const qreal scale = std::min(qreal(area.width()) / std::max(1, probeWidth),
        qreal(area.height()) / SpeakerFace::cellHeight(font));
    int pixelSize = std::max(1, static_cast<int>(probe * scale));
    while (pixelSize > 1 && !fits(pixelSize))
        --pixelSize;
    while (fits(pixelSize + 1))
        ++pixelSize;
    font.setPixelSize(pixelSize);
    m_sample = sample;
    m_area = area;
    m_fitted.setFont(font);
    return m_fitted.font();
}

} // namespace zelvano
